#include "json/DecodingError.h"
#include "stage2/TechnicBridgeEvent.h"
#include "stage2/TechnicBridgeRequest.h"

#include "support/QtPrinters.h"
#include "TechnicBridgeTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace orvane;
using orvane::test::bridgeRequestID;

TEST(TechnicBridgeProtocolError, DescribesEachCaseExactlyAndComparesPayloads)
{
    using E = TechnicBridgeProtocolError;
    EXPECT_EQ(E::payloadTooLarge(70000, 65536).description(),
              QStringLiteral("Bridge message is 70000 bytes; the maximum is 65536."));
    EXPECT_EQ(E::unsupportedVersion(-9000000000).description(),
              QStringLiteral("Unsupported Technic bridge protocol version -9000000000."));
    EXPECT_EQ(E::invalidField(QStringLiteral("%1")).description(), QStringLiteral("Invalid Technic bridge field: %1."));
    EXPECT_EQ(describe(E::malformedPayload()), QStringLiteral("Malformed Technic bridge JSON."));
    EXPECT_STREQ(E::invalidField(QStringLiteral("code")).what(), "Invalid Technic bridge field: code.");
    EXPECT_NE(E::payloadTooLarge(65537, 65536), E::payloadTooLarge(65538, 65536));
    EXPECT_NE(E::invalidField(QStringLiteral("packs")), E::invalidField(QStringLiteral("packs.unknown")));
}

TEST(TechnicBridgeEnumerations, WireValuesAreExactlyTheCaseNames)
{
    for (int i = 0; i < 12; ++i) {
        const auto kind = TechnicBridgeEventKind(i);
        EXPECT_EQ(technicBridgeEventKindFromWireValue(wireValue(kind)), kind);
    }
    EXPECT_EQ(wireValue(TechnicBridgeEventKind::cancelled), QStringLiteral("cancelled"));
    EXPECT_EQ(technicBridgeOperationFromWireValue(QStringLiteral("cancel")), TechnicBridgeOperation::cancel);
    for (const char* other : {"", "ListPacks", "launch ", "download"}) {
        EXPECT_FALSE(technicBridgeOperationFromWireValue(QLatin1String(other))) << other;
        EXPECT_FALSE(technicBridgeEventKindFromWireValue(QLatin1String(other))) << other;
    }
}

TEST(TechnicBridgeRecords, GameStartedEventWritesOnlyItsKeysAndNoNaN)
{
    TechnicBridgeEvent event{1, QUuid(bridgeRequestID), TechnicBridgeEventKind::gameStarted, std::nullopt,
                             QStringLiteral("Started."), std::nullopt, std::nullopt, std::nullopt, std::nullopt,
                             4242, std::nullopt};
    const QJsonObject json = toJson(event);
    EXPECT_EQ(json.keys(), (QStringList{"kind", "message", "processID", "protocolVersion", "requestID"}));
    EXPECT_EQ(json.value("requestID").toString(), bridgeRequestID);
    EXPECT_EQ(fromJson<TechnicBridgeEvent>(json), event);

    event.progress = std::nan("");
    EXPECT_THROW(toJson(event), EncodingError);
}

TEST(TechnicBridgeRecords, DecodingReadsNullAsAbsentIgnoresOtherKeysAndNamesBadPackIDs)
{
    QJsonObject json{{"protocolVersion", 1}, {"requestID", bridgeRequestID.toLower()}, {"operation", "prepare"},
                     {"packID", "tekkit-2"},  {"profileID", QJsonValue::Null},           {"extra", 5}};
    const auto request = fromJson<TechnicBridgeRequest>(json);
    EXPECT_FALSE(request.profileID);
    EXPECT_EQ(request.packID, PackID::tekkit2);
    EXPECT_EQ(toJson(request).value("requestID").toString(), bridgeRequestID);

    json.insert("packID", "Tekkit-2");
    try {
        (void)fromJson<TechnicBridgeRequest>(json);
        ADD_FAILURE() << "a capitalised pack id was accepted";
    } catch (const DecodingError& error) {
        EXPECT_EQ(error.description(),
                  QStringLiteral("Pack IDs must be 1-64 lowercase letters, numbers, or hyphens and begin with a letter."));
    }
}
