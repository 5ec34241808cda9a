#pragma once

#include "json/EnumNames.h"

#include <QString>

#include <array>
#include <optional>

namespace orvane {

// What a bridge event reports; the wire value is the case name.
enum class TechnicBridgeEventKind {
    packs,
    accepted,
    authenticationRequired,
    checking,
    progress,
    downloading,
    verifying,
    ready,
    gameStarted,
    completed,
    failed,
    cancelled,
};

template <>
struct EnumNames<TechnicBridgeEventKind> {
    static constexpr std::array names{"packs",    "accepted",    "authenticationRequired", "checking",
                                      "progress", "downloading", "verifying",              "ready",
                                      "gameStarted", "completed", "failed",                "cancelled"};
};

inline QString wireValue(TechnicBridgeEventKind kind)
{
    return enumName(kind);
}

// The case whose wire value is exactly `text`, or nothing.
inline std::optional<TechnicBridgeEventKind> technicBridgeEventKindFromWireValue(const QString& text)
{
    return enumFromName<TechnicBridgeEventKind>(text);
}

} // namespace orvane
