#pragma once

#include "platform/FileOperations.h"
#include "records/CheckedFolder.h"
#include "records/RestoreCommitRecord.h"

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace orvane {

// The work areas of one restore (where each item lies and why: the protocol in RestoreRun.h). For each
// destination folder it takes the first of the places listed there that a rename from the folder
// reaches, so that stages and undo data are swapped or moved into place without crossing a file system,
// whatever volume the instance is on. A destination folder is named in the journal before it serves,
// and each area's undo folder gets its commit record when the commit begins.
class RestoreWorkspace final {
public:
    // One folder the restore works in.
    struct Area {
        std::filesystem::path folder;     // stages lie directly in it
        std::filesystem::path undoFolder; // orvane-restore-undo-<UUID> in it: undo data, set-aside paths, the record
        bool undoMade = false;
        bool recorded = false; // the undo folder holds the commit record
        std::vector<std::filesystem::path> undoFolders; // below the undo folder, made by this restore
        std::filesystem::path lastUndoFolder; // the one made or found last: files come folder by folder
        // The files staged here, which its commit record lists: filled in while staging, before beginCommit.
        std::vector<RestoreCommitRecord::File> files;
        std::vector<SetAsideFile> setAside; // created paths moved into the undo folder, each by its name there
    };

    // `privateFolder` may be empty (or turn out unusable): then the hidden folders and the destination
    // folders serve. `journal` is a file no one else uses (journalIn gives one): written, `record`'s
    // head before the folders, when a destination folder is about to serve; finish() removes it.
    RestoreWorkspace(FileOperations& files, std::filesystem::path privateFolder, std::filesystem::path journal,
                     RestoreCommitRecord record);

    // Runs `attempt` in the area for `destinationFolder` (a folder below `root`): the one that served
    // this folder before, or else each candidate in turn while the attempt fails with EXDEV (a rename
    // or link across file systems or mounts). Other failures end it at once.
    Area& run(const std::filesystem::path& destinationFolder, const std::filesystem::path& root,
              const std::function<void(Area&)>& attempt);

    // Creates `folder` (the area's undo folder or a folder below it; the undo folder is made first) 0700,
    // remembering the folders below the undo folder it made. Once the commit began, an undo folder that
    // does not hold the commit record yet gets it before anything is put in it.
    void makeUndoFolders(Area& area, const std::filesystem::path& folder);

    // Right before the first replacement: every area that serves gets an undo folder holding the commit
    // record, so that no clean-up removes undo data while the commit may be half done.
    void beginCommit();
    // Lists a created path in the area's commit record (rewritten once the commit began) before it is
    // moved into the undo folder as `item.aside`: an undo without the backup then knows where to put it
    // back.
    void recordSetAside(Area& area, SetAsideFile item);
    // Once every file holds the backed-up bytes again, or its prior bytes: removes the records, after
    // which the undo folders are leftovers like any other.
    void endCommit() noexcept;

    // Flushes each file system an area lies on, once: the stages' bytes and the entries made so far
    // are on disk before anything is replaced.
    void syncFileSystems();

    // Every area made so far, with the undo folders made in it; an area tried and passed over for a
    // rename across file systems (EXDEV) included, since it may hold an undo folder.
    std::vector<Area*> areas();

    // Removes the hidden folders this restore made when nothing is left in them, and the journal unless
    // an undo folder still holds its record (one a failed rollback keeps: the journal leads the next
    // recovery there). What the restore left then is either kept on purpose or not its own.
    void finish() noexcept;

    // The hidden folder at the top of `root`.
    static std::filesystem::path hiddenFolder(const std::filesystem::path& root);

    // Clears the work area open as `folder` of what an interrupted restore left (undo folders and
    // stages; never a kept undo folder, preserved bytes or an undo folder holding a commit record),
    // through its descriptor and never through a link, and removes `folder` itself when it is a hidden
    // folder left empty.
    // False when an undo folder (or a kept one) holding a record stays, or something could not go.
    static bool clearWorkArea(FileOperations& files, const CheckedFolder& folder) noexcept;

    // The undo folders in `folder`, kept ones included, that hold a commit record (or whose record
    // cannot be looked at): restores not yet finished or undone. In name order.
    static std::vector<std::filesystem::path> recordedUndoFolders(const std::filesystem::path& folder);

    // The journals in `folder` and the folders each names. A journal starts with its restore's commit
    // record (which backup, from where, onto what); one written before journals named their backup
    // holds folders only, and is read the same way.
    struct Journal {
        std::filesystem::path file;
        std::vector<std::filesystem::path> folders; // lexically standardised
        std::optional<RestoreCommitRecord> record;   // its restore (without files); none in older ones
    };
    static std::vector<Journal> journalsIn(FileOperations& files, const std::filesystem::path& folder);

    // A fresh journal name in `folder`.
    static std::filesystem::path journalIn(const std::filesystem::path& folder);

    // Removes what interrupted restores left in the folders their journals in `folder` name, each as
    // `open` opens it for its journal (nothing for a folder it may not clean), and the temporary files
    // of journals cut off while written. A journal goes once every folder it names was cleaned; one
    // naming folders of another instance stays for the clean-up that reaches them.
    static void removeJournaledWork(
        FileOperations& files, const std::filesystem::path& folder,
        const std::function<std::optional<CheckedFolder>(const Journal&, const std::filesystem::path&)>& open) noexcept;

private:
    enum class Place { privateFolder, hidden, destination };

    Area* areaAt(const std::filesystem::path& folder, Place place);
    void journal(const std::filesystem::path& folder);
    void writeRecord(Area& area);

    FileOperations& m_files;
    std::filesystem::path m_privateFolder;
    std::optional<bool> m_privateUsable;
    std::map<std::filesystem::path, Area> m_areas;                       // by folder
    std::map<std::filesystem::path, std::filesystem::path> m_served;     // destination folder → area folder
    std::filesystem::path m_lastServed; // the destination folder served last, and its area
    Area* m_lastArea = nullptr;
    std::vector<std::filesystem::path> m_hiddenMade;
    std::filesystem::path m_journal;
    std::vector<std::filesystem::path> m_journaled; // destination folders named in the journal
    RestoreCommitRecord m_record;
    bool m_committing = false;
};

// Makes `folder` the restore's own: created 0700 when missing, tightened when it is not, never a link.
void preparePrivateFolder(FileOperations& files, const std::filesystem::path& folder);

} // namespace orvane
