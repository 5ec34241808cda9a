#pragma once

#include "stage2/TechnicBridgeEvent.h"
#include "stage2/TechnicBridgeRequest.h"

#include <QByteArrayView>
#include <QJsonObject>
#include <QSet>
#include <QString>

#include <vector>

namespace orvane {

// Turns the bytes of one incoming bridge message into a validated request or event, or refuses it
// with TechnicBridgeProtocolError. The other process is not trusted: the size is checked before
// anything is parsed, the JSON must be strict UTF-8 with no key repeated at any depth, the keys
// form a closed set, and each operation and event kind has a fixed rule on its optional fields.
// Holds no state; every step throws on the first failure and nothing is returned partially.
class TechnicBridgeCodec final {
public:
    // Valid messages nest four levels deep (event, packs, pack, profile ids); deeper nesting is
    // refused as malformed so that parsing stays shallow whatever the sender writes.
    static constexpr int maximumNestingDepth = 16;

    // Size, closed key set, typed decoding, version 1, then the operation's field rule.
    static TechnicBridgeRequest decodeRequest(QByteArrayView message);
    // Size, closed key set, pack entry keys, typed decoding, version 1, message and code, then the
    // kind's field rule with the pack validation.
    static TechnicBridgeEvent decodeEvent(QByteArrayView message);

    // The steps, in the order the decoders run them.

    // payloadTooLarge when longer than the protocol's maximum (the maximum itself passes).
    static void checkSize(QByteArrayView message);
    // The parsed top-level object: malformedPayload when the bytes are not one strict JSON object,
    // invalidField("unknown") when a key lies outside `allowed`.
    static QJsonObject checkTopLevelKeys(QByteArrayView message, const QSet<QString>& allowed);
    // When "packs" is present it must be an array of objects (invalidField("packs"), null included)
    // whose keys are pack entry keys (invalidField("packs.unknown")).
    static void checkPackEntryKeys(const QJsonObject& object);
    // invalidField("packs") on a repeated pack id, a name of 0 or more than 128 bytes, a version of
    // 0 or more than 64 bytes, 0 or more than 32 profile ids, a repeated or invalid profile id.
    static void validatePack(const std::vector<TechnicBridgePack>& packs);

    static const QSet<QString>& requestKeys();
    static const QSet<QString>& eventKeys();
    static const QSet<QString>& packEntryKeys();
};

} // namespace orvane
