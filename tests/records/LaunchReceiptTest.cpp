#include "json/DecodingError.h"
#include "json/JsonWriter.h"
#include "records/LaunchReceipt.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QJsonDocument>

#include <cmath>
#include <limits>

using namespace orvane;

namespace {

const QDateTime observed(QDate(2026, 12, 9), QTime(10, 3, 0), Qt::UTC);

InstallInspection inspection(std::optional<QString> slug, std::optional<QString> version)
{
    InstallInspection i;
    i.packSlug = std::move(slug);
    i.packVersion = std::move(version);
    return i;
}

LaunchObservation forgeLoaded(std::optional<QString> architecture)
{
    LaunchObservation o;
    o.javaRunning = true;
    o.javaArchitecture = std::move(architecture);
    o.translated = false;
    o.outcome = LaunchOutcome::forgeLoaded;
    return o;
}

LaunchReceipt receiptFor(const InstallInspection& i, double elapsed = 42.25)
{
    return LaunchReceipt::fromObservation(observed, QStringLiteral("0.1.0"), QStringLiteral("1"), i,
                                          forgeLoaded(QStringLiteral("arm64")), true, elapsed);
}

} // namespace

TEST(LaunchReceipt, SanitiserKeepsShortPlainValuesAndDropsAnythingElseWhole)
{
    const auto kept = [](const QString& v) { return LaunchReceipt::sanitizedValue(v) == v; };
    EXPECT_TRUE(kept(QStringLiteral("1.2.6+build_7-rc")));
    EXPECT_TRUE(kept(QString(64, QLatin1Char('a'))));
    EXPECT_TRUE(kept(QStringLiteral("vers\u00E9o")));          // accented letter
    EXPECT_TRUE(kept(QStringLiteral("e\u0301")));               // combining mark
    EXPECT_TRUE(kept(QString(32, QChar(0xE9))));                // 64 UTF-8 bytes
    EXPECT_TRUE(kept(QStringLiteral("\u0661\u0662\u00B2")));    // other digits and numbers

    EXPECT_FALSE(LaunchReceipt::sanitizedValue(QString(65, QLatin1Char('a'))));
    EXPECT_FALSE(LaunchReceipt::sanitizedValue(QString(33, QChar(0xE9)))); // 66 bytes
    for (const char* bad : {"Tekkit 2", "1.2/6", "", "a@b", "x\ny", "\xF0\x9F\x91\x8D"})
        EXPECT_FALSE(LaunchReceipt::sanitizedValue(QString::fromUtf8(bad))) << bad;
    EXPECT_FALSE(LaunchReceipt::sanitizedValue(QString(QChar(0xD800)) + QLatin1Char('a'))); // lone surrogate
    EXPECT_FALSE(LaunchReceipt::sanitizedValue(std::nullopt));

    const auto versions = LaunchReceipt::bundleVersions(
        {{"CFBundleShortVersionString", QStringLiteral("0.1.0")}, {"CFBundleVersion", 17}});
    EXPECT_EQ(versions.appVersion, QStringLiteral("0.1.0"));
    EXPECT_FALSE(versions.buildNumber); // not a string
    EXPECT_FALSE(LaunchReceipt::bundleVersions({{"CFBundleVersion", QStringLiteral("1 2")}}).buildNumber);
}

TEST(LaunchReceipt, BuiltFromAnObservationWithTheInstanceIdentity)
{
    const LaunchReceipt r = receiptFor(inspection(QStringLiteral("tekkit-2"), QStringLiteral("1.2.6")));
    EXPECT_EQ(r.schemaVersion, 1);
    EXPECT_EQ(r.storage, QStringLiteral("local-only"));
    EXPECT_EQ(r.observationScope, QStringLiteral("initial-launch-only"));
    EXPECT_EQ(r.observedAt, observed);
    EXPECT_EQ(r.appVersion, QStringLiteral("0.1.0"));
    EXPECT_EQ(r.instanceIdentity, QStringLiteral("tekkit-2@1.2.6"));
    EXPECT_EQ(r.outcome, LaunchOutcome::forgeLoaded);
    EXPECT_EQ(r.javaArchitecture, QStringLiteral("arm64"));
    EXPECT_EQ(r.javaTranslated, false);
    EXPECT_EQ(r.rosettaInstalled, true);
    EXPECT_EQ(r.elapsedObservationMilliseconds, 42250);

    EXPECT_EQ(receiptFor(inspection({}, {})).instanceIdentity, QStringLiteral("unknown-pack@unknown-version"));
    EXPECT_EQ(receiptFor(inspection(QStringLiteral("Tekkit 2"), QStringLiteral("1.2.6"))).instanceIdentity,
              QStringLiteral("unknown-pack@1.2.6"));
    const LaunchReceipt odd = LaunchReceipt::fromObservation(observed, QStringLiteral("0.1 beta"), std::nullopt,
                                                             inspection({}, {}), forgeLoaded(QStringLiteral("x86/64")),
                                                             std::nullopt, 1);
    EXPECT_FALSE(odd.appVersion);
    EXPECT_FALSE(odd.javaArchitecture);
    EXPECT_FALSE(odd.rosettaInstalled);
}

TEST(LaunchReceipt, ElapsedTimeIsWholeMillisecondsNeverNegative)
{
    EXPECT_EQ(LaunchReceipt::elapsedMilliseconds(1.5), 1500);
    EXPECT_EQ(LaunchReceipt::elapsedMilliseconds(0.0004), 0);
    EXPECT_EQ(LaunchReceipt::elapsedMilliseconds(0.0015), 2); // halves away from zero
    EXPECT_EQ(LaunchReceipt::elapsedMilliseconds(-3), 0);
    EXPECT_EQ(LaunchReceipt::elapsedMilliseconds(std::nan("")), 0);
    // Absurd times are capped instead of overflowing, and still read back exactly.
    const std::int64_t cap = LaunchReceipt::elapsedMilliseconds(std::numeric_limits<double>::infinity());
    EXPECT_EQ(cap, LaunchReceipt::elapsedMilliseconds(1e300));
    EXPECT_GT(cap, 0);
    const LaunchReceipt r = receiptFor(inspection({}, {}), 1e300);
    EXPECT_EQ(fromJson<LaunchReceipt>(QJsonDocument::fromJson(encodeJson(toJson(r))).object()), r);
}

TEST(LaunchReceipt, JsonLeavesOutAbsentValuesAndChecksOnlyTypes)
{
    const LaunchReceipt r = LaunchReceipt::fromObservation(observed, std::nullopt, std::nullopt, inspection({}, {}),
                                                           forgeLoaded(std::nullopt), std::nullopt, 2);
    QJsonObject json = toJson(r);
    EXPECT_EQ(json.keys(), (QStringList{"elapsedObservationMilliseconds", "instanceIdentity", "javaTranslated",
                                        "observationScope", "observedAt", "outcome", "schemaVersion", "storage"}));
    EXPECT_EQ(json.value("observedAt"), QJsonValue("2026-12-09T10:03:00Z"));

    json.insert("schemaVersion", 9);
    json.insert("storage", "cloud");
    json.insert("elapsedObservationMilliseconds", -5);
    json.insert("extra", true);
    EXPECT_EQ(fromJson<LaunchReceipt>(json).storage, QStringLiteral("cloud"));

    for (const auto& [key, value] : {std::pair{"schemaVersion", QJsonValue(1.5)}, {"outcome", QJsonValue("loaded")},
                                     {"javaTranslated", QJsonValue(1)}, {"observedAt", QJsonValue("yesterday")},
                                     {"instanceIdentity", QJsonValue::Null}}) {
        QJsonObject bad = json;
        bad.insert(key, value);
        EXPECT_THROW(fromJson<LaunchReceipt>(bad), DecodingError) << key;
    }
}

TEST(LaunchReceipt, AFailureIsKeptOnOneStatusLineOnlyForAStartupIssueOrAMissingTechnic)
{
    const QString startFailure = QStringLiteral("Technic did not start: Java exited 1. Error: Invalid or corrupt "
                                                "jarfile $HOME/Applications/TechnicLauncher.jar");
    struct Case {
        LaunchOutcome outcome;
        QString message;
        std::optional<QString> failure;
    } cases[] = {
        {LaunchOutcome::crashDetected, startFailure, startFailure},
        {LaunchOutcome::technicMissing, QStringLiteral("Technic is missing."), QStringLiteral("Technic is missing.")},
        {LaunchOutcome::crashDetected, QStringLiteral("two\nlines"), QStringLiteral("two lines")},
        {LaunchOutcome::crashDetected, QString(300, QLatin1Char('m')), QString(160, QLatin1Char('m'))},
        {LaunchOutcome::crashDetected, QStringLiteral(" \n "), std::nullopt},
        {LaunchOutcome::timedOut, startFailure, std::nullopt},
        {LaunchOutcome::openedTechnicWaitingForPlayer, startFailure, std::nullopt},
        {LaunchOutcome::forgeLoaded, startFailure, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        LaunchObservation o;
        o.outcome = c.outcome;
        o.message = c.message;
        const LaunchReceipt r =
            LaunchReceipt::fromObservation(observed, std::nullopt, std::nullopt, inspection({}, {}), o, false, 3);
        EXPECT_EQ(r.failure, c.failure);
        const QJsonObject json = toJson(r);
        EXPECT_EQ(json.contains("failure"), c.failure.has_value());
        EXPECT_EQ(fromJson<LaunchReceipt>(QJsonDocument::fromJson(encodeJson(json)).object()), r);
    }
}
