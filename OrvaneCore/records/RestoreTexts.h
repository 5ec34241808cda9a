#pragma once

#include "model/BackupKind.h"

#include <QLatin1String>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <filesystem>
#include <system_error>
#include <vector>

namespace orvane {

// The sentences the restore engine reports.
namespace restoreTexts {
inline constexpr QLatin1String sourceBecameLink{"backup source became a symbolic link during restore"};
inline constexpr QLatin1String destinationBecameLink{"restore destination became a symbolic link"};
inline constexpr QLatin1String createdPathLink{"created path contains a symbolic link"};
inline constexpr QLatin1String changedWhilePreparing{
    "A world file changed while Orvane prepared restore. Nothing was replaced."};
inline constexpr QLatin1String changedWhileRestoring{
    "A world file changed while Orvane was restoring. Orvane stopped and rolled back completed replacements."};
inline constexpr QLatin1String appearedWhileRestoring{
    "A world file appeared while Orvane was restoring. Orvane stopped and rolled back completed replacements."};
inline constexpr QLatin1String changedDuringSwapRolledBack{
    "A world file changed during atomic replacement. Unexpected bytes were preserved and earlier replacements "
    "were rolled back."};
inline constexpr QLatin1String changedAfterRestore{
    "The destination changed after Orvane restored it. Unexpected bytes were preserved."};
inline constexpr QLatin1String changedDuringRollback{
    "The destination changed during rollback. Unexpected bytes were preserved."};
inline constexpr QLatin1String stageChanged{
    "A staged world file changed before Orvane put it in place. Orvane stopped and rolled back completed "
    "replacements."};
inline constexpr QLatin1String undoMissing{"verified undo data is missing"};
inline constexpr QLatin1String undoFailedVerification{"undo data failed verification"};

QString changedDuringSwapKept(const std::filesystem::path& kept);
QString rollbackCouldNotSwapBack(const std::filesystem::path& kept);
QString rolledBackBytesChanged(const std::filesystem::path& kept);
QString undoNotInstalled(const std::filesystem::path& kept);
QString rollbackPreserved(const std::filesystem::path& kept);
QString swapFailed(const std::filesystem::path& target, const std::system_error& error);
QString moveFailed(const std::filesystem::path& target, const std::system_error& error);
QString notARegularFile(const std::filesystem::path& path);
// A restore that cannot proceed at a file, said before anything is replaced.
QString priorBytesUnreadable(const std::filesystem::path& path);
QString othersFileInProtectedFolder(const std::filesystem::path& path);
QString folderNotWritable(const std::filesystem::path& path);
QString destinationNotRegular(const std::filesystem::path& path);
// What the status says when an interrupted restore of a backup of `kind` was dealt with first.
QString interruptedRestoreFinished(BackupKind kind);
QString interruptedRestoreUndone(BackupKind kind);
// An interrupted restore was left as it is because files changed after it was interrupted (bytes
// that are neither the backup's nor the prior ones); the replaced files stay in `keptFolders`.
QString interruptedRestoreKeptAsItIs(BackupKind kind, const std::vector<std::filesystem::path>& keptFolders);
// The same, when a later backup finds it still kept: the two ways out.
QString interruptedRestoreStillKeptAsItIs(BackupKind kind, const std::vector<std::filesystem::path>& keptFolders);
// An interrupted restore could be neither finished nor put back; the prior bytes stay in `undoFolders`,
// except in those `recordOnly` names, which hold nothing but its record now.
QString interruptedRestoreKept(BackupKind kind, const QStringList& failures,
                               const std::vector<std::filesystem::path>& undoFolders,
                               const std::vector<std::filesystem::path>& recordOnly = {});
// Why one cannot: a folder on the way to its files is a link now.
QString interruptedRestoreThroughLink(const std::filesystem::path& link);
// The record of an interrupted restore in each of `undoFolders` cannot be read: of unknown extent.
QString interruptedRestoreUnreadable(const std::vector<std::filesystem::path>& undoFolders);
// Finishing (or else undoing) an interrupted restore needs `bytes` more free space on the disk that
// holds `folder`.
QString interruptedRestoreNeedsSpace(BackupKind kind, bool finishing, std::uint64_t bytes,
                                     const std::filesystem::path& folder);
// The restore failed and so did the rollback of some files; the prior bytes stay in `undoFolders`.
QString doubleFailure(const QString& stopping, const QStringList& failures,
                      const std::vector<std::filesystem::path>& undoFolders);
} // namespace restoreTexts

} // namespace orvane
