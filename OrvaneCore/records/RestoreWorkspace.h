#pragma once

#include "platform/FileOperations.h"

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace orvane {

// Where one restore keeps its stages and the files it sets aside: always on the file system of the
// files they are renamed with, so that every commit is one rename whatever volume the instance is on.
// For each destination folder it takes the first of these that shares its file system: the
// application's private temporary folder, a private hidden folder ".orvane-restore" at the top of the
// root being restored, the destination folder itself.
class RestoreWorkspace final {
public:
    // One folder the restore works in.
    struct Area {
        std::filesystem::path folder;     // stages lie directly in it
        std::filesystem::path undoFolder; // orvane-restore-undo-<UUID> in it: files set aside
        bool undoMade = false;
        std::vector<std::filesystem::path> undoFolders; // below the undo folder, made by this restore
    };

    // `privateFolder` may be empty: then the hidden folders and the destination folders serve.
    RestoreWorkspace(FileOperations& files, std::filesystem::path privateFolder);

    // Runs `attempt` in the area for `destinationFolder` (a folder below `root`): the one that served
    // this folder before, or else each candidate in turn while the attempt fails with EXDEV (a rename
    // or link across file systems or mounts). Other failures end it at once.
    Area& run(const std::filesystem::path& destinationFolder, const std::filesystem::path& root,
              const std::function<void(Area&)>& attempt);

    // Creates `folder` (below the area's undo folder, which is made first) 0700, remembering what it made.
    void makeUndoFolders(Area& area, const std::filesystem::path& folder);

    // Flushes each file system an area lies on, once: the stages' bytes and the entries made so far
    // are on disk before anything is replaced.
    void syncFileSystems();

    // Every area in use, and the undo folders made.
    std::vector<Area*> areas();

    // Removes the hidden folders this restore made when nothing is left in them.
    void removeEmptyHiddenFolders() noexcept;

    // The hidden folder at the top of `root`.
    static std::filesystem::path hiddenFolder(const std::filesystem::path& root);

    // Removes what an interrupted restore left in `folder` (undo folders and stages; never a kept undo
    // folder or preserved bytes), and `folder` itself when it is a hidden folder left empty.
    static void removeInterruptedWork(FileOperations& files, const std::filesystem::path& folder) noexcept;

private:
    Area* areaAt(const std::filesystem::path& folder, bool hidden);

    FileOperations& m_files;
    std::filesystem::path m_privateFolder;
    std::optional<bool> m_privateUsable;
    std::map<std::filesystem::path, Area> m_areas;                       // by folder
    std::map<std::filesystem::path, std::filesystem::path> m_served;     // destination folder → area folder
    std::vector<std::filesystem::path> m_hiddenMade;
};

// Makes `folder` the restore's own: created 0700 when missing, tightened when it is not, never a link.
void preparePrivateFolder(FileOperations& files, const std::filesystem::path& folder);

} // namespace orvane
