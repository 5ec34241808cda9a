#pragma once

#include "app/support/FakeSession.h"
#include "app/support/TestSeams.h"
#include "model/AppModel.h"

#include <qcoro/qcorotask.h>

#include <functional>
#include <memory>
#include <vector>

namespace orvane::test {

// A model over a FakeSession, with the busy flag's every change recorded, for tests of the operations.
struct ModelHarness {
    explicit ModelHarness(AppSeams seams = testSeams());
    // Lets the operations still running (such as the receipt reload after a launch) finish first.
    ~ModelHarness();
    ModelHarness(const ModelHarness&) = delete;
    ModelHarness& operator=(const ModelHarness&) = delete;

    // Starts `operation` as the window does and runs the event loop until it has finished.
    bool run(const std::function<QCoro::Task<>(AppModel&)>& operation, int timeoutMs = 10000);

    std::shared_ptr<FakeSession> session = std::make_shared<FakeSession>();
    std::unique_ptr<AppModel> model;
    std::vector<bool> busyChanges; // each value busy took, in order
};

// Runs `operation` of a model over a real session as the window does, and waits until it and the
// session calls it started have finished.
bool runToEnd(AppModel& model, const std::function<QCoro::Task<>(AppModel&)>& operation, int timeoutMs = 60000);

// Records for scripting the fake: a certified inspection of an instance with the Technic app, a
// capability, and a backup manifest with the given id.
InstallInspection certifiedInspection();
CapabilityReport sampleCapability(double gigabytes = 16);
BackupManifest sampleManifest(const QString& id, BackupKind kind = BackupKind::manual);
HandoffReadinessReport sampleReport(HandoffSetupKind kind, bool canApply, bool applied);

// Scripts `session` so that the primary action goes straight to a launch: a certified inspection (also
// the stored last one) with Balanced already applied and Technic ready.
void scriptReadyToLaunch(FakeSession& session);

} // namespace orvane::test
