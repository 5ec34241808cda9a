#include "technic/InstallInspector.h"

#include "model/CertifiedPack.h"
#include "model/OrvaneError.h"
#include "model/TechnicMemory.h"
#include "platform/FileOperations.h"
#include "platform/PathText.h"
#include "technic/InstalledPacksFile.h"
#include "technic/LauncherJavaReadiness.h"
#include "technic/OpenCommandOpener.h"
#include "technic/OptionsFile.h"
#include "technic/TechnicFileReading.h"
#include "technic/TechnicJavaSafety.h"
#include "technic/TechnicSettingsFile.h"

#include <QJsonObject>

#include <algorithm>
#include <exception>

namespace orvane {

namespace {

// A pack key names one folder inside modpacks: an empty key, "." or "..", or one holding a "/"
// would name the modpacks folder itself or a folder elsewhere.
bool isSingleFolderName(const QString& key)
{
    return !key.isEmpty() && key != QLatin1String(".") && key != QLatin1String("..")
        && !key.contains(QLatin1Char('/')) && !key.contains(QChar(u'\0'));
}

// The data folder and its modpacks folder are where packs live, never a pack's own folder. A path
// holding a NUL byte would be tested cut short, so it names nothing.
bool isPackFolder(const std::filesystem::path& candidate, const std::filesystem::path& dataRoot)
{
    if (candidate.native().find('\0') != std::string::npos)
        return false;
    const auto folder = standardised(candidate);
    return folder != standardised(dataRoot) && folder != standardised(dataRoot / "modpacks");
}

std::optional<QString> stringSetting(const std::optional<QJsonObject>& settings, QLatin1String key)
{
    if (!settings)
        return std::nullopt;
    const QJsonValue value = settings->value(key);
    if (!value.isString())
        return std::nullopt;
    return value.toString();
}

std::optional<bool> boolSetting(const std::optional<QJsonObject>& settings, QLatin1String key)
{
    if (!settings)
        return std::nullopt;
    const QJsonValue value = settings->value(key);
    if (!value.isBool())
        return std::nullopt;
    return value.toBool();
}

bool anyNameContains(const std::vector<QString>& names, QLatin1String text)
{
    return std::any_of(names.begin(), names.end(),
                       [text](const QString& name) { return name.contains(text, Qt::CaseInsensitive); });
}

bool isOptiFine(const QString& name)
{
    const QString lower = name.toLower();
    return lower.contains(QLatin1String("optifine")) && !lower.contains(QLatin1String("defaultoptions"));
}

bool isCertified(const std::optional<QString>& packVersion, const std::optional<QString>& forgeId)
{
    return packVersion == CertifiedPack::version && forgeId
        && (*forgeId == CertifiedPack::forgeId || forgeId->contains(CertifiedPack::forgeVersion));
}

} // namespace

InstallInspector::InstallInspector(std::shared_ptr<FileOperations> fileManager, std::filesystem::path jvmRoot,
                                   ProcessEnvironment environment, RosettaCheck rosettaInstalled,
                                   QString hostArchitecture)
    : m_files(std::move(fileManager))
    , m_jvmRoot(std::move(jvmRoot))
    , m_environment(std::move(environment))
    , m_rosettaInstalled(std::move(rosettaInstalled))
    , m_hostArchitecture(std::move(hostArchitecture))
{
}

QString InstallInspector::notFoundWarning()
{
    return CertifiedPack::name + QLatin1Char(' ') + CertifiedPack::version
        + QStringLiteral(" was not found. Install the official pack in Technic, or choose the instance folder that "
                         "contains bin/ and options.txt.");
}

QString InstallInspector::archiveCopyWarning()
{
    return QStringLiteral("This looks like an archive copy. Apply Balanced will change these files. Prefer the live "
                          "Technic instance when you have one.");
}

QString InstallInspector::performanceModsWarning()
{
    return QStringLiteral("Beautiful expects Nothirium and VintageFix already in the pack. Orvane will not add JARs.");
}

QString InstallInspector::optionsOfWarning()
{
    return QStringLiteral("optionsof.txt is present, which usually means OptiFine. Orvane will not modify OptiFine "
                          "settings.");
}

std::filesystem::path InstallInspector::resolveInstance(const TechnicLocation& location) const
{
    if (!location.dataRoot)
        throw OrvaneError::tekkitMissing();
    const std::filesystem::path& dataRoot = *location.dataRoot;
    const auto modpacks = dataRoot / "modpacks";

    const auto tablePath = dataRoot / "installedPacks";
    if (pathExists(tablePath)) {
        std::optional<std::pair<QString, InstalledPacksFile::InstalledPack>> entry;
        try {
            entry = InstalledPacksFile::read(tablePath, *m_files).tekkitPack();
        } catch (const std::exception&) {
            // An unreadable table only means the folder is looked for another way.
        }
        if (entry) {
            const auto& [key, pack] = *entry;
            if (pack.directory) {
                const auto candidate = InstalledPacksFile::resolveDirectory(*pack.directory, dataRoot);
                if (candidate && isPackFolder(*candidate, dataRoot) && pathExists(*candidate))
                    return *candidate;
            }
            if (isSingleFolderName(key)) {
                const auto candidate = modpacks / pathFromText(key);
                if (pathExists(candidate))
                    return candidate;
            }
        }
    }

    const auto entries = listFolder(modpacks);
    if (!entries)
        throw OrvaneError::tekkitMissing();
    for (const auto& entry : *entries) {
        if (InstalledPacksFile::namesTekkit(pathText(entry.filename())))
            return entry;
    }
    throw OrvaneError::tekkitMissing();
}

void InstallInspector::checkCertifiedVersions(const InstallInspection& inspection)
{
    if (!inspection.instanceRoot)
        throw OrvaneError::tekkitMissing();
    const QString unknown = QStringLiteral("unknown");
    const QString packVersion = inspection.packVersion.value_or(unknown);
    if (packVersion != CertifiedPack::version)
        throw OrvaneError::unsupportedPackVersion(packVersion, CertifiedPack::version);
    const QString forgeId = inspection.forgeId.value_or(unknown);
    if (forgeId != CertifiedPack::forgeId && !forgeId.contains(CertifiedPack::forgeVersion))
        throw OrvaneError::unsupportedForge(forgeId, CertifiedPack::forgeVersion);
}

std::optional<QString> InstallInspector::readPackVersion(const std::filesystem::path& instance) const
{
    return InstanceBinFiles::readPackVersion(instance, *m_files);
}

std::optional<QString> InstallInspector::readForgeVersion(const std::filesystem::path& instance) const
{
    return InstanceBinFiles::readForgeVersion(instance, *m_files);
}

InstanceBinFiles::RunData InstallInspector::readRunData(const std::filesystem::path& instance) const
{
    return InstanceBinFiles::readRunData(instance, *m_files);
}

std::vector<QString> InstallInspector::listMods(const std::filesystem::path& instance)
{
    auto entries = listFolder(instance / "mods").value_or(std::vector<std::filesystem::path>());
    std::vector<std::filesystem::path> jars;
    for (auto& entry : entries) {
        if (pathText(entry.extension()).toLower() == QLatin1String(".jar"))
            jars.push_back(entry.filename());
    }
    // UTF-8 byte order is code point order: plain string order, upper case before lower case.
    std::sort(jars.begin(), jars.end(), [](const auto& a, const auto& b) { return a.native() < b.native(); });
    std::vector<QString> names;
    names.reserve(jars.size());
    for (const auto& jar : jars)
        names.push_back(pathText(jar));
    return names;
}

bool InstallInspector::rosettaInstalled() const
{
    if (!m_rosettaInstalled)
        return false;
    try {
        return m_rosettaInstalled();
    } catch (const std::exception&) {
        // A probe that cannot answer reads as Rosetta missing, the safe guidance.
        return false;
    }
}

InstallInspection InstallInspector::inspect(const TechnicLocation& location,
                                            const std::optional<std::filesystem::path>& instanceRoot) const
{
    InstallInspection inspection;
    inspection.technicApp = location.appURL;
    inspection.technicRoot = location.dataRoot;

    std::optional<std::filesystem::path> instance = instanceRoot;
    if (!instance) {
        try {
            instance = resolveInstance(location);
        } catch (const OrvaneError&) {
            // No installed pack: reported through the not-found inspection below.
        }
    }
    if (!instance) {
        inspection.warnings.push_back(notFoundWarning());
        return inspection;
    }

    inspection.instanceRoot = instance;
    const auto folderName = standardised(*instance).filename();
    if (!folderName.empty())
        inspection.packSlug = pathText(folderName);
    inspection.packVersion = readPackVersion(*instance);
    inspection.forgeId = readForgeVersion(*instance);
    const auto runData = readRunData(*instance);
    inspection.javaRequirement = runData.java;
    inspection.runDataMemoryMB = runData.memory;

    try {
        const auto options = OptionsFile::read(*instance / "options.txt", *m_files).nonKeyBindingValues();
        for (auto it = options.cbegin(); it != options.cend(); ++it)
            inspection.options.emplace(it.key(), it.value());
    } catch (const std::exception&) {
        // Missing, special, too large or not UTF-8: no options.
    }

    inspection.modFileNames = listMods(*instance);

    std::optional<QJsonObject> settings;
    if (location.dataRoot)
        settings = readJsonObjectIfPossible(*m_files, *location.dataRoot / "settings.json");
    if (settings) {
        inspection.settingsMemoryId = TechnicSettingsFile::memory(*settings);
        if (inspection.settingsMemoryId)
            inspection.settingsMemoryMB = TechnicMemory::megabytes(*inspection.settingsMemoryId);
    }
    inspection.javaVersionSetting = stringSetting(settings, QLatin1String("javaVersion"));
    inspection.useMojangJava = boolSetting(settings, QLatin1String("useMojangJava"));

    auto& warnings = inspection.warnings;
    if (pathText(*instance).contains(QLatin1String("Minecraft Backups")))
        warnings.push_back(archiveCopyWarning());

    inspection.hasNothirium = anyNameContains(inspection.modFileNames, QLatin1String("nothirium"));
    inspection.hasVintageFix = anyNameContains(inspection.modFileNames, QLatin1String("vintagefix"));
    if (!inspection.hasNothirium || !inspection.hasVintageFix)
        warnings.push_back(performanceModsWarning());

    // Only a launcher JAR runs on the user's own Java; an application brings its own.
    if (location.appURL && OpenCommandOpener::isJar(*location.appURL)) {
        const auto java = LauncherJavaReadiness::check(m_environment, m_jvmRoot, m_hostArchitecture, *m_files);
        if (java.issue)
            warnings.push_back(*java.issue);
    }

    if (inspection.options.count(QStringLiteral("optionsof")) != 0 || pathExists(*instance / "optionsof.txt"))
        warnings.push_back(optionsOfWarning());

    for (const auto& issue : TechnicJavaSafety::issues(location.dataRoot, inspection.useMojangJava, rosettaInstalled()))
        warnings.push_back(issue);

    inspection.hasOptiFine = std::any_of(inspection.modFileNames.begin(), inspection.modFileNames.end(), isOptiFine);
    if (inspection.hasOptiFine)
        warnings.push_back(InstallInspection::optiFineWarningText());

    inspection.isCertifiedPack = isCertified(inspection.packVersion, inspection.forgeId);
    return inspection;
}

} // namespace orvane
