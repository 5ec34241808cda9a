#include "session/OverlayTargetChecks.h"

#include "model/OrvaneError.h"
#include "platform/AtomicWriteTemporary.h"
#include "platform/PathText.h"
#include "records/BackupStore.h"
#include "session/CompanionSession.h"

#include <string>

namespace orvane::OverlayTargetChecks {

void requireNoLinks(const InstallInspection& inspection, const std::filesystem::path& instance)
{
    for (const auto& file : CompanionSession::overlayTargetFiles(inspection, instance)) {
        const bool inInstance = isContained(standardised(file), standardised(instance));
        const std::filesystem::path root = inInstance || !inspection.technicRoot ? instance : *inspection.technicRoot;
        if (BackupStore::pathContainsSymbolicLink(file, root))
            throw OrvaneError::overlayRefused(
                QStringLiteral("%1 is reached through a symbolic link. Orvane will not write through links.")
                    .arg(pathText(file)));
    }
}

void removeWriteLeftovers(FileOperations& files, const InstallInspection& inspection,
                          const std::filesystem::path& instance)
{
    for (const auto& file : CompanionSession::overlayTargetFiles(inspection, instance)) {
        const std::string name = file.filename().native();
        atomicWriteTemporary::removeTemporaries(files, file.parent_path(), [&](std::string_view target) {
            if (target == name)
                return true;
            // The temporary file of an atomic write of such a leftover.
            const auto inner = atomicWriteTemporary::targetOf(target);
            return inner && *inner == name;
        });
    }
}

} // namespace orvane::OverlayTargetChecks
