#include "app/NetworkReleaseFetcher.h"
#include "app/support/EventLoop.h"
#include "app/support/FakeReleaseFetcher.h"
#include "app/support/FakeSession.h"
#include "app/support/LocalHttpServer.h"
#include "app/support/TestSeams.h"
#include "model/AppModel.h"
#include "model/UpdateCheck.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>

namespace orvane {
namespace {

using test::FakeReleaseFetcher;

const QString failedText = QStringLiteral("Couldn’t check right now. Orvane was not changed.");

QByteArray record(const QString& version, int build)
{
    const QJsonObject object{
        {QStringLiteral("schemaVersion"), 1},
        {QStringLiteral("version"), version},
        {QStringLiteral("build"), build},
        {QStringLiteral("productSourceCommit"), QString(40, QLatin1Char('b'))},
        {QStringLiteral("downloadURL"), QStringLiteral("https://releases.orvane.test/downloads/Orvane.zip")},
        {QStringLiteral("filename"), QStringLiteral("Orvane.zip")},
        {QStringLiteral("bytes"), 2048},
        {QStringLiteral("sha256"), QString(64, QLatin1Char('c'))},
        {QStringLiteral("bundleIdentifier"), QStringLiteral("app.orvane.companion")},
        {QStringLiteral("teamIdentifier"), QStringLiteral("QK7RTW2XNB")},
        {QStringLiteral("minimumSystemVersion"), QStringLiteral("14.0")},
        {QStringLiteral("architecture"), QStringLiteral("arm64")},
        {QStringLiteral("notarization"),
         QJsonObject{{QStringLiteral("status"), QStringLiteral("Accepted")},
                     {QStringLiteral("submissionId"), QStringLiteral("id")},
                     {QStringLiteral("stapled"), true}}},
    };
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

struct Checked {
    UpdateCheckState state;
    std::vector<QNetworkRequest> requests;
    int stateChanges = 0;
};

// Runs one check on a model (running 1.2.0 build 41 unless `bundle` says otherwise) against `answer`.
Checked check(const ReleaseAnswer& answer, std::optional<BundleInfo> bundle = std::nullopt)
{
    AppSeams seams = test::testSeams();
    auto fetcher = std::make_shared<FakeReleaseFetcher>(answer);
    seams.releaseFetcher = fetcher;
    if (bundle)
        seams.bundle = *bundle;
    auto session = std::make_shared<test::FakeSession>();
    AppModel model(session, seams);
    QSignalSpy changes(&model, &AppModel::updateCheckStateChanged);

    model.checkForUpdates();
    EXPECT_TRUE(model.updateCheckState().isChecking());
    EXPECT_TRUE(test::runEventsUntil([&] { return !model.updateCheckState().isChecking(); }));
    EXPECT_TRUE(session->calls().empty());
    EXPECT_EQ(model.status(), AppModelState::initialStatus());
    EXPECT_FALSE(model.busy());
    return Checked{model.updateCheckState(), fetcher->requests(), int(changes.count())};
}

TEST(UpdateCheck, RequestsTheRecordFromTheNetworkWithATimeoutAndSameOriginRedirects)
{
    const Checked checked = check(ReleaseAnswer{200, record(QStringLiteral("1.2.0"), 41)});
    ASSERT_EQ(checked.requests.size(), 1u);
    const QNetworkRequest& request = checked.requests.front();
    EXPECT_EQ(request.url(), QUrl(QStringLiteral("https://releases.orvane.test/releases/latest.json")));
    EXPECT_EQ(request.attribute(QNetworkRequest::CacheLoadControlAttribute).toInt(), int(QNetworkRequest::AlwaysNetwork));
    EXPECT_EQ(request.attribute(QNetworkRequest::RedirectPolicyAttribute).toInt(),
              int(QNetworkRequest::SameOriginRedirectPolicy));
    EXPECT_EQ(request.transferTimeout(), 15000);
    EXPECT_EQ(checked.stateChanges, 2); // checking, then the outcome
}

TEST(UpdateCheck, EndsAvailableCurrentOrFailedWithTheOneSentence)
{
    QByteArray duplicateKeys = record(QStringLiteral("1.3.0"), 50);
    duplicateKeys.insert(1, "\"build\":1,");
    QByteArray buildAsText = record(QStringLiteral("1.3.0"), 7);
    buildAsText.replace("\"build\":7", "\"build\":\"7\"");
    const QByteArray oversized = record(QStringLiteral("1.3.0"), 50) + QByteArray(ReleaseFetcher::maximumBodyBytes, ' ');

    struct Case {
        const char* name;
        ReleaseAnswer answer;
        std::optional<BundleInfo> bundle;
        UpdateCheckState::Case expected;
    };
    const std::vector<Case> cases{
        {"release candidate above the running version", {200, record(QStringLiteral("1.3.0-rc.1"), 1)}, std::nullopt,
         UpdateCheckState::Case::available},
        {"1.2 equals 1.2.0 with the same build", {200, record(QStringLiteral("1.2"), 41)}, std::nullopt,
         UpdateCheckState::Case::current},
        {"1.2 equals 1.2.0, later build", {200, record(QStringLiteral("1.2"), 42)}, std::nullopt,
         UpdateCheckState::Case::available},
        {"no running version counts as 0.0.0", {200, record(QStringLiteral("0.0.1"), 1)},
         BundleInfo{std::nullopt, std::nullopt}, UpdateCheckState::Case::available},
        {"a running version that does not parse", {200, record(QStringLiteral("1.3.0"), 1)},
         BundleInfo{QStringLiteral("dev"), QStringLiteral("1")}, UpdateCheckState::Case::failed},
        {"304", {304, {}}, std::nullopt, UpdateCheckState::Case::failed},
        {"404", {404, {}}, std::nullopt, UpdateCheckState::Case::failed},
        {"500", {500, record(QStringLiteral("1.3.0"), 50)}, std::nullopt, UpdateCheckState::Case::failed},
        {"no answer", {0, {}}, std::nullopt, UpdateCheckState::Case::failed},
        {"oversized", {200, oversized}, std::nullopt, UpdateCheckState::Case::failed},
        {"duplicate keys", {200, duplicateKeys}, std::nullopt, UpdateCheckState::Case::failed},
        {"build as text", {200, buildAsText}, std::nullopt, UpdateCheckState::Case::failed},
        {"not JSON", {200, "<html>"}, std::nullopt, UpdateCheckState::Case::failed},
        {"a JSON array", {200, "[]"}, std::nullopt, UpdateCheckState::Case::failed},
        {"a broken rule", {200, record(QStringLiteral("1.3"), 0)}, std::nullopt, UpdateCheckState::Case::failed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Checked checked = check(c.answer, c.bundle);
        EXPECT_EQ(checked.state.kind(), c.expected);
        if (c.expected == UpdateCheckState::Case::failed) {
            EXPECT_EQ(checked.state.statusText(), failedText);
        }
    }

    EXPECT_EQ(check({200, record(QStringLiteral("1.2"), 41)}).state, UpdateCheckState::current(QStringLiteral("1.2.0"), 41));
    const Checked available = check({200, record(QStringLiteral("1.3.0-rc.1"), 7)});
    EXPECT_EQ(available.state.manifest().version, QStringLiteral("1.3.0-rc.1"));
    EXPECT_EQ(available.state.statusText(), QStringLiteral("Orvane 1.3.0-rc.1 (7) is available. Opening it is your choice."));
}

TEST(UpdateCheck, TwoQuickPressesMakeOneRequest)
{
    AppSeams seams = test::testSeams();
    auto fetcher = std::make_shared<FakeReleaseFetcher>(ReleaseAnswer{200, record(QStringLiteral("1.2.0"), 41)}, false);
    seams.releaseFetcher = fetcher;
    AppModel model(std::make_shared<test::FakeSession>(), seams);

    model.checkForUpdates();
    model.checkForUpdates();
    QCoreApplication::processEvents();
    EXPECT_TRUE(model.updateCheckState().isChecking());
    fetcher->finish();
    ASSERT_TRUE(test::runEventsUntil([&] { return !model.updateCheckState().isChecking(); }));
    EXPECT_EQ(fetcher->requests().size(), 1u);
    EXPECT_EQ(model.updateCheckState(), UpdateCheckState::current(QStringLiteral("1.2.0"), 41));
}

// The real fetcher against a server on 127.0.0.1.
ReleaseAnswer fetchFrom(test::LocalHttpServer& server)
{
    NetworkReleaseFetcher fetcher;
    const QUrl url(QStringLiteral("http://127.0.0.1:%1/releases/latest.json").arg(server.port()));
    std::optional<ReleaseAnswer> answer;
    auto run = [&]() -> QCoro::Task<> { answer = co_await fetcher.get(updateCheck::latestReleaseRequest(url)); };
    run();
    EXPECT_TRUE(test::runEventsUntil([&] { return answer.has_value(); }));
    return answer.value_or(ReleaseAnswer{-1, {}});
}

TEST(NetworkReleaseFetcher, SendsOneGetAndPassesTheStatusAndBodyOn)
{
    const QByteArray body = record(QStringLiteral("1.3.0"), 50);
    test::LocalHttpServer server(test::LocalHttpServer::response(200, body));
    EXPECT_EQ(fetchFrom(server), (ReleaseAnswer{200, body}));
    ASSERT_EQ(server.requests().size(), 1u);
    const QByteArray head = server.requests().front();
    EXPECT_TRUE(head.startsWith("GET /releases/latest.json HTTP/1.1\r\n")) << head.toStdString();
    EXPECT_TRUE(head.toLower().contains("cache-control: no-cache")) << head.toStdString();
}

TEST(NetworkReleaseFetcher, ErrorStatusesAndOversizedAnswersGiveNoRecord)
{
    struct Case {
        const char* name;
        QByteArray response;
        int status;
    };
    const QByteArray big(ReleaseFetcher::maximumBodyBytes + 1, 'x');
    const std::vector<Case> cases{
        {"404", test::LocalHttpServer::response(404, "missing"), 404},
        {"500", test::LocalHttpServer::response(500, "broken"), 500},
        {"announced too long", test::LocalHttpServer::response(200, big), 0},
        {"too long without a length", "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + big, 0},
        {"not HTTP", "hello", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::LocalHttpServer server(c.response);
        const ReleaseAnswer answer = fetchFrom(server);
        EXPECT_EQ(answer.statusCode, c.status);
        EXPECT_TRUE(answer.body.isEmpty());
    }
}

} // namespace
} // namespace orvane
