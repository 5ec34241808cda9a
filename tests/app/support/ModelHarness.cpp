#include "app/support/ModelHarness.h"

#include "app/support/EventLoop.h"

namespace orvane::test {

ModelHarness::ModelHarness(AppSeams seams)
    : model(std::make_unique<AppModel>(session, std::move(seams)))
{
    QObject::connect(model.get(), &AppModel::busyChanged, model.get(),
                     [this] { busyChanges.push_back(model->busy()); });
}

ModelHarness::~ModelHarness()
{
    // A test may have let the model go already.
    if (model)
        runEventsUntil([this] { return !model->sessionCallsPending(); });
}

namespace {

// Starts `operation` as the window does; `done` turns true when it has finished.
std::shared_ptr<bool> start(AppModel& model, const std::function<QCoro::Task<>(AppModel&)>& operation)
{
    auto done = std::make_shared<bool>(false);
    [](std::function<QCoro::Task<>(AppModel&)> begin, AppModel& target,
       std::shared_ptr<bool> finished) -> QCoro::Task<> {
        co_await begin(target);
        *finished = true;
    }(operation, model, done);
    return done;
}

} // namespace

bool ModelHarness::run(const std::function<QCoro::Task<>(AppModel&)>& operation, int timeoutMs)
{
    const auto done = start(*model, operation);
    return runEventsUntil([done] { return *done; }, timeoutMs);
}

bool runToEnd(AppModel& model, const std::function<QCoro::Task<>(AppModel&)>& operation, int timeoutMs)
{
    const auto done = start(model, operation);
    return runEventsUntil([&] { return *done && !model.sessionCallsPending(); }, timeoutMs);
}

InstallInspection certifiedInspection()
{
    InstallInspection inspection;
    inspection.technicApp = std::filesystem::path("/Applications/Technic Launcher.app");
    inspection.technicRoot = std::filesystem::path("/Users/test/Library/Application Support/technic");
    inspection.instanceRoot = std::filesystem::path("/Users/test/Library/Application Support/technic/modpacks/tekkit-2");
    inspection.packSlug = QStringLiteral("tekkit-2");
    inspection.packVersion = QStringLiteral("1.2.6");
    inspection.isCertifiedPack = true;
    return inspection;
}

CapabilityReport sampleCapability(double gigabytes)
{
    CapabilityReport capability;
    capability.chipBrand = QStringLiteral("Apple M2");
    capability.architecture = QStringLiteral("arm64");
    capability.physicalMemoryGigabytes = gigabytes;
    capability.rosettaInstalled = true;
    return capability;
}

BackupManifest sampleManifest(const QString& id, BackupKind kind)
{
    BackupManifest manifest;
    manifest.id = id;
    manifest.kind = kind;
    manifest.instanceRoot = QStringLiteral("/Users/test/Library/Application Support/technic/modpacks/tekkit-2");
    return manifest;
}

HandoffReadinessReport sampleReport(HandoffSetupKind kind, bool canApply, bool applied)
{
    HandoffReadinessReport report;
    report.setupKind = kind;
    report.canApplyBalanced = canApply;
    report.balancedApplied = applied;
    return report;
}

void scriptReadyToLaunch(FakeSession& session)
{
    const InstallInspection inspection = certifiedInspection();
    session.script([inspection](FakeSession::Script& s) {
        s.refreshCapability = [] { return sampleCapability(); };
        s.inspectCertified = [inspection] { return inspection; };
        s.handoffReadiness = [](const ProcessEnvironment&) {
            return sampleReport(HandoffSetupKind::ready, true, true);
        };
    });
    session.store([inspection](FakeSession::Stored& s) { s.lastInspection = inspection; });
}

} // namespace orvane::test
