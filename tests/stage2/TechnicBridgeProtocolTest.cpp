#include "json/DecodingError.h"
#include "stage2/TechnicBridgeEvent.h"
#include "stage2/TechnicBridgeRequest.h"

#include "support/QtPrinters.h"
#include "TechnicBridgeTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace orvane;
using orvane::test::bridgeRequestID;

namespace {

QJsonObject requestObject(const char* operation)
{
    return {{"protocolVersion", 1}, {"requestID", bridgeRequestID}, {"operation", QLatin1String(operation)}};
}

} // namespace

TEST(TechnicBridgeProtocolError, DescribesEachCaseExactly)
{
    using E = TechnicBridgeProtocolError;
    EXPECT_EQ(E::payloadTooLarge(70000, 65536).description(),
              QStringLiteral("Bridge message is 70000 bytes; the maximum is 65536."));
    EXPECT_EQ(E::unsupportedVersion(2).description(), QStringLiteral("Unsupported Technic bridge protocol version 2."));
    EXPECT_EQ(E::unsupportedVersion(-9000000000).description(),
              QStringLiteral("Unsupported Technic bridge protocol version -9000000000."));
    EXPECT_EQ(E::invalidField(QStringLiteral("code")).description(), QStringLiteral("Invalid Technic bridge field: code."));
    EXPECT_EQ(E::invalidField(QStringLiteral("%1")).description(), QStringLiteral("Invalid Technic bridge field: %1."));
    EXPECT_EQ(E::malformedPayload().description(), QStringLiteral("Malformed Technic bridge JSON."));
    EXPECT_EQ(describe(E::malformedPayload()), QStringLiteral("Malformed Technic bridge JSON."));
    EXPECT_STREQ(E::invalidField(QStringLiteral("message")).what(), "Invalid Technic bridge field: message.");
}

TEST(TechnicBridgeProtocolError, EqualityComparesKindAndPayload)
{
    using E = TechnicBridgeProtocolError;
    EXPECT_EQ(E::payloadTooLarge(65537, 65536), E::payloadTooLarge(65537, 65536));
    EXPECT_NE(E::payloadTooLarge(65537, 65536), E::payloadTooLarge(65538, 65536));
    EXPECT_NE(E::unsupportedVersion(2), E::unsupportedVersion(3));
    EXPECT_NE(E::invalidField(QStringLiteral("packs")), E::invalidField(QStringLiteral("packs.unknown")));
    EXPECT_NE(E::unsupportedVersion(0), E::malformedPayload());
}

TEST(TechnicBridgeEnumerations, WireValuesAreTheCaseNamesAndNothingElse)
{
    EXPECT_EQ(wireValue(TechnicBridgeOperation::listPacks), QStringLiteral("listPacks"));
    EXPECT_EQ(wireValue(TechnicBridgeEventKind::authenticationRequired), QStringLiteral("authenticationRequired"));
    for (int i = 0; i < 5; ++i) {
        const auto op = TechnicBridgeOperation(i);
        EXPECT_EQ(technicBridgeOperationFromWireValue(wireValue(op)), op);
    }
    for (int i = 0; i < 12; ++i) {
        const auto kind = TechnicBridgeEventKind(i);
        EXPECT_EQ(technicBridgeEventKindFromWireValue(wireValue(kind)), kind);
    }
    EXPECT_EQ(wireValue(TechnicBridgeEventKind::cancelled), QStringLiteral("cancelled"));
    for (const char* other : {"", "ListPacks", "listpacks", "launch ", "download"}) {
        EXPECT_FALSE(technicBridgeOperationFromWireValue(QLatin1String(other))) << other;
        EXPECT_FALSE(technicBridgeEventKindFromWireValue(QLatin1String(other))) << other;
    }
}

TEST(TechnicBridgeRecords, GameStartedEventWritesOnlyItsKeys)
{
    TechnicBridgeEvent event{1, QUuid(bridgeRequestID), TechnicBridgeEventKind::gameStarted, std::nullopt,
                             QStringLiteral("Started."), std::nullopt, std::nullopt, std::nullopt, std::nullopt,
                             4242, std::nullopt};
    const QJsonObject json = toJson(event);
    EXPECT_EQ(json.keys(), (QStringList{"kind", "message", "processID", "protocolVersion", "requestID"}));
    EXPECT_EQ(json.value("requestID").toString(), bridgeRequestID);
    EXPECT_EQ(json.value("processID").toInteger(), 4242);
    EXPECT_EQ(fromJson<TechnicBridgeEvent>(json), event);

    event.progress = std::nan("");
    EXPECT_THROW(toJson(event), EncodingError);
}

TEST(TechnicBridgeRecords, DecodingReadsNullAsAbsentAndIgnoresOtherKeys)
{
    QJsonObject json = requestObject("prepare");
    json.insert("profileID", QJsonValue::Null);
    json.insert("packID", "tekkit-2");
    json.insert("requestID", bridgeRequestID.toLower());
    json.insert("extra", 5);
    const auto request = fromJson<TechnicBridgeRequest>(json);
    EXPECT_FALSE(request.profileID);
    EXPECT_EQ(request.packID, PackID::tekkit2);
    EXPECT_EQ(request.requestID, QUuid(bridgeRequestID));
    EXPECT_EQ(toJson(request).value("requestID").toString(), bridgeRequestID);
}

TEST(TechnicBridgeRecords, DecodingRefusesUnknownCasesBadIdentifiersAndWrongTypes)
{
    for (const char* op : {"update", "LAUNCH", ""})
        EXPECT_THROW(fromJson<TechnicBridgeRequest>(requestObject(op)), DecodingError) << op;

    QJsonObject event{{"protocolVersion", 1}, {"requestID", bridgeRequestID}, {"kind", "paused"}, {"message", ""}};
    EXPECT_THROW(fromJson<TechnicBridgeEvent>(event), DecodingError);
    event.insert("kind", "ready");
    EXPECT_NO_THROW(fromJson<TechnicBridgeEvent>(event));
    event.insert("retryable", 1);
    EXPECT_THROW(fromJson<TechnicBridgeEvent>(event), DecodingError);

    QJsonObject bad = requestObject("inspect");
    bad.insert("packID", "Tekkit-2");
    try {
        (void)fromJson<TechnicBridgeRequest>(bad);
        ADD_FAILURE() << "a capitalised pack id was accepted";
    } catch (const DecodingError& error) {
        EXPECT_EQ(error.description(),
                  QStringLiteral("Pack IDs must be 1-64 lowercase letters, numbers, or hyphens and begin with a letter."));
    }
}
