#include "technic/LaunchWatch.h"

#include "model/DiagnosticRedactor.h"
#include "technic/TechnicFileReading.h"

#include <sys/stat.h>

#include <cstdint>
#include <limits>
#include <utility>

namespace orvane {

const std::array<const char*, 2> LaunchWatch::gameLogPaths{"logs/latest.log", "logs/fml-client-latest.log"};

namespace {

struct ListedEntry {
    std::filesystem::path path;
    // Modification time in milliseconds since the epoch; the distant past when it cannot be read.
    std::int64_t modifiedMs = std::numeric_limits<std::int64_t>::min();
};

// The folder's entries in the order the file system gives them; empty when it cannot be listed.
std::vector<ListedEntry> listWithDates(const std::filesystem::path& folder)
{
    std::vector<ListedEntry> entries;
    for (auto& path : listFolder(folder).value_or(std::vector<std::filesystem::path>())) {
        ListedEntry entry{std::move(path)};
        struct stat status {};
        if (::lstat(entry.path.c_str(), &status) == 0)
            entry.modifiedMs = std::int64_t(status.st_mtim.tv_sec) * 1000 + status.st_mtim.tv_nsec / 1000000;
        entries.push_back(std::move(entry));
    }
    return entries;
}

bool isLauncherLogName(const std::filesystem::path& path)
{
    const std::string name = path.filename().native();
    return name.starts_with("techniclauncher") && path.extension() == ".log";
}

} // namespace

LaunchWatch::LaunchWatch(std::shared_ptr<ProcessInspecting> enumerator,
                         std::optional<std::filesystem::path> instanceRoot,
                         std::optional<std::filesystem::path> dataRoot, QDateTime start)
    : m_enumerator(std::move(enumerator)),
      m_instanceRoot(std::move(instanceRoot)),
      m_dataRoot(std::move(dataRoot)),
      m_start(std::move(start))
{
    if (m_instanceRoot) {
        for (const char* relative : gameLogPaths) {
            LogTail& tail = m_gameLogs.emplace_back(*m_instanceRoot / relative);
            tail.skipExisting();
        }
    }
    if (m_dataRoot) {
        for (const auto& entry : listWithDates(*m_dataRoot / "logs")) {
            if (!isLauncherLogName(entry.path))
                continue;
            LogTail tail(entry.path);
            tail.skipExisting();
            m_launcherLogs.emplace(entry.path, std::move(tail));
        }
    }
}

bool LaunchWatch::isTechnicRunning(const ProcessInspecting& enumerator)
{
    return enumerator.isTechnicLauncherJavaRunning()
        || enumerator.isProcessRunning(QStringLiteral("TechnicLauncher"))
        || enumerator.isProcessRunning(QStringLiteral("Technic Launcher"))
        || enumerator.isApplicationRunning(QStringLiteral("net.technicpack"));
}

std::optional<std::filesystem::path> LaunchWatch::latestLauncherLog(const std::filesystem::path& dataRoot)
{
    std::optional<ListedEntry> latest;
    for (auto& entry : listWithDates(dataRoot / "logs")) {
        if (isLauncherLogName(entry.path) && (!latest || entry.modifiedMs > latest->modifiedMs))
            latest = std::move(entry);
    }
    if (!latest)
        return std::nullopt;
    return latest->path;
}

std::optional<LaunchObservation> LaunchWatch::poll()
{
    m_technicRunning = isTechnicRunning(*m_enumerator);
    if (m_enumerator->isGameJavaRunning()) {
        if (const auto architecture = m_enumerator->gameJavaArchitecture()) {
            m_javaArchitecture = architecture->architecture;
            m_translated = architecture->translated;
            m_javaSeen = true;
        }
    }
    readLauncherLog();
    readGameLogs();
    readCrashReports();

    m_markers.scanGameText(m_gameText);
    m_markers.scanLauncherText(m_launcherText);
    const auto decided = m_markers.decide(m_gameText, m_launcherText, m_translated.value_or(false));
    if (!decided)
        return std::nullopt;
    return observation(decided->outcome, decided->message, decided->excerpt);
}

LaunchObservation LaunchWatch::finish()
{
    m_technicRunning = isTechnicRunning(*m_enumerator);
    const LaunchOutcome outcome = m_javaSeen        ? LaunchOutcome::javaStarted
                                : m_technicRunning ? LaunchOutcome::openedTechnicWaitingForPlayer
                                                   : LaunchOutcome::timedOut;
    return observation(outcome, m_javaSeen ? LaunchMessages::javaStarted : LaunchMessages::technicOpen,
                       m_gameText + m_launcherText);
}

LaunchObservation LaunchWatch::failedStart(const QString& message, const QString& errorOutput)
{
    m_technicRunning = isTechnicRunning(*m_enumerator);
    return observation(LaunchOutcome::crashDetected, message, errorOutput);
}

LaunchObservation LaunchWatch::observation(LaunchOutcome outcome, const QString& message,
                                           const QString& excerpt) const
{
    return LaunchObservation{
        true,
        m_technicRunning,
        m_javaSeen,
        m_javaArchitecture,
        m_translated,
        DiagnosticRedactor::redact(excerpt),
        outcome,
        message,
    };
}

void LaunchWatch::readLauncherLog()
{
    if (!m_dataRoot)
        return;
    const auto latest = latestLauncherLog(*m_dataRoot);
    if (!latest)
        return;
    auto found = m_launcherLogs.find(*latest);
    if (found == m_launcherLogs.end())
        found = m_launcherLogs.emplace(*latest, LogTail(*latest)).first; // new since the start: all of it
    m_launcherText += found->second.readNew();
}

void LaunchWatch::readGameLogs()
{
    for (LogTail& tail : m_gameLogs)
        m_gameText += tail.readNew();
}

void LaunchWatch::readCrashReports()
{
    if (!m_instanceRoot)
        return;
    const std::int64_t since = m_start.toMSecsSinceEpoch() - 1000;
    for (const auto& entry : listWithDates(*m_instanceRoot / "crash-reports")) {
        if (entry.modifiedMs < since)
            continue;
        auto found = m_crashReports.find(entry.path);
        if (found == m_crashReports.end())
            found = m_crashReports.emplace(entry.path, LogTail(entry.path, crashReportEdgeBytes)).first;
        m_gameText += found->second.readNew();
    }
}

} // namespace orvane
