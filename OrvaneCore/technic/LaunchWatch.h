#pragma once

#include "model/LaunchObservation.h"
#include "platform/HostArchitecture.h"
#include "technic/LaunchLogClassifier.h"
#include "technic/LogTail.h"
#include "technic/ProcessInspecting.h"
#include "technic/ReportFreshness.h"
#include "technic/TextTail.h"

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
// text of the game's and the launcher's logs, new crash reports and new JVM fatal-error logs. It
// never writes anything and never throws; what cannot be read counts as nothing new. The observer
// drives it on its clock.
//
// Text is searched as it is read and only the end of it is kept, for the excerpt: a watch costs
// the same memory whatever the size of the logs.
class LaunchWatch final {
public:
    // The game logs, relative to the instance folder, in reading order.
    static const std::array<const char*, 2> gameLogPaths;
    // Only the first and the last this many bytes of a crash report or a fatal-error log are read.
    static constexpr std::uint64_t crashReportEdgeBytes = 8000;
    // How much of the game text and of the launcher text is kept for the excerpt (UTF-16 units,
    // each): room for a crash report's head and tail and the game log lines before them.
    static constexpr qsizetype keptTextLength = 32 * 1024;
    // How many polls a failure that a crash report may follow waits for one (2 s at the usual pace).
    static constexpr int crashReportWaitPolls = 5;

    // Takes the logs as they are now as already read: only text written after `start` counts.
    // Crash reports, and the JVM's fatal-error logs ("hs_err_pid….log" in the instance folder),
    // count when they were not there at `start` or their content changed since (ReportFreshness).
    // `hostArchitecture` stands for the game Java's architecture until that has been seen.
    LaunchWatch(std::shared_ptr<ProcessInspecting> enumerator, std::optional<std::filesystem::path> instanceRoot,
                std::optional<std::filesystem::path> dataRoot, QDateTime start,
                QString hostArchitecture = orvane::hostArchitecture());

    // One cycle: asks whether Technic and the game's Java run, reads what the logs and crash
    // reports gained, and returns the observation when the text seen so far decides the launch.
    // The game's Java seen and then gone without Forge having loaded decides it too, as a startup
    // issue, unless the game wrote that it was stopping (the player closed it) or left no text.
    std::optional<LaunchObservation> poll();
    // The observation at the deadline, after asking once more whether Technic runs: a failure
    // still waiting for its crash report, or what the processes showed.
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

    // The end of the text read so far, as an excerpt shows it.
    const QString& gameText() const { return m_gameText.text(); }
    const QString& launcherText() const { return m_launcherText.text(); }
    // Bytes read from the files so far (for tests and benchmarks of the reading cost).
    std::uint64_t bytesRead() const;

private:
    // A file followed over the watch and the end of its text searched so far.
    struct WatchedFile {
        LogTail tail;
        QString carry;
    };
    using WatchedFiles = std::map<std::filesystem::path, WatchedFile>;
    enum class Stream { game, launcher };

    LaunchObservation observation(LaunchOutcome outcome, const QString& message, const QString& excerpt) const;
    void readLauncherLog();
    void readGameLogs();
    // Reads the files of `freshness`'s folder that it finds new since the start into the game text;
    // true when any of them gave text.
    bool readNewReports(ReportFreshness& freshness, WatchedFiles& reports);
    std::optional<LaunchObservation> decide();
    // Searches and keeps what `file` gained, as text of `stream`; true when it gained any.
    bool read(WatchedFile& file, Stream stream);

    std::shared_ptr<ProcessInspecting> m_enumerator;
    std::optional<std::filesystem::path> m_instanceRoot;
    std::optional<std::filesystem::path> m_dataRoot;
    QString m_hostArchitecture;

    TextTail m_gameText{keptTextLength};
    TextTail m_launcherText{keptTextLength};
    LaunchTextMarkers m_markers;

    std::vector<WatchedFile> m_gameLogs;
    // Each launcher log keeps its own offset: one present at the start from its size then, a new
    // one (the next day's) from its beginning.
    WatchedFiles m_launcherLogs;
    // Crash reports and fatal-error logs new since the start; each is read again while it grows.
    ReportFreshness m_crashReportFreshness;
    ReportFreshness m_fatalErrorLogFreshness;
    WatchedFiles m_crashReports;
    WatchedFiles m_fatalErrorLogs;
    // A failure waiting for the crash report that may follow it, and for how many polls so far.
    std::optional<LaunchClassification> m_awaiting;
    int m_pollsAwaiting = 0;

    bool m_technicRunning = false;
    bool m_javaSeen = false;
    // The game's Java was seen and is not running now.
    bool m_javaGone = false;
    std::optional<QString> m_javaArchitecture;
    std::optional<bool> m_translated;
};

} // namespace orvane
