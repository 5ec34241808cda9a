#include "app/support/EventLoop.h"
#include "app/support/FakeSession.h"
#include "app/support/SampleRecords.h"
#include "app/support/TestSeams.h"
#include "model/AppModel.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

namespace orvane {
namespace {

std::unique_ptr<AppModel> makeModel()
{
    return std::make_unique<AppModel>(std::make_shared<test::FakeSession>(), test::testSeams());
}

TEST(AppModelState, StartsReadyToInspectWithTheOneCatalogPackAndNoCheck)
{
    const auto model = makeModel();
    EXPECT_EQ(model->state(), AppModelState{});
    EXPECT_EQ(model->status(), QStringLiteral("Inspect first. Orvane will not touch files until you ask."));
    EXPECT_FALSE(model->errorMessage());
    EXPECT_FALSE(model->busy());
    EXPECT_EQ(model->updateCheckState(), UpdateCheckState::idle());
    EXPECT_EQ(model->availablePacks(), std::vector<PackDescriptor>{PackDescriptor::tekkit2});
    EXPECT_EQ(model->selectedPackID().rawValue(), QStringLiteral("tekkit-2"));
    EXPECT_EQ(AppModel::labDefaultsKey(), QStringLiteral("orvane.labInstance"));
}

// Every property: a different value notifies its own signal once and no other; the same value again
// notifies nothing.
TEST(AppModelState, EqualAssignmentIsSilentAndADifferentValueEmitsItsOneSignal)
{
    struct Case {
        const char* name;
        std::function<void(AppModelState&)> change;
        void (AppModel::*signal)();
    };
    PackDescriptor blocked = PackDescriptor::tekkit2;
    blocked.availability = PackAvailability::blocked;
    HandoffReadinessReport report;
    report.setupKind = HandoffSetupKind::ready;
    const std::vector<Case> cases{
        {"availablePacks", [&](AppModelState& s) { s.availablePacks = {blocked}; }, &AppModel::availablePacksChanged},
        {"selectedPackID", [](AppModelState& s) { s.selectedPackID = *PackID::fromRawValue(QStringLiteral("other")); },
         &AppModel::selectedPackIDChanged},
        {"capability", [](AppModelState& s) { s.capability = CapabilityReport{}; }, &AppModel::capabilityChanged},
        {"inspection", [](AppModelState& s) { s.inspection = InstallInspection{}; }, &AppModel::inspectionChanged},
        {"backup", [](AppModelState& s) { s.backup = BackupManifest{}; }, &AppModel::backupChanged},
        {"applyResult", [](AppModelState& s) { s.applyResult = ApplyResult{}; }, &AppModel::applyResultChanged},
        {"restoreResult", [](AppModelState& s) { s.restoreResult = RestoreResult{}; }, &AppModel::restoreResultChanged},
        {"providerLaunchResult", [](AppModelState& s) { s.providerLaunchResult = test::sampleLaunchResult(LaunchResultState::gameLoaded); },
         &AppModel::providerLaunchResultChanged},
        {"launch", [](AppModelState& s) { s.launch = LaunchObservation{}; }, &AppModel::launchChanged},
        {"liveLaunchEventStatus", [](AppModelState& s) { s.liveLaunchEventStatus = QStringLiteral("Opening."); },
         &AppModel::liveLaunchEventStatusChanged},
        {"providerOperationActive", [](AppModelState& s) { s.providerOperationActive = true; },
         &AppModel::providerOperationActiveChanged},
        {"cancellationRequested", [](AppModelState& s) { s.cancellationRequested = true; },
         &AppModel::cancellationRequestedChanged},
        {"launchWasCancelled", [](AppModelState& s) { s.launchWasCancelled = true; }, &AppModel::launchWasCancelledChanged},
        {"diagnosticPreview", [](AppModelState& s) { s.diagnosticPreview = QString(); },
         &AppModel::diagnosticPreviewChanged},
        {"diagnosticURL", [](AppModelState& s) { s.diagnosticURL = "/tmp/report.txt"; }, &AppModel::diagnosticURLChanged},
        {"labInstancePath", [](AppModelState& s) { s.labInstancePath = QStringLiteral("/x"); },
         &AppModel::labInstancePathChanged},
        {"savesBackup", [](AppModelState& s) { s.savesBackup = BackupManifest{}; }, &AppModel::savesBackupChanged},
        {"handoffReadiness", [&](AppModelState& s) { s.handoffReadiness = report; }, &AppModel::handoffReadinessChanged},
        {"persistedLaunchReceipt", [](AppModelState& s) { s.persistedLaunchReceipt = LaunchReceipt{}; },
         &AppModel::persistedLaunchReceiptChanged},
        {"observingLaunch", [](AppModelState& s) { s.observingLaunch = true; }, &AppModel::observingLaunchChanged},
        {"status", [](AppModelState& s) { s.status = QStringLiteral("Inspecting…"); }, &AppModel::statusChanged},
        {"errorMessage", [](AppModelState& s) { s.errorMessage = QStringLiteral("No."); }, &AppModel::errorMessageChanged},
        {"busy", [](AppModelState& s) { s.busy = true; }, &AppModel::busyChanged},
        {"updateCheckState", [](AppModelState& s) { s.updateCheckState = UpdateCheckState::checking(); },
         &AppModel::updateCheckStateChanged},
        {"initialInspectionCompleted", [](AppModelState& s) { s.initialInspectionCompleted = true; },
         &AppModel::initialInspectionCompletedChanged},
        {"primaryActionInFlight", [](AppModelState& s) { s.primaryActionInFlight = true; },
         &AppModel::primaryActionInFlightChanged},
        {"activeProviderOperationID", [](AppModelState& s) { s.activeProviderOperationID = QUuid::createUuid(); },
         &AppModel::activeProviderOperationIDChanged},
        {"terminalProviderOperationIDs", [](AppModelState& s) { s.terminalProviderOperationIDs = {QUuid::createUuid()}; },
         &AppModel::terminalProviderOperationIDsChanged},
    };
    ASSERT_EQ(cases.size(), 28u);

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto model = makeModel();
        AppModelState changed = model->state();
        c.change(changed);
        ASSERT_NE(changed, model->state());

        std::vector<std::unique_ptr<QSignalSpy>> spies;
        for (const Case& other : cases)
            spies.push_back(std::make_unique<QSignalSpy>(model.get(), other.signal));

        model->setStateForTesting(changed);
        for (std::size_t i = 0; i < cases.size(); ++i)
            EXPECT_EQ(spies[i]->count(), cases[i].signal == c.signal ? 1 : 0) << cases[i].name;
        EXPECT_EQ(model->state(), changed);

        model->setStateForTesting(changed);
        for (std::size_t i = 0; i < cases.size(); ++i)
            EXPECT_EQ(spies[i]->count(), cases[i].signal == c.signal ? 1 : 0) << cases[i].name;
    }
}

TEST(AppModelState, ManyChangesInOneTurnRepaintOnce)
{
    const auto model = makeModel();
    QSignalSpy changed(model.get(), &AppModel::changed);

    AppModelState state = model->state();
    state.busy = true;
    state.status = QStringLiteral("Inspecting…");
    model->setStateForTesting(state);
    state.errorMessage = QStringLiteral("No.");
    model->setStateForTesting(state);
    EXPECT_EQ(changed.count(), 0); // delivered from the event loop

    ASSERT_TRUE(test::runEventsUntil([&] { return changed.count() > 0; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(changed.count(), 1);

    model->setStateForTesting(state); // nothing changes: no repaint
    QCoreApplication::processEvents();
    EXPECT_EQ(changed.count(), 1);
}

} // namespace
} // namespace orvane
