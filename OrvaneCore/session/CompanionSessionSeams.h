#pragma once

#include "platform/FileOperations.h"
#include "platform/HostName.h"
#include "platform/ProcessEnvironment.h"
#include "platform/RosettaProbe.h"
#include "platform/StoreLock.h"
#include "records/LaunchReceipt.h"
#include "technic/LaunchClock.h"
#include "technic/LauncherJavaReadiness.h"
#include "technic/MacCapabilityDetector.h"

#include <QUuid>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

namespace orvane {

// What a companion session needs from the machine besides its constructor's arguments. Every member
// defaults to the real thing; tests replace the ones they must control.
struct CompanionSessionSeams {
    // Every file the session writes or reads whole goes through here.
    std::shared_ptr<FileOperations> files = FileOperations::system();
    // The session's "now", also handed to the official launch provider.
    std::shared_ptr<LaunchClock> clock = LaunchClock::system();
    // Measures the computer. Absent: one over the locator's home with no display and the real system
    // facts and `rosetta`. Its display source is called on the session's calling thread, so the
    // application hands in one that reads a thread-safe copy of the screen's size.
    std::optional<MacCapabilityDetector> detector;
    // Whether x86_64 code runs here; asked by inspections (and by the default detector).
    std::shared_ptr<RosettaProbe> rosetta = RosettaProbe::system();
    // The environment that decides which Java would run a launcher JAR during inspection.
    ProcessEnvironment environment = currentProcessEnvironment();
    // Where that Java is looked for without JAVA_HOME.
    std::filesystem::path jvmRoot = LauncherJavaReadiness::defaultJvmRoot();
    // Operation ids of launches.
    std::function<QUuid()> makeUuid = [] { return QUuid::createUuid(); };
    // The application's version texts written into launch receipts.
    LaunchReceipt::BundleVersions bundleVersions = defaultBundleVersions();
    // How long a backup, restore or Apply waits while another Orvane process works on the backups.
    StoreLock::Patience storeLockPatience;
    // This machine's name, which a diagnostic bundle must not hold.
    std::function<QString()> hostName = currentHostName;

    // The version and build number this build was made with, each sanitised.
    static LaunchReceipt::BundleVersions defaultBundleVersions();
};

} // namespace orvane
