#include "records/LaunchReceipt.h"

#include "model/StatusLineText.h"
#include "model/UnicodeScalars.h"

#include "json/JsonReader.h"

#include <cmath>

namespace orvane {

namespace {

constexpr qsizetype maximumSanitizedBytes = 64;
// The largest count every JSON reader holds exactly (2^53 - 1).
constexpr double largestExactMilliseconds = 9007199254740991.0;

bool isAllowedScalar(char32_t scalar)
{
    if (scalar == U'-' || scalar == U'.' || scalar == U'_' || scalar == U'+')
        return true;
    return isLetterMarkOrNumber(scalar);
}

std::optional<QString> stringEntry(const QVariantMap& info, const QString& key)
{
    const auto it = info.constFind(key);
    if (it == info.constEnd() || it->typeId() != QMetaType::QString)
        return std::nullopt;
    return it->toString();
}

// The observation's message when it tells what went wrong; one status line, never empty.
std::optional<QString> failureText(const LaunchObservation& observation)
{
    if (observation.outcome != LaunchOutcome::crashDetected && observation.outcome != LaunchOutcome::technicMissing)
        return std::nullopt;
    const QString line = statusLineText(observation.message);
    if (line.isEmpty())
        return std::nullopt;
    return line;
}

} // namespace

std::optional<QString> LaunchReceipt::sanitizedValue(const std::optional<QString>& value)
{
    if (!value || value->isEmpty())
        return std::nullopt;
    if (!everyScalar(*value, isAllowedScalar) || value->toUtf8().size() > maximumSanitizedBytes)
        return std::nullopt;
    return value;
}

LaunchReceipt::BundleVersions LaunchReceipt::bundleVersions(const QVariantMap& bundleInfo)
{
    return BundleVersions{
        .appVersion = sanitizedValue(stringEntry(bundleInfo, QStringLiteral("CFBundleShortVersionString"))),
        .buildNumber = sanitizedValue(stringEntry(bundleInfo, QStringLiteral("CFBundleVersion"))),
    };
}

std::int64_t LaunchReceipt::elapsedMilliseconds(double elapsedSeconds)
{
    // Also catches NaN, which compares false with everything.
    if (!(elapsedSeconds > 0))
        return 0;
    const double milliseconds = std::round(elapsedSeconds * 1000.0);
    if (!(milliseconds < largestExactMilliseconds))
        return std::int64_t(largestExactMilliseconds);
    return std::int64_t(milliseconds);
}

LaunchReceipt LaunchReceipt::fromObservation(const QDateTime& observedAt, const std::optional<QString>& appVersion,
                                             const std::optional<QString>& buildNumber,
                                             const InstallInspection& inspection,
                                             const LaunchObservation& observation,
                                             std::optional<bool> rosettaInstalled, double elapsedSeconds)
{
    const QString slug = sanitizedValue(inspection.packSlug).value_or(QStringLiteral("unknown-pack"));
    const QString version = sanitizedValue(inspection.packVersion).value_or(QStringLiteral("unknown-version"));
    return LaunchReceipt{
        .schemaVersion = currentSchemaVersion,
        .storage = localOnly,
        .observationScope = initialLaunchOnly,
        .observedAt = observedAt,
        .appVersion = sanitizedValue(appVersion),
        .buildNumber = sanitizedValue(buildNumber),
        .instanceIdentity = slug + QLatin1Char('@') + version,
        .outcome = observation.outcome,
        .javaArchitecture = sanitizedValue(observation.javaArchitecture),
        .javaTranslated = observation.translated,
        .rosettaInstalled = rosettaInstalled,
        .elapsedObservationMilliseconds = elapsedMilliseconds(elapsedSeconds),
        .failure = failureText(observation),
    };
}

QJsonObject toJson(const LaunchReceipt& receipt)
{
    const auto boolean = [](bool b) { return QJsonValue(b); };
    QJsonObject o;
    o.insert(QStringLiteral("schemaVersion"), toJsonInteger(receipt.schemaVersion));
    o.insert(QStringLiteral("storage"), receipt.storage);
    o.insert(QStringLiteral("observationScope"), receipt.observationScope);
    o.insert(QStringLiteral("observedAt"), toJsonDate(receipt.observedAt));
    insertOptional(o, QStringLiteral("appVersion"), receipt.appVersion);
    insertOptional(o, QStringLiteral("buildNumber"), receipt.buildNumber);
    o.insert(QStringLiteral("instanceIdentity"), receipt.instanceIdentity);
    o.insert(QStringLiteral("outcome"), toJsonEnum(receipt.outcome));
    insertOptional(o, QStringLiteral("javaArchitecture"), receipt.javaArchitecture);
    insertOptional(o, QStringLiteral("javaTranslated"), receipt.javaTranslated, boolean);
    insertOptional(o, QStringLiteral("rosettaInstalled"), receipt.rosettaInstalled, boolean);
    o.insert(QStringLiteral("elapsedObservationMilliseconds"), toJsonInteger(receipt.elapsedObservationMilliseconds));
    insertOptional(o, QStringLiteral("failure"), receipt.failure);
    return o;
}

template <>
LaunchReceipt fromJson<LaunchReceipt>(const QJsonValue& value)
{
    const JsonReader r(value, QStringLiteral("LaunchReceipt"));
    return LaunchReceipt{
        .schemaVersion = r.integer(QStringLiteral("schemaVersion")),
        .storage = r.string(QStringLiteral("storage")),
        .observationScope = r.string(QStringLiteral("observationScope")),
        .observedAt = r.date(QStringLiteral("observedAt")),
        .appVersion = r.optionalString(QStringLiteral("appVersion")),
        .buildNumber = r.optionalString(QStringLiteral("buildNumber")),
        .instanceIdentity = r.string(QStringLiteral("instanceIdentity")),
        .outcome = r.enumeration<LaunchOutcome>(QStringLiteral("outcome")),
        .javaArchitecture = r.optionalString(QStringLiteral("javaArchitecture")),
        .javaTranslated = r.optionalBoolean(QStringLiteral("javaTranslated")),
        .rosettaInstalled = r.optionalBoolean(QStringLiteral("rosettaInstalled")),
        .elapsedObservationMilliseconds = r.integer(QStringLiteral("elapsedObservationMilliseconds")),
        .failure = r.optionalString(QStringLiteral("failure")),
    };
}

} // namespace orvane
