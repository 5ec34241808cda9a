#pragma once

#include "platform/FileOperations.h"
#include "platform/HostArchitecture.h"
#include "platform/OpenTool.h"
#include "platform/ProcessEnvironment.h"
#include "platform/ProcessSpawner.h"
#include "technic/ApplicationOpener.h"

#include <filesystem>
#include <memory>
#include <mutex>

namespace orvane {

// Opens official Technic: an application through the desktop's open tool, a launcher JAR with a
// Java 8 that the launcher Java check approves for this host (started in the background, never
// waited for; the started process is kept so the watch can tell a launcher that failed to start).
class OpenCommandOpener final : public ApplicationOpener {
public:
    // `environment` is passed on to the launcher started from a JAR; `jvmRoot` is where Java 8 is
    // looked for without JAVA_HOME; `hostArchitecture` is what that Java must run natively on.
    OpenCommandOpener(ProcessEnvironment environment, std::filesystem::path jvmRoot,
                      std::shared_ptr<OpenTool> openTool = OpenTool::system(),
                      std::shared_ptr<ProcessSpawner> spawner = ProcessSpawner::system(),
                      std::shared_ptr<FileOperations> files = FileOperations::system(),
                      QString hostArchitecture = orvane::hostArchitecture());

    // Throws OrvaneError::launchObservationFailed when the open tool reports failure, the launcher
    // Java is not ready or the JAR is missing; a program that cannot start throws its system error.
    void open(const std::filesystem::path& target) override;

    // The launcher the last open started from a JAR; nothing after opening an application.
    std::shared_ptr<StartedProcess> startedProcess() const override;

    // The extension is "jar" in any letter case (a launcher JAR rather than an application).
    static bool isJar(const std::filesystem::path& target);

    const ProcessEnvironment& environment() const { return m_environment; }
    const std::filesystem::path& jvmRoot() const { return m_jvmRoot; }

private:
    void openJar(const std::filesystem::path& jar);

    ProcessEnvironment m_environment;
    std::filesystem::path m_jvmRoot;
    std::shared_ptr<OpenTool> m_openTool;
    std::shared_ptr<ProcessSpawner> m_spawner;
    std::shared_ptr<FileOperations> m_files;
    QString m_hostArchitecture;
    mutable std::mutex m_startedMutex;
    std::shared_ptr<StartedProcess> m_started;
};

} // namespace orvane
