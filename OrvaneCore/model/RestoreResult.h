#pragma once

#include "json/JsonCodecs.h"
#include "model/BackupKind.h"

#include <QJsonObject>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace orvane {

// What a restore verified.
struct RestoreVerification {
    std::optional<BackupKind> backupKind;
    std::int64_t verifiedFileCount = 0;
    std::uint64_t verifiedByteCount = 0;
    QString algorithm;

    bool operator==(const RestoreVerification&) const = default;
};

// The outcome of a restore.
struct RestoreResult {
    QString backupId;
    std::vector<QString> restoredFiles;
    std::vector<QString> deletedCreatedFiles;
    RestoreVerification verification;
    // Set by the session after an overlay restore on an arm64 Mac; the restore engine leaves it false.
    bool needsReapplyForMojangJava = false;
    // Set by the session; the restore engine leaves it absent.
    std::optional<QString> message;

    bool operator==(const RestoreResult&) const = default;
};

QJsonObject toJson(const RestoreVerification& verification);
QJsonObject toJson(const RestoreResult& result);

template <>
RestoreVerification fromJson<RestoreVerification>(const QJsonValue& value);
template <>
RestoreResult fromJson<RestoreResult>(const QJsonValue& value);

} // namespace orvane
