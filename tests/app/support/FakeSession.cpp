#include "app/support/FakeSession.h"

#include <chrono>
#include <stdexcept>

namespace orvane::test {

bool Gate::waitUntilEntered(int timeoutMs)
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return m_entered; });
}

void Gate::release()
{
    const std::lock_guard lock(m_mutex);
    m_released = true;
    m_changed.notify_all();
}

void Gate::enterAndWait()
{
    std::unique_lock lock(m_mutex);
    m_entered = true;
    m_changed.notify_all();
    m_changed.wait(lock, [this] { return m_released; });
}

void FakeSession::script(const std::function<void(Script&)>& edit)
{
    const std::lock_guard lock(m_mutex);
    edit(m_script);
}

void FakeSession::store(const std::function<void(Stored&)>& edit)
{
    const std::lock_guard lock(m_mutex);
    edit(m_stored);
}

std::shared_ptr<Gate> FakeSession::holdNext(const QString& operation)
{
    const std::lock_guard lock(m_mutex);
    auto gate = std::make_shared<Gate>();
    m_gates[operation] = gate;
    return gate;
}

std::vector<FakeSession::Call> FakeSession::calls() const
{
    const std::lock_guard lock(m_mutex);
    return m_calls;
}

QStringList FakeSession::callNames() const
{
    QStringList names;
    for (const Call& call : calls())
        names.append(call.name);
    return names;
}

template <typename Entry>
Entry FakeSession::enter(const QString& name, Entry Script::*entry)
{
    std::shared_ptr<Gate> gate;
    {
        const std::lock_guard lock(m_mutex);
        m_calls.push_back(Call{name, QThread::currentThread()});
        if (const auto found = m_gates.find(name); found != m_gates.end()) {
            gate = found->second;
            m_gates.erase(found);
        }
    }
    if (gate)
        gate->enterAndWait();
    const std::lock_guard lock(m_mutex);
    return m_script.*entry;
}

namespace {

[[noreturn]] void unscripted(const QString& name)
{
    throw std::logic_error("FakeSession: " + name.toStdString() + " was not scripted");
}

template <typename Result, typename Function, typename... Args>
Result answer(const QString& name, const Function& scripted, const Args&... args)
{
    if (!scripted)
        unscripted(name);
    return scripted(args...);
}

} // namespace

std::optional<InstallInspection> FakeSession::lastInspection() const
{
    const std::lock_guard lock(m_mutex);
    return m_stored.lastInspection;
}

std::optional<CapabilityReport> FakeSession::lastCapability() const
{
    const std::lock_guard lock(m_mutex);
    return m_stored.lastCapability;
}

std::optional<BackupManifest> FakeSession::lastBackup() const
{
    const std::lock_guard lock(m_mutex);
    return m_stored.lastBackup;
}

PackID FakeSession::selectedPackID() const
{
    const std::lock_guard lock(m_mutex);
    return m_stored.selectedPackID;
}

bool FakeSession::instanceChosenExplicitly() const
{
    const std::lock_guard lock(m_mutex);
    return m_stored.instanceChosenExplicitly;
}

std::vector<PackDescriptor> FakeSession::availablePacks()
{
    const auto scripted = enter(QStringLiteral("availablePacks"), &Script::availablePacks);
    return scripted ? scripted() : std::vector<PackDescriptor>{PackDescriptor::tekkit2};
}

PackDescriptor FakeSession::selectPack(const PackID& id)
{
    return answer<PackDescriptor>(QStringLiteral("selectPack"), enter(QStringLiteral("selectPack"), &Script::selectPack),
                                  id);
}

CapabilityReport FakeSession::refreshCapability()
{
    const QString name = QStringLiteral("refreshCapability");
    return answer<CapabilityReport>(name, enter(name, &Script::refreshCapability));
}

void FakeSession::setLabInstance(const std::optional<std::filesystem::path>& instance)
{
    const auto scripted = enter(QStringLiteral("setLabInstance"), &Script::setLabInstance);
    if (scripted)
        scripted(instance);
}

InstallInspection FakeSession::discoverAndInspect()
{
    const QString name = QStringLiteral("discoverAndInspect");
    return answer<InstallInspection>(name, enter(name, &Script::discoverAndInspect));
}

InstallInspection FakeSession::inspectCertified()
{
    const QString name = QStringLiteral("inspectCertified");
    return answer<InstallInspection>(name, enter(name, &Script::inspectCertified));
}

InstallInspection FakeSession::inspect()
{
    const QString name = QStringLiteral("inspect");
    return answer<InstallInspection>(name, enter(name, &Script::inspect));
}

HandoffReadinessReport FakeSession::handoffReadiness(const ProcessEnvironment& environment)
{
    const QString name = QStringLiteral("handoffReadiness");
    return answer<HandoffReadinessReport>(name, enter(name, &Script::handoffReadiness), environment);
}

std::optional<LaunchReceipt> FakeSession::loadLatestLaunchReceipt()
{
    const auto scripted = enter(QStringLiteral("loadLatestLaunchReceipt"), &Script::loadLatestLaunchReceipt);
    return scripted ? scripted() : std::nullopt;
}

BackupManifest FakeSession::createManualSnapshot()
{
    const QString name = QStringLiteral("createManualSnapshot");
    return answer<BackupManifest>(name, enter(name, &Script::createManualSnapshot));
}

WorldBackupResult FakeSession::backUpWorlds()
{
    const QString name = QStringLiteral("backUpWorlds");
    BackupManifest manifest = answer<BackupManifest>(name, enter(name, &Script::backUpWorlds));
    const std::lock_guard lock(m_mutex);
    return WorldBackupResult{std::move(manifest), m_script.worldBackupNotice};
}

SessionPort::LatestBackups FakeSession::latestBackups()
{
    const auto scripted = enter(QStringLiteral("latestBackups"), &Script::latestBackups);
    return scripted ? scripted() : LatestBackups{};
}

RestoreResult FakeSession::restoreWorlds()
{
    const QString name = QStringLiteral("restoreWorlds");
    return answer<RestoreResult>(name, enter(name, &Script::restoreWorlds));
}

ApplyResult FakeSession::applyBalanced()
{
    const QString name = QStringLiteral("applyBalanced");
    return answer<ApplyResult>(name, enter(name, &Script::applyBalanced));
}

RestoreResult FakeSession::restoreOverlay()
{
    const QString name = QStringLiteral("restoreOverlay");
    return answer<RestoreResult>(name, enter(name, &Script::restoreOverlay));
}

LaunchResult FakeSession::launchSelectedPack(const LaunchEventHandler& onEvent)
{
    const QString name = QStringLiteral("launchSelectedPack");
    return answer<LaunchResult>(name, enter(name, &Script::launchSelectedPack), onEvent);
}

bool FakeSession::cancelActiveLaunch()
{
    const auto scripted = enter(QStringLiteral("cancelActiveLaunch"), &Script::cancelActiveLaunch);
    return scripted ? scripted() : false;
}

SessionPort::WrittenDiagnostics FakeSession::writeDiagnostics()
{
    const QString name = QStringLiteral("writeDiagnostics");
    return answer<WrittenDiagnostics>(name, enter(name, &Script::writeDiagnostics));
}

} // namespace orvane::test
