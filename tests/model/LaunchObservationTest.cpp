#include "json/DecodingError.h"
#include "json/JsonWriter.h"
#include "model/LaunchObservation.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QJsonDocument>

using namespace orvane;

namespace {

LaunchObservation roundTrip(const LaunchObservation& value)
{
    return fromJson<LaunchObservation>(QJsonDocument::fromJson(encodeJson(toJson(value))).object());
}

LaunchObservation unseenJava()
{
    return LaunchObservation{
        .openedTechnic = true,
        .technicRunning = true,
        .javaRunning = false,
        .javaArchitecture = std::nullopt,
        .translated = std::nullopt,
        .logExcerpt = QString(),
        .outcome = LaunchOutcome::openedTechnicWaitingForPlayer,
        .message = QStringLiteral("Technic is open. Press Play there."),
    };
}

} // namespace

TEST(LaunchOutcome, CheckLinesAndProblemFlags)
{
    const struct {
        LaunchOutcome outcome;
        const char* line;
        bool problem;
    } cases[] = {
        {LaunchOutcome::openedTechnicWaitingForPlayer, "LAST CHECK \xC2\xB7 TECHNIC OPEN \xC2\xB7 GAME NOT DETECTED",
         false},
        {LaunchOutcome::javaStarted, "LAST CHECK \xC2\xB7 GAME JAVA STARTED", false},
        {LaunchOutcome::forgeLoaded, "LAST CHECK \xC2\xB7 FORGE LOADED", false},
        {LaunchOutcome::crashDetected, "LAST CHECK \xC2\xB7 STARTUP ISSUE DETECTED", true},
        {LaunchOutcome::technicMissing, "LAST CHECK \xC2\xB7 TECHNIC NOT FOUND", true},
        {LaunchOutcome::timedOut, "LAST CHECK \xC2\xB7 TIMEOUT (3 MIN) \xC2\xB7 GAME NOT DETECTED", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(statusLine(c.outcome), QString::fromUtf8(c.line));
        EXPECT_EQ(isProblem(c.outcome), c.problem) << c.line;
    }
    EXPECT_EQ(std::size(cases), EnumNames<LaunchOutcome>::names.size());
}

TEST(LaunchObservation, OptionalJavaFieldsAreLeftOutWhenAbsentAndRoundTrip)
{
    const LaunchObservation observation = unseenJava();
    const QJsonObject o = toJson(observation);
    EXPECT_FALSE(o.contains("javaArchitecture"));
    EXPECT_FALSE(o.contains("translated"));
    EXPECT_EQ(o.size(), 6);
    EXPECT_EQ(roundTrip(observation), observation);

    QJsonObject nulls = o;
    nulls.insert("javaArchitecture", QJsonValue::Null);
    nulls.insert("translated", QJsonValue::Null);
    EXPECT_EQ(fromJson<LaunchObservation>(nulls), observation);

    LaunchObservation seen = observation;
    seen.javaArchitecture = QStringLiteral("x86_64");
    seen.translated = false;
    seen.outcome = LaunchOutcome::forgeLoaded;
    EXPECT_EQ(roundTrip(seen), seen);
    EXPECT_EQ(toJson(seen).value("translated"), QJsonValue(false));
    seen.translated.reset();
    EXPECT_NE(roundTrip(seen), roundTrip(observation));
}

TEST(LaunchObservation, DecodingIsStrict)
{
    const QJsonObject good = toJson(unseenJava());
    for (const QString& key : good.keys()) {
        QJsonObject o = good;
        o.remove(key);
        EXPECT_THROW(fromJson<LaunchObservation>(o), DecodingError) << key.toStdString();
    }
    const auto with = [&](const char* key, const QJsonValue& v) {
        QJsonObject o = good;
        o.insert(key, v);
        return o;
    };
    EXPECT_THROW(fromJson<LaunchObservation>(with("outcome", "crashed")), DecodingError);
    EXPECT_THROW(fromJson<LaunchObservation>(with("outcome", "TimedOut")), DecodingError);
    EXPECT_THROW(fromJson<LaunchObservation>(with("outcome", QJsonValue::Null)), DecodingError);
    EXPECT_THROW(fromJson<LaunchObservation>(with("translated", 1)), DecodingError);
    EXPECT_EQ(fromJson<LaunchObservation>(with("somethingNew", 1)), unseenJava());
}
