#include "json/DecodingError.h"
#include "json/JsonWriter.h"
#include "model/DiagnosticSummary.h"
#include "model/LaunchResultDiagnostic.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QJsonDocument>

using namespace orvane;

namespace {

const QString home = QStringLiteral("/home/jo");

LaunchResult resultWithMessage(const QString& message)
{
    const QDateTime start(QDate(2026, 12, 9), QTime(10, 0, 0), Qt::UTC);
    return LaunchResult{QUuid::createUuid(), PackDescriptor::tekkit2, LaunchProviderID::officialTechnic,
                        LaunchMode::companionHandoff, start, start.addSecs(30), {},
                        LaunchResultState::timedOut, message, std::nullopt};
}

QString digestMessage(const QString& message)
{
    return LaunchResultDiagnostic::fromResult(resultWithMessage(message), home).message;
}

DiagnosticSummary minimalSummary()
{
    CapabilityReport capability;
    capability.architecture = QStringLiteral("arm64");
    capability.capturedAt = QDateTime::fromSecsSinceEpoch(1796800868, Qt::UTC);
    return DiagnosticSummary{QDateTime::fromSecsSinceEpoch(1796800900, Qt::UTC), capability, std::nullopt,
                             std::nullopt, std::nullopt, std::nullopt, QString(), QStringLiteral("Report")};
}

template <class T>
T roundTrip(const T& value)
{
    return fromJson<T>(QJsonDocument::fromJson(encodeJson(toJson(value))).object());
}

} // namespace

TEST(LaunchResultDiagnostic, CopiesTheResultAndPutsTheRedactedMessageOnOneLine)
{
    const LaunchResult result = resultWithMessage(QStringLiteral("Timed out.\nLog at /home/jo/logs/latest.log\r\nend"));
    const LaunchResultDiagnostic digest = LaunchResultDiagnostic::fromResult(result, home);
    EXPECT_EQ(digest.packID, PackID::tekkit2);
    EXPECT_EQ(digest.providerID, LaunchProviderID::officialTechnic);
    EXPECT_EQ(digest.mode, LaunchMode::companionHandoff);
    EXPECT_EQ(digest.state, LaunchResultState::timedOut);
    EXPECT_EQ(digest.message, QStringLiteral("Timed out. Log at $HOME/logs/latest.log  end"));
    EXPECT_EQ(digestMessage(QStringLiteral("password: hunter2")), QStringLiteral("password: [REDACTED_TOKEN]"));
}

TEST(LaunchResultDiagnostic, KeepsAtMost512CharactersNeverCuttingOneApart)
{
    EXPECT_EQ(digestMessage(QString(600, QLatin1Char('a'))), QString(512, QLatin1Char('a')));
    EXPECT_EQ(digestMessage(QString(512, QLatin1Char('a'))), QString(512, QLatin1Char('a')));

    // An "e" with a combining acute accent at the boundary stays whole.
    const QString combining = QString(511, QLatin1Char('a')) + QStringLiteral("e\u0301") + QStringLiteral("xyz");
    EXPECT_EQ(digestMessage(combining), QString(511, QLatin1Char('a')) + QStringLiteral("e\u0301"));

    // Flags are four code units each; thumbs-up two: counted as one character each.
    QString flags;
    for (int i = 0; i < 600; ++i)
        flags += QStringLiteral("\U0001F1E9\U0001F1EA");
    EXPECT_EQ(digestMessage(flags), flags.left(512 * 4));
    QString emoji;
    for (int i = 0; i < 600; ++i)
        emoji += QStringLiteral("\U0001F44D");
    EXPECT_EQ(digestMessage(emoji), emoji.left(1024));
    EXPECT_EQ(firstGraphemeClusters(QStringLiteral("abc"), 0), QString());
}

// Next to Indic or Khmer text Qt reports a boundary between the halves of a character outside the basic
// plane; a cut there would leave a lone surrogate in the status line and the digest.
TEST(LaunchResultDiagnostic, ACutNeverFallsInsideASurrogatePair)
{
    struct Case {
        const char* text;
        int count;
        const char* expected;
    };
    const Case cases[] = {
        {"\U0001F600\u0915", 1, "\U0001F600"},
        {"\U0001F600\u0915", 2, "\U0001F600\u0915"},
        {"\U0001F600\u1780x", 1, "\U0001F600"},
        {"\U0001F600\U0001F600\u0915", 1, "\U0001F600"},
        {"\U0001F600\U0001F600\u0915", 2, "\U0001F600\U0001F600"},
        {"a\U0001F600\u0915", 2, "a\U0001F600"},
        {"\u0915\U0001F600x", 2, "\u0915\U0001F600"},
        {"\u0915\u093F\U0001F600\u0915", 2, "\u0915\u093F\U0001F600"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        SCOPED_TRACE(c.count);
        EXPECT_EQ(firstGraphemeClusters(QString::fromUtf8(c.text), c.count), QString::fromUtf8(c.expected));
    }
    // Every cut of a mixed text ends on a whole character and grows with the count.
    const QString mixed = QString::fromUtf8("\U0001F600\u0915\U0001F44D\U0001F3FD\u1780\U0001F1E9\U0001F1EA\u0915");
    qsizetype previous = 0;
    for (int count = 1; count <= mixed.size(); ++count) {
        SCOPED_TRACE(count);
        const QString cut = firstGraphemeClusters(mixed, count);
        EXPECT_TRUE(mixed.startsWith(cut));
        ASSERT_FALSE(cut.isEmpty());
        EXPECT_FALSE(cut.back().isHighSurrogate());
        EXPECT_GE(cut.size(), previous);
        previous = cut.size();
    }
    EXPECT_EQ(previous, mixed.size());
}

TEST(LaunchResultDiagnostic, JsonRoundTripsAndRefusesBadValues)
{
    const LaunchResultDiagnostic digest = LaunchResultDiagnostic::fromResult(resultWithMessage("Done."), home);
    EXPECT_EQ(roundTrip(digest), digest);

    const QJsonObject good = toJson(digest);
    EXPECT_EQ(good.value("packID"), QJsonValue("tekkit-2"));
    for (const char* key : {"packID", "providerID", "mode", "state", "message"}) {
        QJsonObject missing = good;
        missing.remove(key);
        EXPECT_THROW(fromJson<LaunchResultDiagnostic>(missing), DecodingError) << key;
    }
    for (const auto& [key, value] : {std::pair{"packID", QJsonValue("Tekkit 2")}, {"mode", QJsonValue("launcher")},
                                     {"state", QJsonValue("done")}, {"message", QJsonValue(3)}}) {
        QJsonObject bad = good;
        bad.insert(key, value);
        EXPECT_THROW(fromJson<LaunchResultDiagnostic>(bad), DecodingError) << key;
    }
}

TEST(DiagnosticSummary, AbsentPartsAreLeftOutAndReadBackAsAbsent)
{
    const DiagnosticSummary minimal = minimalSummary();
    const QJsonObject json = toJson(minimal);
    EXPECT_EQ(json.keys(), (QStringList{"capability", "createdAt", "preview", "redactedLog"}));
    EXPECT_EQ(roundTrip(minimal), minimal);

    QJsonObject nulls = json;
    for (const char* key : {"inspection", "lastBackupId", "lastLaunch", "lastLaunchResult"})
        nulls.insert(key, QJsonValue::Null);
    EXPECT_EQ(fromJson<DiagnosticSummary>(nulls), minimal);
    for (const char* key : {"createdAt", "capability", "redactedLog", "preview"}) {
        QJsonObject missing = json;
        missing.remove(key);
        EXPECT_THROW(fromJson<DiagnosticSummary>(missing), DecodingError) << key;
    }

    DiagnosticSummary full = minimal;
    full.inspection = InstallInspection{};
    full.inspection->packSlug = QStringLiteral("tekkit-2");
    full.lastBackupId = QStringLiteral("2026-12-08T072108.123Z-0f8fad5b-d9cb-469f-a165-70867728950e");
    full.lastLaunch = LaunchObservation{};
    full.lastLaunchResult = LaunchResultDiagnostic::fromResult(resultWithMessage("Done."), home);
    full.redactedLog = QStringLiteral("[Client thread/INFO]: Forge Mod Loader");
    EXPECT_EQ(roundTrip(full), full);
    EXPECT_NE(full, minimal);

    // The date compares by instant; a nested record that does not decode fails the whole summary.
    DiagnosticSummary shifted = minimal;
    shifted.createdAt = minimal.createdAt.toOffsetFromUtc(3600);
    EXPECT_EQ(shifted, minimal);
    QJsonObject badNested = toJson(full);
    QJsonObject digest = badNested.value("lastLaunchResult").toObject();
    digest.insert("packID", "-bad");
    badNested.insert("lastLaunchResult", digest);
    EXPECT_THROW(fromJson<DiagnosticSummary>(badNested), DecodingError);
}
