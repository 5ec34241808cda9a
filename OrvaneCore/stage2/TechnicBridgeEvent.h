#pragma once

#include "stage2/TechnicBridgeEventKind.h"
#include "stage2/TechnicBridgePack.h"

#include <QJsonObject>
#include <QString>
#include <QUuid>

#include <cstdint>
#include <optional>
#include <vector>

namespace orvane {

// One bridge event, answering the request `requestID`. Which optional fields a kind carries is
// checked by TechnicBridgeCodec.
struct TechnicBridgeEvent {
    std::int64_t protocolVersion = 0;
    QUuid requestID;
    TechnicBridgeEventKind kind = TechnicBridgeEventKind::packs;
    std::optional<double> progress; // 0.0 to 1.0
    QString message;                // at most 512 UTF-8 bytes, may be empty
    std::optional<QString> code;    // a failure code
    std::optional<std::vector<TechnicBridgePack>> packs;
    std::optional<std::uint64_t> completedBytes;
    std::optional<std::uint64_t> totalBytes;
    std::optional<std::int32_t> processID; // the game's process id
    std::optional<bool> retryable;

    bool operator==(const TechnicBridgeEvent&) const = default;
};

// Absent optionals are left out; a progress that is not finite throws EncodingError.
QJsonObject toJson(const TechnicBridgeEvent& event);
// Strict types (processID within 32 bits, byte counts unsigned); optionals missing or null read as
// absent; keys outside the record are ignored here.
template <>
TechnicBridgeEvent fromJson<TechnicBridgeEvent>(const QJsonValue& value);

} // namespace orvane
