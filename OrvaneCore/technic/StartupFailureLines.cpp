#include "technic/StartupFailureLines.h"

#include <QStringMatcher>

#include <algorithm>
#include <array>
#include <vector>

namespace orvane {

namespace LaunchMessages {
const QString jvmHeapTooLarge = QStringLiteral(
    "Java refused Technic\u2019s memory setting as too large, as a 32-bit Java does; use a 64-bit Java 8 for the "
    "game or a lower memory setting, then press Play in Technic again.");
const QString jvmCannotReserveMemory = QStringLiteral(
    "Java could not reserve the memory Technic asked for, so the game never started; close other programs or "
    "lower the memory setting in Technic, then press Play in Technic again.");
const QString jvmOptionRefused = QStringLiteral(
    "The game\u2019s Java refused a Java option of Tekkit 2, as Java newer than 8 does; set Technic to run the "
    "game on Java 8 (Use Mojang Java on), then press Play in Technic again.");
const QString jvmDidNotStart = QStringLiteral(
    "Java could not start the game; close other programs or lower the memory setting in Technic, make sure the "
    "game runs on Java 8, then press Play in Technic again.");
const QString wrongJava = QStringLiteral(
    "Tekkit 2 needs Java 8, but the game was started on another Java version; set Technic to run the game on "
    "Java 8 (Use Mojang Java on), then press Play in Technic again.");
const QString outOfMemory = QStringLiteral(
    "The game ran out of Java memory while starting; Apply Balanced again or raise the memory setting in "
    "Technic, close other programs, then press Play in Technic again.");
const QString missingMods = QStringLiteral(
    "Forge stopped because a mod needs another mod that is missing; put the missing mod back or reinstall "
    "Tekkit 2 in Technic, then press Play in Technic again.");
const QString duplicateMods = QStringLiteral(
    "Forge stopped because a mod is installed twice; remove the extra copy from the instance\u2019s mods folder, "
    "then press Play in Technic again.");
const QString wrongMinecraftVersion = QStringLiteral(
    "Forge stopped because a mod is made for another Minecraft version; remove it from the instance\u2019s mods "
    "folder, then press Play in Technic again.");
const QString modLoadingFailed = QStringLiteral(
    "Forge stopped because a mod failed while loading; remove or update the mod the log names, or use Restore, "
    "then press Play in Technic again.");
const QString packDownloadFailed = QStringLiteral(
    "Technic could not download the modpack; check the internet connection, then press Play in Technic again.");
const QString gameEndedBeforeForge = QStringLiteral(
    "The game stopped before Forge finished loading; close other programs or lower the memory setting in "
    "Technic, press Play in Technic again, and send a redacted diagnostic if it stops again.");
} // namespace LaunchMessages

namespace StartupFailureLines {

namespace {

struct Marker {
    Kind kind;
    QLatin1String text;
};

// Each a substring of the line, exactly as the writer spells it.
constexpr std::array markers{
    Marker{Kind::heapTooLarge, QLatin1String("Invalid maximum heap size")},
    Marker{Kind::cannotReserveMemory, QLatin1String("Could not reserve enough space for")},
    Marker{Kind::optionRefused, QLatin1String("Unrecognized VM option")},
    Marker{Kind::wrongJava, QLatin1String("UnsupportedClassVersionError")},
    // LaunchWrapper on Java 9 and later: the application class loader is no URLClassLoader there.
    Marker{Kind::wrongJava, QLatin1String("ClassLoaders$AppClassLoader cannot be cast to")},
    Marker{Kind::didNotStart, QLatin1String("Error occurred during initialization of VM")},
    Marker{Kind::didNotStart, QLatin1String("Could not create the Java Virtual Machine")},
    Marker{Kind::outOfMemory, QLatin1String("java.lang.OutOfMemoryError")},
    Marker{Kind::missingMods, QLatin1String("MissingModsException")},
    Marker{Kind::duplicateMods, QLatin1String("Found a duplicate mod")},
    Marker{Kind::duplicateMods, QLatin1String("DuplicateModsFoundException")},
    Marker{Kind::wrongMinecraftVersion, QLatin1String("WrongMinecraftVersionException")},
    Marker{Kind::wrongMinecraftVersion, QLatin1String("does not wish to run in Minecraft version")},
    // The launcher's pack download, from the mirror that serves it.
    Marker{Kind::packDownloadFailed, QLatin1String("UnknownHostException: mirror.technicpack.net")},
    Marker{Kind::modLoadingFailed, QLatin1String("Fatal errors were detected during the transition from")},
};

// The launcher's line for a download that failed: "Download of <what> Failed!".
constexpr QLatin1String downloadOf("Download of ");
constexpr QLatin1String failed(" Failed!");

// Boyer-Moore matchers, one per marker: the markers are long, so a search skips most of a piece.
const std::vector<QStringMatcher>& matchers()
{
    static const std::vector<QStringMatcher> all = [] {
        std::vector<QStringMatcher> made;
        for (const Marker& marker : markers)
            made.emplace_back(QString(marker.text));
        return made;
    }();
    return all;
}

bool holdsFailedDownload(QStringView text)
{
    for (qsizetype at = text.indexOf(downloadOf); at >= 0; at = text.indexOf(downloadOf, at + 1)) {
        const QStringView rest = text.mid(at + downloadOf.size(), lineLength);
        const qsizetype end = rest.indexOf(QLatin1Char('\n'));
        const qsizetype found = rest.indexOf(failed);
        if (found >= 0 && (end < 0 || found < end))
            return true;
    }
    return false;
}

} // namespace

void scan(QStringView text, Found& found)
{
    const auto& matcher = matchers();
    for (std::size_t i = 0; i < markers.size(); ++i) {
        const auto kind = std::size_t(markers[i].kind);
        if (!found.test(kind) && matcher[i].indexIn(text) >= 0)
            found.set(kind);
    }
    if (!found.test(std::size_t(Kind::packDownloadFailed)) && holdsFailedDownload(text))
        found.set(std::size_t(Kind::packDownloadFailed));
}

qsizetype seamLength()
{
    qsizetype longest = lineLength;
    for (const Marker& marker : markers)
        longest = std::max(longest, marker.text.size());
    return longest - 1;
}

std::optional<Kind> first(const Found& found)
{
    for (int kind = 0; kind < kindCount; ++kind) {
        if (found.test(std::size_t(kind)))
            return Kind(kind);
    }
    return std::nullopt;
}

const QString& message(Kind kind)
{
    switch (kind) {
    case Kind::heapTooLarge: return LaunchMessages::jvmHeapTooLarge;
    case Kind::cannotReserveMemory: return LaunchMessages::jvmCannotReserveMemory;
    case Kind::optionRefused: return LaunchMessages::jvmOptionRefused;
    case Kind::wrongJava: return LaunchMessages::wrongJava;
    case Kind::didNotStart: return LaunchMessages::jvmDidNotStart;
    case Kind::outOfMemory: return LaunchMessages::outOfMemory;
    case Kind::missingMods: return LaunchMessages::missingMods;
    case Kind::duplicateMods: return LaunchMessages::duplicateMods;
    case Kind::wrongMinecraftVersion: return LaunchMessages::wrongMinecraftVersion;
    case Kind::packDownloadFailed: return LaunchMessages::packDownloadFailed;
    case Kind::modLoadingFailed: return LaunchMessages::modLoadingFailed;
    }
    return LaunchMessages::jvmDidNotStart;
}

bool awaitsCrashReport(Kind kind)
{
    return kind == Kind::modLoadingFailed;
}

} // namespace StartupFailureLines

} // namespace orvane
