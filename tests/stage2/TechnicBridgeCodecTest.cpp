#include "json/JsonWriter.h"
#include "stage2/TechnicBridgeCodec.h"

#include "support/QtPrinters.h"
#include "TechnicBridgeTestSupport.h"

#include <gtest/gtest.h>

#include <QJsonArray>

using namespace orvane;
using orvane::test::bridgeRefusal;
using orvane::test::bridgeRequestID;
using orvane::test::compactJson;
using E = TechnicBridgeProtocolError;

namespace {

const QString otherID = QStringLiteral("0E984725-C51C-4BF4-9960-E1C80E27ABA0");

std::optional<E> requestRefusal(const QByteArray& bytes)
{
    return bridgeRefusal([&] { (void)TechnicBridgeCodec::decodeRequest(bytes); });
}
std::optional<E> requestRefusal(const QJsonObject& object) { return requestRefusal(compactJson(object)); }

std::optional<E> eventRefusal(const QByteArray& bytes)
{
    return bridgeRefusal([&] { (void)TechnicBridgeCodec::decodeEvent(bytes); });
}
std::optional<E> eventRefusal(const QJsonObject& object) { return eventRefusal(compactJson(object)); }

E field(const char* text) { return E::invalidField(QLatin1String(text)); }

// Message text written by hand, with $ID standing for a valid request id.
QByteArray raw(const char* text)
{
    // Byte for byte, so that invalid UTF-8 reaches the codec unchanged.
    return QByteArray(text).replace("$ID", bridgeRequestID.toUtf8());
}

QJsonObject with(QJsonObject object, const QJsonObject& extra)
{
    for (auto it = extra.begin(); it != extra.end(); ++it)
        object.insert(it.key(), it.value());
    return object;
}

QJsonObject request(const char* operation, const QJsonObject& extra = {})
{
    return with({{"protocolVersion", 1}, {"requestID", bridgeRequestID}, {"operation", QLatin1String(operation)}},
                extra);
}

QJsonObject event(const char* kind, const QJsonObject& extra = {})
{
    return with({{"protocolVersion", 1}, {"requestID", bridgeRequestID}, {"kind", QLatin1String(kind)},
                 {"message", "Working."}},
                extra);
}

QJsonObject pack(const QString& id, const QJsonObject& extra = {})
{
    return with({{"packID", id}, {"name", "Tekkit 2"}, {"version", "1.2.6"},
                 {"supportedProfileIDs", QJsonArray{"Balanced", "Low-1"}}},
                extra);
}

QJsonObject packsEvent(const QJsonArray& packs) { return event("packs", {{"packs", packs}}); }

QJsonArray manyPacks(int count)
{
    QJsonArray packs;
    for (int i = 0; i < count; ++i)
        packs.append(pack(QStringLiteral("pack-%1").arg(i)));
    return packs;
}

QJsonArray strings(int count, const QString& prefix)
{
    QJsonArray list;
    for (int i = 0; i < count; ++i)
        list.append(prefix + QString::number(i));
    return list;
}

QString repeated(const char* unit, int count) { return QString::fromUtf8(unit).repeated(count); }

} // namespace

TEST(TechnicBridgeCodec, ChecksTheSizeOfTheRawBytesBeforeParsing)
{
    QByteArray exact = compactJson(event("ready"));
    exact.append(QByteArray(65536 - exact.size(), ' '));
    ASSERT_EQ(exact.size(), 65536);
    EXPECT_EQ(eventRefusal(exact), std::nullopt);
    EXPECT_EQ(eventRefusal(exact + ' '), E::payloadTooLarge(65537, 65536));

    QByteArray exactRequest = compactJson(request("listPacks"));
    exactRequest.prepend(QByteArray(65536 - exactRequest.size(), '\n'));
    EXPECT_EQ(requestRefusal(exactRequest), std::nullopt);
    EXPECT_EQ(requestRefusal(QByteArray(65537, '[')), E::payloadTooLarge(65537, 65536));
    EXPECT_EQ(eventRefusal(QByteArray(1 << 20, '\xff')), E::payloadTooLarge(1 << 20, 65536));
}

TEST(TechnicBridgeCodec, RefusesAnythingButOneStrictJsonObjectAsMalformed)
{
    for (const char* text : {"", "[]", "[{}]", "5", "\"ready\"", "null", "{", "{}x", "{\"kind\":\"ready\",}",
                             R"({"protocolVersion":1,"requestID":"$ID","kind":"ready","message":"a","message":"b"})",
                             R"({"protocolVersion":1,"requestID":"$ID","kind":"ready","mess\u0061ge":"a","message":"b"})",
                             R"({"protocolVersion":1,"requestID":"$ID","kind":"ready","message":"\ud800"})",
                             "{\"protocolVersion\":1,\"requestID\":\"$ID\",\"kind\":\"ready\",\"message\":\"\xc3\x28\"}",
                             "{\"protocolVersion\":1,\"requestID\":\"$ID\",\"kind\":\"ready\",\"message\":\"\xc0\xaf\"}",
                             R"({"protocolVersion":1,"requestID":"$ID","kind":"progress","message":"","progress":NaN})",
                             R"({"protocolVersion":1,"requestID":"$ID","kind":"progress","message":"","progress":1e400})",
                             R"({"protocolVersion":1,"requestID":"$ID","kind":"packs","message":"","packs":[
                                {"packID":"a","packID":"b","name":"A","version":"1","supportedProfileIDs":["p"]}]})"})
        EXPECT_EQ(eventRefusal(raw(text)), E::malformedPayload()) << text;

    const QByteArray deep = "{\"message\":" + QByteArray(20, '[') + QByteArray(20, ']') + '}';
    EXPECT_EQ(eventRefusal(deep), E::malformedPayload());
    EXPECT_EQ(requestRefusal(raw(R"({"protocolVersion":1,"requestID":"$ID","operation":"listPacks","operation":"cancel"})")),
              E::malformedPayload());
    EXPECT_EQ(requestRefusal(request("listPacks", {{"requestID", "6F9619FF-8B86-D011-B42D"}})), E::malformedPayload());
    EXPECT_EQ(requestRefusal(request("listPacks", {{"requestID", QJsonValue::Null}})), E::malformedPayload());
    EXPECT_EQ(eventRefusal(event("ready", {{"message", QJsonValue::Null}})), E::malformedPayload());
}

TEST(TechnicBridgeCodec, RefusesKeysOutsideTheSetBeforeAnyTypeOrVersionCheck)
{
    EXPECT_EQ(requestRefusal(request("listPacks", {{"extra", 1}})), field("unknown"));
    EXPECT_EQ(requestRefusal(request("inspect", {{"PackID", "tekkit-2"}})), field("unknown"));
    EXPECT_EQ(requestRefusal(request("listPacks", {{"packs", QJsonArray{}}})), field("unknown"));
    EXPECT_EQ(requestRefusal(request("listPacks", {{"protocolVersion", "one"}, {"x", 1}})), field("unknown"));
    EXPECT_EQ(eventRefusal(event("ready", {{"protocolVersion", 2}, {"operation", "cancel"}})), field("unknown"));
}

TEST(TechnicBridgeCodec, AcceptsOnlyProtocolVersionOneAsAnInteger)
{
    EXPECT_EQ(requestRefusal(request("listPacks", {{"protocolVersion", 2}})), E::unsupportedVersion(2));
    EXPECT_EQ(requestRefusal(request("listPacks", {{"protocolVersion", 0}})), E::unsupportedVersion(0));
    EXPECT_EQ(requestRefusal(request("listPacks", {{"protocolVersion", 2}, {"packID", "tekkit-2"}})),
              E::unsupportedVersion(2));
    EXPECT_EQ(eventRefusal(event("ready", {{"protocolVersion", 2}, {"retryable", true}})), E::unsupportedVersion(2));
    EXPECT_EQ(requestRefusal(raw(R"({"protocolVersion":1.0,"requestID":"$ID","operation":"listPacks"})")), std::nullopt);
    for (const QJsonValue& version : {QJsonValue("1"), QJsonValue(1.5), QJsonValue(true), QJsonValue(1e20)})
        EXPECT_EQ(requestRefusal(request("listPacks", {{"protocolVersion", version}})), E::malformedPayload());
}

TEST(TechnicBridgeCodec, EachOperationAcceptsExactlyItsFieldTable)
{
    // Bits: 1 packID, 2 profileID, 4 targetRequestID.
    const struct {
        const char* operation;
        int accepted;
        const char* error;
    } rows[] = {{"listPacks", 0, "listPacks fields"}, {"inspect", 1, "inspect fields"},
                {"prepare", 3, "packID/profileID"},  {"launch", 3, "packID/profileID"},
                {"cancel", 4, "cancel fields"}};
    for (const auto& row : rows) {
        for (int fields = 0; fields < 8; ++fields) {
            QJsonObject message = request(row.operation);
            if (fields & 1)
                message.insert("packID", "tekkit-2");
            if (fields & 2)
                message.insert("profileID", "Balanced");
            if (fields & 4)
                message.insert("targetRequestID", otherID.toLower());
            const auto expected = fields == row.accepted ? std::nullopt : std::optional(field(row.error));
            EXPECT_EQ(requestRefusal(message), expected) << row.operation << " with fields " << fields;
        }
    }
    EXPECT_EQ(requestRefusal(request("listPacks", {{"packID", QJsonValue::Null}})), std::nullopt);
    EXPECT_EQ(requestRefusal(request("cancel", {{"targetRequestID", "not-a-uuid"}})), E::malformedPayload());
    EXPECT_EQ(requestRefusal(request("download")), E::malformedPayload());
    EXPECT_EQ(requestRefusal(request("inspect", {{"packID", "Tekkit-2"}})), E::malformedPayload());
}

TEST(TechnicBridgeCodec, ProfileIDsAreOneTo64AsciiLettersDigitsAndHyphens)
{
    for (const QString& good : {QStringLiteral("Balanced-2-HQ"), QStringLiteral("a"), QStringLiteral("-"),
                                repeated("x", 64)}) {
        EXPECT_EQ(requestRefusal(request("prepare", {{"packID", "tekkit-2"}, {"profileID", good}})), std::nullopt);
        EXPECT_EQ(requestRefusal(request("launch", {{"packID", "tekkit-2"}, {"profileID", good}})), std::nullopt);
    }
    for (const QString& bad : {QString(), QStringLiteral("bal_anced"), QStringLiteral("bal anced"),
                               QStringLiteral(" balanced"), QStringLiteral("bal\u00e9"), QStringLiteral("bal\n"),
                               QStringLiteral("\uff22al"), QStringLiteral("a.b"), repeated("x", 65)})
        EXPECT_EQ(requestRefusal(request("launch", {{"packID", "tekkit-2"}, {"profileID", bad}})),
                  field("packID/profileID"))
            << bad.toStdString();
    EXPECT_EQ(requestRefusal(request("prepare", {{"packID", "tekkit-2"}, {"profileID", 7}})), E::malformedPayload());
}

TEST(TechnicBridgeCodec, EventMessagesAreAtMost512Utf8Bytes)
{
    for (const QString& good : {QString(), repeated("a", 512), repeated("\u00e9", 256)})
        EXPECT_EQ(eventRefusal(event("ready", {{"message", good}})), std::nullopt);
    for (const QString& bad : {repeated("a", 513), repeated("\u00e9", 257), repeated("a", 511) + u'\u00e9'})
        EXPECT_EQ(eventRefusal(event("ready", {{"message", bad}})), field("message"));
    QJsonObject missing = event("ready");
    missing.remove("message");
    EXPECT_EQ(eventRefusal(missing), E::malformedPayload());
}

TEST(TechnicBridgeCodec, FailureCodesAreOneTo64CodeCharactersCheckedBeforeTheKindRule)
{
    for (const QString& good : {QStringLiteral("E_NET-404"), QStringLiteral("x"), repeated("A", 64)})
        EXPECT_EQ(eventRefusal(event("failed", {{"code", good}, {"retryable", false}})), std::nullopt);
    for (const QString& bad : {QString(), QStringLiteral("E NET"), QStringLiteral("E.NET"), QStringLiteral("\u00c9"),
                               repeated("A", 65)})
        EXPECT_EQ(eventRefusal(event("failed", {{"code", bad}, {"retryable", true}})), field("code"));
    EXPECT_EQ(eventRefusal(event("progress", {{"progress", 0.5}, {"code", "a b"}})), field("code"));
    EXPECT_EQ(eventRefusal(event("progress", {{"progress", 0.5}, {"code", "E_X"}})), field("progress"));
    EXPECT_EQ(eventRefusal(event("failed", {{"code", "E_X"}, {"retryable", 0}})), E::malformedPayload());
    EXPECT_EQ(eventRefusal(event("failed", {{"code", "E_X"}, {"retryable", QJsonValue::Null}})),
              field("code/retryable"));
}

TEST(TechnicBridgeCodec, EachKindRequiresItsOptionalFieldsAndForbidsTheRest)
{
    const QJsonObject samples{{"progress", 0.5},   {"code", "E_X"},         {"packs", QJsonArray{pack("tekkit-2")}},
                              {"completedBytes", 10}, {"totalBytes", 20}, {"processID", 4242},
                              {"retryable", true}};
    const struct {
        const char* kind;
        QStringList required;
        const char* error;
    } rows[] = {{"packs", {"packs"}, "packs"},
                {"accepted", {}, "event payload"},
                {"authenticationRequired", {}, "event payload"},
                {"checking", {}, "event payload"},
                {"progress", {"progress"}, "progress"},
                {"downloading", {"completedBytes", "totalBytes"}, "completedBytes/totalBytes"},
                {"verifying", {}, "event payload"},
                {"ready", {}, "event payload"},
                {"gameStarted", {"processID"}, "processID"},
                {"completed", {}, "event payload"},
                {"failed", {"code", "retryable"}, "code/retryable"},
                {"cancelled", {}, "event payload"}};
    for (const auto& row : rows) {
        QJsonObject valid = event(row.kind);
        for (const QString& key : row.required)
            valid.insert(key, samples.value(key));
        EXPECT_EQ(eventRefusal(valid), std::nullopt) << row.kind;
        for (const QString& key : samples.keys()) {
            QJsonObject changed = valid;
            if (row.required.contains(key))
                changed.remove(key);
            else
                changed.insert(key, samples.value(key));
            EXPECT_EQ(eventRefusal(changed), field(row.error)) << row.kind << " changing " << key.toStdString();
        }
    }
}

TEST(TechnicBridgeCodec, NumbersOfProgressDownloadsAndProcessesAreChecked)
{
    for (const double good : {0.0, -0.0, 0.5, 1.0})
        EXPECT_EQ(eventRefusal(event("progress", {{"progress", good}})), std::nullopt) << good;
    for (const double bad : {-0.1, -1e-300, 1.01, 1.1})
        EXPECT_EQ(eventRefusal(event("progress", {{"progress", bad}})), field("progress")) << bad;
    EXPECT_EQ(eventRefusal(event("progress", {{"progress", "0.5"}})), E::malformedPayload());

    const auto download = [](const QJsonValue& completed, const QJsonValue& total) {
        return eventRefusal(event("downloading", {{"completedBytes", completed}, {"totalBytes", total}}));
    };
    EXPECT_EQ(download(10, 10), std::nullopt);
    EXPECT_EQ(download(0, 1), std::nullopt);
    EXPECT_EQ(download(qint64(INT64_MAX), qint64(INT64_MAX)), std::nullopt);
    EXPECT_EQ(download(0, 0), field("completedBytes/totalBytes"));
    EXPECT_EQ(download(11, 10), field("completedBytes/totalBytes"));
    // Beyond the signed range the parser holds a double: 2^63 + 1 must not quietly become 2^63.
    EXPECT_EQ(eventRefusal(raw(R"({"protocolVersion":1,"requestID":"$ID","kind":"downloading","message":"",
                                   "completedBytes":9223372036854775809,"totalBytes":9223372036854775808})")),
              E::malformedPayload());
    EXPECT_EQ(eventRefusal(raw(R"({"protocolVersion":1,"requestID":"$ID","kind":"downloading","message":"",
                                   "completedBytes":9223372036854775808,"totalBytes":18446744073709549568})")),
              std::nullopt);
    for (const QJsonValue& bad : {QJsonValue(-1), QJsonValue(1.5), QJsonValue("10"), QJsonValue(false)})
        EXPECT_EQ(download(bad, 10), E::malformedPayload());

    const auto started = [](const QJsonValue& id) { return eventRefusal(event("gameStarted", {{"processID", id}})); };
    EXPECT_EQ(started(1), std::nullopt);
    EXPECT_EQ(started(qint64(INT32_MAX)), std::nullopt);
    EXPECT_EQ(started(0), field("processID"));
    EXPECT_EQ(started(-4242), field("processID"));
    EXPECT_EQ(started(qint64(INT32_MAX) + 1), E::malformedPayload());
    EXPECT_EQ(started(true), E::malformedPayload());
}

TEST(TechnicBridgeCodec, PacksListsAreBoundedAndEntriesValidated)
{
    EXPECT_EQ(eventRefusal(packsEvent({})), std::nullopt);
    EXPECT_EQ(eventRefusal(packsEvent(manyPacks(128))), std::nullopt);
    EXPECT_EQ(eventRefusal(packsEvent(manyPacks(129))), field("packs"));
    EXPECT_EQ(eventRefusal(packsEvent({pack("tekkit-2"), pack("other"), pack("tekkit-2")})), field("packs"));

    const auto entry = [](const QJsonObject& extra) { return eventRefusal(packsEvent({pack("tekkit-2", extra)})); };
    EXPECT_EQ(entry({{"name", repeated("n", 128)}, {"version", repeated("1", 64)}}), std::nullopt);
    EXPECT_EQ(entry({{"supportedProfileIDs", strings(32, "p")}}), std::nullopt);
    for (const QJsonObject& bad : std::initializer_list<QJsonObject>{
             {{"name", ""}},
             {{"name", repeated("\u00e9", 64) + u'n'}},
             {{"version", ""}},
             {{"version", repeated("1", 65)}},
             {{"supportedProfileIDs", QJsonArray{}}},
             {{"supportedProfileIDs", strings(33, "p")}},
             {{"supportedProfileIDs", QJsonArray{"Balanced", "Low", "Balanced"}}},
             {{"supportedProfileIDs", QJsonArray{"Low_1"}}},
             {{"supportedProfileIDs", QJsonArray{""}}}})
        EXPECT_EQ(entry(bad), field("packs")) << compactJson(bad).toStdString();

    for (const QJsonValue& bad : {QJsonValue(QJsonValue::Null), QJsonValue(QJsonObject{}), QJsonValue(QJsonArray{5}),
                                 QJsonValue(QJsonArray{pack("tekkit-2"), "tekkit-2"})})
        EXPECT_EQ(eventRefusal(event("packs", {{"packs", bad}})), field("packs"));

    EXPECT_EQ(eventRefusal(packsEvent({pack("tekkit-2"), pack("other", {{"size", 1}})})), field("packs.unknown"));
    EXPECT_EQ(eventRefusal(event("progress", {{"progress", 0.5}, {"packs", QJsonArray{pack("a", {{"x", 1}})}}})),
              field("packs.unknown"));
    QJsonObject nameless = pack("tekkit-2");
    nameless.remove("name");
    EXPECT_EQ(eventRefusal(packsEvent({nameless})), E::malformedPayload());
    EXPECT_EQ(eventRefusal(packsEvent({pack("Tekkit-2")})), E::malformedPayload());
    EXPECT_EQ(eventRefusal(packsEvent({pack("tekkit--2")})), E::malformedPayload());
}

TEST(TechnicBridgeCodec, EncodedMessagesDecodeToEqualRecords)
{
    const QUuid id(bridgeRequestID);
    const auto tekkit = PackID::tekkit2;
    for (const TechnicBridgeRequest& request :
         {TechnicBridgeRequest{1, id, TechnicBridgeOperation::listPacks, {}, {}, {}},
          TechnicBridgeRequest{1, id, TechnicBridgeOperation::inspect, tekkit, {}, {}},
          TechnicBridgeRequest{1, id, TechnicBridgeOperation::launch, tekkit, QStringLiteral("Balanced-1"), {}},
          TechnicBridgeRequest{1, id, TechnicBridgeOperation::cancel, {}, {}, QUuid(otherID)}}) {
        const QByteArray bytes = encodeJson(toJson(request));
        EXPECT_TRUE(bytes.contains(bridgeRequestID.toUtf8()));
        EXPECT_EQ(TechnicBridgeCodec::decodeRequest(bytes), request) << bytes.toStdString();
    }

    const TechnicBridgePack pack{tekkit, QStringLiteral("Tekkit 2 / \u00e9"), QStringLiteral("1.2.6"),
                                 {QStringLiteral("Balanced"), QStringLiteral("Low")}};
    TechnicBridgeEvent base{1, id, TechnicBridgeEventKind::ready, {}, QStringLiteral("Line \"one\"\n/two"),
                            {}, {}, {}, {}, {}, {}};
    std::vector<TechnicBridgeEvent> events(5, base);
    events[1].kind = TechnicBridgeEventKind::packs;
    events[1].packs = std::vector{pack};
    events[2].kind = TechnicBridgeEventKind::progress;
    events[2].progress = 0.125;
    events[3].kind = TechnicBridgeEventKind::downloading;
    events[3].completedBytes = 5'000'000'000;
    events[3].totalBytes = 9'000'000'000;
    events[4].kind = TechnicBridgeEventKind::failed;
    events[4].code = QStringLiteral("E_NET-1");
    events[4].retryable = false;
    for (const TechnicBridgeEvent& event : events) {
        const QByteArray bytes = encodeJson(toJson(event));
        EXPECT_EQ(TechnicBridgeCodec::decodeEvent(bytes), event) << bytes.toStdString();
    }
}
