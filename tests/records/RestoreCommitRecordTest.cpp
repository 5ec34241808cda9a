#include "records/RestoreCommitRecord.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace orvane;

namespace {

const QString kBacked = QString(64, QLatin1Char('a'));
const QString kPrior = QString(64, QLatin1Char('b'));

QByteArray entries(std::initializer_list<const char*> list)
{
    QByteArray bytes;
    for (const char* entry : list) {
        bytes.append(entry);
        bytes.append('\0');
    }
    return bytes;
}

} // namespace

// The bytes are the ones recoveries already read: "to" only for a file that does not lie at the
// instance's relative path, whatever text its destination shares with that path.
TEST(RestoreCommitRecord, EncodesEachFileInTheStoredFormatAndReadsItBack)
{
    struct Case {
        const char* name;
        std::filesystem::path instance;
        RestoreCommitRecord::File file;
        QByteArray fileEntries;
    };
    const std::string a(64, 'a'), b(64, 'b');
    const QByteArray restored = QByteArray("file=") + a.c_str() + " 4 - - saves/W/r 1.mca";
    const QByteArray replaced = QByteArray("file=") + a.c_str() + " 4 " + b.c_str() + " 7 saves/W/r 1.mca";
    const std::vector<Case> cases{
        {"a created file below the instance", "/home/u/i", {"saves/W/r 1.mca", "/home/u/i/saves/W/r 1.mca", kBacked, 4, {}, {}},
         restored},
        {"a replaced file below the instance", "/home/u/i",
         {"saves/W/r 1.mca", "/home/u/i/saves/W/r 1.mca", kBacked, 4, kPrior, 7}, replaced},
        {"the instance at the root", "/", {"saves/W/r 1.mca", "/saves/W/r 1.mca", kBacked, 4, {}, {}}, restored},
        {"a sibling folder sharing the instance's name as a prefix", "/home/u/i",
         {"saves/W/r 1.mca", "/home/u/i2/saves/W/r 1.mca", kBacked, 4, {}, {}},
         restored + '\0' + "to=/home/u/i2/saves/W/r 1.mca"},
        {"the same relative path in another folder", "/home/u/i",
         {"saves/W/r 1.mca", "/home/u/i/x/saves/W/r 1.mca", kBacked, 4, {}, {}},
         restored + '\0' + "to=/home/u/i/x/saves/W/r 1.mca"},
        {"the launcher's settings", "/home/u/i",
         {"technic/settings.json", "/home/u/.technic/settings.json", kBacked, 4, {}, {}},
         QByteArray("file=") + a.c_str() + " 4 - - technic/settings.json" + '\0' + "to=/home/u/.technic/settings.json"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const RestoreCommitRecord record{"T", "/store", "B", c.instance, std::nullopt, std::vector{c.file}, {}};
        const QByteArray expected = entries({"restore=T", "store=/store", "backup=B"}) + "instance="
            + QByteArray::fromStdString(c.instance.native()) + '\0' + entries({"files=1"}) + c.fileEntries + '\0';
        EXPECT_EQ(record.encode(), expected);
        EXPECT_EQ(RestoreCommitRecord::decode(expected), std::optional(record));
    }
}

// Records without a "format" entry are format 1 and read as they always did; a record with a checked
// copy says its format and reads back; a newer format is not read as a whole record, but its head still
// tells whose it is, so recovery refuses it rather than undoing it on a guess.
TEST(RestoreCommitRecord, ReadsEachFormatItKnowsAndOnlyTheHeadOfANewerOne)
{
    const RestoreCommitRecord::File linked{"saves/W/a", "/i/saves/W/a", kBacked, 4, kPrior, 7};
    RestoreCommitRecord::File copied = linked;
    copied.priorFile = std::pair(std::uint64_t(5), std::uint64_t(9));
    const RestoreCommitRecord old{"T", "/store", "B", "/i", std::nullopt, std::vector{linked}, {}};
    const RestoreCommitRecord withCopy{"T", "/store", "B", "/i", std::nullopt, std::vector{copied}, {}};
    const QByteArray oldBytes = entries({"restore=T", "store=/store", "backup=B", "instance=/i", "files=1"})
        + "file=" + kBacked.toLatin1() + " 4 " + kPrior.toLatin1() + " 7 saves/W/a" + '\0';
    EXPECT_EQ(old.encode(), oldBytes);
    EXPECT_EQ(RestoreCommitRecord::decode(oldBytes), std::optional(old));
    EXPECT_TRUE(withCopy.encode().startsWith(QByteArray("format=2") + '\0'));
    EXPECT_EQ(RestoreCommitRecord::decode(withCopy.encode()), std::optional(withCopy));

    struct Case {
        const char* name;
        QByteArray format;
        bool whole;
    };
    const Case cases[] = {
        {"format 1 said", "format=1", true},
        {"format 2 said", "format=2", true},
        {"a newer format", "format=3", false},
        {"no number", "format=x", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray bytes = c.format + '\0' + oldBytes;
        EXPECT_EQ(RestoreCommitRecord::decode(bytes).has_value(), c.whole);
        RestoreCommitRecord head = old;
        head.files.reset();
        EXPECT_EQ(RestoreCommitRecord::decodeHead(bytes), std::optional(head));
    }
}

// Each rule the reader keeps, broken once against a whole record: which records are whole, and of which
// the head (whose restore, onto what) can still be read.
TEST(RestoreCommitRecord, ReadsOnlyWholeRecordsAndTheHeadOfOneWhoseListIsNot)
{
    const QByteArray a = kBacked.toLatin1(), b = kPrior.toLatin1();
    const QByteArray head = entries({"restore=T", "store=/store", "backup=B", "instance=/i"});
    const QByteArray file = "file=" + a + " 4 - - saves/a";
    const auto with = [&](std::initializer_list<QByteArray> list) {
        QByteArray bytes = head;
        for (const QByteArray& entry : list)
            bytes += entry + '\0';
        return bytes;
    };
    struct Case {
        const char* name;
        QByteArray bytes;
        bool whole;
        bool headRead;
    };
    const Case cases[] = {
        {"a whole record", with({"files=1", file}), true, true},
        {"a key of a later build", with({"later=1", "files=1", file}), true, true},
        {"a journal's folder among the entries", with({"/i/saves", "files=1", file}), true, true},
        {"a key given twice: the last counts", with({"restore=U", "files=1", file}), true, true},
        {"set-aside paths without a file count", with({"aside=.orvane-restore-created-A /i/a"}), true, true},
        {"cut short after an entry", with({"files=1", file}).chopped(1), false, true},
        {"cut short inside the head", head.left(20), false, false},
        {"no restore", entries({"store=/store", "backup=B", "instance=/i"}), false, false},
        {"no store", entries({"restore=T", "backup=B", "instance=/i"}), false, false},
        {"no instance", entries({"restore=T", "store=/store", "backup=B"}), false, false},
        {"an empty backup", entries({"restore=T", "store=/store", "backup=", "instance=/i"}), false, false},
        {"a relative store", entries({"restore=T", "store=s", "backup=B", "instance=/i"}), false, false},
        {"a relative Technic root", with({"technic=t"}), false, false},
        {"an empty Technic root", with({"technic="}), false, false},
        {"the count twice", with({"files=1", "files=1", file}), false, true},
        {"a count that is not a number", with({"files=x", file}), false, true},
        {"a signed count", with({"files=+1", file}), false, true},
        {"more files than counted", with({"files=0", file}), false, true},
        {"too few fields", with({"files=1", "file=" + a + " 4 - saves/a"}), false, true},
        {"half a prior", with({"files=1", "file=" + a + " 4 " + b + " - saves/a"}), false, true},
        {"a prior digest that is not one", with({"files=1", "file=" + a + " 4 B 7 saves/a"}), false, true},
        {"a negative size", with({"files=1", "file=" + a + " -4 - - saves/a"}), false, true},
        {"a path that is not UTF-8", with({"files=1", file + "\xff"}), false, true},
        {"an absolute path", with({"files=1", "file=" + a + " 4 - - /saves/a"}), false, true},
        {"an empty piece", with({"files=1", "file=" + a + " 4 - - saves//a"}), false, true},
        {"a dot piece", with({"files=1", "file=" + a + " 4 - - saves/./a"}), false, true},
        {"a place before any file", with({"files=1", "to=/j/a", file}), false, true},
        {"two places for one file", with({"files=1", file, "to=/j/a", "to=/j/b"}), false, true},
        {"an empty place", with({"files=1", file, "to="}), false, true},
        {"a relative place", with({"files=1", file, "to=j/a"}), false, true},
        {"a copy before any file", with({"files=1", "copied=5 9", file}), false, true},
        {"two copies for one file", with({"files=1", file, "copied=5 9", "copied=5 9"}), false, true},
        {"a copy named by one number", with({"files=1", file, "copied=5"}), false, true},
        {"a copy named by a word", with({"files=1", file, "copied=5 x"}), false, true},
        {"a set-aside name in a folder", with({"aside=.orvane-restore-created-A/x /i/a"}), false, true},
        {"a set-aside name of another kind", with({"aside=orvane-notes /i/a"}), false, true},
        {"a set-aside path that is relative", with({"aside=.orvane-restore-created-A i/a"}), false, true},
        {"a set-aside entry without its path", with({"aside=.orvane-restore-created-A"}), false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(RestoreCommitRecord::decode(c.bytes).has_value(), c.whole);
        EXPECT_EQ(RestoreCommitRecord::decodeHead(c.bytes).has_value(), c.headRead);
    }
}
