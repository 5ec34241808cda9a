// The looks of the window's controls, read from the model's state: the steps of ContentView::refresh.
#include "ui/window/ContentView.h"

#include "model/AppModelState.h"
#include "model/ModelGuidance.h"
#include "ui/theme/FittedLabel.h"
#include "ui/theme/TextButton.h"
#include "ui/window/ContentViewRules.h"
#include "ui/window/LaunchWatchCard.h"
#include "ui/window/PackButton.h"
#include "ui/window/PackMenu.h"
#include "ui/window/PrimaryButton.h"
#include "ui/window/ReadinessBadge.h"
#include "ui/window/ReadinessChips.h"

namespace orvane {

void ContentView::showBadgeAndPack(const AppModelState& state, const LauncherJavaProbe& probe)
{
    const bool contrast = m_accessibility.increasedContrast;
    const PackDescriptor pack = modelGuidance::selectedPack(state);
    m_badge->setLook({ContentViewRules::readinessWord(state), ContentViewRules::accentColor(state, probe), contrast,
                      m_accessibility.reduceTransparency});

    m_packButton->setLook({pack.name, ContentViewRules::packVersionShown(state), modelGuidance::selectedPackReady(state),
                           contrast});
    m_packButton->setAccessibleName(ContentViewRules::packButtonAccessibilityLabel(state));
    m_packButton->setEnabled(!state.busy && !state.observingLaunch && !state.primaryActionInFlight);
    if (m_packMenu) {
        QList<bool> enabled;
        for (const PackDescriptor& offered : state.availablePacks)
            enabled.append(offered.isAvailable() && !state.busy);
        m_packMenu->setRowsEnabled(enabled);
    }
}

void ContentView::showPrimaryAction(const AppModelState& state)
{
    const bool direct = modelGuidance::selectedLaunchMode(state) == LaunchMode::direct;
    const QString title = modelGuidance::primaryActionTitle(state);
    const QString detail = modelGuidance::primaryActionDetail(state);
    m_primaryButton->setTitle(title);
    m_primaryButton->setSymbol(direct ? OrvaneSymbol::playFill : OrvaneSymbol::arrowUpForward);
    m_primaryButton->setEnabled(modelGuidance::primaryActionEnabled(state));
    m_primaryButton->setAccessibleName(ContentViewRules::capitalisedWords(title));
    m_primaryButton->setAccessibleDescription(detail);

    m_watchCard->setLook({ContentViewRules::watchCardTitle(state), state.providerOperationActive,
                          !state.cancellationRequested, m_accessibility.increasedContrast,
                          m_accessibility.reduceTransparency, m_accessibility.reduceMotion});
}

void ContentView::showSubtitleAndRestore(const AppModelState& state, const LauncherJavaProbe& probe)
{
    m_subtitle->setText(ContentViewRules::subtitleText(state));
    m_subtitle->setColor(ContentViewRules::subtitleColor(state, probe, m_accessibility.increasedContrast));
    m_subtitle->setAccessibleName(ContentViewRules::subtitleAccessibilityLabel(state));
    m_subtitle->setHint(ContentViewRules::subtitleAccessibilityHint(state));

    m_restoreButton->setEnabled(ContentViewRules::restoreEnabled(state));
    m_restoreButton->setAccessibleDescription(ContentViewRules::restoreHint(state));
}

void ContentView::showChips(const AppModelState& state, const LauncherJavaProbe& probe)
{
    const bool contrast = m_accessibility.increasedContrast;
    if (modelGuidance::selectedLaunchMode(state) == LaunchMode::direct) {
        m_chips->setChips({{QStringLiteral("DIRECT"), modelGuidance::selectedPack(state).isAvailable(), false}},
                          contrast, QStringLiteral("Direct launch provider"));
    } else {
        const ReadinessChips::Chip separator{QStringLiteral("/"), false, true};
        m_chips->setChips({{QStringLiteral("BALANCED"), modelGuidance::balancedApplied(state), false},
                           separator,
                           {QStringLiteral("JAVA 8"), modelGuidance::launcherJavaReady(state, probe), false},
                           separator,
                           {QStringLiteral("ROSETTA"), state.capability && state.capability->rosettaInstalled, false}},
                          contrast, ContentViewRules::readinessSummary(state, probe));
    }
}

} // namespace orvane
