#include "technic/OpenCommandOpener.h"

#include "model/OrvaneError.h"
#include "platform/PathText.h"
#include "technic/LauncherJavaReadiness.h"
#include "technic/TechnicLauncherLaunch.h"

#include <sys/stat.h>
#include <unistd.h>

namespace orvane {

namespace {

// A readable regular file (links followed). A folder or a FIFO named like a JAR is no launcher:
// Java would fail on it in the background where nobody sees why.
bool isReadableRegularFile(const std::filesystem::path& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), R_OK) == 0;
}

} // namespace

OpenCommandOpener::OpenCommandOpener(ProcessEnvironment environment, std::filesystem::path jvmRoot,
                                     std::shared_ptr<OpenTool> openTool, std::shared_ptr<ProcessSpawner> spawner,
                                     std::shared_ptr<FileOperations> files, QString hostArchitecture)
    : m_environment(std::move(environment))
    , m_jvmRoot(std::move(jvmRoot))
    , m_openTool(std::move(openTool))
    , m_spawner(std::move(spawner))
    , m_files(std::move(files))
    , m_hostArchitecture(std::move(hostArchitecture))
{
}

bool OpenCommandOpener::isJar(const std::filesystem::path& target)
{
    // A final "/" leaves the name, and so its extension, as it was.
    return pathText(standardised(target).extension()).toLower() == QLatin1String(".jar");
}

std::shared_ptr<StartedProcess> OpenCommandOpener::startedProcess() const
{
    const std::lock_guard lock(m_startedMutex);
    return m_started;
}

void OpenCommandOpener::open(const std::filesystem::path& target)
{
    {
        const std::lock_guard lock(m_startedMutex);
        m_started.reset();
    }
    if (isJar(target)) {
        openJar(target);
        return;
    }
    const int status = m_openTool->open(target);
    if (status != 0)
        throw OrvaneError::launchObservationFailed(
            QStringLiteral("open exited %1 for %2").arg(QString::number(status), pathText(target)));
}

void OpenCommandOpener::openJar(const std::filesystem::path& jar)
{
    // The Java comes first: without an approved one there is nothing to run a JAR with anyway.
    const auto readiness = LauncherJavaReadiness::check(m_environment, m_jvmRoot, m_hostArchitecture, *m_files);
    if (readiness.issue)
        throw OrvaneError::launchObservationFailed(*readiness.issue);

    if (!isReadableRegularFile(jar))
        throw OrvaneError::launchObservationFailed(
            QStringLiteral("Technic launcher JAR not found at %1").arg(pathText(jar)));

    ProcessEnvironment environment = m_environment;
    environment[QStringLiteral("JAVA_HOME")] = pathText(readiness.javaHome);

    auto started = m_spawner->startDetached(readiness.executable, {"-jar", jar.native()}, environment);
    TechnicLauncherLaunch::setLauncherProcess(started->pid());
    const std::lock_guard lock(m_startedMutex);
    m_started = std::move(started);
}

} // namespace orvane
