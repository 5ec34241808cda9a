#include "model/FileDigest.h"
#include "platform/HexDigest.h"
#include "platform/Sha256.h"
#include "support/TempDir.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <system_error>

#include <sys/stat.h>

using namespace orvane;
using orvane::test::TempDir;

TEST(FileDigest, EmptyFileHasThePublishedDigest)
{
    TempDir dir;
    test::writeFile(dir / "empty", {});
    EXPECT_EQ(sha256Hex(dir / "empty"),
              QStringLiteral("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"));
}

TEST(FileDigest, ChunkBoundariesGiveTheWholeFileDigest)
{
    TempDir dir;
    for (const qsizetype size : {qsizetype(1) << 20, (qsizetype(1) << 20) + 1, qsizetype(3) * (1 << 20) - 7}) {
        QByteArray bytes(size, '\0');
        for (qsizetype i = 0; i < size; ++i)
            bytes[i] = char((i * 131) ^ (i >> 9));
        test::writeFile(dir / "f", bytes);
        EXPECT_EQ(sha256Hex(dir / "f"), QString::fromLatin1(Sha256::digest(bytes).toHex())) << size;
    }
}

TEST(FileDigest, KnownVectorAndHexPairs)
{
    TempDir dir;
    test::writeFile(dir / "abc", "abc");
    EXPECT_EQ(sha256Hex(dir / "abc"),
              QStringLiteral("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"));
    const QStringList pairs = hexByteStrings(QByteArray::fromHex("00ff0a"));
    EXPECT_EQ(pairs, (QStringList{"00", "ff", "0a"}));
}

TEST(FileDigest, MissingFileThrowsThePlatformError)
{
    TempDir dir;
    try {
        sha256Hex(dir / "missing");
        FAIL() << "expected an error";
    } catch (const std::system_error& e) {
        EXPECT_EQ(e.code().value(), ENOENT);
    }
}

TEST(FileDigest, SpecialFilesAreRefusedNotReadForever)
{
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    EXPECT_THROW(sha256Hex(dir / "fifo"), std::system_error);
    EXPECT_THROW(sha256Hex("/dev/zero"), std::system_error);
    test::writeFile(dir / "f", "abc");
    std::filesystem::create_symlink(dir / "f", dir / "link");
    EXPECT_EQ(sha256Hex(dir / "link"), sha256Hex(dir / "f"));
}
