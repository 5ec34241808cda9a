#pragma once

#include "json/JsonCodecs.h"
#include "model/StringMap.h"

#include <QJsonObject>
#include <QString>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace orvane {

// The read-only inspection of the Technic install and of the selected instance.
struct InstallInspection {
    std::optional<std::filesystem::path> technicApp; // the launcher application or JAR
    std::optional<std::filesystem::path> technicRoot;
    std::optional<std::filesystem::path> instanceRoot;
    std::optional<QString> packSlug;
    std::optional<QString> packVersion;
    std::optional<QString> forgeId;
    std::optional<QString> javaRequirement;
    std::optional<std::int64_t> runDataMemoryMB;
    std::optional<std::int64_t> settingsMemoryId;
    std::optional<std::int64_t> settingsMemoryMB;
    std::optional<QString> javaVersionSetting;
    std::optional<bool> useMojangJava;
    StringMap options;
    std::vector<QString> modFileNames;
    bool hasNothirium = false;
    bool hasVintageFix = false;
    bool hasOptiFine = false;
    std::vector<QString> warnings;
    bool isCertifiedPack = false;

    // The sentence the inspector also adds to `warnings` when OptiFine is present.
    static QString optiFineWarningText();
    // optiFineWarningText() when OptiFine is present, otherwise nothing; not stored.
    std::optional<QString> optiFineWarning() const;

    bool operator==(const InstallInspection&) const = default;
};

QJsonObject toJson(const InstallInspection& inspection);
template <>
InstallInspection fromJson<InstallInspection>(const QJsonValue& value);

} // namespace orvane
