#include "model/TechnicMemory.h"

namespace orvane::TechnicMemory {

std::int64_t megabytes(std::int64_t settingsId)
{
    if (settingsId == defaultSettingsId)
        return defaultMegabytes;
    for (const Entry& entry : megabytesBySettingsId) {
        if (entry.settingsId == settingsId)
            return entry.megabytes;
    }
    return defaultMegabytes;
}

std::int64_t settingsId(std::int64_t megabytes)
{
    const std::int64_t limit = megabytes < 512 ? 512 : megabytes;
    // The 2048 MB id is the floor: smaller wanted sizes, zero and negatives all give it.
    std::int64_t bestId = 4;
    std::int64_t bestSize = 2048;
    for (const Entry& entry : megabytesBySettingsId) {
        if (entry.megabytes <= limit && entry.megabytes >= bestSize) {
            bestId = entry.settingsId;
            bestSize = entry.megabytes;
        }
    }
    return bestId;
}

} // namespace orvane::TechnicMemory
