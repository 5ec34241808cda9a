#pragma once

#include "model/LaunchObservation.h"
#include "technic/LaunchLogClassifier.h"
#include "technic/LogTail.h"
#include "technic/ProcessInspecting.h"

#include <QDateTime>
#include <QString>

#include <array>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace orvane {

// The state of one watch of a game start and one polling cycle of it: the processes, the new
// text of the game's and the launcher's logs, and new crash reports. It never writes anything and
// never throws; what cannot be read counts as nothing new. The observer drives it on its clock.
class LaunchWatch final {
public:
    // The game logs, relative to the instance folder, in reading order.
    static const std::array<const char*, 2> gameLogPaths;
    // Only the first and the last this many bytes of a crash report are read.
    static constexpr std::uint64_t crashReportEdgeBytes = 8000;

    // Takes the logs as they are now as already read: only text written after `start` counts.
    // Crash reports count when modified at or after `start` minus one second.
    LaunchWatch(std::shared_ptr<ProcessInspecting> enumerator, std::optional<std::filesystem::path> instanceRoot,
                std::optional<std::filesystem::path> dataRoot, QDateTime start);

    // One cycle: asks whether Technic and the game's Java run, reads what the logs and crash
    // reports gained, and returns the observation when the text seen so far decides the launch.
    std::optional<LaunchObservation> poll();
    // The observation at the deadline, after asking once more whether Technic runs.
    LaunchObservation finish();
    // The observation of a launcher that failed to start: a startup issue with `message` (already
    // fit for the status) and `errorOutput` (redacted here) as its excerpt, after asking once more
    // whether Technic runs.
    LaunchObservation failedStart(const QString& message, const QString& errorOutput);

    // Technic runs: its launcher's Java, a process named "TechnicLauncher" or "Technic Launcher",
    // or an application whose bundle identifier begins "net.technicpack"; asked in that order.
    static bool isTechnicRunning(const ProcessInspecting& enumerator);
    // The most recently modified "techniclauncher….log" of dataRoot/logs; of equal dates the one
    // listed first. Nothing when the folder cannot be listed or holds none.
    static std::optional<std::filesystem::path> latestLauncherLog(const std::filesystem::path& dataRoot);

    // Everything read so far.
    const QString& gameText() const { return m_gameText; }
    const QString& launcherText() const { return m_launcherText; }

private:
    LaunchObservation observation(LaunchOutcome outcome, const QString& message, const QString& excerpt) const;
    void readLauncherLog();
    void readGameLogs();
    void readCrashReports();

    std::shared_ptr<ProcessInspecting> m_enumerator;
    std::optional<std::filesystem::path> m_instanceRoot;
    std::optional<std::filesystem::path> m_dataRoot;
    QDateTime m_start;

    QString m_gameText;
    QString m_launcherText;
    LaunchTextMarkers m_markers;

    std::vector<LogTail> m_gameLogs;
    // Each launcher log keeps its own offset: one present at the start from its size then, a new
    // one (the next day's) from its beginning.
    std::map<std::filesystem::path, LogTail> m_launcherLogs;
    // Crash reports modified since the start; each is read again while it grows.
    std::map<std::filesystem::path, LogTail> m_crashReports;

    bool m_technicRunning = false;
    bool m_javaSeen = false;
    std::optional<QString> m_javaArchitecture;
    std::optional<bool> m_translated;
};

} // namespace orvane
