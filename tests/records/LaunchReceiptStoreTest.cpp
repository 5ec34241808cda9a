#include "json/JsonWriter.h"
#include "model/OrvaneError.h"
#include "platform/PathText.h"
#include "records/LaunchReceiptStore.h"
#include "records/LaunchReceiptWriter.h"

#include "support/FaultyFileOperations.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

#include <sys/stat.h>

using namespace orvane;
using test::TempDir;

namespace {

const QString home = QStringLiteral("/home/jo");

LaunchReceipt receiptAt(const QDateTime& observedAt, const QString& packVersion = QStringLiteral("1.2.6"))
{
    InstallInspection inspection;
    inspection.packSlug = QStringLiteral("tekkit-2");
    inspection.packVersion = packVersion;
    LaunchObservation observation;
    observation.outcome = LaunchOutcome::javaStarted;
    observation.javaArchitecture = QStringLiteral("x86_64");
    observation.translated = true;
    return LaunchReceipt::fromObservation(observedAt, QStringLiteral("0.1.0"), QStringLiteral("1"), inspection,
                                          observation, true, 12.3456);
}

mode_t permissions(const std::filesystem::path& path)
{
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

QDateTime utc(int hour, int minute, int second, int millisecond = 0)
{
    return QDateTime(QDate(2026, 12, 9), QTime(hour, minute, second, millisecond), Qt::UTC);
}

class LaunchReceipts : public ::testing::Test {
protected:
    void TearDown() override { ::umask(m_umask); }

    TempDir dir;
    std::filesystem::path folder = dir / "diagnostics" / "launch-receipts";
    LaunchReceiptWriter writer{folder, redactionFor(home)};
    LaunchReceiptStore store{folder};
    mode_t m_umask = ::umask(0);
};

} // namespace

TEST_F(LaunchReceipts, WrittenPrivatelyUnderTheirNameAndReadBackToTheWholeSecond)
{
    EXPECT_FALSE(store.latest());
    const LaunchReceipt receipt = receiptAt(utc(10, 3, 7, 891));
    const std::filesystem::path file = writer.write(receipt);

    EXPECT_EQ(file.parent_path(), folder);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^orvane-launch-%1-[0-9a-f]{8}(-[0-9a-f]{4}){3}-[0-9a-f]{12}\\.json$")
                                       .arg(utc(10, 3, 7, 891).toMSecsSinceEpoch()))
                    .match(pathText(file.filename()))
                    .hasMatch())
        << file;
    EXPECT_EQ(permissions(folder), 0700u);
    EXPECT_EQ(permissions(file), 0600u);
    EXPECT_EQ(test::readFile(file), encodeJson(toJson(receipt)));

    const auto latest = store.latest();
    ASSERT_TRUE(latest);
    EXPECT_EQ(latest->url, file);
    LaunchReceipt expected = receipt;
    expected.observedAt = utc(10, 3, 7);
    EXPECT_EQ(latest->receipt, expected);
}

TEST_F(LaunchReceipts, AnExistingOpenFolderIsClosedToOthers)
{
    std::filesystem::create_directories(folder);
    ::chmod(folder.c_str(), 0777);
    writer.write(receiptAt(utc(10, 0, 0)));
    EXPECT_EQ(permissions(folder), 0700u);
}

TEST_F(LaunchReceipts, AReceiptTheRedactorWouldChangeIsRefusedAndNothingIsWritten)
{
    // "tekkit-2@1.2.ab" reads as an e-mail address to the redactor.
    try {
        writer.write(receiptAt(utc(10, 0, 0), QStringLiteral("1.2.ab")));
        FAIL() << "written";
    } catch (const OrvaneError& error) {
        EXPECT_EQ(error, OrvaneError::io("Orvane refused to write an invalid local launch receipt."));
    }
    LaunchReceipt invalidDate = receiptAt(utc(10, 0, 0));
    invalidDate.observedAt = QDateTime();
    EXPECT_ANY_THROW(writer.write(invalidDate));
    EXPECT_TRUE(std::filesystem::is_empty(folder));
}

TEST_F(LaunchReceipts, PlatformFailuresPassThroughAndLeaveNoFile)
{
    auto faulty = std::make_shared<test::FaultyFileOperations>();
    faulty->failOn(test::FaultyFileOperations::Op::writeAtomically, 1);
    EXPECT_THROW(LaunchReceiptWriter(folder, redactionFor(home), faulty).write(receiptAt(utc(10, 0, 0))),
                 std::system_error);
    EXPECT_TRUE(std::filesystem::is_empty(folder));

    test::writeFile(dir / "blocked", "file");
    EXPECT_THROW(LaunchReceiptWriter(dir / "blocked" / "receipts", redactionFor(home)).write(receiptAt(utc(10, 0, 0))),
                 std::system_error);
}

TEST_F(LaunchReceipts, LatestPicksTheNewestAndPassesOverEverythingElse)
{
    writer.write(receiptAt(utc(9, 0, 0)));
    const std::filesystem::path newer = writer.write(receiptAt(utc(11, 0, 0)));
    writer.write(receiptAt(utc(10, 0, 0)));
    EXPECT_EQ(store.latest()->url, newer);

    // Later-looking files that are hidden, corrupt, of another extension or not regular are skipped.
    const QByteArray latestBytes = encodeJson(toJson(receiptAt(utc(12, 0, 0))));
    test::writeFile(folder / ".orvane-launch-hidden.json", latestBytes);
    test::writeFile(folder / "orvane-launch-9.json.txt", latestBytes);
    test::writeFile(folder / "orvane-launch-8.json", latestBytes.left(40));
    test::writeFile(folder / "orvane-launch-7.json", "{\"observedAt\": \"2026-12-09T12:00:00Z\"}");
    std::filesystem::create_directory(folder / "orvane-launch-6.json");
    ASSERT_EQ(::mkfifo((folder / "orvane-launch-5.json").c_str(), 0600), 0);
    EXPECT_EQ(store.latest()->url, newer);

    // Capital extensions count.
    test::writeFile(folder / "LATE.JSON", latestBytes);
    EXPECT_EQ(store.latest()->url, folder / "LATE.JSON");
    EXPECT_EQ(store.latest()->receipt.observedAt, utc(12, 0, 0));
}

TEST_F(LaunchReceipts, ReceiptsOfTheSameSecondAreOrderedByFileName)
{
    const QByteArray bytes = encodeJson(toJson(receiptAt(utc(10, 0, 0))));
    test::writeFile(folder / "orvane-launch-1796810400100-b.json", bytes);
    test::writeFile(folder / "orvane-launch-1796810400900-a.json", bytes);
    test::writeFile(folder / "orvane-launch-1796810400100-c.json", bytes);
    EXPECT_EQ(store.latest()->url, folder / "orvane-launch-1796810400900-a.json");

    // Real writes within one second: the latest millisecond wins, whatever the order of writing.
    std::filesystem::remove_all(folder);
    const std::filesystem::path latest = writer.write(receiptAt(utc(10, 0, 0, 999)));
    writer.write(receiptAt(utc(10, 0, 0, 100)));
    writer.write(receiptAt(utc(10, 0, 0, 500)));
    EXPECT_EQ(store.latest()->url, latest);
}
