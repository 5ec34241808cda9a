#include "json/DecodingError.h"
#include "model/LaunchContractLimits.h"
#include "model/LaunchEventLog.h"
#include "model/LaunchObservation.h"
#include "model/LaunchResult.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <thread>

using namespace orvane;

namespace {

const QDateTime start(QDate(2026, 12, 9), QTime(10, 0, 0), Qt::UTC);

LaunchEvent event(const QUuid& operation, LaunchEventKind kind, int second, const QString& message)
{
    return LaunchEvent{QUuid::createUuid(), operation,    LaunchProviderID::officialTechnic, PackID::tekkit2,
                       kind,                start.addSecs(second), message};
}

LaunchResult result(std::optional<LaunchObservation> observation)
{
    const QUuid operation = QUuid::createUuid();
    return LaunchResult{operation,
                        PackDescriptor::tekkit2,
                        LaunchProviderID::officialTechnic,
                        LaunchMode::companionHandoff,
                        start,
                        start.addSecs(30),
                        {event(operation, LaunchEventKind::preparing, 0, "Checking the official Technic handoff."),
                         event(operation, LaunchEventKind::completed, 30, "Launch handoff complete.")},
                        LaunchResultState::gameLoaded,
                        QStringLiteral("Forge loaded."),
                        std::move(observation)};
}

template <class T>
bool decodes(const QJsonObject& json)
{
    try {
        fromJson<T>(json);
        return true;
    } catch (const DecodingError&) {
        return false;
    }
}

} // namespace

TEST(LaunchEventKind, TerminalRule)
{
    using K = LaunchEventKind;
    using S = LaunchResultState;
    const std::vector<S> states{S::handoffReady, S::gameStarted, S::gameLoaded, S::failed, S::timedOut, S::cancelled};
    const std::vector<std::pair<K, std::vector<S>>> table{
        {K::preparing, {}},       {K::openingProvider, {}}, {K::waitingForPlayer, {}},
        {K::gameDetected, {}},    {K::gameLoaded, {}},      {K::failed, {S::failed}},
        {K::timedOut, {S::timedOut}}, {K::cancelled, {S::cancelled}},
        {K::completed, {S::handoffReady, S::gameStarted, S::gameLoaded}},
    };
    for (const auto& [kind, matching] : table) {
        EXPECT_EQ(isTerminal(kind), !matching.empty()) << enumName(kind).toStdString();
        for (const S state : states) {
            const bool expected = std::find(matching.begin(), matching.end(), state) != matching.end();
            EXPECT_EQ(terminalKindMatches(kind, state), expected)
                << enumName(kind).toStdString() << " " << enumName(state).toStdString();
        }
    }
}

TEST(LaunchEvent, JsonRoundTripAndRefusals)
{
    const LaunchEvent e = event(QUuid::createUuid(), LaunchEventKind::waitingForPlayer, 5, "Technic is ready for Play.");
    const QJsonObject json = toJson(e);
    EXPECT_EQ(json.value("id").toString(), e.id.toString(QUuid::WithoutBraces).toUpper());
    EXPECT_EQ(json.value("occurredAt").toString(), QStringLiteral("2026-12-09T10:00:05Z"));
    EXPECT_EQ(json.value("kind").toString(), QStringLiteral("waitingForPlayer"));
    EXPECT_EQ(fromJson<LaunchEvent>(json), e);
    LaunchEvent twin = e;
    twin.id = QUuid::createUuid();
    EXPECT_NE(twin, e);

    for (const QString& key : json.keys()) {
        QJsonObject missing = json;
        missing.remove(key);
        EXPECT_FALSE(decodes<LaunchEvent>(missing)) << key.toStdString();
    }
    for (const auto& [key, value] : {std::pair{"kind", "finished"}, {"packID", "Tekkit-2"}, {"id", "not-a-uuid"}}) {
        QJsonObject bad = json;
        bad.insert(key, value);
        EXPECT_FALSE(decodes<LaunchEvent>(bad)) << key;
    }
}

TEST(LaunchResult, ObservationIsOptionalAndEventsMayBeEmpty)
{
    LaunchResult plain = result(std::nullopt);
    QJsonObject json = toJson(plain);
    EXPECT_FALSE(json.contains("legacyObservation"));
    EXPECT_EQ(fromJson<LaunchResult>(json), plain);
    json.insert("legacyObservation", QJsonValue::Null);
    EXPECT_EQ(fromJson<LaunchResult>(json), plain);

    LaunchResult observed = plain;
    observed.legacyObservation = LaunchObservation{.openedTechnic = true,
                                                   .technicRunning = true,
                                                   .javaRunning = true,
                                                   .javaArchitecture = QStringLiteral("x86_64"),
                                                   .translated = true,
                                                   .logExcerpt = QStringLiteral("FML loaded"),
                                                   .outcome = LaunchOutcome::forgeLoaded,
                                                   .message = QStringLiteral("Forge loaded.")};
    EXPECT_NE(observed, plain);
    EXPECT_TRUE(toJson(observed).value("legacyObservation").isObject());
    EXPECT_EQ(fromJson<LaunchResult>(toJson(observed)), observed);

    plain.events.clear();
    EXPECT_EQ(toJson(plain).value("events"), QJsonValue(QJsonArray()));
    EXPECT_EQ(fromJson<LaunchResult>(toJson(plain)), plain);
}

TEST(LaunchResult, DecodingRefusals)
{
    const QJsonObject json = toJson(result(std::nullopt));
    for (const auto& [key, value] : {std::pair{"state", "completed"}, {"mode", "handoff"}}) {
        QJsonObject bad = json;
        bad.insert(key, value);
        EXPECT_FALSE(decodes<LaunchResult>(bad)) << key;
    }
    QJsonObject bad = json;
    bad.remove("message");
    EXPECT_FALSE(decodes<LaunchResult>(bad));
    // One event with a bad pack id spoils the whole result.
    QJsonArray events = json.value("events").toArray();
    QJsonObject first = events.at(0).toObject();
    first.insert("packID", "--");
    events.replace(0, first);
    bad = json;
    bad.insert("events", events);
    EXPECT_FALSE(decodes<LaunchResult>(bad));
}

TEST(LaunchContractLimits, MessageRule)
{
    EXPECT_EQ(LaunchContractLimits::maximumEvents, 256);
    EXPECT_EQ(LaunchContractLimits::maximumResultMessageBytes, 4096);
    const int limit = LaunchContractLimits::maximumEventMessageBytes;
    EXPECT_EQ(limit, 1024);

    EXPECT_TRUE(isValidContractMessage(QString(1024, QLatin1Char('a')), limit));
    EXPECT_FALSE(isValidContractMessage(QString(1025, QLatin1Char('a')), limit));
    // 512 two-byte letters are 1024 bytes; one more letter is over.
    EXPECT_TRUE(isValidContractMessage(QString(512, QChar(0xE9)), limit));
    EXPECT_FALSE(isValidContractMessage(QString(512, QChar(0xE9)) + QLatin1Char('a'), limit));
    for (const QString& bad : {QString(), QStringLiteral("a\tb"), QStringLiteral("a\nb"), QStringLiteral("a\x7f"),
                               QString(QChar(0)), QString::fromUtf16(u"a\xD83C"), QString::fromUtf16(u"\xDFAE a")})
        EXPECT_FALSE(isValidContractMessage(bad, limit)) << bad.toStdString();
    EXPECT_TRUE(isValidContractMessage(QStringLiteral("Caf\u00e9 \u0085 \u009f ok."), limit));
    EXPECT_TRUE(isValidContractMessage(QString::fromUtf8("\xF0\x9F\x8E\xAE play"), limit));

    EXPECT_TRUE(isValidContractMessage(QByteArray("\xc3\xa9"), 2));
    EXPECT_FALSE(isValidContractMessage(QByteArray("\xc3\xa9"), 1));
    for (const char* bad : {"bad \xff byte", "cut \xc3", "surrogate \xed\xa0\x80", "overlong \xc0\xaf", "bell \x07"})
        EXPECT_FALSE(isValidContractMessage(QByteArray(bad), limit)) << bad;
}

TEST(LaunchEventLog, KeepsEveryEventOfConcurrentWritersInOrder)
{
    LaunchEventLog log;
    const QUuid operation = QUuid::createUuid();
    constexpr int perThread = 200;
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t) {
        writers.emplace_back([&log, &operation, t] {
            for (int i = 0; i < perThread; ++i)
                log.append(event(operation, LaunchEventKind::preparing, i, QString::number(t)));
        });
    }
    for (auto& w : writers)
        w.join();
    const auto events = log.events();
    ASSERT_EQ(events.size(), std::size_t(4 * perThread));
    std::vector<qint64> last(4, -1);
    for (const auto& e : events) {
        qint64& previous = last[std::size_t(e.message.toInt())];
        EXPECT_GT(start.secsTo(e.occurredAt), previous);
        previous = start.secsTo(e.occurredAt);
    }
}
