#include "model/InstallInspection.h"

#include "json/JsonReader.h"

namespace orvane {

QString InstallInspection::optiFineWarningText()
{
    return QStringLiteral("OptiFine is present. Orvane will not install or update it. VintageFix and Nothirium both "
                          "warn that OptiFine can cause glitches. Certified Balanced does not use shaders.");
}

std::optional<QString> InstallInspection::optiFineWarning() const
{
    if (!hasOptiFine)
        return std::nullopt;
    return optiFineWarningText();
}

QJsonObject toJson(const InstallInspection& inspection)
{
    QJsonObject o;
    insertOptional(o, QStringLiteral("technicApp"), inspection.technicApp, toJsonPath);
    insertOptional(o, QStringLiteral("technicRoot"), inspection.technicRoot, toJsonPath);
    insertOptional(o, QStringLiteral("instanceRoot"), inspection.instanceRoot, toJsonPath);
    insertOptional(o, QStringLiteral("packSlug"), inspection.packSlug);
    insertOptional(o, QStringLiteral("packVersion"), inspection.packVersion);
    insertOptional(o, QStringLiteral("forgeId"), inspection.forgeId);
    insertOptional(o, QStringLiteral("javaRequirement"), inspection.javaRequirement);
    insertOptional(o, QStringLiteral("runDataMemoryMB"), inspection.runDataMemoryMB, toJsonInteger);
    insertOptional(o, QStringLiteral("settingsMemoryId"), inspection.settingsMemoryId, toJsonInteger);
    insertOptional(o, QStringLiteral("settingsMemoryMB"), inspection.settingsMemoryMB, toJsonInteger);
    insertOptional(o, QStringLiteral("javaVersionSetting"), inspection.javaVersionSetting);
    insertOptional(o, QStringLiteral("useMojangJava"), inspection.useMojangJava, [](bool b) { return QJsonValue(b); });
    o.insert(QStringLiteral("options"), toJsonStringMap(inspection.options));
    o.insert(QStringLiteral("modFileNames"), toJsonStringArray(inspection.modFileNames));
    o.insert(QStringLiteral("hasNothirium"), inspection.hasNothirium);
    o.insert(QStringLiteral("hasVintageFix"), inspection.hasVintageFix);
    o.insert(QStringLiteral("hasOptiFine"), inspection.hasOptiFine);
    o.insert(QStringLiteral("warnings"), toJsonStringArray(inspection.warnings));
    o.insert(QStringLiteral("isCertifiedPack"), inspection.isCertifiedPack);
    return o;
}

template <>
InstallInspection fromJson<InstallInspection>(const QJsonValue& value)
{
    const JsonReader r(value, QStringLiteral("InstallInspection"));
    return InstallInspection{
        .technicApp = r.optional(QStringLiteral("technicApp"), decodePath),
        .technicRoot = r.optional(QStringLiteral("technicRoot"), decodePath),
        .instanceRoot = r.optional(QStringLiteral("instanceRoot"), decodePath),
        .packSlug = r.optionalString(QStringLiteral("packSlug")),
        .packVersion = r.optionalString(QStringLiteral("packVersion")),
        .forgeId = r.optionalString(QStringLiteral("forgeId")),
        .javaRequirement = r.optionalString(QStringLiteral("javaRequirement")),
        .runDataMemoryMB = r.optionalInteger(QStringLiteral("runDataMemoryMB")),
        .settingsMemoryId = r.optionalInteger(QStringLiteral("settingsMemoryId")),
        .settingsMemoryMB = r.optionalInteger(QStringLiteral("settingsMemoryMB")),
        .javaVersionSetting = r.optionalString(QStringLiteral("javaVersionSetting")),
        .useMojangJava = r.optionalBoolean(QStringLiteral("useMojangJava")),
        .options = decodeStringMap(r.required(QStringLiteral("options")), QStringLiteral("InstallInspection.options")),
        .modFileNames = r.strings(QStringLiteral("modFileNames")),
        .hasNothirium = r.boolean(QStringLiteral("hasNothirium")),
        .hasVintageFix = r.boolean(QStringLiteral("hasVintageFix")),
        .hasOptiFine = r.boolean(QStringLiteral("hasOptiFine")),
        .warnings = r.strings(QStringLiteral("warnings")),
        .isCertifiedPack = r.boolean(QStringLiteral("isCertifiedPack")),
    };
}

} // namespace orvane
