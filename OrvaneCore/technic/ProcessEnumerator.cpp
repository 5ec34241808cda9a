#include "technic/ProcessEnumerator.h"

#include "platform/ApplicationBundle.h"
#include "platform/ExecutableArchitecture.h"

#include <algorithm>
#include <array>

namespace orvane {

namespace {

const QString kArm64 = QStringLiteral("arm64");
const QString kX86_64 = QStringLiteral("x86_64");
const QString kUniversal = QStringLiteral("universal");
const QString kUnknown = QStringLiteral("unknown");

const std::array<QLatin1String, 2> kTechnicLauncherMarkers = {
    QLatin1String("techniclauncher"), QLatin1String("net.technicpack")};
const std::array<QLatin1String, 5> kGameMarkers = {
    QLatin1String("net.minecraft"), QLatin1String("minecraftforge"), QLatin1String("fmltweaker"),
    QLatin1String("tekkit"), QLatin1String("forge-1.12")};

template <std::size_t N>
bool containsAny(const QString& text, const std::array<QLatin1String, N>& markers)
{
    const QString lowered = text.toLower();
    return std::any_of(markers.begin(), markers.end(), [&](QLatin1String marker) { return lowered.contains(marker); });
}

} // namespace

ProcessEnumerator::ProcessEnumerator(std::shared_ptr<ProcessTable> table, std::shared_ptr<FileOperations> files,
                                     QString hostArchitecture)
    : m_table(std::move(table))
    , m_files(std::move(files))
    , m_hostArchitecture(std::move(hostArchitecture))
{
}

std::vector<std::int32_t> ProcessEnumerator::processIDs() const
{
    std::vector<std::int32_t> pids = m_table->processIDs();
    std::erase(pids, 0);
    return pids;
}

QStringList ProcessEnumerator::processNames() const
{
    QStringList names;
    for (const std::int32_t pid : processIDs()) {
        if (const auto name = m_table->name(pid))
            names << *name;
    }
    return names;
}

std::optional<QString> ProcessEnumerator::bundleIdentifier(std::int32_t pid) const
{
    const auto executable = m_table->executablePath(pid);
    if (!executable)
        return std::nullopt;
    return orvane::bundleIdentifier(*executable, *m_files);
}

QStringList ProcessEnumerator::bundleIdentifiers() const
{
    QStringList identifiers;
    for (const std::int32_t pid : processIDs()) {
        if (const auto identifier = bundleIdentifier(pid))
            identifiers << *identifier;
    }
    return identifiers;
}

std::optional<QString> ProcessEnumerator::arguments(std::int32_t pid) const
{
    return m_table->commandLine(pid);
}

QString ProcessEnumerator::argumentsOrEmpty(std::int32_t pid) const
{
    return arguments(pid).value_or(QString());
}

bool ProcessEnumerator::isJava(std::int32_t pid) const
{
    const auto name = m_table->name(pid);
    return name && name->compare(QLatin1String("java"), Qt::CaseInsensitive) == 0;
}

bool ProcessEnumerator::hasTechnicLauncherMarker(const QString& text)
{
    return containsAny(text, kTechnicLauncherMarkers);
}

bool ProcessEnumerator::hasGameMarker(const QString& text)
{
    return containsAny(text, kGameMarkers);
}

std::vector<std::int32_t> ProcessEnumerator::gameJavaProcessIDs() const
{
    std::vector<std::int32_t> pids;
    for (const std::int32_t pid : processIDs()) {
        if (isJava(pid) && hasGameMarker(argumentsOrEmpty(pid)))
            pids.push_back(pid);
    }
    return pids;
}

std::optional<std::int32_t> ProcessEnumerator::gameJavaProcessID() const
{
    // One pass over the table: the first game Java, else the first Java of any kind.
    std::optional<std::int32_t> firstJava;
    for (const std::int32_t pid : processIDs()) {
        if (!isJava(pid))
            continue;
        if (hasGameMarker(argumentsOrEmpty(pid)))
            return pid;
        if (!firstJava)
            firstJava = pid;
    }
    return firstJava;
}

GameJavaArchitecture ProcessEnumerator::architecture(std::int32_t pid) const
{
    const auto executable = m_table->executablePath(pid);
    if (!executable)
        return {kUnknown, false};
    auto found = executableArchitecture(*executable);
    if (found == kUniversal) {
        // A universal binary runs its arm64 slice wherever it has one; one with only an Intel slice
        // is an Intel Java.
        const auto slices = executableSliceArchitectures(*executable);
        const auto has = [&slices](const QString& name) {
            return std::find(slices.begin(), slices.end(), name) != slices.end();
        };
        found = has(kArm64) ? std::optional(kArm64) : has(kX86_64) ? std::optional(kX86_64) : std::nullopt;
    }
    if (found == kArm64)
        return {kArm64, false};
    // An Intel Java is translated only where the host itself is not Intel.
    if (found == kX86_64)
        return {kX86_64, m_hostArchitecture == kArm64};
    return {kUnknown, false};
}

bool ProcessEnumerator::isProcessRunning(const QString& nameContaining) const
{
    // An empty text names no process.
    if (nameContaining.isEmpty())
        return false;
    for (const std::int32_t pid : processIDs()) {
        const auto name = m_table->name(pid);
        if (name && name->contains(nameContaining, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

bool ProcessEnumerator::isApplicationRunning(const QString& bundleIdentifierPrefix) const
{
    const QString prefix = bundleIdentifierPrefix.toLower();
    for (const std::int32_t pid : processIDs()) {
        const auto identifier = bundleIdentifier(pid);
        if (identifier && identifier->toLower().startsWith(prefix))
            return true;
    }
    return false;
}

bool ProcessEnumerator::isGameJavaRunning() const
{
    for (const std::int32_t pid : processIDs()) {
        if (isJava(pid) && hasGameMarker(argumentsOrEmpty(pid)))
            return true;
    }
    return false;
}

bool ProcessEnumerator::isTechnicLauncherJavaRunning() const
{
    for (const std::int32_t pid : processIDs()) {
        if (isJava(pid) && hasTechnicLauncherMarker(argumentsOrEmpty(pid)))
            return true;
    }
    return false;
}

std::optional<GameJavaArchitecture> ProcessEnumerator::gameJavaArchitecture() const
{
    const auto pid = gameJavaProcessID();
    if (!pid)
        return std::nullopt;
    return architecture(*pid);
}

} // namespace orvane
