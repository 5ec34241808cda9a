#include "ui/window/ContentViewRules.h"

#include "model/ModelGuidance.h"
#include "ui/theme/OrvaneTheme.h"

#include <QStringList>

namespace orvane::ContentViewRules {

namespace {

using DisplayCase = PrimaryActionDisplayState::Case;

bool isBlocked(const AppModelState& state)
{
    return modelGuidance::primaryActionDisplayState(state).kind() == DisplayCase::blocked;
}

bool rosettaInstalled(const AppModelState& state) { return state.capability && state.capability->rosettaInstalled; }

// The error line holds the failed launch's own message: the launch's result, not a later error.
bool errorIsTheLaunchFailure(const AppModelState& state)
{
    return state.errorMessage && state.providerLaunchResult
        && state.providerLaunchResult->state == LaunchResultState::failed
        && *state.errorMessage == state.providerLaunchResult->message;
}

bool showsLastCheck(const AppModelState& state)
{
    const std::optional<QString> line = modelGuidance::lastCheckLine(state);
    return line && ContentViewRules::subtitleText(state) == *line;
}

} // namespace

QString readinessWord(const AppModelState& state)
{
    if (state.busy)
        return QStringLiteral("WORKING");
    if (state.observingLaunch)
        return QStringLiteral("WATCHING");
    if (state.errorMessage)
        return QStringLiteral("CHECK SETUP");
    if (modelGuidance::requiredSetupStep(state) || isBlocked(state))
        return QStringLiteral("NEEDS SETUP");
    if (modelGuidance::selectedPackReady(state))
        return QStringLiteral("READY");
    return QStringLiteral("SELECT PACK");
}

QColor accentColor(const AppModelState& state, const LauncherJavaProbe& probe)
{
    if (modelGuidance::requiredSetupStep(state) || isBlocked(state))
        return OrvaneTheme::warning();
    switch (modelGuidance::statusLevel(state, probe)) {
    case AppStatusLevel::neutral:
    case AppStatusLevel::progress:
        return OrvaneTheme::textPrimary();
    case AppStatusLevel::success:
        return OrvaneTheme::lime();
    case AppStatusLevel::warning:
        return OrvaneTheme::warning();
    case AppStatusLevel::error:
        return OrvaneTheme::red();
    }
    return OrvaneTheme::textPrimary();
}

bool macNeedsSetup(const AppModelState& state, const LauncherJavaProbe& probe)
{
    if (modelGuidance::selectedLaunchMode(state) != LaunchMode::companionHandoff)
        return false;
    if (!state.capability || state.capability->architecture != QLatin1String("arm64"))
        return false;
    if (!state.capability->rosettaInstalled)
        return true;
    return !modelGuidance::launcherJavaReady(state, probe);
}

QString subtitleText(const AppModelState& state)
{
    const PackDescriptor pack = modelGuidance::selectedPack(state);
    const bool direct = modelGuidance::selectedLaunchMode(state) == LaunchMode::direct;
    if (state.busy || modelGuidance::requiredSetupStep(state) || isBlocked(state)
        || (state.errorMessage && !errorIsTheLaunchFailure(state)))
        return modelGuidance::primaryActionDetail(state).toUpper();
    if (!modelGuidance::selectedPackReady(state))
        return QStringLiteral("CHOOSE A CERTIFIED ") + pack.name.toUpper() + QStringLiteral(" INSTANCE");
    if (state.liveLaunchEventStatus)
        return state.liveLaunchEventStatus->toUpper();
    if (state.observingLaunch)
        return direct ? QStringLiteral("ORVANE IS STARTING ") + pack.name.toUpper()
                      : QStringLiteral("ORVANE IS WATCHING STARTUP · KEEP THIS WINDOW OPEN");
    if (const auto line = modelGuidance::lastCheckLine(state))
        return *line;
    return direct ? QStringLiteral("ONE CLICK · ORVANE STARTS ") + pack.name.toUpper()
                  : QStringLiteral("ORVANE OPENS TECHNIC · YOU PRESS PLAY THERE · ORVANE NEVER LAUNCHES MINECRAFT");
}

QColor subtitleColor(const AppModelState& state, const LauncherJavaProbe& probe, bool increasedContrast)
{
    if (macNeedsSetup(state, probe) || state.errorMessage || modelGuidance::lastCheckIsProblem(state))
        return OrvaneTheme::warning();
    return increasedContrast ? QColor(Qt::white) : OrvaneTheme::textSecondary();
}

QString subtitleAccessibilityLabel(const AppModelState& state)
{
    if (state.observingLaunch)
        return modelGuidance::primaryActionDetail(state);
    return subtitleText(state);
}

QString subtitleAccessibilityHint(const AppModelState& state)
{
    return state.launch && showsLastCheck(state) ? state.launch->message : QString();
}

std::optional<QString> announcementText(const AppModelState& state, bool showingDetails, bool showingPackMenu)
{
    if (showingDetails || showingPackMenu)
        return std::nullopt;
    if (state.errorMessage)
        return state.errorMessage;
    if (state.primaryActionInFlight || state.busy || state.observingLaunch)
        return modelGuidance::primaryActionDetail(state);
    return state.status;
}

QString packVersionShown(const AppModelState& state)
{
    if (state.inspection && state.inspection->packVersion)
        return *state.inspection->packVersion;
    return modelGuidance::selectedPack(state).version;
}

QString packButtonAccessibilityLabel(const AppModelState& state)
{
    const PackDescriptor pack = modelGuidance::selectedPack(state);
    if (modelGuidance::selectedPackReady(state))
        return QStringLiteral("Selected pack, ") + pack.name + QLatin1Char(' ') + pack.version;
    return pack.name + QLatin1Char(' ') + pack.version + QStringLiteral(", setup required");
}

QString capitalisedWords(const QString& title)
{
    QString result;
    result.reserve(title.size());
    bool wordStart = true;
    for (const QChar c : title) {
        if (c.isSpace()) {
            wordStart = true;
            result.append(c);
            continue;
        }
        result.append(wordStart ? c.toUpper() : c.toLower());
        wordStart = false;
    }
    return result;
}

QString watchCardTitle(const AppModelState& state)
{
    return modelGuidance::selectedLaunchMode(state) == LaunchMode::direct ? QStringLiteral("STARTING")
                                                                     : QStringLiteral("PRESS PLAY IN TECHNIC");
}

bool restoreEnabled(const AppModelState& state) { return state.backup && modelGuidance::canChangeFiles(state); }

QString restoreHint(const AppModelState& state)
{
    if (modelGuidance::canChangeFiles(state))
        return QStringLiteral("Requires confirmation and never changes world saves");
    if (state.handoffReadiness && !state.handoffReadiness->requiredActions.empty())
        return state.handoffReadiness->requiredActions.front();
    return QStringLiteral("Quit Technic and Minecraft before restoring");
}

QString readinessSummary(const AppModelState& state, const LauncherJavaProbe& probe)
{
    return QStringList{
        modelGuidance::balancedApplied(state) ? QStringLiteral("Balanced ready") : QStringLiteral("Balanced not applied"),
        modelGuidance::launcherJavaReady(state, probe) ? QStringLiteral("Java 8 ready") : QStringLiteral("Java 8 missing"),
        rosettaInstalled(state) ? QStringLiteral("Rosetta ready") : QStringLiteral("Rosetta missing"),
    }
        .join(QStringLiteral(", "));
}

} // namespace orvane::ContentViewRules
