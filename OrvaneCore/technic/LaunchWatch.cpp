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

// The folder's entries that `matches` accepts (all without it), in the order the file system
// gives them; empty when it cannot be listed.
std::vector<ListedEntry> listWithDates(const std::filesystem::path& folder,
                                       bool (*matches)(const std::filesystem::path&) = nullptr)
{
    std::vector<ListedEntry> entries;
    for (auto& path : listFolder(folder).value_or(std::vector<std::filesystem::path>())) {
        if (matches && !matches(path))
            continue;
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

// The log a HotSpot JVM writes into its working folder (the instance) as it dies.
bool isFatalErrorLogName(const std::filesystem::path& path)
{
    const std::string name = path.filename().native();
    return name.starts_with("hs_err_pid") && path.extension() == ".log";
}

} // namespace

LaunchWatch::LaunchWatch(std::shared_ptr<ProcessInspecting> enumerator,
                         std::optional<std::filesystem::path> instanceRoot,
                         std::optional<std::filesystem::path> dataRoot, QDateTime start,
                         QString hostArchitecture)
    : m_enumerator(std::move(enumerator)),
      m_instanceRoot(std::move(instanceRoot)),
      m_dataRoot(std::move(dataRoot)),
      m_hostArchitecture(std::move(hostArchitecture))
{
    if (m_instanceRoot) {
        for (const char* relative : gameLogPaths)
            m_gameLogs.emplace_back(WatchedFile{LogTail(*m_instanceRoot / relative), {}}).tail.skipExisting();
        const std::int64_t startMs = start.toMSecsSinceEpoch();
        m_crashReportFreshness =
            ReportFreshness(*m_instanceRoot / "crash-reports", nullptr, startMs, crashReportEdgeBytes);
        m_fatalErrorLogFreshness =
            ReportFreshness(*m_instanceRoot, isFatalErrorLogName, startMs, crashReportEdgeBytes);
    }
    if (m_dataRoot) {
        for (const auto& entry : listWithDates(*m_dataRoot / "logs", isLauncherLogName)) {
            LogTail tail(entry.path);
            tail.skipExisting();
            m_launcherLogs.emplace(entry.path, WatchedFile{std::move(tail), {}});
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
    for (auto& entry : listWithDates(dataRoot / "logs", isLauncherLogName)) {
        if (!latest || entry.modifiedMs > latest->modifiedMs)
            latest = std::move(entry);
    }
    if (!latest)
        return std::nullopt;
    return latest->path;
}

std::optional<LaunchObservation> LaunchWatch::poll()
{
    m_technicRunning = isTechnicRunning(*m_enumerator);
    const bool gameJavaRunning = m_enumerator->isGameJavaRunning();
    if (m_javaSeen && !gameJavaRunning) {
        m_javaGone = true;
    } else if (m_javaGone && gameJavaRunning) {
        // The player pressed Play again after the game had ended: a new run.
        m_javaGone = false;
        m_markers.forgetStopping();
    }
    if (gameJavaRunning) {
        if (const auto architecture = m_enumerator->gameJavaArchitecture()) {
            m_javaArchitecture = architecture->architecture;
            m_translated = architecture->translated;
            m_javaSeen = true;
        }
    }
    readLauncherLog();
    readGameLogs();
    if (m_instanceRoot) {
        readNewReports(m_crashReportFreshness, m_crashReports);
        if (readNewReports(m_fatalErrorLogFreshness, m_fatalErrorLogs))
            m_markers.noteFatalErrorLog();
    }
    return decide();
}

std::optional<LaunchObservation> LaunchWatch::decide()
{
    // The natives must suit the game's Java; until it has been seen, this machine's architecture.
    const QString architecture = m_javaArchitecture && *m_javaArchitecture != QLatin1String("unknown")
                                   ? *m_javaArchitecture
                                   : m_hostArchitecture;
    auto decided = m_markers.decide(gameText(), launcherText(), m_translated.value_or(false), architecture);
    if (decided && decided->awaitsCrashReport) {
        // A game that is gone has written whatever crash report it was going to write.
        m_awaiting = decided;
        if (!m_javaGone && ++m_pollsAwaiting <= crashReportWaitPolls)
            return std::nullopt;
    }
    if (decided)
        return observation(decided->outcome, decided->message, decided->excerpt);
    // Gone before Forge loaded, with its last lines to show why: the game could not start.
    if (m_javaGone && !m_markers.stoppedNormally() && !(gameText().isEmpty() && launcherText().isEmpty()))
        return observation(LaunchOutcome::crashDetected, LaunchMessages::gameEndedBeforeForge,
                           gameText() + launcherText());
    return std::nullopt;
}

LaunchObservation LaunchWatch::finish()
{
    m_technicRunning = isTechnicRunning(*m_enumerator);
    if (m_awaiting)
        return observation(m_awaiting->outcome, m_awaiting->message, m_awaiting->excerpt);
    const LaunchOutcome outcome = m_javaSeen        ? LaunchOutcome::javaStarted
                                : m_technicRunning ? LaunchOutcome::openedTechnicWaitingForPlayer
                                                   : LaunchOutcome::timedOut;
    return observation(outcome, m_javaSeen ? LaunchMessages::javaStarted : LaunchMessages::technicOpen,
                       gameText() + launcherText());
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

std::uint64_t LaunchWatch::bytesRead() const
{
    std::uint64_t total = 0;
    for (const WatchedFile& file : m_gameLogs)
        total += file.tail.bytesRead();
    for (const WatchedFiles* files : {&m_launcherLogs, &m_crashReports, &m_fatalErrorLogs}) {
        for (const auto& [path, file] : *files)
            total += file.tail.bytesRead();
    }
    return total;
}

void LaunchWatch::readLauncherLog()
{
    if (!m_dataRoot)
        return;
    const auto latest = latestLauncherLog(*m_dataRoot);
    if (!latest)
        return;
    auto found = m_launcherLogs.find(*latest);
    if (found == m_launcherLogs.end()) // new since the start: all of it
        found = m_launcherLogs.emplace(*latest, WatchedFile{LogTail(*latest), {}}).first;
    read(found->second, Stream::launcher);
}

void LaunchWatch::readGameLogs()
{
    for (WatchedFile& file : m_gameLogs)
        read(file, Stream::game);
}

bool LaunchWatch::readNewReports(ReportFreshness& freshness, WatchedFiles& reports)
{
    bool gained = false;
    for (const auto& path : freshness.entries()) {
        auto found = reports.find(path);
        if (found == reports.end()) {
            if (!freshness.isNew(path))
                continue;
            found = reports.emplace(path, WatchedFile{LogTail(path, crashReportEdgeBytes), {}}).first;
        }
        gained = read(found->second, Stream::game) || gained;
    }
    return gained;
}

bool LaunchWatch::read(WatchedFile& file, Stream stream)
{
    bool gained = false;
    file.tail.readNew([&](QStringView text, bool continues) {
        if (!continues)
            file.carry.clear();
        if (stream == Stream::game) {
            m_markers.scanGameText(text, file.carry);
            m_gameText.append(text);
        } else {
            m_markers.scanLauncherText(text, file.carry);
            m_launcherText.append(text);
        }
        gained = true;
    });
    return gained;
}

} // namespace orvane
