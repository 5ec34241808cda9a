#include "session/CompanionSession.h"

#include "model/ByteCountFormat.h"
#include "model/OrvaneError.h"
#include "platform/PathText.h"
#include "session/EntryExists.h"
#include "technic/LauncherAdapter.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace orvane {

namespace {

const QString archiveCopyText = QStringLiteral(
    "This is an archive copy under Minecraft Backups. Choose that folder explicitly if you intend to change it, or "
    "install Tekkit 2 in official Technic.");

const QString worldBackupNotes = QStringLiteral(
    "Worlds only. Overlay restore will not revert these files. Sources were bounded and checked for symbolic links.");

bool isUnderMinecraftBackups(const std::filesystem::path& instance)
{
    return pathText(instance).contains(QLatin1String("Minecraft Backups"));
}

} // namespace

void CompanionSession::requireNotArchiveCopy(Locked&, const InstallInspection& inspection) const
{
    if (inspection.instanceRoot && isUnderMinecraftBackups(*inspection.instanceRoot) && !m_instanceChosenExplicitly)
        throw OrvaneError::overlayRefused(archiveCopyText);
}

bool CompanionSession::isTechnicRunning() const
{
    return LauncherAdapter(m_opener, m_processes).isTechnicRunning();
}

InstallInspection CompanionSession::writeGuard(Locked& locked,
                                              const std::function<void(const InstallInspection&)>& testFirst)
{
    InstallInspection inspection = m_lastInspection ? *m_lastInspection : inspectCertified(locked);
    if (testFirst)
        testFirst(inspection);
    requireNotArchiveCopy(locked, inspection);
    if (isTechnicRunning())
        throw OrvaneError::technicRunning();
    if (m_processes->isGameJavaRunning())
        throw OrvaneError::minecraftRunning();
    if (!inspection.instanceRoot)
        throw OrvaneError::tekkitMissing();
    return inspection;
}

WorldBackupResult CompanionSession::backUpWorlds()
{
    Locked locked(m_mutex);
    const InstallInspection inspection = writeGuard(locked);
    const std::filesystem::path instance = *inspection.instanceRoot;
    if (!entryExists(instance / "saves"))
        throw OrvaneError::io(QStringLiteral("No saves folder in this instance. Orvane will not invent a world."));
    BackupStore store = makeBackupStore(worldBackupsFolder());
    BackupManifest manifest = store.createWorldBackup(instance, worldBackupNotes);
    return WorldBackupResult{std::move(manifest), store.interruptedRestoreNotice()};
}

CompanionSession::LatestBackups CompanionSession::latestBackups()
{
    Locked locked(m_mutex);
    return latestBackups(locked);
}

CompanionSession::LatestBackups CompanionSession::latestBackups(Locked&)
{
    if (!m_lastInspection || !m_lastInspection->instanceRoot) {
        m_lastBackup.reset();
        return {};
    }
    const std::filesystem::path instance = *m_lastInspection->instanceRoot;
    LatestBackups latest;
    latest.overlay = latestOverlayBackup(instance);
    try {
        if (auto world = makeBackupStore(worldBackupsFolder()).latestBackup(instance, BackupKind::saves))
            latest.world = std::move(world->manifest);
    } catch (const std::exception&) {
        // An unreadable world store shows as no world backup.
    }
    m_lastBackup = latest.overlay;
    return latest;
}

std::optional<BackupManifest> CompanionSession::latestOverlayBackup(const std::filesystem::path& instanceRoot) const
{
    const BackupStore store = makeBackupStore(m_paths.backups);
    for (const std::optional<BackupKind> kind : {std::optional<BackupKind>(BackupKind::preOverlay),
                                                 std::optional<BackupKind>()}) {
        try {
            if (auto backup = store.latestBackup(instanceRoot, kind))
                return std::move(backup->manifest);
        } catch (const std::exception&) {
            // Unreadable counts as none; the next question may still find one.
        }
    }
    return std::nullopt;
}

RestoreResult CompanionSession::restoreWorlds()
{
    Locked locked(m_mutex);
    const InstallInspection inspection = writeGuard(locked);
    BackupStore store = makeBackupStore(worldBackupsFolder());
    RestoreResult result =
        store.restoreLatestBackup(*inspection.instanceRoot, inspection.technicRoot, BackupKind::saves);
    const std::uint64_t byteCap = std::uint64_t(std::numeric_limits<std::int64_t>::max());
    const auto bytes = std::int64_t(std::min(result.verification.verifiedByteCount, byteCap));
    result.message = QStringLiteral("World recovery verified from backup %1: %2 files from the backup (%3) matched "
                                    "SHA-256. Saves files added after the backup were left unchanged. Overlay files "
                                    "were not changed.")
                         .arg(result.backupId, QString::number(result.verification.verifiedFileCount),
                              fileByteCountText(bytes));
    if (const auto& notice = store.interruptedRestoreNotice())
        result.message = *notice + QLatin1Char(' ') + *result.message;
    return result;
}

} // namespace orvane
