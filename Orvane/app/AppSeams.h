#pragma once

#include "app/AppEnvironment.h"
#include "app/BundleInfo.h"
#include "app/DisplaySnapshot.h"
#include "app/ReleaseFetcher.h"
#include "app/RememberedSettings.h"

#include <QString>

#include <functional>
#include <memory>

namespace orvane {

// Whether the Java that would open the Technic launcher is usable; asked anew at every use, since it
// reads the disk.
using LauncherJavaProbe = std::function<bool()>;

// What the application model needs from the machine besides the session. system() gives the real
// ones; tests replace what they must control.
struct AppSeams {
    AppEnvironment environment;
    std::shared_ptr<RememberedSettings> settings;
    BundleInfo bundle;
    LauncherJavaProbe launcherJavaReady;
    std::shared_ptr<ReleaseFetcher> releaseFetcher;
    std::shared_ptr<DisplaySnapshot> display;
    // The release site: the record's host and the only host its links may name.
    QString releaseHost;

    static AppSeams system();

    // The real launcher Java check over `environment`, for its host's architecture.
    static LauncherJavaProbe launcherJavaCheck(AppEnvironment environment);
    // The host this build checks for releases (a build setting).
    static QString defaultReleaseHost();
};

} // namespace orvane
