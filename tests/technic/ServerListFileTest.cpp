#include "technic/ServerListFile.h"

#include "platform/FileOperations.h"

#include "support/FaultyFileOperations.h"
#include "support/FixtureHome.h"
#include "support/QtPrinters.h"
#include "support/ServerListBytes.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QFile>

using namespace orvane;
using test::ServerListEntry;

namespace {

const std::vector<ServerListEntry> friends{
    {QStringLiteral("Tekkit friends"), QStringLiteral("play.tekkit-friends.net:25565"), QString(4000, QLatin1Char('A')),
     true},
    {QStringLiteral("Kayla\u2019s LAN \U0001F3E0"), QStringLiteral("192.168.1.23"), std::nullopt, false},
};

void writeBytes(const std::filesystem::path& path, const QByteArray& bytes)
{
    QFile file(QString::fromStdString(path.string()));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

} // namespace

TEST(ServerListFile, ReadsTheAddressOfEveryServerInTheList)
{
    const auto read = ServerListFile::addresses(test::serverListBytes(friends));
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, (std::vector<QString>{"play.tekkit-friends.net:25565", "192.168.1.23"}));
    EXPECT_EQ(ServerListFile::addresses(test::serverListBytes({})), std::vector<QString>());

    // Other tags the game or a mod may add are stepped over, nested ones too; Java's modified UTF-8
    // writes U+0000 as C0 80 and a character beyond U+FFFF as two three-byte surrogates.
    const QByteArray others = QByteArray::fromHex("0a0000"                             // root compound ""
                                                  "0300036e756d0000002a"               // int "num" 42
                                                  "0400016c0000000000000001"           // long "l"
                                                  "070001620000000201ff"               // byte array "b" of 2
                                                  "0b00016900000001000000ff"           // int array "i" of 1
                                                  "0c00016c000000010000000000000001"   // long array "l" of 1
                                                  "0900016c0000000000"                 // empty list "l"
                                                  "0a00036f7074"                       // compound "opt"
                                                  "080002697000046d632e78"             //   "ip": "mc.x"
                                                  "0800016e0008c080eda0bdedb880"       //   "n": U+0000 U+1F600
                                                  "00"                                 // end of "opt"
                                                  "00");                               // end of the root
    EXPECT_EQ(ServerListFile::addresses(others), std::optional(std::vector<QString>{"mc.x"}));
}

TEST(ServerListFile, MalformedListsNameNoServerAndNeverCrash)
{
    const QByteArray good = test::serverListBytes(friends);
    struct Case {
        const char* what;
        QByteArray bytes;
    };
    std::vector<Case> cases{
        {"empty", QByteArray()},
        {"gzip-compressed", QByteArray::fromHex("1f8b0800000000000003")},
        {"root is no compound", QByteArray::fromHex("0800000002") + "ip"},
        {"bytes after the end", good + QByteArray(1, '\0')},
        {"unknown tag", QByteArray::fromHex("0a00000d000178")},
        {"string longer than the file", QByteArray::fromHex("0a000008000269700fff6162")},
        {"negative list length", QByteArray::fromHex("0a0000090001730affffffff00")},
        {"list count beyond the bytes left", QByteArray::fromHex("0a000009000173017fffffff00")},
        {"end tags with elements", QByteArray::fromHex("0a00000900017300000000050000")},
        {"array length beyond the end", QByteArray::fromHex("0a0000070001620000ffff00")},
        {"four-byte UTF-8", QByteArray::fromHex("0a00000800026970000" "4f09f988000")},
        {"a bare zero byte in text", QByteArray::fromHex("0a000008000269700001" "0000")},
        {"overlong two-byte form", QByteArray::fromHex("0a000008000269700002c1a100")},
    };
    for (qsizetype cut = 1; cut < good.size(); cut += 97)
        cases.push_back({"cut short", good.left(cut)});
    // Nesting deeper than the limit: compounds inside compounds, each named "c".
    QByteArray deep = QByteArray::fromHex("0a0000");
    for (int i = 0; i < ServerListFile::depthLimit + 1; ++i)
        deep += QByteArray::fromHex("0a000163");
    deep += QByteArray(ServerListFile::depthLimit + 2, '\0');
    cases.push_back({"nested too deep", deep});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ServerListFile::addresses(c.bytes), std::nullopt);
    }

    // Any one byte changed anywhere is read or refused, and never read past the end (the sanitizer
    // builds watch the reads).
    const QByteArray small = test::serverListBytes({{QStringLiteral("a"), QStringLiteral("mc.x:1"), std::nullopt, true}});
    for (qsizetype at = 0; at < small.size(); ++at) {
        for (const char value : {'\0', '\x01', '\x08', '\x09', '\x0a', '\x7f', '\x80', '\xff'}) {
            QByteArray changed = small;
            changed[at] = value;
            const auto read = ServerListFile::addresses(changed);
            if (read) {
                EXPECT_LE(read->size(), 1u);
            }
        }
    }
}

TEST(ServerListFile, ReadingTheInstanceFileNeverThrows)
{
    test::TempDir dir;
    FileOperations& files = *FileOperations::system();
    EXPECT_TRUE(ServerListFile::readAddresses(dir.path(), files).empty()); // missing

    writeBytes(dir / "servers.dat", test::serverListBytes(friends));
    EXPECT_EQ(ServerListFile::readAddresses(dir.path(), files).size(), 2u);

    writeBytes(dir / "servers.dat", test::serverListBytes(friends).left(40));
    EXPECT_TRUE(ServerListFile::readAddresses(dir.path(), files).empty()); // malformed

    std::filesystem::remove(dir / "servers.dat");
    test::FixtureHome::makeFifo(dir / "servers.dat");
    EXPECT_TRUE(ServerListFile::readAddresses(dir.path(), files).empty()); // never waits on a FIFO
}
