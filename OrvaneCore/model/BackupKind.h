#pragma once

#include "json/EnumNames.h"
#include "json/JsonCodecs.h"

#include <QJsonValue>

#include <array>

namespace orvane {

// What a backup protects.
enum class BackupKind {
    preOverlay, // the overlay files, taken by Apply Balanced before it writes them
    manual,     // the same files, taken at the user's request
    saves,      // the instance's world saves, kept in the world store
};

template <>
struct EnumNames<BackupKind> {
    static constexpr std::array names{"preOverlay", "manual", "saves"};
};

// A single JSON string, the case name.
QJsonValue toJson(BackupKind kind);
template <>
BackupKind fromJson<BackupKind>(const QJsonValue& value);

} // namespace orvane
