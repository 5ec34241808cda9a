#pragma once

#include "json/EnumNames.h"

#include <QString>

#include <array>
#include <optional>

namespace orvane {

// What a bridge request asks for; the wire value is the case name.
enum class TechnicBridgeOperation {
    listPacks,
    inspect,
    prepare,
    launch,
    cancel,
};

template <>
struct EnumNames<TechnicBridgeOperation> {
    static constexpr std::array names{"listPacks", "inspect", "prepare", "launch", "cancel"};
};

inline QString wireValue(TechnicBridgeOperation operation)
{
    return enumName(operation);
}

// The case whose wire value is exactly `text`, or nothing.
inline std::optional<TechnicBridgeOperation> technicBridgeOperationFromWireValue(const QString& text)
{
    return enumFromName<TechnicBridgeOperation>(text);
}

} // namespace orvane
