#pragma once

#include "json/JsonCodecs.h"
#include "model/InstallInspection.h"
#include "model/LaunchObservation.h"
#include "model/LaunchOutcome.h"

#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QVariantMap>

#include <cstdint>
#include <optional>

namespace orvane {

// A local record of one observed game start. It never leaves the computer and describes only the
// initial launch. Every free text in it has passed the sanitiser.
struct LaunchReceipt {
    static constexpr std::int64_t currentSchemaVersion = 1;
    static constexpr QLatin1String localOnly{"local-only"};
    static constexpr QLatin1String initialLaunchOnly{"initial-launch-only"};

    // The application's version texts, each sanitised.
    struct BundleVersions {
        std::optional<QString> appVersion;
        std::optional<QString> buildNumber;
        bool operator==(const BundleVersions&) const = default;
    };

    std::int64_t schemaVersion = currentSchemaVersion;
    QString storage;
    QString observationScope;
    QDateTime observedAt;
    std::optional<QString> appVersion;
    std::optional<QString> buildNumber;
    QString instanceIdentity; // "<pack slug>@<pack version>"
    LaunchOutcome outcome = LaunchOutcome::openedTechnicWaitingForPlayer;
    std::optional<QString> javaArchitecture;
    std::optional<bool> javaTranslated;
    std::optional<bool> rosettaInstalled;
    std::int64_t elapsedObservationMilliseconds = 0;
    // What went wrong, for a launch that ended in a startup issue or without Technic: the
    // observation's message on one status line (a failed launcher start names its last error
    // lines). Absent for every other outcome.
    std::optional<QString> failure;

    // `value` unchanged when it is not empty, at most 64 UTF-8 bytes, and made only of Unicode
    // letters, marks and digits and "-", ".", "_", "+"; otherwise nothing. Never trimmed or cut.
    static std::optional<QString> sanitizedValue(const std::optional<QString>& value);

    // The "CFBundleShortVersionString" and "CFBundleVersion" entries of an application's information,
    // when they are strings, each sanitised.
    static BundleVersions bundleVersions(const QVariantMap& bundleInfo);

    // The receipt of one watched launch. A negative (or not-a-number) elapsed time counts as 0. The
    // failure is taken as the observation has it: redacting it is the caller's part.
    static LaunchReceipt fromObservation(const QDateTime& observedAt, const std::optional<QString>& appVersion,
                                         const std::optional<QString>& buildNumber,
                                         const InstallInspection& inspection, const LaunchObservation& observation,
                                         std::optional<bool> rosettaInstalled, double elapsedSeconds);

    // Whole milliseconds, halves away from zero; 0 for a negative time; huge times are capped so the
    // count stays exact as a JSON number.
    static std::int64_t elapsedMilliseconds(double elapsedSeconds);

    bool operator==(const LaunchReceipt&) const = default;
};

QJsonObject toJson(const LaunchReceipt& receipt);
// Checks the JSON types only: no value is compared with the constants the companion writes.
template <>
LaunchReceipt fromJson<LaunchReceipt>(const QJsonValue& value);

} // namespace orvane
