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

TEST(CloneOrCopy, CopiesReadsAndDigestsOfAnySizeNeverShowAnEarlierFilesBytes)
{
    // One buffer serves every copy, read and digest of a thread: sizes around its 1 MiB, larger
    // files first, so that bytes left over from an earlier file would show.
    TempDir dir;
    auto files = FileOperations::system();
    const std::size_t mib = std::size_t(1) << 20;
    struct Case {
        std::size_t size;
        char fill;
    };
    const Case cases[] = {{2 * mib + 3, 'a'}, {mib + 1, 'b'}, {mib, 'c'}, {mib - 1, 'd'},
                          {4096, 'e'},        {1, 'f'},       {0, 'g'},   {3 * mib, 'h'}};
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        QByteArray bytes(qsizetype(c.size), c.fill);
        if (!bytes.isEmpty())
            bytes[bytes.size() - 1] = 'z'; // the last byte of each file differs from its fill
        const auto source = dir / ("src" + std::to_string(n));
        const auto target = dir / ("dst" + std::to_string(n++));
        writeFile(source, bytes);
        const QString digest = QString::fromLatin1(Sha256::digest(bytes).toHex());
        const CopiedFile copied = files->cloneOrCopy(source, target);
        EXPECT_EQ(copied, (CopiedFile{c.size, digest}));
        EXPECT_EQ(readFile(target), bytes);
        EXPECT_EQ(files->readRegularFile(target, c.size), bytes);
        EXPECT_EQ(files->readRegularFile(source, UINT64_MAX), bytes);
        if (c.size > 0) {
            EXPECT_THROW(files->readRegularFile(source, c.size - 1), std::system_error);
        }
    }
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

TEST(CreateDirectories, MakesOnlyWhatIsMissingAndNamesTheFileInTheWay)
{
    TempDir dir;
    auto files = FileOperations::system();
    writeFile(dir / "file", "f");
    files->createDirectories(dir / "real", 0755);
    std::filesystem::create_directory_symlink(dir / "real", dir / "alias");
    struct Case {
        const char* path;
        const char* error; // empty: made
    };
    const Case cases[] = {
        {"one", ""},
        {"two/three/four", ""},
        {"two/three/four", ""}, // exists already
        {"two/three/four/", ""},
        {"alias/inside/deeper", ""}, // a folder reached through a link is still a folder
        {"file", "create folder {}/file"},
        {"file/below/deeper", "create folder {}/file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        try {
            files->createDirectories(dir / c.path, 0700);
            EXPECT_STREQ(c.error, "");
            EXPECT_TRUE(std::filesystem::is_directory(dir / c.path));
        } catch (const std::system_error& e) {
            std::string expected = c.error;
            expected.replace(expected.find("{}"), 2, dir.path().native());
            EXPECT_EQ(std::string(e.what()).substr(0, expected.size()), expected);
            EXPECT_EQ(e.code().value(), ENOTDIR);
        }
    }
    EXPECT_EQ(modeOf(dir / "two/three"), 0700u);
    EXPECT_TRUE(std::filesystem::is_directory(dir / "real/inside/deeper"));
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
    // Paths taken as they are and paths normalised give what normalising every path gives.
    for (const char* path : {"/a/b", "a/b", "/", ".", "..", "/a/./b", "/a/../b", "//a", "/a//b", "a/b/", "/a/b/.",
                             "/a/..", "/.hidden/..dots", "a", "/a/b/.../c", ""}) {
        std::string expected = std::filesystem::path(path).lexically_normal().native();
        while (expected.size() > 1 && expected.back() == '/')
            expected.pop_back();
        EXPECT_EQ(standardised(path).native(), expected) << path;
    }
    EXPECT_TRUE(isContained("a/b", "a"));
    EXPECT_FALSE(isContained("/", "/"));
    EXPECT_TRUE(isContained("/a/./b", "/a/"));
    EXPECT_FALSE(exactPathText(std::filesystem::path(std::string("a\xc3"))));
    EXPECT_EQ(*exactPathText("caf\xc3\xa9"), QStringLiteral("caf\u00e9"));
}

TEST(PathText, JoinedFolderAndNameTextsAgreeWithPaths)
{
    for (const char* folder : {"/a/b", "/", "", "a", "a/"}) {
        for (const char* relative : {"x", "x/y.dat", "..dots/.hidden"})
            EXPECT_EQ(joinedText(folder, relative), (std::filesystem::path(folder) / relative).native())
                << folder << " " << relative;
    }
    for (const char* path : {"/a/b/c.dat", "/a", "/", "/a/b"}) {
        const std::filesystem::path p(path);
        const std::string expected = p.has_relative_path() ? p.parent_path().native() : "/";
        EXPECT_EQ(folderText(path), expected) << path;
        EXPECT_EQ(nameText(path), p.filename().native()) << path;
    }
}

// Many files in several folders (enough for the system's implementation to spread them over threads),
// a name already gone, a folder that is a link, a folder below one that is a link and a file left off
// the list: every listed file of a folder reached without links goes, nothing else, and the default
// through removeFileAt does the same one call per file.
TEST(RemoveFilesQuietly, RemovesEveryListedFileOfTheFoldersThemselvesAndNothingElse)
{
    TempDir dir;
    auto faulty = std::make_shared<FaultyFileOperations>();
    const std::pair<const char*, std::shared_ptr<FileOperations>> implementations[] = {
        {"system", FileOperations::system()}, {"default", faulty}};
    for (const auto& [name, files] : implementations) {
        SCOPED_TRACE(name);
        const std::filesystem::path root = dir / name;
        std::vector<FolderFiles> listed;
        for (int f = 0; f < 3; ++f) {
            FolderFiles folder{root, root / ("f" + std::to_string(f)), {}};
            std::filesystem::create_directories(folder.folder);
            for (int i = 0; i < 300; ++i) {
                folder.names.push_back("r." + std::to_string(i));
                writeFile(folder.folder / folder.names.back(), "x");
            }
            folder.names.push_back("gone");
            listed.push_back(std::move(folder));
        }
        writeFile(root / "f1" / "kept", "k");
        std::filesystem::create_directories(root / "target");
        writeFile(root / "target" / "r.0", "outside");
        writeFile(root / "target" / "below" / "r.0", "outside");
        std::filesystem::create_directory_symlink(root / "target", root / "link");
        listed.push_back(FolderFiles{root, root / "link", {"r.0"}});
        listed.push_back(FolderFiles{root, root / "link" / "below", {"r.0"}});

        files->removeFilesQuietly(listed);
        for (int f = 0; f < 3; ++f)
            EXPECT_EQ(entriesIn(root / ("f" + std::to_string(f))), f == 1 ? 1 : 0);
        EXPECT_EQ(readFile(root / "target" / "r.0"), QByteArray("outside"));
        EXPECT_EQ(readFile(root / "target" / "below" / "r.0"), QByteArray("outside"));
    }
    EXPECT_EQ(faulty->calls(FaultyFileOperations::Op::removeFile), 3 * 301);
}
