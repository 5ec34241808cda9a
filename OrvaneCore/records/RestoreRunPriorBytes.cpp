#include "records/RestoreRun.h"

#include "model/OrvaneError.h"
#include "platform/PathText.h"
#include "records/ExchangeByMoves.h"
#include "records/RestoreTexts.h"

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

namespace orvane {

namespace {

bool permissionRefused(const std::system_error& error)
{
    const int value = error.code().value();
    return value == EACCES || value == EPERM;
}

// In a folder that lets only each file's owner rename it (the sticky bit), another user's file can be
// neither set aside nor replaced: said before anything is changed.
void requireReplaceable(const std::filesystem::path& destination)
{
    struct stat file {}, folder {};
    if (::lstat(destination.c_str(), &file) != 0 || ::stat(destination.parent_path().c_str(), &folder) != 0)
        return; // the steps that follow report what is wrong
    const uid_t me = ::geteuid();
    if (me != 0 && (folder.st_mode & S_ISVTX) && file.st_uid != me && folder.st_uid != me)
        throw OrvaneError::io(restoreTexts::othersFileInProtectedFolder(destination));
}

} // namespace

// The prior bytes gain a second name in the undo folder, through the folder checked for links (never a
// file a link planted since points at): reachable from there whatever happens next, and a test that
// this area shares the destination's mount. Where the file system or the kernel refuses a second name
// (FAT, exFAT; protected hard links for another user's file), the undo folder gets a copy instead,
// which the measurement of the prior bytes then checks.
void RestoreRun::keepPriorBytes(PreparedRestoreFile& file, const BackupFile& record, const std::filesystem::path& undo)
{
    const FolderItem destination = m_folders.keptItem(record, file.destination);
    try {
        m_files.hardLinkAt(destination, m_folders.undoFolderOf(undo).itemAt(undo));
        file.undoCopied = false;
        return;
    } catch (const std::system_error& error) {
        if (!hardLinkRefused(error))
            throw; // across mounts the next work area is tried
    }
    requireReplaceable(file.destination);
    try {
        m_lastPriorCopy = m_files.cloneOrCopy(file.destination, undo, false);
    } catch (const std::system_error& error) {
        if (permissionRefused(error))
            throw OrvaneError::io(restoreTexts::priorBytesUnreadable(file.destination));
        throw;
    }
    file.undoCopied = true;
}

// A new file is moved into place, and so is one whose prior bytes were copied: make sure a rename from
// its stage's area can land in its folder (with a second name, or where there are none the stage
// itself going there and back).
void RestoreRun::probeRename(PreparedRestoreFile& file, const std::filesystem::path& folder)
{
    const std::filesystem::path probe = folder / restoreItems::probeName();
    try {
        try {
            m_files.hardLink(file.staged, probe);
        } catch (const std::system_error& error) {
            if (!hardLinkRefused(error))
                throw;
            m_files.moveNoReplace(file.staged, probe);
            try {
                m_files.moveNoReplace(probe, file.staged);
            } catch (const std::system_error&) {
                restoreItems::removeQuietly(m_files, probe); // the backed-up bytes, which the backup holds
                throw;
            }
            return;
        }
    } catch (const std::system_error& error) {
        m_probedFolders.erase(folder);
        restoreItems::removeQuietly(m_files, file.staged);
        file.staged.clear();
        if (file.undoCopied && file.undo) { // another area may serve: its copy is made there
            restoreItems::removeQuietly(m_files, *file.undo);
            m_undoFiles.pop_back();
            file.undo.reset();
        }
        if (permissionRefused(error))
            throw OrvaneError::io(restoreTexts::folderNotWritable(file.destination));
        throw;
    }
    restoreItems::removeQuietly(m_files, probe);
}

// The file read must be the one linked, or hold what was copied, unchanged while its bytes are
// measured (the one read of the prior bytes). The destination's name is checked against it before its swap.
void RestoreRun::measurePriorBytes(PreparedRestoreFile& file, const BackupFile& record)
{
    const auto kept = m_folders.undoFolderOf(*file.undo).stamp(file.undo->filename());
    const FolderItem item = m_folders.keptItem(record, file.destination);
    const auto measured = measureSteadilyIn(item.folder, item.name, file.destination);
    const bool same = measured && kept
        && (file.undoCopied ? m_lastPriorCopy && measured->bytes == *m_lastPriorCopy
                            : measured->stamp.inode == kept->inode && measured->stamp.device == kept->device);
    if (!same || measured->stamp.size > std::uint64_t(INT64_MAX))
        throw OrvaneError::io(restoreTexts::changedWhilePreparing);
    file.priorSHA256 = measured->bytes.sha256;
    file.priorByteCount = std::int64_t(measured->bytes.byteCount);
    m_stamps.back().prior = measured->stamp;
}

} // namespace orvane
