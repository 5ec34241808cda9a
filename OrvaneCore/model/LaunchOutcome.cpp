#include "model/LaunchOutcome.h"

namespace orvane {

QString statusLine(LaunchOutcome outcome)
{
    switch (outcome) {
    case LaunchOutcome::openedTechnicWaitingForPlayer:
        return QStringLiteral("LAST CHECK \u00B7 TECHNIC OPEN \u00B7 GAME NOT DETECTED");
    case LaunchOutcome::javaStarted: return QStringLiteral("LAST CHECK \u00B7 GAME JAVA STARTED");
    case LaunchOutcome::forgeLoaded: return QStringLiteral("LAST CHECK \u00B7 FORGE LOADED");
    case LaunchOutcome::crashDetected: return QStringLiteral("LAST CHECK \u00B7 STARTUP ISSUE DETECTED");
    case LaunchOutcome::technicMissing: return QStringLiteral("LAST CHECK \u00B7 TECHNIC NOT FOUND");
    case LaunchOutcome::timedOut: return QStringLiteral("LAST CHECK \u00B7 TIMEOUT (3 MIN) \u00B7 GAME NOT DETECTED");
    }
    return QString();
}

bool isProblem(LaunchOutcome outcome)
{
    switch (outcome) {
    case LaunchOutcome::crashDetected:
    case LaunchOutcome::technicMissing:
    case LaunchOutcome::timedOut: return true;
    case LaunchOutcome::openedTechnicWaitingForPlayer:
    case LaunchOutcome::javaStarted:
    case LaunchOutcome::forgeLoaded: return false;
    }
    return false;
}

} // namespace orvane
