#include "records/RestoreTexts.h"

#include "model/ByteCountFormat.h"
#include "platform/PathText.h"

#include <algorithm>
#include <system_error>

namespace orvane::restoreTexts {

namespace {

QString reason(const std::system_error& error)
{
    return QString::fromStdString(error.code().message());
}

} // namespace

QString changedDuringSwapKept(const std::filesystem::path& kept)
{
    return QStringLiteral("A world file changed during atomic replacement and its unexpected bytes were preserved at ")
        + pathText(kept) + QStringLiteral(". Do not launch the affected instance.");
}

QString rollbackCouldNotSwapBack(const std::filesystem::path& kept)
{
    return QStringLiteral("Rollback found unexpected destination bytes and could not swap them back. "
                          "They were preserved at ")
        + pathText(kept) + QLatin1Char('.');
}

QString rolledBackBytesChanged(const std::filesystem::path& kept)
{
    return QStringLiteral("Rolled-back destination bytes changed unexpectedly. The restored payload was put back and "
                          "the unexpected bytes were preserved at ")
        + pathText(kept) + QLatin1Char('.');
}

QString undoNotInstalled(const std::filesystem::path& kept)
{
    return QStringLiteral("Verified undo data could not be installed and the restored payload could not be swapped "
                          "back. Recovery bytes were preserved at ")
        + pathText(kept) + QLatin1Char('.');
}

QString rollbackPreserved(const std::filesystem::path& kept)
{
    return QStringLiteral("Rollback found unexpected bytes and preserved them at ") + pathText(kept) + QLatin1Char('.');
}

QString swapFailed(const std::filesystem::path& target, const std::system_error& error)
{
    return QStringLiteral("Orvane could not atomically swap ") + pathText(target) + QStringLiteral(": ") + reason(error);
}

QString moveFailed(const std::filesystem::path& target, const std::system_error& error)
{
    return QStringLiteral("Orvane could not atomically move without replacing ") + pathText(target)
        + QStringLiteral(": ") + reason(error);
}

QString notARegularFile(const std::filesystem::path& path)
{
    return QStringLiteral("Orvane will not delete %1 because it is not a regular file. "
                          "Orvane stopped and rolled back completed replacements.")
        .arg(pathText(path));
}

QString priorBytesUnreadable(const std::filesystem::path& path)
{
    return QStringLiteral("Orvane cannot restore %1: it may not read that world file as it is now, so it could not "
                          "put it back if the restore were cut short. Nothing was replaced.")
        .arg(pathText(path));
}

QString othersFileInProtectedFolder(const std::filesystem::path& path)
{
    return QStringLiteral("Orvane cannot restore %1: that world file belongs to another user, and its folder lets "
                          "only a file's owner replace it. Nothing was replaced.")
        .arg(pathText(path));
}

QString folderNotWritable(const std::filesystem::path& path)
{
    return QStringLiteral("Orvane cannot restore %1: it may not put files in that world file's folder. Nothing was "
                          "replaced.")
        .arg(pathText(path));
}

QString destinationNotRegular(const std::filesystem::path& path)
{
    return QStringLiteral("The restore destination %1 is not a regular file. Nothing was replaced.")
        .arg(pathText(path));
}

namespace {

QString restoreOf(BackupKind kind)
{
    return kind == BackupKind::saves ? QStringLiteral("world restore") : QStringLiteral("settings restore");
}

QStringList folderTexts(const std::vector<std::filesystem::path>& folders)
{
    QStringList texts;
    for (const auto& folder : folders)
        texts.push_back(pathText(folder));
    return texts;
}

// The two ways out of a kept interrupted restore, which every refusal of one names.
QString waysOut(BackupKind kind, const std::vector<std::filesystem::path>& keptFolders)
{
    return QStringLiteral(" To go on, restore a backup, or remove ") + folderTexts(keptFolders).join(QStringLiteral(" and "))
        + (kind == BackupKind::saves ? QStringLiteral(" to keep the world as it is.")
                                     : QStringLiteral(" to keep the settings as they are."));
}

// `bytes` rounded up to the last digit its text shows, so that freeing what it says is enough.
std::uint64_t roundedUpForText(std::uint64_t bytes)
{
    const std::uint64_t step = bytes < 1000000 ? 1000 : bytes < 1000000000 ? 100000 : bytes < 1000000000000 ? 10000000
                                                                                                           : 10000000000;
    return (bytes + step - 1) / step * step;
}

} // namespace

QString interruptedRestoreFinished(BackupKind kind)
{
    return QStringLiteral("Orvane first finished a %1 that was interrupted.").arg(restoreOf(kind));
}

QString interruptedRestoreUndone(BackupKind kind)
{
    return QStringLiteral("Orvane first undid a %1 that was interrupted, because its backup no longer verifies.")
        .arg(restoreOf(kind));
}

QString interruptedRestoreKeptAsItIs(BackupKind kind, const std::vector<std::filesystem::path>& keptFolders)
{
    const QString what = kind == BackupKind::saves ? QStringLiteral("the world as it is, because it changed")
                                                   : QStringLiteral("the settings as they are, because they changed");
    return QStringLiteral("Orvane kept ") + what
        + QStringLiteral(" after a restore was interrupted; the replaced files are kept at ")
        + folderTexts(keptFolders).join(QStringLiteral(" and ")) + QLatin1Char('.');
}

QString interruptedRestoreStillKeptAsItIs(BackupKind kind, const std::vector<std::filesystem::path>& keptFolders)
{
    return interruptedRestoreKeptAsItIs(kind, keptFolders) + waysOut(kind, keptFolders);
}

QString interruptedRestoreKept(BackupKind kind, const QStringList& failures,
                               const std::vector<std::filesystem::path>& undoFolders,
                               const std::vector<std::filesystem::path>& recordOnly)
{
    std::vector<std::filesystem::path> holding;
    for (const auto& folder : undoFolders) {
        if (std::find(recordOnly.begin(), recordOnly.end(), folder) == recordOnly.end())
            holding.push_back(folder);
    }
    QString text = QStringLiteral("Orvane could neither finish nor undo a restore that was interrupted: ")
        + failures.join(QStringLiteral("; ")) + QLatin1Char('.');
    if (!holding.empty())
        text += QStringLiteral(" The files as they were before that restore are kept at ")
            + folderTexts(holding).join(QStringLiteral(" and ")) + QLatin1Char('.');
    if (!recordOnly.empty())
        text += QStringLiteral(" Only the record of that restore is left at ")
            + folderTexts(recordOnly).join(QStringLiteral(" and "))
            + (holding.empty() ? QStringLiteral("; the files as they were before it are no longer kept anywhere.")
                               : QStringLiteral("."));
    return text + waysOut(kind, undoFolders);
}

QString interruptedRestoreThroughLink(const std::filesystem::path& link)
{
    return pathText(link) + QStringLiteral(" is a symbolic link now, so Orvane will not put files back through it");
}

QString interruptedRestoreUnreadable(const std::vector<std::filesystem::path>& undoFolders)
{
    const QString folders = folderTexts(undoFolders).join(QStringLiteral(" and "));
    return QStringLiteral("Orvane cannot read the record of a restore that was interrupted in ") + folders
        + QStringLiteral(", so it cannot tell which files that restore replaced. Nothing was changed. Take back "
                         "what you need from ")
        + folders + (undoFolders.size() == 1 ? QStringLiteral(", then remove it.") : QStringLiteral(", then remove them."));
}

QString interruptedRestoreNeedsSpace(BackupKind kind, bool finishing, std::uint64_t bytes,
                                     const std::filesystem::path& folder)
{
    return QStringLiteral("There is not enough free space to %1 a %2 that was interrupted: free at least %3 on the "
                          "disk that holds %4, then try again. Nothing was changed.")
        .arg(finishing ? QStringLiteral("finish") : QStringLiteral("undo"), restoreOf(kind),
             fileByteCountText(std::int64_t(roundedUpForText(bytes))), pathText(folder));
}

QString doubleFailure(const QString& stopping, const QStringList& failures,
                      const std::vector<std::filesystem::path>& undoFolders)
{
    const QStringList folders = folderTexts(undoFolders);
    return QStringLiteral("Restore failed: ") + stopping + QStringLiteral(" Rollback also failed: ")
        + failures.join(QStringLiteral("; ")) + QStringLiteral(". The files as they were before the restore are kept at ")
        + folders.join(QStringLiteral(" and "))
        + QStringLiteral(". Keep the verified Orvane backup and do not launch the affected instance.");
}

} // namespace orvane::restoreTexts
