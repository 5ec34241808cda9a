#include "records/RestoreRun.h"

#include "model/OrvaneError.h"
#include "platform/PathText.h"
#include "platform/SystemError.h"
#include "records/BackupReader.h"
#include "records/BackupStoreTexts.h"
#include "records/OutOfOpenFiles.h"
#include "records/RestoreTexts.h"

#include <cerrno>
#include <string_view>

#include <sys/stat.h>

namespace orvane {

// --- Created paths ---

// Created paths are moved into an undo folder, never deleted in place: a rollback can put each back,
// and only regular files are taken.
void RestoreRun::removeCreatedPaths()
{
    for (const QString& entry : m_manifest.createdPaths)
        setAside(entry);
}

// Looks at the created path and moves it aside through its folder opened once, without links.
void RestoreRun::setAside(const QString& entry)
{
    const std::filesystem::path path = standardised(pathFromText(entry));
    const auto folder
        = CheckedFolder::openIfPresent(m_folders.instance(), path.parent_path(), restoreTexts::createdPathLink);
    if (!folder)
        return;
    const std::filesystem::path name = path.filename();
    const auto look = folder->look(name);
    if (look.error == ENOENT)
        return;
    if (look.error != 0)
        throwSystemError(look.error, "stat", path);
    if (look.throughLink)
        throw OrvaneError::backupCorrupt(restoreTexts::createdPathLink);
    if (!S_ISREG(look.item.st_mode))
        throw OrvaneError::io(restoreTexts::notARegularFile(path));

    const std::filesystem::path aside = moveAside(*folder, path);
    // Nothing may be at its path now: something there means its folder was replaced since it was
    // opened, and the file goes back through the same descriptor.
    if (stampIfPossible(path)) {
        try {
            m_files.moveNoReplaceAt(FolderItem{AT_FDCWD, aside, aside}, folder->item(name));
        } catch (const std::system_error&) {
            m_setAside.push_back(SetAsideFile{aside, path});
        }
        throw OrvaneError::backupCorrupt(restoreTexts::createdPathLink);
    }
    m_setAside.push_back(SetAsideFile{aside, path});
    // What was moved may differ from what was looked at a moment before.
    struct stat st {};
    if (::lstat(aside.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        throw OrvaneError::io(restoreTexts::notARegularFile(path));
    m_deleted.push_back(entry);
}

// Moves the created file at `path` into the undo folder of the area serving its folder, recorded there
// first; returns where it is now.
std::filesystem::path RestoreRun::moveAside(const CheckedFolder& folder, const std::filesystem::path& path)
{
    std::filesystem::path aside;
    bool moving = false; // a failure before the move (its record's write) passes unchanged
    try {
        m_workspace.run(path.parent_path(), m_instance, [&](RestoreWorkspace::Area& area) {
            moving = false;
            m_workspace.makeUndoFolders(area, area.undoFolder);
            const std::filesystem::path asideName = restoreItems::setAsideName();
            aside = area.undoFolder / asideName;
            m_workspace.recordSetAside(area, SetAsideFile{asideName, path});
            moving = true;
            m_files.moveNoReplaceAt(folder.itemAt(path), FolderItem{AT_FDCWD, aside, aside});
        });
    } catch (const std::system_error& error) {
        if (!moving)
            throw;
        throw OrvaneError::io(restoreTexts::moveFailed(aside, error));
    }
    return aside;
}

// Each set-aside file goes back through its folder opened afresh without links; one put back is no
// longer the restore's to remove.
QStringList RestoreRun::putCreatedPathsBack()
{
    QStringList failures;
    for (auto it = m_setAside.rbegin(); it != m_setAside.rend();) {
        if (auto failure = restoreItems::putBack(m_files, m_folders.instance(), *it)) {
            failures.push_back(std::move(*failure));
            ++it;
        } else {
            it = std::make_reverse_iterator(m_setAside.erase(std::next(it).base()));
        }
    }
    return failures;
}

} // namespace orvane
