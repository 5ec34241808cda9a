#include "technic/LaunchLogClassifier.h"

#include "technic/LwjglLoadFailure.h"

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

constexpr QLatin1String unknownErrorNull("Unknown error: null");
constexpr QLatin1String error86("error=86");
constexpr QLatin1String badCpuType("Bad CPU type");
using LwjglLoadFailure::liblwjgl;
using LwjglLoadFailure::unsatisfiedLink;
constexpr QLatin1String crashReportHeader("---- Minecraft Crash Report ----");
constexpr QLatin1String forgeLoaded("Forge Mod Loader has successfully loaded");
constexpr QLatin1String vintageFix("VintageFix: Game launch took");
constexpr QLatin1String stopping("Stopping!");

// How much of a file's text to keep between pieces: a marker that began in the last piece ends
// within this many characters of the new one's start (the failure lines need the most).
qsizetype carryLength(std::initializer_list<QLatin1String> markers)
{
    qsizetype longest = StartupFailureLines::seamLength() + 1;
    for (const auto marker : markers)
        longest = std::max(longest, marker.size());
    return longest - 1;
}

const qsizetype gameCarry =
    carryLength({unsatisfiedLink, liblwjgl, crashReportHeader, forgeLoaded, vintageFix, stopping});
const qsizetype launcherCarry = carryLength({unknownErrorNull, error86, badCpuType, stopping});

// Looks for the markers in `text` and across the seam between `carry` and `text`, then keeps the
// end of both as the carry for the next piece.
template <typename Search>
void scan(QStringView text, QString& carry, qsizetype keep, Search search)
{
    if (text.isEmpty())
        return;
    if (carry.isEmpty()) {
        search(text);
    } else {
        QString seam = carry;
        seam += text.left(keep);
        search(seam);
        search(text);
    }
    if (text.size() >= keep) {
        carry = text.right(keep).toString();
    } else {
        carry += text;
        carry = carry.right(keep);
    }
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

std::optional<LaunchClassification> classify(const QString& gameLog, const QString& launcherLog, bool translated,
                                             const QString& architecture)
{
    LaunchTextMarkers markers;
    QString gameCarry;
    QString launcherCarry;
    markers.scanGameText(gameLog, gameCarry);
    markers.scanLauncherText(launcherLog, launcherCarry);
    return markers.decide(gameLog, launcherLog, translated, architecture);
}

void LaunchTextMarkers::scanGameText(QStringView text, QString& carry)
{
    scan(text, carry, gameCarry, [this](QStringView part) {
        find(m_unsatisfiedLink, part, unsatisfiedLink);
        find(m_lwjgl, part, liblwjgl);
        find(m_crashReport, part, crashReportHeader);
        find(m_forgeLoaded, part, forgeLoaded);
        find(m_vintageFix, part, vintageFix);
        find(m_stopping, part, stopping);
        StartupFailureLines::scan(part, m_gameFailures);
    });
}

void LaunchTextMarkers::scanLauncherText(QStringView text, QString& carry)
{
    scan(text, carry, launcherCarry, [this](QStringView part) {
        if (!m_rosettaFailure)
            m_rosettaFailure = isRosettaFailure(part);
        find(m_stopping, part, stopping);
        StartupFailureLines::scan(part, m_launcherFailures);
    });
}

std::optional<LaunchClassification> LaunchTextMarkers::decide(const QString& gameText, const QString& launcherText,
                                                              bool translated, const QString& architecture) const
{
    if (m_rosettaFailure)
        return LaunchClassification{LaunchOutcome::crashDetected, LaunchMessages::rosettaFailure, launcherText};
    if (m_unsatisfiedLink && m_lwjgl)
        return LaunchClassification{LaunchOutcome::crashDetected, LwjglLoadFailure::message(gameText, architecture),
                                    gameText};
    if (m_crashReport || m_fatalErrorLog)
        return LaunchClassification{LaunchOutcome::crashDetected, LaunchMessages::crashReport, gameText};
    if (const auto failure = StartupFailureLines::first(m_gameFailures | m_launcherFailures)) {
        const bool inGameText = m_gameFailures.test(std::size_t(*failure));
        return LaunchClassification{LaunchOutcome::crashDetected, StartupFailureLines::message(*failure),
                                    inGameText ? gameText : launcherText,
                                    StartupFailureLines::awaitsCrashReport(*failure)};
    }
    if (m_forgeLoaded || m_vintageFix)
        return LaunchClassification{LaunchOutcome::forgeLoaded,
                                    translated ? LaunchMessages::forgeLoadedTranslated
                                               : LaunchMessages::forgeLoadedNative,
                                    gameText};
    return std::nullopt;
}

} // namespace orvane
