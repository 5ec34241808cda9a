#include "session/CompanionSession.h"

#include "json/EnumNames.h"
#include "model/LaunchProviderError.h"
#include "model/OrvaneError.h"
#include "platform/PathText.h"
#include "technic/InstanceDiscovery.h"

#include <QStringList>

namespace orvane {

std::vector<PackDescriptor> CompanionSession::availablePacks() const
{
    const std::lock_guard lock(m_mutex);
    std::vector<PackDescriptor> gated;
    gated.reserve(m_packs.size());
    for (const PackDescriptor& pack : m_packs)
        gated.push_back(applyingDirectLaunchGate(pack));
    return gated;
}

PackDescriptor CompanionSession::selectPack(const PackID& id)
{
    Locked locked(m_mutex);
    const std::optional<PackDescriptor> pack = findPack(id);
    if (!pack)
        throw OrvaneError::io(QStringLiteral("Pack %1 is not available in this build.").arg(id.rawValue()));
    PackDescriptor gated = applyingDirectLaunchGate(*pack);
    if (!gated.isAvailable())
        throw LaunchProviderError::unavailable(gated.supportReason);
    if (id == m_selectedPackID)
        return gated;

    ++m_stateGeneration;
    m_selectedPackID = id;
    m_labInstance.reset();
    m_instanceChosenExplicitly = false;
    forgetInstanceResults(locked);
    return gated;
}

CapabilityReport CompanionSession::refreshCapability()
{
    Locked locked(m_mutex);
    return refreshCapability(locked);
}

void CompanionSession::setLabInstance(const std::optional<std::filesystem::path>& instance)
{
    Locked locked(m_mutex);
    ++m_stateGeneration;
    m_labInstance = usableInstance(instance);
    m_instanceChosenExplicitly = m_labInstance.has_value();
    forgetInstanceResults(locked);
}

InstallInspection CompanionSession::discoverAndInspect()
{
    Locked locked(m_mutex);
    return discoverAndInspect(locked);
}

InstallInspection CompanionSession::inspectCertified()
{
    Locked locked(m_mutex);
    return inspectCertified(locked);
}

InstallInspection CompanionSession::inspect()
{
    Locked locked(m_mutex);
    return inspect(locked);
}

CapabilityReport CompanionSession::refreshCapability(Locked&)
{
    CapabilityReport report = m_detector.detect(now());
    m_lastCapability = report;
    return report;
}

CapabilityReport CompanionSession::currentCapability(Locked& locked)
{
    if (m_lastCapability)
        return *m_lastCapability;
    return refreshCapability(locked);
}

InstallInspection CompanionSession::discoverAndInspect(Locked& locked)
{
    if (!m_labInstance) {
        const TechnicLocation location = m_locator.locate();
        // Discovery only proposes folders it found on disk, which are absolute; the guard keeps a
        // relative one from ever becoming the instance.
        m_labInstance = usableInstance(InstanceDiscovery(m_files, m_locator.home()).discover(location, std::nullopt));
        m_instanceChosenExplicitly = false;
    }
    return inspect(locked);
}

InstallInspection CompanionSession::inspectCertified(Locked&)
{
    InstallInspection inspection = m_inspector.inspect(m_locator.locate(), m_labInstance);
    InstallInspector::checkCertifiedVersions(inspection);
    m_lastInspection = inspection;
    return inspection;
}

InstallInspection CompanionSession::inspect(Locked&)
{
    InstallInspection inspection = m_inspector.inspect(m_locator.locate(), m_labInstance);
    m_lastInspection = inspection;
    return inspection;
}

std::optional<std::filesystem::path> CompanionSession::usableInstance(const std::optional<std::filesystem::path>& instance)
{
    if (!instance || !instance->is_absolute())
        return std::nullopt;
    return standardised(*instance);
}

void CompanionSession::forgetInstanceResults(Locked&)
{
    m_lastInspection.reset();
    m_lastBackup.reset();
    m_lastLaunch.reset();
    m_lastLaunchResult.reset();
    m_lastLaunchReceipt.reset();
    m_lastPlan.reset();
}

std::optional<PackDescriptor> CompanionSession::findPack(const PackID& id) const
{
    for (const PackDescriptor& pack : m_packs) {
        if (pack.id == id)
            return pack;
    }
    return std::nullopt;
}

PackDescriptor CompanionSession::applyingDirectLaunchGate(const PackDescriptor& pack) const
{
    if (pack.launchMode == LaunchMode::companionHandoff)
        return pack;
    const DirectLaunchGateReport report = m_directLaunchGateEvaluator.evaluate(m_directLaunchGateEvidence);
    if (report.isEligible)
        return pack;
    QStringList missing;
    for (const DirectLaunchGateRequirement requirement : report.missing)
        missing.append(enumName(requirement));
    PackDescriptor blocked = pack;
    blocked.availability = PackAvailability::blocked;
    blocked.supportReason = QStringLiteral("Direct launch needs: %1.").arg(missing.join(QStringLiteral(", ")));
    return blocked;
}

} // namespace orvane
