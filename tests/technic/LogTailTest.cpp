#include "technic/LogTail.h"

#include "support/FixtureHome.h"
#include "support/LogFiles.h"
#include "support/TempDir.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace orvane;
using namespace orvane::test;

TEST(LogTail, ReadsOnlyWhatWasAppendedSinceTheLastRead)
{
    TempDir dir;
    const auto log = dir / "latest.log";
    writeFile(log, QByteArray(100000, 'x'));
    LogTail tail(log);
    tail.skipExisting();
    EXPECT_EQ(tail.offset(), 100000u);
    EXPECT_EQ(tail.readNew(), QString());

    appendFile(log, "first line\n");
    EXPECT_EQ(tail.readNew(), QStringLiteral("first line\n"));
    EXPECT_EQ(tail.readNew(), QString());
    appendFile(log, "second\n");
    EXPECT_EQ(tail.readNew(), QStringLiteral("second\n"));
    // The large start of the file was never read.
    EXPECT_EQ(tail.bytesRead(), 18u);
}

TEST(LogTail, KeepsACharacterSplitAcrossWritesForTheNextRead)
{
    TempDir dir;
    const auto log = dir / "latest.log";
    const QString text = QStringLiteral("Tekkit 2\u2019s world \u00e9 \U0001F600 \u4e16\u754c end");
    const QByteArray bytes = text.toUtf8();
    LogTail tail(log);
    QString read;
    // One byte per write: every split inside every character is met once.
    for (const char byte : bytes) {
        appendFile(log, QByteArray(1, byte));
        read += tail.readNew();
    }
    EXPECT_EQ(read, text);
    EXPECT_FALSE(read.contains(QChar::ReplacementCharacter));
}

TEST(LogTail, ReplacesInvalidBytesInsteadOfDroppingTheChunk)
{
    TempDir dir;
    const auto log = dir / "latest.log";
    LogTail tail(log);
    appendFile(log, QByteArray("before \xFF\xFE after\n"));
    EXPECT_EQ(tail.readNew(), QStringLiteral("before \uFFFD\uFFFD after\n"));
    // A lead byte followed by a non-continuation byte is invalid, not held back forever.
    appendFile(log, QByteArray("\xE2" "A\n"));
    EXPECT_EQ(tail.readNew(), QStringLiteral("\uFFFDA\n"));
}

TEST(LogTail, ReadsATruncatedLogFromItsStart)
{
    TempDir dir;
    const auto log = dir / "latest.log";
    writeFile(log, "a long first session of text\n");
    LogTail tail(log);
    tail.skipExisting();
    truncateFile(log, 0);
    appendFile(log, "fresh\n");
    EXPECT_EQ(tail.readNew(), QStringLiteral("fresh\n"));
}

TEST(LogTail, StartingInsideACharacterDropsItsRestQuietly)
{
    TempDir dir;
    const auto log = dir / "latest.log";
    const QByteArray euro = QStringLiteral("\u20ac").toUtf8();
    writeFile(log, QByteArray("x") + euro.left(1));
    LogTail tail(log);
    tail.skipExisting();
    appendFile(log, euro.mid(1) + "after\n");
    EXPECT_EQ(tail.readNew(), QStringLiteral("after\n"));
}

TEST(LogTail, NeverReadsLinksFoldersOrFifos)
{
    TempDir dir;
    writeFile(dir / "target.log", "secret\n");
    std::filesystem::create_symlink(dir / "target.log", dir / "link.log");
    std::filesystem::create_directories(dir / "folder.log");
    FixtureHome::makeFifo(dir / "fifo.log");
    for (const char* name : {"link.log", "folder.log", "fifo.log"}) {
        LogTail tail(dir / name);
        EXPECT_EQ(tail.readNew(), QString()) << name;
    }
}

TEST(LogTail, WithEdgesReadsTheHeadAndTheTailOfALargeFile)
{
    TempDir dir;
    const auto report = dir / "crash.txt";
    const QByteArray head = "---- Minecraft Crash Report ----\n";
    const QByteArray middle(30000, 'm');
    const QByteArray end = "\n-- System Details --\nend of report\n";
    writeFile(report, head + middle + end);
    LogTail tail(report, 8000);
    const QString text = tail.readNew();
    EXPECT_TRUE(text.startsWith(QString::fromUtf8(head)));
    EXPECT_TRUE(text.endsWith(QString::fromUtf8(end)));
    EXPECT_EQ(text.size(), 16000);
    EXPECT_EQ(tail.bytesRead(), 16000u);

    // Growth a little: only the new bytes. Growth a lot: only the last 8000.
    appendFile(report, "more\n");
    EXPECT_EQ(tail.readNew(), QStringLiteral("more\n"));
    appendFile(report, QByteArray(20000, 'n') + "latest\n");
    const QString grown = tail.readNew();
    EXPECT_EQ(grown.size(), 8000);
    EXPECT_TRUE(grown.endsWith(QStringLiteral("latest\n")));
}

TEST(LogTail, WithEdgesACutInsideACharacterLeavesNoReplacementCharacters)
{
    TempDir dir;
    const auto report = dir / "crash.txt";
    // 3-byte characters: neither 8000 nor size-8000 falls on a character boundary.
    const QByteArray body = QString(12001, QChar(0x4e16)).toUtf8();
    writeFile(report, body);
    LogTail tail(report, 8000);
    const QString text = tail.readNew();
    EXPECT_FALSE(text.contains(QChar::ReplacementCharacter));
    EXPECT_GE(text.size(), 5330);
}

TEST(LogTail, GivesALargeGainInPiecesAndSaysWhereTheTextStartsAgain)
{
    using Pieces = std::vector<std::pair<qsizetype, bool>>; // size, continues
    TempDir dir;
    const auto log = dir / "latest.log";
    const auto report = dir / "crash.txt";
    LogTail tail(log);
    LogTail edges(report, 8000);
    const auto read = [](LogTail& from) {
        Pieces pieces;
        from.readNew([&](QStringView text, bool continues) { pieces.emplace_back(text.size(), continues); });
        return pieces;
    };
    constexpr qsizetype mebibyte = qsizetype(1) << 20;

    writeFile(log, QByteArray(3 * mebibyte + 5, 'x'));
    EXPECT_EQ(read(tail), (Pieces{{mebibyte, false}, {mebibyte, true}, {mebibyte, true}, {5, true}}));
    appendFile(log, "more\n");
    EXPECT_EQ(read(tail), (Pieces{{5, true}}));
    replaceFile(log, "rotated\n");
    EXPECT_EQ(read(tail), (Pieces{{8, false}}));
    truncateFile(log, 0);
    appendFile(log, "cut\n");
    EXPECT_EQ(read(tail), (Pieces{{4, false}}));

    // The tail after a skipped middle does not follow on from the head.
    writeFile(report, QByteArray(30000, 'r'));
    EXPECT_EQ(read(edges), (Pieces{{8000, false}, {8000, false}}));
    appendFile(report, "end\n");
    EXPECT_EQ(read(edges), (Pieces{{4, true}}));
}
