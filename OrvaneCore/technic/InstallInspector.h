#pragma once

#include "model/InstallInspection.h"
#include "technic/InstanceBinFiles.h"
#include "technic/TechnicLocation.h"

#include "platform/HostArchitecture.h"
#include "platform/ProcessEnvironment.h"
#include <QString>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace orvane {

class FileOperations;

// Looks, read-only, at the launcher's data folder and one Tekkit 2 instance and reports what it
// finds. Inspecting never fails: whatever is missing, unreadable or malformed leaves its field
// absent or empty. Only the verdict on an inspection throws.
class InstallInspector final {
public:
    // Whether this machine can run the game's Intel Java; asked once per inspection.
    using RosettaCheck = std::function<bool()>;

    // `environment` and `jvmRoot` (where JDKs are looked for without JAVA_HOME) decide which Java would
    // run a launcher JAR, `hostArchitecture` what it must run natively on.
    InstallInspector(std::shared_ptr<FileOperations> fileManager, std::filesystem::path jvmRoot,
                     ProcessEnvironment environment, RosettaCheck rosettaInstalled,
                     QString hostArchitecture = orvane::hostArchitecture());

    // Inspects `instanceRoot` when given (taken as it is), else the instance the launcher installed.
    // Never throws.
    InstallInspection inspect(const TechnicLocation& location,
                              const std::optional<std::filesystem::path>& instanceRoot) const;

    // The folder of the Tekkit 2 pack installed through the launcher: the installedPacks entry's
    // directory, else modpacks/<its key>, else the first modpacks entry whose name reads as Tekkit 2.
    // Throws OrvaneError::tekkitMissing only.
    std::filesystem::path resolveInstance(const TechnicLocation& location) const;

    // Throws tekkitMissing without an instance, unsupportedPackVersion or unsupportedForge (found
    // "unknown" when the value was not read) for any build but the certified one. Reads no file.
    static void checkCertifiedVersions(const InstallInspection& inspection);

    std::optional<QString> readPackVersion(const std::filesystem::path& instance) const;
    std::optional<QString> readForgeVersion(const std::filesystem::path& instance) const;
    InstanceBinFiles::RunData readRunData(const std::filesystem::path& instance) const;
    // Names of instance/mods entries with the extension "jar" (any letter case), sorted by code
    // point; empty when the folder cannot be listed.
    static std::vector<QString> listMods(const std::filesystem::path& instance);

    // Warnings, in the order an inspection adds them (the OptiFine one, last, is
    // InstallInspection::optiFineWarningText()).
    static QString notFoundWarning();
    static QString archiveCopyWarning();
    static QString performanceModsWarning();
    static QString optionsOfWarning();

    const std::filesystem::path& jvmRoot() const { return m_jvmRoot; }
    const ProcessEnvironment& environment() const { return m_environment; }

private:
    bool rosettaInstalled() const;

    std::shared_ptr<FileOperations> m_files;
    std::filesystem::path m_jvmRoot;
    ProcessEnvironment m_environment;
    RosettaCheck m_rosettaInstalled;
    QString m_hostArchitecture;
};

} // namespace orvane
