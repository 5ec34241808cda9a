#include "platform/FileOperations.h"
#include "platform/PathText.h"
#include "platform/Sha256.h"
#include "support/FaultyFileOperations.h"
#include "support/TempDir.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace orvane;
using orvane::test::FaultyFileOperations;
using orvane::test::TempDir;
using orvane::test::readFile;
using orvane::test::writeFile;

namespace {

int entriesIn(const std::filesystem::path& dir)
{
    int n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir))
        ++n;
    return n;
}

mode_t modeOf(const std::filesystem::path& p)
{
    struct stat st {};
    ::stat(p.c_str(), &st);
    return st.st_mode & 0777;
}

} // namespace

TEST(AtomicWrite, ReplacesWholeFileWithModeAndLeavesNoTemporary)
{
    TempDir dir;
    auto files = FileOperations::system();
    writeFile(dir / "f.json", "old");
    files->writeAtomically(dir / "f.json", "new bytes", 0600);
    EXPECT_EQ(readFile(dir / "f.json"), QByteArray("new bytes"));
    EXPECT_EQ(modeOf(dir / "f.json"), 0600u);
    EXPECT_EQ(entriesIn(dir.path()), 1);
}

TEST(AtomicWrite, FailureLeavesTheOldFileAndNoTemporary)
{
    TempDir dir;
    writeFile(dir / "f", "old");
    auto files = FileOperations::system();
    // Renaming over a folder fails after the temporary file was written.
    std::filesystem::create_directory(dir / "d");
    EXPECT_THROW(files->writeAtomically(dir / "d", "x"), std::system_error);
    EXPECT_EQ(entriesIn(dir.path()), 2);
    EXPECT_THROW(files->writeAtomically(dir / "missing" / "f", "x"), std::system_error);
    EXPECT_EQ(readFile(dir / "f"), QByteArray("old"));
}

TEST(BoundedRead, RefusesSpecialFilesLargeFilesAndLinksWhenAsked)
{
    TempDir dir;
    auto files = FileOperations::system();
    writeFile(dir / "small", "12345");
    EXPECT_EQ(files->readRegularFile(dir / "small", 5), QByteArray("12345"));
    EXPECT_THROW(files->readRegularFile(dir / "small", 4), std::system_error);
    // No limit at all still reads the whole file.
    EXPECT_EQ(files->readRegularFile(dir / "small", UINT64_MAX), QByteArray("12345"));
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    EXPECT_THROW(files->readRegularFile(dir / "fifo", 100), std::system_error); // must not hang
    EXPECT_FALSE(readFileIfPossible(*files, dir / "fifo", 100));
    EXPECT_FALSE(readFileIfPossible(*files, "/dev/zero", 100));
    EXPECT_FALSE(readFileIfPossible(*files, dir.path(), 100));
    std::filesystem::create_symlink(dir / "small", dir / "link");
    EXPECT_TRUE(readFileIfPossible(*files, dir / "link", 100));
    EXPECT_FALSE(readFileIfPossible(*files, dir / "link", 100, false));
}

TEST(CloneOrCopy, DigestAndSizeDescribeTheCopy)
{
    TempDir dir;
    auto files = FileOperations::system();
    QByteArray bytes(3 * 1024 * 1024 + 5, 'q');
    writeFile(dir / "src", bytes);
    ::chmod((dir / "src").c_str(), 0640);
    const CopiedFile copied = files->cloneOrCopy(dir / "src", dir / "dst");
    EXPECT_EQ(copied.byteCount, std::uint64_t(bytes.size()));
    EXPECT_EQ(copied.sha256, QString::fromLatin1(Sha256::digest(bytes).toHex()));
    EXPECT_EQ(readFile(dir / "dst"), bytes);
    EXPECT_EQ(modeOf(dir / "dst"), 0640u);
}

TEST(CloneOrCopy, RefusesLinksSpecialFilesAndExistingTargets)
{
    TempDir dir;
    auto files = FileOperations::system();
    writeFile(dir / "src", "x");
    writeFile(dir / "exists", "keep");
    std::filesystem::create_symlink(dir / "src", dir / "link");
    ::mkfifo((dir / "fifo").c_str(), 0600);
    EXPECT_THROW(files->cloneOrCopy(dir / "link", dir / "a"), std::system_error);
    EXPECT_THROW(files->cloneOrCopy(dir / "fifo", dir / "b"), std::system_error);
    EXPECT_THROW(files->cloneOrCopy(dir / "src", dir / "exists"), std::system_error);
    EXPECT_FALSE(std::filesystem::exists(dir / "a"));
    EXPECT_FALSE(std::filesystem::exists(dir / "b"));
    EXPECT_EQ(readFile(dir / "exists"), QByteArray("keep"));
    std::filesystem::create_symlink(dir / "elsewhere", dir / "dangling");
    EXPECT_THROW(files->cloneOrCopy(dir / "src", dir / "dangling"), std::system_error);
    EXPECT_FALSE(std::filesystem::exists(dir / "elsewhere"));
}

TEST(Renames, SwapAndNoReplaceAreAtomicAndRefuseOverwrites)
{
    TempDir dir;
    auto files = FileOperations::system();
    writeFile(dir / "a", "A");
    writeFile(dir / "b", "B");
    files->swap(dir / "a", dir / "b");
    EXPECT_EQ(readFile(dir / "a"), QByteArray("B"));
    EXPECT_EQ(readFile(dir / "b"), QByteArray("A"));
    EXPECT_THROW(files->moveNoReplace(dir / "a", dir / "b"), std::system_error);
    EXPECT_EQ(readFile(dir / "b"), QByteArray("A"));
    files->moveNoReplace(dir / "a", dir / "c");
    EXPECT_FALSE(std::filesystem::exists(dir / "a"));
    EXPECT_THROW(files->swap(dir / "c", dir / "missing"), std::system_error);
}

TEST(CreateDirectories, CreatesWithModeAndRefusesFilesInTheWay)
{
    TempDir dir;
    auto files = FileOperations::system();
    files->createDirectories(dir / "x" / "y", 0700);
    EXPECT_EQ(modeOf(dir / "x" / "y"), 0700u);
    files->createDirectories(dir / "x" / "y", 0700);
    writeFile(dir / "file", "f");
    EXPECT_THROW(files->createDirectories(dir / "file" / "z", 0700), std::system_error);
}

TEST(FaultyFileOperations, FailsTheNthCallAndCorruptsCopies)
{
    TempDir dir;
    FaultyFileOperations files;
    writeFile(dir / "src", "hello");
    files.failOn(FaultyFileOperations::Op::cloneOrCopy, 2);
    files.corruptCopy(1);
    const CopiedFile first = files.cloneOrCopy(dir / "src", dir / "one", false);
    EXPECT_NE(readFile(dir / "one"), QByteArray("hello"));
    EXPECT_EQ(first.byteCount, 5u);
    EXPECT_THROW(files.cloneOrCopy(dir / "src", dir / "two", false), std::system_error);
    EXPECT_FALSE(std::filesystem::exists(dir / "two"));
    files.cloneOrCopy(dir / "src", dir / "three", false);
}

TEST(PathText, StandardisedAndContainment)
{
    EXPECT_EQ(standardised("/a/b/../c/"), std::filesystem::path("/a/c"));
    EXPECT_EQ(standardised("/"), std::filesystem::path("/"));
    EXPECT_TRUE(isContained("/a/b/c", "/a/b"));
    EXPECT_FALSE(isContained("/a/bc", "/a/b"));
    EXPECT_FALSE(isContained("/a/b", "/a/b"));
    EXPECT_TRUE(isSameOrContained("/a/b/", "/a/b"));
    EXPECT_TRUE(isContained("/x", "/"));
    EXPECT_FALSE(exactPathText(std::filesystem::path(std::string("a\xc3"))));
    EXPECT_EQ(*exactPathText("caf\xc3\xa9"), QStringLiteral("caf\u00e9"));
}
