#include "session/LaunchResultContract.h"
#include "session/LiveEventContract.h"

#include "model/LaunchProviderError.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>

using namespace orvane;
using Kind = LaunchEventKind;
using State = LaunchResultState;

namespace {

// Stands for a provider in the checks: only its id and mode are read.
class NamedProvider final : public LaunchProvider {
public:
    NamedProvider(LaunchProviderID id, LaunchMode mode) : m_id(std::move(id)), m_mode(mode) {}
    LaunchProviderID id() const override { return m_id; }
    LaunchMode mode() const override { return m_mode; }
    LaunchResult launch(const PackLaunchRequest&, const LaunchEventHandler&, std::stop_token) override
    {
        throw std::logic_error("not launched in these tests");
    }

private:
    LaunchProviderID m_id;
    LaunchMode m_mode;
};

const QDateTime start = QDateTime::fromString(QStringLiteral("2026-12-08T07:21:08.000Z"), Qt::ISODateWithMs);

PackLaunchRequest makeRequest()
{
    return {QUuid::createUuid(), PackDescriptor::tekkit2, std::nullopt, std::nullopt, std::nullopt};
}

LaunchEvent makeEvent(const PackLaunchRequest& request, Kind kind, int millisecondsAfterStart)
{
    return {QUuid::createUuid(),
            request.operationID,
            LaunchProviderID::officialTechnic,
            request.pack.id,
            kind,
            start.addMSecs(millisecondsAfterStart),
            QStringLiteral("Checking the official Technic handoff.")};
}

// A result that passes every check: preparing, waitingForPlayer, completed, handoffReady, over 3 s.
LaunchResult makeResult(const PackLaunchRequest& request)
{
    return {request.operationID,
            request.pack,
            LaunchProviderID::officialTechnic,
            LaunchMode::companionHandoff,
            start,
            start.addSecs(3),
            {makeEvent(request, Kind::preparing, 0), makeEvent(request, Kind::waitingForPlayer, 1000),
             makeEvent(request, Kind::completed, 2000)},
            State::handoffReady,
            QStringLiteral("Launch handoff complete."),
            std::nullopt};
}

std::optional<QString> refusal(const LaunchResult& result, const PackLaunchRequest& request,
                               const LaunchProvider& provider)
{
    try {
        validateLaunchResult(result, request, provider);
        return std::nullopt;
    } catch (const LaunchProviderError& error) {
        EXPECT_EQ(error.kind(), LaunchProviderError::Kind::invalidResult);
        return error.text();
    }
}

QString bytes(int count, QChar fill = QLatin1Char('a'))
{
    return QString(count, fill);
}

} // namespace

TEST(LaunchResultContract, EveryCheckRefusesWithItsOwnReason)
{
    const NamedProvider official(LaunchProviderID::officialTechnic, LaunchMode::companionHandoff);
    struct Case {
        const char* name;
        std::function<void(LaunchResult&, PackLaunchRequest&)> change;
        std::optional<QString> reason;
        const LaunchProvider* provider = nullptr;
    };
    const NamedProvider otherId(LaunchProviderID(QStringLiteral("other")), LaunchMode::companionHandoff);
    const NamedProvider otherMode(LaunchProviderID::officialTechnic, LaunchMode::direct);
    const auto setEvents = [](std::vector<Kind> kinds, std::vector<int> times) {
        return [kinds, times](LaunchResult& r, PackLaunchRequest& q) {
            r.events.clear();
            for (std::size_t i = 0; i < kinds.size(); ++i)
                r.events.push_back(makeEvent(q, kinds[i], times[i]));
        };
    };
    const std::vector<Case> cases{
        {"valid", [](auto&, auto&) {}, std::nullopt},
        {"operation", [](auto& r, auto&) { r.operationID = QUuid::createUuid(); }, "operation identity mismatch"},
        {"operation before pack",
         [](auto& r, auto&) {
             r.operationID = QUuid::createUuid();
             r.pack.version = QStringLiteral("1.2.7");
         },
         "operation identity mismatch"},
        {"pack field", [](auto& r, auto&) { r.pack.supportReason = QStringLiteral("Other."); },
         "pack identity mismatch"},
        {"provider id", [](auto& r, auto&) { r.providerID = LaunchProviderID(QStringLiteral("other")); },
         "provider identity mismatch"},
        {"provider differs from the pack's",
         [](auto& r, auto&) {
             r.providerID = LaunchProviderID(QStringLiteral("other"));
             for (auto& e : r.events)
                 e.providerID = r.providerID;
         },
         "provider identity mismatch", &otherId},
        {"mode", [](auto& r, auto&) { r.mode = LaunchMode::direct; }, "launch mode mismatch"},
        {"mode differs from the pack's", [](auto& r, auto&) { r.mode = LaunchMode::direct; }, "launch mode mismatch",
         &otherMode},
        {"finish before start", [](auto& r, auto&) { r.finishedAt = start.addMSecs(-1); },
         "finish time precedes start time"},
        {"result message empty", [](auto& r, auto&) { r.message.clear(); }, "result message is invalid"},
        {"result message with a line feed", [](auto& r, auto&) { r.message = QStringLiteral("Done.\nReally."); },
         "result message is invalid"},
        {"result message of 4097 bytes", [](auto& r, auto&) { r.message = bytes(4097); }, "result message is invalid"},
        {"result message of 4096 bytes", [](auto& r, auto&) { r.message = bytes(2048, QChar(0xE9)); }, std::nullopt},
        {"result message of 4097 bytes (two-byte letters)",
         [](auto& r, auto&) { r.message = bytes(2048, QChar(0xE9)) + QLatin1Char('a'); }, "result message is invalid"},
        {"no events", [](auto& r, auto&) { r.events.clear(); }, "missing terminal event"},
        {"257 events",
         [](auto& r, auto& q) {
             r.events.clear();
             for (int i = 0; i < 256; ++i)
                 r.events.push_back(makeEvent(q, Kind::waitingForPlayer, 0));
             r.events.push_back(makeEvent(q, Kind::completed, 0));
         },
         "event limit exceeded"},
        {"256 events",
         [](auto& r, auto& q) {
             r.events.clear();
             for (int i = 0; i < 255; ++i)
                 r.events.push_back(makeEvent(q, Kind::waitingForPlayer, 0));
             r.events.push_back(makeEvent(q, Kind::completed, 0));
         },
         std::nullopt},
        {"event operation", [](auto& r, auto&) { r.events[1].operationID = QUuid::createUuid(); },
         "event operation identity mismatch"},
        {"event provider", [](auto& r, auto&) { r.events[1].providerID = LaunchProviderID::orvaneDirect; },
         "event provider identity mismatch"},
        {"event pack", [](auto& r, auto&) { r.events[2].packID = *PackID::fromRawValue(QStringLiteral("tekkit-3")); },
         "cross-pack event"},
        {"event message of 1025 bytes", [](auto& r, auto&) { r.events[0].message = bytes(1025); },
         "event message is invalid"},
        {"event message of 1024 bytes (two-byte letters)", [](auto& r, auto&) { r.events[0].message = bytes(512, QChar(0xE9)); },
         std::nullopt},
        {"event message with a tab", [](auto& r, auto&) { r.events[0].message = QStringLiteral("a\tb"); },
         "event message is invalid"},
        {"event message with DEL", [](auto& r, auto&) { r.events[0].message = QStringLiteral("a\x7F"); },
         "event message is invalid"},
        {"event message with U+0085", [](auto& r, auto&) { r.events[0].message = QStringLiteral("a") + QChar(0x85); },
         std::nullopt},
        {"empty event message", [](auto& r, auto&) { r.events[0].message.clear(); }, "event message is invalid"},
        {"duplicate id", [](auto& r, auto&) { r.events[1].id = r.events[0].id; }, "duplicate event identity"},
        {"event before start", setEvents({Kind::preparing, Kind::completed}, {-1, 0}), "event chronology mismatch"},
        {"events out of order", setEvents({Kind::preparing, Kind::waitingForPlayer, Kind::completed}, {5, 4, 6}),
         "event chronology mismatch"},
        {"event a millisecond after finish", setEvents({Kind::preparing, Kind::completed}, {0, 3001}),
         "event chronology mismatch"},
        {"equal times and an event at finish", setEvents({Kind::preparing, Kind::waitingForPlayer, Kind::completed}, {0, 0, 3000}),
         std::nullopt},
        {"terminal event not last", setEvents({Kind::preparing, Kind::completed, Kind::completed}, {0, 1, 2}),
         "event follows terminal event"},
        {"last event not terminal", setEvents({Kind::preparing, Kind::waitingForPlayer}, {0, 1}),
         "terminal event does not match result state"},
        {"completed with failed", [](auto& r, auto&) { r.state = State::failed; },
         "terminal event does not match result state"},
        {"completed with gameLoaded", [](auto& r, auto&) { r.state = State::gameLoaded; }, std::nullopt},
        {"timedOut with timedOut",
         [](auto& r, auto&) {
             r.events.back().kind = Kind::timedOut;
             r.state = State::timedOut;
         },
         std::nullopt},
        {"cancelled with timedOut",
         [](auto& r, auto&) {
             r.events.back().kind = Kind::cancelled;
             r.state = State::timedOut;
         },
         "terminal event does not match result state"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PackLaunchRequest request = makeRequest();
        LaunchResult result = makeResult(request);
        c.change(result, request);
        EXPECT_EQ(refusal(result, request, c.provider ? *c.provider : official), c.reason);
    }
}

TEST(LaunchResultContract, LiveEventsMustBeAPrefixOfTheResultEvents)
{
    const PackLaunchRequest request = makeRequest();
    const LaunchResult result = makeResult(request);
    const auto& all = result.events;
    EXPECT_TRUE(liveEventsMatchResult({}, all));
    EXPECT_TRUE(liveEventsMatchResult({all[0], all[1]}, all));
    EXPECT_TRUE(liveEventsMatchResult(all, all));
    EXPECT_FALSE(liveEventsMatchResult({all[0], all[1]}, {all[0]}));
    EXPECT_FALSE(liveEventsMatchResult({all[1]}, all));
    for (const auto& change : std::vector<std::function<void(LaunchEvent&)>>{
             [](LaunchEvent& e) { e.id = QUuid::createUuid(); },
             [](LaunchEvent& e) { e.message += QLatin1Char('!'); },
             [](LaunchEvent& e) { e.occurredAt = e.occurredAt.addMSecs(1); },
             [](LaunchEvent& e) { e.kind = Kind::gameDetected; },
         }) {
        LaunchEvent altered = all[1];
        change(altered);
        EXPECT_FALSE(liveEventsMatchResult({all[0], altered}, all));
    }
}

TEST(LiveEventContract, EveryCheckRefusesWithItsOwnReasonInOrder)
{
    struct Case {
        const char* name;
        std::function<void(LaunchEvent&)> change;
        std::optional<QString> reason;
        bool idCounted; // whether the judged event's id is in the set afterwards
        std::size_t seenBefore = 1;
        bool terminalAccepted = false;
        bool firstEvent = false; // nothing accepted yet, so no date to keep up with
    };
    const std::vector<Case> cases{
        // Live events are judged by arrival: a date long before any start passes.
        {"first event", [](auto& e) { e.occurredAt = start.addYears(-1); }, std::nullopt, true, 1, false, true},
        {"same date as the last", [](auto&) {}, std::nullopt, true},
        {"operation", [](auto& e) { e.operationID = QUuid::createUuid(); }, "event operation identity mismatch", false},
        {"provider", [](auto& e) { e.providerID = LaunchProviderID::orvaneDirect; }, "event provider identity mismatch",
         false},
        {"pack", [](auto& e) { e.packID = *PackID::fromRawValue(QStringLiteral("other-pack")); }, "cross-pack event", false},
        {"pack before message",
         [](auto& e) {
             e.packID = *PackID::fromRawValue(QStringLiteral("other-pack"));
             e.message.clear();
         },
         "cross-pack event", false},
        {"256 seen already", [](auto&) {}, "event limit exceeded", false, 256},
        {"255 seen already", [](auto&) {}, std::nullopt, true, 255},
        {"message with a line feed", [](auto& e) { e.message = QStringLiteral("line\nbreak"); },
         "event message is invalid", false},
        {"message of 1025 bytes", [](auto& e) { e.message = QString(1025, QLatin1Char('a')); },
         "event message is invalid", false},
        {"message of 1024 bytes", [](auto& e) { e.message = QString(1024, QLatin1Char('a')); }, std::nullopt, true},
        {"duplicate", [](auto& e) { e.id = QUuid(QStringLiteral("{00000000-0000-0000-0000-000000000001}")); },
         "duplicate event identity", true},
        {"a millisecond before the last", [](auto& e) { e.occurredAt = e.occurredAt.addMSecs(-1); },
         "event chronology mismatch", true},
        {"after a terminal event", [](auto&) {}, "event follows terminal event", true, 1, true},
    };
    const QUuid firstID(QStringLiteral("{00000000-0000-0000-0000-000000000001}"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const PackLaunchRequest request = makeRequest();
        std::set<QUuid> seen{firstID};
        while (seen.size() < c.seenBefore)
            seen.insert(QUuid::createUuid());
        LaunchEvent event = makeEvent(request, Kind::waitingForPlayer, 100);
        c.change(event);
        const auto terminal = c.terminalAccepted ? std::optional(Kind::completed) : std::nullopt;
        const auto lastDate = c.firstEvent ? std::nullopt : std::optional(start.addMSecs(100));
        EXPECT_EQ(liveEventViolation(event, request, LaunchProviderID::officialTechnic, seen, lastDate, terminal),
                  c.reason);
        EXPECT_EQ(seen.contains(event.id), c.idCounted);
    }
}
