#include "ui/details/InstallDetails.h"

#include "model/CertifiedPack.h"
#include "platform/PathText.h"

#include <QStringList>

#include <algorithm>

namespace orvane::InstallDetails {

namespace {

const QString kDash = QStringLiteral("—");
const QString kSeparator = QStringLiteral(" · ");

QString orDash(const std::optional<QString>& text)
{
    return text.value_or(kDash);
}

QString pathOrNotFound(const std::optional<std::filesystem::path>& path)
{
    return path ? pathText(*path) : QStringLiteral("Not found");
}

QString instanceName(const std::optional<InstallInspection>& inspection, const std::optional<QString>& labInstancePath)
{
    if (inspection && inspection->instanceRoot)
        return lastPathComponentText(*inspection->instanceRoot);
    if (labInstancePath)
        return lastPathComponentText(pathFromText(*labInstancePath));
    return QStringLiteral("Not selected");
}

} // namespace

QString heapText(const InstallInspection& inspection)
{
    QStringList parts;
    if (inspection.runDataMemoryMB)
        parts << QStringLiteral("runData %1 MB").arg(*inspection.runDataMemoryMB);
    if (inspection.settingsMemoryMB)
        parts << QStringLiteral("launcher %1 MB").arg(*inspection.settingsMemoryMB);
    return parts.isEmpty() ? kDash : parts.join(kSeparator);
}

QString optimisationText(const InstallInspection& inspection)
{
    QStringList parts;
    if (inspection.hasNothirium)
        parts << QStringLiteral("Nothirium");
    if (inspection.hasVintageFix)
        parts << QStringLiteral("VintageFix");
    if (inspection.hasOptiFine)
        parts << QStringLiteral("OptiFine");
    return parts.isEmpty() ? QStringLiteral("None detected") : parts.join(kSeparator);
}

DetailRowTexts rows(const std::optional<InstallInspection>& inspection, const std::optional<QString>& labInstancePath)
{
    const InstallInspection* i = inspection ? &*inspection : nullptr;
    const auto field = [i](auto member) { return i ? i->*member : decltype(InstallInspection{}.*member){}; };

    QString useMojangJava = QStringLiteral("Unknown");
    if (const auto on = field(&InstallInspection::useMojangJava))
        useMojangJava = *on ? QStringLiteral("On") : QStringLiteral("Off");
    const auto memoryId = field(&InstallInspection::settingsMemoryId);

    return {
        {QStringLiteral("Instance"), instanceName(inspection, labInstancePath)},
        {QStringLiteral("Pack"), field(&InstallInspection::packSlug).value_or(CertifiedPack::name)},
        {QStringLiteral("Version"), field(&InstallInspection::packVersion).value_or(CertifiedPack::version)},
        {QStringLiteral("Certified"), i && i->isCertifiedPack ? QStringLiteral("Yes") : QStringLiteral("No")},
        {QStringLiteral("Forge"), orDash(field(&InstallInspection::forgeId))},
        {QStringLiteral("Game Java"), orDash(field(&InstallInspection::javaRequirement))},
        {QStringLiteral("Java setting"), orDash(field(&InstallInspection::javaVersionSetting))},
        {QStringLiteral("Use Mojang Java"), useMojangJava},
        {QStringLiteral("Heap"), i ? heapText(*i) : kDash},
        {QStringLiteral("Memory ID"), memoryId ? QString::number(*memoryId) : kDash},
        {QStringLiteral("Optimizations"), i ? optimisationText(*i) : kDash},
        {QStringLiteral("Mod files"),
         i ? QString::number(i->modFileNames.size()) + QStringLiteral(" detected") : kDash},
        {QStringLiteral("Technic"), pathOrNotFound(field(&InstallInspection::technicApp))},
        {QStringLiteral("Technic data"), pathOrNotFound(field(&InstallInspection::technicRoot))},
        {QStringLiteral("Instance"), pathOrNotFound(field(&InstallInspection::instanceRoot))},
    };
}

std::optional<QString> managedOptionsTitle(const InstallInspection& inspection)
{
    if (inspection.options.empty())
        return std::nullopt;
    return QStringLiteral("MANAGED OPTIONS (%1)").arg(qint64(inspection.options.size()));
}

DetailRowTexts managedOptionRows(const InstallInspection& inspection)
{
    // The map is ordered by QString's operator<, the ascending string comparison the list wants.
    DetailRowTexts result;
    for (const auto& [key, value] : inspection.options)
        result.push_back({key, value});
    return result;
}

std::optional<QString> detectedModFilesTitle(const InstallInspection& inspection)
{
    if (inspection.modFileNames.empty())
        return std::nullopt;
    return QStringLiteral("DETECTED MOD FILES (%1)").arg(qint64(inspection.modFileNames.size()));
}

QString detectedModFilesText(const InstallInspection& inspection)
{
    QStringList names(inspection.modFileNames.begin(), inspection.modFileNames.end());
    std::sort(names.begin(), names.end());
    return names.join(QLatin1Char('\n'));
}

std::vector<QString> warnings(const std::optional<InstallInspection>& inspection)
{
    if (!inspection)
        return {};
    std::vector<QString> result = inspection->warnings;
    if (const auto optiFine = inspection->optiFineWarning();
        optiFine && std::find(result.begin(), result.end(), *optiFine) == result.end())
        result.push_back(*optiFine);
    return result;
}

} // namespace orvane::InstallDetails
