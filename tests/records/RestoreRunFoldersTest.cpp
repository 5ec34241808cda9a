#include "model/OrvaneError.h"
#include "platform/PathText.h"
#include "records/BackupStoreTexts.h"
#include "records/RestoreRunFolders.h"
#include "records/RestoreTexts.h"

#include "support/QtPrinters.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <functional>

using namespace orvane;
using orvane::test::TempDir;
using orvane::test::writeFile;

namespace {

struct Roots {
    TempDir dir;
    std::filesystem::path backup = standardised(dir / "backup");
    std::filesystem::path instance = standardised(dir / "instance");
    std::filesystem::path technic = standardised(dir / "technic");

    Roots()
    {
        writeFile(dir / "elsewhere/World/level.dat", "someone else's");
        for (const auto& root : {backup, instance, technic})
            std::filesystem::create_directories(root);
    }
};

BackupFile fileAt(const QString& relativePath, const std::filesystem::path& destination)
{
    return BackupFile{relativePath, pathText(destination), QString(64, QLatin1Char('0')), 14};
}

} // namespace

// A file is never reached through a link: not in the backup, not at its destination by any of the ways
// the run reaches it, and the launcher's settings not at all without a Technic root.
TEST(RestoreRunFolders, EveryWayToAFileThroughALinkIsRefusedWithTheRestoresSentence)
{
    struct Case {
        const char* name;
        const char* linked; // below the roots' folder, made a link to the folder elsewhere
        bool withTechnic;
        std::function<void(RestoreRunFolders&, const BackupFile&)> reach;
        QLatin1String text;
    };
    const auto world = [](const BackupFile& file) { return standardised(pathFromText(file.originalPath)); };
    const Case cases[] = {
        {"the backed-up copy", "backup/saves", true,
         [](RestoreRunFolders& folders, const BackupFile& file) { folders.sourceOf(file); },
         restoreTexts::sourceBecameLink},
        {"a look at the destination", "instance/saves", true,
         [&](RestoreRunFolders& folders, const BackupFile& file) {
             folders.lookAtDestination(file, world(file));
         },
         restoreTexts::destinationBecameLink},
        {"the destination by its kept folder", "instance/saves", true,
         [&](RestoreRunFolders& folders, const BackupFile& file) { folders.keptItem(file, world(file)); },
         restoreTexts::destinationBecameLink},
        {"the destination's folder opened afresh", "instance/saves", true,
         [&](RestoreRunFolders& folders, const BackupFile& file) {
             folders.openDestinationFolder(file, world(file));
         },
         restoreTexts::destinationBecameLink},
        {"the launcher's settings without a Technic root", nullptr, false,
         [](RestoreRunFolders& folders, const BackupFile&) {
             folders.foldersOf(BackupFile{backupTexts::technicSettingsPath, {}, {}, 0});
         },
         restoreTexts::destinationBecameLink},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Roots roots;
        if (c.linked)
            std::filesystem::create_directory_symlink(roots.dir / "elsewhere", roots.dir / c.linked);
        RestoreRunFolders folders(roots.backup, roots.instance,
                                  c.withTechnic ? std::optional(roots.technic) : std::nullopt);
        const BackupFile file = fileAt("saves/World/level.dat", roots.instance / "saves/World/level.dat");
        try {
            c.reach(folders, file);
            ADD_FAILURE() << "reached through a link";
        } catch (const OrvaneError& e) {
            EXPECT_EQ(e.kind(), OrvaneError::Kind::backupCorrupt);
            EXPECT_EQ(e.text(), c.text);
        }
    }
}

// Each file goes below its own root, and the folders it is staged and kept in are opened once for the
// files that follow in them.
TEST(RestoreRunFolders, EachFileGoesBelowItsRootThroughFoldersOpenedOnceForTheFilesThatFollow)
{
    Roots roots;
    RestoreRunFolders folders(roots.backup, roots.instance, roots.technic);
    const BackupFile settings = fileAt(backupTexts::technicSettingsPath, roots.technic / "settings.json");
    const BackupFile level = fileAt("saves/World/level.dat", roots.instance / "saves/World/level.dat");
    EXPECT_EQ(folders.foldersOf(settings).root(), roots.technic);
    EXPECT_EQ(folders.foldersOf(level).root(), roots.instance);

    std::filesystem::create_directories(roots.instance / "saves/World");
    const CheckedFolder destination = folders.openDestinationFolder(level, roots.instance / "saves/World/level.dat");
    PreparedRestoreFile file;
    file.staged = roots.instance / "saves/World/.stage-a";
    EXPECT_EQ(&folders.stageFolderOf(file, destination), &destination); // staged beside the destination
    std::filesystem::create_directories(roots.dir / "area");
    file.staged = roots.dir / "area/.stage-b";
    const CheckedFolder* area = &folders.stageFolderOf(file, destination);
    EXPECT_EQ(area->path(), roots.dir / "area");
    file.staged = roots.dir / "area/.stage-c";
    EXPECT_EQ(&folders.stageFolderOf(file, destination), area);

    std::filesystem::create_directories(roots.dir / "undo/saves/World");
    std::filesystem::create_directories(roots.dir / "undo/saves/Other");
    EXPECT_EQ(folders.undoFolderOf(roots.dir / "undo/saves/World/level.dat").path(), roots.dir / "undo/saves/World");
    // The folder kept open is the one first asked for, even once another lies at its path.
    std::filesystem::rename(roots.dir / "undo/saves/World", roots.dir / "undo/saves/Moved");
    std::filesystem::create_directories(roots.dir / "undo/saves/World");
    writeFile(roots.dir / "undo/saves/Moved/level.dat", "prior");
    EXPECT_TRUE(folders.undoFolderOf(roots.dir / "undo/saves/World/session.lock").stamp("level.dat"));
    EXPECT_EQ(folders.undoFolderOf(roots.dir / "undo/saves/Other/level.dat").path(), roots.dir / "undo/saves/Other");
    EXPECT_FALSE(folders.undoFolderOf(roots.dir / "undo/saves/World/level.dat").stamp("level.dat"));
}
