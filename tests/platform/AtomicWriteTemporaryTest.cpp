#include "platform/AtomicWriteTemporary.h"
#include "support/FaultyFileOperations.h"
#include "support/TempDir.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace orvane;
using namespace orvane::test;

TEST(AtomicWriteTemporary, OnlyTheNamesWriteAtomicallyMakesAreTakenForItsTemporaryFiles)
{
    struct Case {
        const char* name;
        std::optional<std::string_view> target;
    };
    const Case cases[] = {
        {".options.txt.orvane-tmp-Ab3xZ9", "options.txt"},
        {".runData.orvane-tmp-000000", "runData"},
        {"..orvane-restore-areas-0F8FAD5B.orvane-tmp-qwerty", ".orvane-restore-areas-0F8FAD5B"},
        {"options.txt.orvane-tmp-Ab3xZ9", std::nullopt},   // no leading dot
        {".options.txt.orvane-tmp-Ab3xZ", std::nullopt},   // five random characters
        {".options.txt.orvane-tmp-Ab3xZ99", std::nullopt}, // seven
        {".options.txt.orvane-tmp-Ab3-Z9", std::nullopt},  // not a character mkstemp uses
        {"..orvane-tmp-Ab3xZ9", std::nullopt},            // no target name
        {".options.txt.orvane-tmq-Ab3xZ9", std::nullopt},
        {".orvane-restore-stage-0F8FAD5B", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(atomicWriteTemporary::targetOf(c.name), c.target);
    }

    // The files mkstemp makes from the pattern are recognised as the target's.
    TempDir dir;
    for (const char* target : {"options.txt", "settings.json", ".orvane-restore-areas-X"}) {
        SCOPED_TRACE(target);
        const auto made = leaveAtomicWriteTemporary(dir / target);
        EXPECT_EQ(made.parent_path(), dir.path());
        EXPECT_EQ(atomicWriteTemporary::targetOf(made.filename().native()), std::string_view(target));
    }
}

TEST(AtomicWriteTemporary, TheCleanUpRemovesOnlyRegularTemporaryFilesOfTheTargetsItIsGiven)
{
    TempDir dir;
    const auto options = leaveAtomicWriteTemporary(dir / "options.txt");
    const auto other = leaveAtomicWriteTemporary(dir / "servers.dat");
    writeFile(dir / "options.txt", "fov:0.0\n");
    const auto linked = dir / ".options.txt.orvane-tmp-LINK00";
    std::filesystem::create_symlink(other, linked);
    const auto folder = dir / ".options.txt.orvane-tmp-DIR000";
    std::filesystem::create_directory(folder);
    const auto fifo = dir / ".options.txt.orvane-tmp-FIFO00";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // A folder reached through a link is not cleaned.
    std::filesystem::create_directory_symlink(dir.path(), dir / "alias");

    auto files = std::make_shared<FaultyFileOperations>();
    const auto isOptions = [](std::string_view target) { return target == "options.txt"; };
    atomicWriteTemporary::removeTemporaries(*files, dir / "alias", isOptions);
    EXPECT_TRUE(std::filesystem::exists(options));

    atomicWriteTemporary::removeTemporaries(*files, dir.path(), isOptions);
    EXPECT_FALSE(std::filesystem::exists(options));
    EXPECT_TRUE(std::filesystem::exists(other));
    EXPECT_TRUE(std::filesystem::is_symlink(linked));
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::symlink_status(fifo)));
    EXPECT_EQ(readFile(dir / "options.txt"), "fov:0.0\n");
    EXPECT_EQ(files->calls(FaultyFileOperations::Op::removeFile), 1);

    // A removal that fails leaves the file for the next time and stops nothing.
    const auto again = leaveAtomicWriteTemporary(dir / "options.txt");
    files->failOn(FaultyFileOperations::Op::removeFile, 1);
    atomicWriteTemporary::removeTemporaries(*files, dir.path(), isOptions);
    EXPECT_TRUE(std::filesystem::exists(again));
}
