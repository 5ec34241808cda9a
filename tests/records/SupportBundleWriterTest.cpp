#include "model/OrvaneError.h"
#include "platform/PathText.h"
#include "records/SupportBundleWriter.h"

#include "support/FaultyFileOperations.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QJsonDocument>

using namespace orvane;
using test::TempDir;

namespace {

const QString home = QStringLiteral("/home/jodoe");
const QDateTime second(QDate(2026, 12, 9), QTime(10, 3, 7), Qt::UTC);

DiagnosticSummary summaryAt(const QDateTime& createdAt, const QString& preview = QStringLiteral("Report"))
{
    DiagnosticSummary s;
    s.createdAt = createdAt;
    s.capability.architecture = QStringLiteral("arm64");
    s.capability.capturedAt = second;
    s.inspection = InstallInspection{};
    s.inspection->instanceRoot = "/home/jodoe/Library/Application Support/technic/modpacks/tekkit-2";
    s.redactedLog = QStringLiteral("Loading from /home/jodoe/saves with accessToken=abcdef12345");
    s.preview = preview;
    return s;
}

std::vector<std::filesystem::path> filesIn(const std::filesystem::path& folder)
{
    std::vector<std::filesystem::path> out;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        out.push_back(entry.path().filename());
    return out;
}

} // namespace

TEST(SupportBundleWriter, NamesTheBundleAfterTheWholeSecondAndReplacesOneOfTheSameSecond)
{
    EXPECT_EQ(SupportBundleWriter::fileName(second.addMSecs(900)),
              QStringLiteral("orvane-diagnostic-%1.json").arg(second.toSecsSinceEpoch()));
    EXPECT_EQ(SupportBundleWriter::fileName(QDateTime::fromMSecsSinceEpoch(-1500, Qt::UTC)),
              QStringLiteral("orvane-diagnostic--1.json")); // toward zero

    TempDir dir;
    const SupportBundleWriter writer(dir / "diagnostics", redactionFor(home));
    const std::filesystem::path first = writer.write(summaryAt(second.addMSecs(100), "first"));
    const std::filesystem::path again = writer.write(summaryAt(second.addMSecs(900), "second"));
    EXPECT_EQ(first, again);
    EXPECT_EQ(filesIn(dir / "diagnostics"),
              std::vector<std::filesystem::path>{pathFromText(SupportBundleWriter::fileName(second))});
    EXPECT_EQ(fromJson<DiagnosticSummary>(QJsonDocument::fromJson(test::readFile(again)).object()).preview,
              QStringLiteral("second"));
}

TEST(SupportBundleWriter, TheAccountNameAndSecretsNeverReachTheFile)
{
    TempDir dir;
    const std::filesystem::path file = SupportBundleWriter(dir.path(), redactionFor(home)).write(summaryAt(second));
    const QByteArray bytes = test::readFile(file);
    EXPECT_FALSE(bytes.contains("jodoe")) << bytes.constData();
    EXPECT_FALSE(bytes.contains("abcdef12345"));
    EXPECT_TRUE(bytes.contains("$HOME\\/Library\\/Application Support"));

    const auto stored = fromJson<DiagnosticSummary>(QJsonDocument::fromJson(bytes).object());
    EXPECT_EQ(stored.redactedLog, QStringLiteral("Loading from $HOME/saves with accessToken=[REDACTED_TOKEN]"));
    EXPECT_EQ(stored.createdAt, second);

    // The free texts are redacted as plain text before the whole JSON is redacted once more.
    std::vector<QString> seen;
    SupportBundleWriter(dir.path(), [&seen](const QString& text) {
        seen.push_back(text);
        return text;
    }).write(summaryAt(second, QStringLiteral("Preview")));
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0], summaryAt(second).redactedLog);
    EXPECT_EQ(seen[1], QStringLiteral("Preview"));
    EXPECT_TRUE(seen[2].startsWith(QLatin1Char('{')));

    // A log with the game's command line and a connection line, as the launcher and the game write them.
    DiagnosticSummary launch = summaryAt(second);
    launch.redactedLog = QStringLiteral(
        "Running java -cp /home/jodoe/.technic/bin/minecraft.jar net.minecraft.launchwrapper.Launch "
        "--username SteveCraft42 --uuid 069a79f444e94726a5befca90e38aaf5 "
        "--accessToken 8f14e45fceea167a5a36dedd4bea2543 --version 1.12.2\n"
        "[12:01:00] [Server Connector #1/INFO]: Connecting to play.friends-smp.net, 25565");
    const QByteArray launchBytes = test::readFile(SupportBundleWriter(dir / "launch", redactionFor(home)).write(launch));
    for (const char* secret : {"jodoe", "SteveCraft42", "069a79f4", "8f14e45f", "friends-smp"})
        EXPECT_FALSE(launchBytes.contains(secret)) << secret;
    EXPECT_EQ(fromJson<DiagnosticSummary>(QJsonDocument::fromJson(launchBytes).object()).redactedLog,
              QStringLiteral("Running java -cp $HOME/.technic/bin/minecraft.jar net.minecraft.launchwrapper.Launch "
                             "--username [REDACTED_USER] --uuid [REDACTED_ID] "
                             "--accessToken [REDACTED_TOKEN] --version 1.12.2\n"
                             "[12:01:00] [Server Connector #1/INFO]: Connecting to [REDACTED_SERVER], 25565"));
}

TEST(SupportBundleWriter, ARedactionThatBreaksTheJsonIsRefusedAndNothingIsWritten)
{
    TempDir dir;
    const auto breaking = [](const QString& text) {
        QString out = text;
        return out.replace(QStringLiteral("\"preview\""), QStringLiteral("preview"));
    };
    const std::filesystem::path folder = dir / "diagnostics";
    try {
        SupportBundleWriter(folder, breaking).write(summaryAt(second));
        FAIL() << "written";
    } catch (const OrvaneError& error) {
        EXPECT_EQ(error, OrvaneError::io("Orvane refused to write an invalid diagnostic bundle after redaction."));
    }
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_TRUE(std::filesystem::is_empty(folder));

    // Still JSON, but no longer a summary: refused as well.
    const auto dropsCapability = [](const QString& text) {
        QString out = text;
        return out.replace(QStringLiteral("\"capability\""), QStringLiteral("\"c\""));
    };
    EXPECT_THROW(SupportBundleWriter(folder, dropsCapability).write(summaryAt(second)), OrvaneError);

    auto faulty = std::make_shared<test::FaultyFileOperations>();
    faulty->failOn(test::FaultyFileOperations::Op::writeAtomically, 1);
    EXPECT_THROW(SupportBundleWriter(folder, redactionFor(home), faulty).write(summaryAt(second)), std::system_error);
    EXPECT_TRUE(std::filesystem::is_empty(folder));
}
