#include "technic/LaunchLogClassifier.h"

#include <QString>

#include <algorithm>
#include <initializer_list>

namespace orvane {

namespace LaunchMessages {
const QString rosettaFailure = QStringLiteral(
    "Technic Play failed (Unknown error: null / error=86). Install Rosetta and leave Use Mojang Java on so the "
    "game JVM is Intel Java 8. Launch Technic itself with arm64 Java 8.");
const QString lwjglArchitecture = QStringLiteral(
    "Tekkit 2\u2019s LWJGL natives are Intel-only. Install Rosetta and use Technic\u2019s Mojang Java 8 so Play "
    "runs translated x86_64. Orvane will not claim native Apple Silicon.");
const QString crashReport =
    QStringLiteral("A crash report appeared in the instance logs. Use Restore, then send a redacted diagnostic.");
const QString forgeLoadedTranslated =
    QStringLiteral("Forge loaded under Rosetta (x86_64). Orvane will not claim native Apple Silicon.");
const QString forgeLoadedNative = QStringLiteral(
    "Forge loaded. Create a world, use machinery, save, quit, and reload before calling this certified.");
const QString javaStarted = QStringLiteral(
    "Java started. Press Play in Technic if the game is not up yet. Orvane does not click Play for you. "
    "Tekkit 2 Forge often takes over two minutes.");
const QString technicOpen = QStringLiteral(
    "Technic should now be open. Press Play there. Orvane cannot launch Tekkit itself \u2014 Technic has no "
    "pack-launch CLI.");
} // namespace LaunchMessages

namespace {

const QLatin1String unknownErrorNull("Unknown error: null");
const QLatin1String error86("error=86");
const QLatin1String badCpuType("Bad CPU type");
const QLatin1String unsatisfiedLink("UnsatisfiedLinkError");
const QLatin1String liblwjgl("liblwjgl");
const QLatin1String crashReportHeader("---- Minecraft Crash Report ----");
const QLatin1String forgeLoaded("Forge Mod Loader has successfully loaded");
const QLatin1String vintageFix("VintageFix: Game launch took");

// Where a scan of a text that grew from `scanned` must begin to find every marker that ends in the
// new part: the longest marker could begin up to its length minus one before the old end.
qsizetype scanStart(qsizetype scanned, std::initializer_list<QLatin1String> markers)
{
    qsizetype longest = 0;
    for (const auto marker : markers)
        longest = std::max(longest, marker.size());
    return std::max<qsizetype>(0, scanned - (longest - 1));
}

void find(bool& flag, QStringView text, QLatin1String marker, Qt::CaseSensitivity cs = Qt::CaseSensitive)
{
    if (!flag)
        flag = text.contains(marker, cs);
}

} // namespace

bool isRosettaFailure(QStringView text)
{
    return text.contains(unknownErrorNull) || text.contains(error86) || text.contains(badCpuType, Qt::CaseInsensitive);
}

bool isLWJGLArchitectureFailure(const QString& text)
{
    return text.contains(unsatisfiedLink) && text.contains(liblwjgl);
}

std::optional<LaunchClassification> classify(const QString& gameLog, const QString& launcherLog, bool translated)
{
    LaunchTextMarkers markers;
    markers.scanGameText(gameLog);
    markers.scanLauncherText(launcherLog);
    return markers.decide(gameLog, launcherLog, translated);
}

void LaunchTextMarkers::scanGameText(const QString& gameText)
{
    if (gameText.size() <= m_gameScanned)
        return;
    const QStringView fresh = QStringView(gameText).mid(scanStart(
        m_gameScanned, {unsatisfiedLink, liblwjgl, crashReportHeader, forgeLoaded, vintageFix}));
    find(m_unsatisfiedLink, fresh, unsatisfiedLink);
    find(m_lwjgl, fresh, liblwjgl);
    find(m_crashReport, fresh, crashReportHeader);
    find(m_forgeLoaded, fresh, forgeLoaded);
    find(m_vintageFix, fresh, vintageFix);
    m_gameScanned = gameText.size();
}

void LaunchTextMarkers::scanLauncherText(const QString& launcherText)
{
    if (launcherText.size() <= m_launcherScanned)
        return;
    const QStringView fresh =
        QStringView(launcherText).mid(scanStart(m_launcherScanned, {unknownErrorNull, error86, badCpuType}));
    if (!m_rosettaFailure)
        m_rosettaFailure = isRosettaFailure(fresh);
    m_launcherScanned = launcherText.size();
}

std::optional<LaunchClassification> LaunchTextMarkers::decide(const QString& gameText, const QString& launcherText,
                                                              bool translated) const
{
    if (m_rosettaFailure)
        return LaunchClassification{LaunchOutcome::crashDetected, LaunchMessages::rosettaFailure, launcherText};
    if (m_unsatisfiedLink && m_lwjgl)
        return LaunchClassification{LaunchOutcome::crashDetected, LaunchMessages::lwjglArchitecture, gameText};
    if (m_crashReport)
        return LaunchClassification{LaunchOutcome::crashDetected, LaunchMessages::crashReport, gameText};
    if (m_forgeLoaded || m_vintageFix)
        return LaunchClassification{LaunchOutcome::forgeLoaded,
                                    translated ? LaunchMessages::forgeLoadedTranslated
                                               : LaunchMessages::forgeLoadedNative,
                                    gameText};
    return std::nullopt;
}

} // namespace orvane
