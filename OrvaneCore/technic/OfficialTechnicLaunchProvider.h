#pragma once

#include "model/LaunchProvider.h"
#include "platform/FileOperations.h"
#include "platform/HostArchitecture.h"
#include "technic/ApplicationOpener.h"
#include "technic/LaunchClock.h"
#include "technic/ProcessInspecting.h"

#include <QString>

#include <memory>

namespace orvane {

// The provider for packs handed over to the official Technic Launcher: it makes sure the launcher
// is open (opening it when it is not), then watches the game start with a LaunchObserver and turns
// what it saw into the result. It never starts the game itself. Immutable; one call is one launch.
class OfficialTechnicLaunchProvider final : public LaunchProvider {
public:
    static const QString preparingMessage;
    static const QString openingMessage;
    static const QString readyMessage;
    static const QString cancelledMessage;
    static const QString completedMessage;

    // `observationTimeout` in seconds (180 in the application). The clock and the file operations
    // (for removing a launcher Java link into a user JDK) are the real ones unless a test replaces them;
    // `hostArchitecture` is this machine's, for the watch's advice on the game's natives.
    OfficialTechnicLaunchProvider(std::shared_ptr<ApplicationOpener> opener,
                                  std::shared_ptr<ProcessInspecting> processes, double observationTimeout,
                                  std::shared_ptr<LaunchClock> clock = LaunchClock::system(),
                                  std::shared_ptr<FileOperations> files = FileOperations::system(),
                                  QString hostArchitecture = orvane::hostArchitecture());

    LaunchProviderID id() const override { return LaunchProviderID::officialTechnic; }
    LaunchMode mode() const override { return LaunchMode::companionHandoff; }

    // Events: preparing; openingProvider unless Technic already runs; waitingForPlayer; the
    // observation's outcome; completed unless that outcome is a failure or a time-out. Without a
    // launcher application: preparing, failed, and a failed result (not an error). A pack of another
    // provider or mode is refused before any event; a cancelled watch ends with a cancelled event
    // and CancellationError. Errors of the opener and of the link removal pass through unchanged. A
    // launcher the opener started itself that fails to start ends the watch as a startup issue: a
    // failed event and result whose message tells its status and last error lines.
    LaunchResult launch(const PackLaunchRequest& request, const LaunchEventHandler& onEvent,
                        std::stop_token stop) override;

    const std::shared_ptr<ApplicationOpener>& opener() const { return m_opener; }
    const std::shared_ptr<ProcessInspecting>& processes() const { return m_processes; }
    double observationTimeout() const { return m_observationTimeout; }

private:
    std::shared_ptr<ApplicationOpener> m_opener;
    std::shared_ptr<ProcessInspecting> m_processes;
    double m_observationTimeout;
    std::shared_ptr<LaunchClock> m_clock;
    std::shared_ptr<FileOperations> m_files;
    QString m_hostArchitecture;
};

} // namespace orvane
