#include "session/PlanResolver.h"

#include "json/JsonReader.h"
#include "model/CoreResources.h"
#include "model/OrvaneError.h"
#include "model/TechnicMemory.h"
#include "session/BalancedProfileFile.h"

#include <algorithm>

namespace orvane::PlanResolver {

namespace {

constexpr std::int64_t largeMemoryMegabytes = 12288;
constexpr std::int64_t smallMachineHeapMegabytes = 3072;
constexpr std::int64_t largestHeapMegabytes = 8192;
constexpr std::int64_t tallRetinaDisplayHeight = 1600;

bool hasLineBreak(const QString& text)
{
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
}

// options.txt holds one "key:value" a line, so such a setting would change other lines. Refused here
// as a fault of the profile rather than later as a write error.
void checkOptions(const StringMap& options)
{
    for (const auto& [key, value] : options) {
        if (key.contains(QLatin1Char(':')) || hasLineBreak(key) || hasLineBreak(value))
            throw OrvaneError::invalidProfile(
                QStringLiteral("balanced.profile.json sets an option options.txt cannot hold (\u201C%1\u201D).")
                    .arg(QString(key).replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '))));
    }
}

BalancedProfileFile loadProfile()
{
    const std::optional<QByteArray> bytes = CoreResources::data(QStringLiteral("balanced.profile"), QStringLiteral("json"));
    if (!bytes)
        throw OrvaneError::invalidProfile(missingProfileText());
    BalancedProfileFile profile =
        fromJson<BalancedProfileFile>(JsonReader::parse(*bytes, QStringLiteral("BalancedProfileFile")).object());
    checkOptions(profile.options);
    return profile;
}

} // namespace

QString missingProfileText()
{
    return QStringLiteral("balanced.profile.json is missing from the bundle.");
}

std::int64_t targetHeapMegabytes(std::int64_t physicalMegabytes)
{
    if (physicalMegabytes < largeMemoryMegabytes)
        return smallMachineHeapMegabytes;
    return std::min(physicalMegabytes / 4, largestHeapMegabytes);
}

OverlayPlan resolve(const CapabilityReport& capability, const InstallInspection& inspection)
{
    BalancedProfileFile profile = loadProfile();

    StringMap options = std::move(profile.options);
    const bool tallRetina = capability.isRetina && capability.displayHeight >= tallRetinaDisplayHeight;
    options[QStringLiteral("guiScale")] = tallRetina ? QStringLiteral("3") : QStringLiteral("2");

    // The launcher treats runData's "memory" as the pack's minimum and blocks Play when it exceeds the
    // selected memory setting, so the heap written is the size of the id chosen, never the raw target.
    const std::int64_t memorySettingsId = TechnicMemory::settingsId(targetHeapMegabytes(capability.physicalMemoryMegabytes()));
    const std::int64_t heap = TechnicMemory::megabytes(memorySettingsId);

    const bool arm64 = capability.architecture == QLatin1String("arm64");
    const bool enableMojangJava = arm64 && capability.rosettaInstalled;
    const bool disableMojangJava = arm64 && !capability.rosettaInstalled;

    std::vector<QString> notes = std::move(profile.notes);
    notes.push_back(QStringLiteral("Target Java heap %1 MB (Technic settings ID %2).").arg(heap).arg(memorySettingsId));
    if (disableMojangJava)
        notes.push_back(QStringLiteral(
            "Apple Silicon without Rosetta: Mojang Java 8 is Intel-only and Play fails with Unknown error: null. "
            "Tekkit 2\u2019s LWJGL natives are also Intel-only, so arm64 Java 8 cannot open the game. Install "
            "Rosetta, then Apply Balanced again. Do not symlink runtimes/jre-legacy onto a user JDK."));
    if (enableMojangJava)
        notes.push_back(QStringLiteral(
            "Apple Silicon + Rosetta: Tekkit 2\u2019s LWJGL 2 natives are Intel-only. Balanced turns Use Mojang "
            "Java on so Play runs translated x86_64. Orvane will not claim native Apple Silicon. Launch Technic "
            "itself with arm64 Java 8. Do not symlink runtimes/jre-legacy onto a user JDK."));
    if (inspection.hasOptiFine)
        notes.push_back(QStringLiteral("OptiFine was detected and will not be added, removed, or reconfigured."));
    if (!(inspection.hasNothirium && inspection.hasVintageFix))
        notes.push_back(QStringLiteral(
            "Nothirium or VintageFix is missing. Balanced still writes overlay files only; it will not add those JARs."));
    notes.push_back(QStringLiteral("No JARs, shader packs, or OptiFine will be written."));

    return OverlayPlan {
        .profileId = std::move(profile.id),
        .title = std::move(profile.title),
        .memorySettingsId = memorySettingsId,
        .memoryMegabytes = heap,
        .options = std::move(options),
        .requiredComponents = std::move(profile.requiredComponents),
        .notes = std::move(notes),
        .disableMojangJava = disableMojangJava,
        .enableMojangJava = enableMojangJava,
    };
}

} // namespace orvane::PlanResolver
