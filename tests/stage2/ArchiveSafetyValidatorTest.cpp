#include "json/DecodingError.h"
#include "stage2/ArchiveSafetyValidator.h"

#include "support/QtPrinters.h"
#include "PolicyRefusal.h"

#include <gtest/gtest.h>

#include <limits>

using namespace orvane;
using orvane::test::policyRefusal;

namespace {

constexpr std::uint64_t max64 = std::numeric_limits<std::uint64_t>::max();

ArchiveEntryDescriptor file(const char* path, std::uint64_t compressed = 10, std::uint64_t uncompressed = 20)
{
    return {QString::fromUtf8(path), ArchiveEntryKind::file, compressed, uncompressed};
}

ArchiveEntryDescriptor directory(const char* path)
{
    return {QString::fromUtf8(path), ArchiveEntryKind::directory, 0, 0};
}

ArchiveSafetyValidator roomy()
{
    return ArchiveSafetyValidator(100, 1'000'000, 10'000'000, 100);
}

QString refusal(const ArchiveSafetyValidator& validator, const std::vector<ArchiveEntryDescriptor>& entries)
{
    return policyRefusal([&] { validator.validate(entries); });
}

QStringList texts(const std::vector<SafeRelativePath>& paths)
{
    QStringList out;
    for (const auto& p : paths)
        out.append(p.rawValue());
    return out;
}

} // namespace

TEST(ArchiveSafetyValidator, ReturnsSafePathsInOrderWithDirectoriesTrimmed)
{
    const auto paths = roomy().validate({directory("mods/"), file("mods/a.jar"), directory("config"), file("config/b.cfg", 5, 0)});
    EXPECT_EQ(texts(paths), QStringList({"mods", "mods/a.jar", "config", "config/b.cfg"}));
}

TEST(ArchiveSafetyValidator, EntryCountBounds)
{
    EXPECT_EQ(refusal(ArchiveSafetyValidator(0, 10, 10, 10), {}), "Archive has an invalid entry count.");
    EXPECT_EQ(refusal(ArchiveSafetyValidator(2, 100, 100, 10), {}), "Archive has an invalid entry count.");
    EXPECT_NO_THROW(ArchiveSafetyValidator(2, 100, 100, 10).validate({file("a"), file("b")}));
    EXPECT_EQ(refusal(ArchiveSafetyValidator(2, 100, 100, 10), {file("a"), file("b"), file("c")}),
              "Archive has an invalid entry count.");
    EXPECT_EQ(refusal(ArchiveSafetyValidator(-1, 100, 100, 10), {file("a")}), "Archive has an invalid entry count.");
}

TEST(ArchiveSafetyValidator, LinksAndSpecialEntriesAreRefusedBeforeTheirPath)
{
    for (const auto kind : {ArchiveEntryKind::symbolicLink, ArchiveEntryKind::hardLink, ArchiveEntryKind::device,
                            ArchiveEntryKind::other}) {
        EXPECT_EQ(refusal(roomy(), {file("ok"), {"../evil/", kind, 0, 0}}),
                  "Archive contains a link or special entry: ../evil/");
    }
}

TEST(ArchiveSafetyValidator, PathRulesApplyAfterOneDirectorySlashIsTrimmed)
{
    EXPECT_EQ(refusal(roomy(), {directory("mods//")}), "Unsafe relative path: mods/");
    EXPECT_EQ(refusal(roomy(), {file("mods/")}), "Unsafe relative path: mods/");
    EXPECT_EQ(refusal(roomy(), {file("../x")}), "Unsafe relative path: ../x");
    EXPECT_EQ(refusal(roomy(), {directory("/")}), "Unsafe relative path: ");
    EXPECT_EQ(refusal(roomy(), {file("a/./b")}), "Unsafe relative path: a/./b");
}

TEST(ArchiveSafetyValidator, WorldSavesAndCollisionsAreRefused)
{
    EXPECT_EQ(refusal(roomy(), {file("saves", 1, 1)}), "Archive targets the world-save directory: saves");
    EXPECT_EQ(refusal(roomy(), {directory("Saves/")}), "Archive targets the world-save directory: Saves");
    EXPECT_EQ(refusal(roomy(), {file("x/SAVES/y")}), "Archive targets the world-save directory: x/SAVES/y");
    EXPECT_EQ(refusal(roomy(), {file("Data/x"), file("data/X")}), "Archive contains duplicate or case-colliding paths: data/X");
    EXPECT_EQ(refusal(roomy(), {file("Mods/A.jar"), file("mods/a.jar")}),
              "Archive contains duplicate or case-colliding paths: mods/a.jar");
    EXPECT_EQ(refusal(roomy(), {directory("a/"), file("a")}), "Archive contains duplicate or case-colliding paths: a");
    EXPECT_EQ(refusal(roomy(), {file("m/\xc3\x84"), file("m/\xc3\xa4")}),
              QString::fromUtf8("Archive contains duplicate or case-colliding paths: m/\xc3\xa4"));
}

TEST(ArchiveSafetyValidator, NamesACaseFoldingVolumeJoinsAreOnePath)
{
    struct Case {
        std::vector<ArchiveEntryDescriptor> entries;
        const char* refusal;
    };
    const Case cases[] = {
        {{file("mods/\u03c3.jar"), file("mods/\u03c2.jar")},
         "Archive contains duplicate or case-colliding paths: mods/\u03c2.jar"},
        {{file("mods/s.jar"), file("mods/\u017f.jar")},
         "Archive contains duplicate or case-colliding paths: mods/\u017f.jar"},
        {{file("\u017f"), file("S/x")}, "Archive file conflicts with a descendant: S/x"},
        {{file("S/x"), file("\u017f")}, "Archive file conflicts with a descendant: S/x"},
        {{directory("\u017f/"), file("S/x")}, "<no error>"},
        {{file("m/\u00df"), file("m/ss")}, "Archive contains duplicate or case-colliding paths: m/ss"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.refusal);
        EXPECT_EQ(refusal(roomy(), c.entries), QString::fromUtf8(c.refusal));
    }
}

TEST(ArchiveSafetyValidator, SizeLimits)
{
    const ArchiveSafetyValidator limits(10, 1000, 1500, 1000);
    EXPECT_EQ(refusal(limits, {{"d", ArchiveEntryKind::directory, 1, 0}}), "Archive directory has unexpected payload bytes: d");
    EXPECT_EQ(refusal(limits, {{"d/", ArchiveEntryKind::directory, 0, 1}}), "Archive directory has unexpected payload bytes: d");
    EXPECT_NO_THROW(limits.validate({file("a", 1, 1000)}));
    EXPECT_EQ(refusal(limits, {file("a", 1, 1001)}), "Archive entry exceeds its allowed size: a");
    EXPECT_NO_THROW(limits.validate({file("empty", 0, 0), file("also-empty", max64, 0)}));
    EXPECT_EQ(refusal(limits, {file("a", 0, 1)}), "Archive entry has an invalid compression size: a");
    EXPECT_NO_THROW(limits.validate({file("a", 1, 1000), file("b", 1, 500)}));
    EXPECT_EQ(refusal(limits, {file("a", 1, 1000), file("b", 1, 501)}), "Archive exceeds its allowed total size.");
}

TEST(ArchiveSafetyValidator, ExpansionRatioIsCheckedWithoutOverflow)
{
    const ArchiveSafetyValidator ratio100(10, max64, max64, 100);
    EXPECT_NO_THROW(ratio100.validate({file("a", 1000, 100'000)}));
    EXPECT_EQ(refusal(ratio100, {file("a", 1000, 100'001)}), "Archive entry exceeds its expansion ratio: a");
    EXPECT_EQ(refusal(ArchiveSafetyValidator(10, max64, max64, 0), {file("a", 1000, 1)}),
              "Archive entry exceeds its expansion ratio: a");
    // compressed × ratio wraps to 0 in 64 bits: wrapped arithmetic would accept the entry.
    EXPECT_EQ(refusal(ArchiveSafetyValidator(10, max64, max64, 2), {file("a", std::uint64_t(1) << 63, 1)}),
              "Archive entry exceeds its expansion ratio: a");
    EXPECT_NO_THROW(ArchiveSafetyValidator(10, max64, max64, 1).validate({file("a", max64, max64)}));
}

TEST(ArchiveSafetyValidator, TotalSizeOverflowRefuses)
{
    const ArchiveSafetyValidator unlimited(10, max64, max64, 1);
    const std::uint64_t half = max64 / 2 + 1; // two of these wrap to 0
    EXPECT_EQ(refusal(unlimited, {file("a", half, half), file("b", half, half)}), "Archive exceeds its allowed total size.");
    EXPECT_NO_THROW(unlimited.validate({file("a", max64 - 1, max64 - 1), file("b", 1, 1)}));
}

TEST(ArchiveSafetyValidator, AFileMayNotStandWhereADirectoryIsNeeded)
{
    EXPECT_NO_THROW(roomy().validate({directory("a"), file("a/b")}));
    EXPECT_NO_THROW(roomy().validate({file("x/y/z")}));
    EXPECT_EQ(refusal(roomy(), {file("a"), file("a/b")}), "Archive file conflicts with a descendant: a/b");
    EXPECT_EQ(refusal(roomy(), {file("a/b"), file("a")}), "Archive file conflicts with a descendant: a/b");
    EXPECT_EQ(refusal(roomy(), {file("A"), file("a/b")}), "Archive file conflicts with a descendant: a/b");
    EXPECT_EQ(refusal(roomy(), {directory("x/"), file("x/Y"), file("X/y/z/w")}),
              "Archive file conflicts with a descendant: X/y/z/w");
    // A file whose name only starts like another entry is no ancestor.
    EXPECT_NO_THROW(roomy().validate({file("a"), file("ab/c"), file("a.d/e")}));
}

TEST(ArchiveEntryDescriptor, JsonKeysAndKindNames)
{
    const ArchiveEntryDescriptor entry{"mods/a.jar", ArchiveEntryKind::symbolicLink, 3, 4};
    const QJsonObject json = toJson(entry);
    EXPECT_EQ(json.value("kind").toString(), "symbolicLink");
    EXPECT_EQ(json.value("compressedByteCount").toInteger(), 3);
    EXPECT_EQ(fromJson<ArchiveEntryDescriptor>(json), entry);
    QJsonObject socket = json;
    socket.insert("kind", "socket");
    EXPECT_THROW(fromJson<ArchiveEntryDescriptor>(socket), DecodingError);
    QJsonObject missing = json;
    missing.remove("uncompressedByteCount");
    EXPECT_THROW(fromJson<ArchiveEntryDescriptor>(missing), DecodingError);
}
