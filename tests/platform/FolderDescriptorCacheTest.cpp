#include "platform/FolderDescriptorCache.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <string>
#include <string_view>

#include <sys/stat.h>

using namespace orvane;
using orvane::test::TempDir;
using orvane::test::writeFile;

namespace {

// root/a/b/file, root/a/file, root/linked -> a, root/a/lb -> b, root/a/lf -> file, root/plain (a file),
// rootLink -> root, outside/secret.
struct Tree {
    TempDir dir;
    std::filesystem::path root = dir / "root";
    Tree()
    {
        writeFile(root / "a/b/file", "b");
        writeFile(root / "a/file", "a");
        writeFile(root / "plain", "p");
        writeFile(dir / "outside/secret", "s");
        std::filesystem::create_directory_symlink(root / "a", root / "linked");
        std::filesystem::create_directory_symlink(root / "a/b", root / "a/lb");
        std::filesystem::create_symlink(root / "a/file", root / "a/lf");
        std::filesystem::create_directory_symlink(root, dir / "rootLink");
    }
};

} // namespace

TEST(FolderDescriptorCache, ALinkAtAnyLevelBelowTheRootOrAPathOutsideItIsFound)
{
    Tree tree;
    struct Case {
        const char* path;
        bool throughLink;
    };
    const Case cases[] = {
        {"root/a/b/file", false},
        {"root/a/file", false},
        {"root/a/b", false},
        {"root/a/missing/deeper", false}, // nothing to look at is no link
        {"root/plain/below", false},      // nor is a file used as a folder
        {"root/linked", true},            // the link itself
        {"root/linked/b/file", true},     // a link at the top
        {"root/a/lb/file", true},         // a link in the middle
        {"root/a/lf", true},              // a link as the last component
        {"root/a/../linked/file", true},  // standardised before it is walked
        {"root", true},                   // the root itself is not below the root
        {"rootx/a", true},
        {"root/../outside/secret", true},
    };
    FolderDescriptorCache folders(tree.root);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(folders.look(tree.dir / c.path).throughLink, c.throughLink);
        // A fresh cache answers alike: what is kept never changes an answer.
        EXPECT_EQ(FolderDescriptorCache(tree.root).look(tree.dir / c.path).throughLink, c.throughLink);
        // Walked again from the root, the answer is the same.
        EXPECT_EQ(folders.lookNow(tree.dir / c.path).throughLink, c.throughLink);
    }
    // A root given through a link is taken as given.
    EXPECT_FALSE(FolderDescriptorCache(tree.dir / "rootLink").look(tree.dir / "rootLink/a/b/file").throughLink);
    // A root that does not exist has nothing below it to be a link.
    EXPECT_FALSE(FolderDescriptorCache(tree.dir / "none").look(tree.dir / "none/a").throughLink);
}

TEST(FolderDescriptorCache, LookingAtEntriesTellsWhyAFolderCannotBeReached)
{
    Tree tree;
    struct Case {
        const char* path;
        int error; // 0: looked at
        bool regular;
    };
    const Case cases[] = {
        {"root/a/b/file", 0, true},   {"root/a/lf", 0, false},          {"root/a/b", 0, false},
        {"root/a/nofile", ENOENT, false}, {"root/no/file", ENOENT, false}, {"root/plain/x", ENOTDIR, false},
        {"root/linked/file", ELOOP, false}, {"root/a/lb/file", ELOOP, false}, {"outside/secret", EXDEV, false},
    };
    FolderDescriptorCache folders(tree.root);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        // A look through the kept folders and a fresh walk find the same.
        const bool link = c.error == ELOOP || c.error == EXDEV || std::string_view(c.path).ends_with("/lf");
        for (const auto& look :
             {folders.look(tree.dir / c.path), FolderDescriptorCache(tree.root).lookNow(tree.dir / c.path)}) {
            EXPECT_EQ(look.error, c.error);
            EXPECT_EQ(look.throughLink, link);
            if (look.error == 0) {
                EXPECT_EQ(S_ISREG(look.item.st_mode), c.regular);
            }
        }
    }
    EXPECT_GE(folders.kept(tree.root / "a/b"), 0);
    EXPECT_GE(folders.kept(tree.root), 0);
    errno = 0;
    EXPECT_EQ(folders.kept(tree.root / "linked"), -1);
    EXPECT_EQ(errno, ELOOP);
}

TEST(FolderDescriptorCache, EachFolderIsOpenedOnceWhateverTheFilesBelowIt)
{
    TempDir dir;
    const auto root = dir / "root";
    for (int i = 0; i < 50; ++i)
        writeFile(root / ("w" + std::to_string(i % 2)) / "region" / ("r." + std::to_string(i)), "x");
    FolderDescriptorCache folders(root);
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < 50; ++i)
            ASSERT_FALSE(folders.look(root / ("w" + std::to_string(i % 2)) / "region" / ("r." + std::to_string(i))).throughLink);
    }
    // The root and the two region folders, each opened straight from the root.
    EXPECT_EQ(folders.openedFolders(), 3u);
}

TEST(FolderDescriptorCache, AFolderChangedAfterItsCheckIsSeenWhereItMatters)
{
    // Each change happens after `path` was checked once; `kept` is the cached answer afterwards,
    // `now` the answer of a fresh walk.
    struct Case {
        const char* name;
        const char* path;
        std::function<void(const std::filesystem::path& root, const std::filesystem::path& dir)> change;
        bool kept;
        bool now;
    };
    const Case cases[] = {
        // The same folder reached through a link: its inode alone would not tell.
        {"a kept folder moved and linked back", "root/a/b/file",
         [](const auto& root, const auto& dir) {
             std::filesystem::rename(root / "a", dir / "moved");
             std::filesystem::create_directory_symlink(dir / "moved", root / "a");
         },
         false, true},
        {"a kept folder's file replaced by a link", "root/a/file",
         [](const auto& root, const auto& dir) {
             std::filesystem::remove(root / "a/file");
             std::filesystem::create_symlink(dir / "outside/secret", root / "a/file");
         },
         true, true},
        // A folder found missing is not remembered as missing.
        {"a missing folder later made a link", "root/new/file",
         [](const auto& root, const auto& dir) { std::filesystem::create_directory_symlink(dir / "outside", root / "new"); },
         true, true},
        {"a missing folder later made", "root/new/file",
         [](const auto& root, const auto&) { std::filesystem::create_directories(root / "new"); }, false, false},
        {"a link removed", "root/linked/file",
         [](const auto& root, const auto&) { std::filesystem::remove(root / "linked"); }, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Tree tree;
        FolderDescriptorCache folders(tree.root);
        const auto path = tree.dir / c.path;
        ASSERT_EQ(folders.look(path).throughLink, std::string(c.path) == "root/linked/file");
        c.change(tree.root, tree.dir.path());
        EXPECT_EQ(folders.look(path).throughLink, c.kept);
        EXPECT_EQ(folders.lookNow(path).throughLink, c.now);
    }
}
