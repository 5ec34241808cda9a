#pragma once

#include "model/LaunchOutcome.h"

#include <QString>

#include <optional>

namespace orvane {

// What the text of a launch decided: the outcome, the sentence for the user and the text that
// showed it (not yet redacted).
struct LaunchClassification {
    LaunchOutcome outcome = LaunchOutcome::crashDetected;
    QString message;
    QString excerpt;

    bool operator==(const LaunchClassification&) const = default;
};

namespace LaunchMessages {
extern const QString rosettaFailure;
extern const QString lwjglArchitecture;
extern const QString crashReport;
extern const QString forgeLoadedTranslated;
extern const QString forgeLoadedNative;
extern const QString javaStarted;
extern const QString technicOpen;
} // namespace LaunchMessages

// The launcher could not start the game's Intel Java: "Unknown error: null" or "error=86" exactly,
// or "Bad CPU type" in any letter case.
bool isRosettaFailure(QStringView text);
// The game's LWJGL natives did not load: "UnsatisfiedLinkError" and "liblwjgl", exactly.
bool isLWJGLArchitectureFailure(const QString& text);

// The texts seen so far decide the launch, first rule first: a Rosetta failure in the launcher
// text, an LWJGL architecture failure, a crash report, then Forge having loaded (in the game text:
// "Forge Mod Loader has successfully loaded" or "VintageFix: Game launch took"; the lines Forge
// writes as it starts decide nothing, since mods may still fail to load).
std::optional<LaunchClassification> classify(const QString& gameLog, const QString& launcherLog, bool translated);

// The same decision for texts that keep growing over a watch: each scan searches only what a text
// gained since the scan before (plus a marker's length of the old end, so that a marker split
// across two appends is still found), so a poll costs what was appended, not what was kept.
class LaunchTextMarkers final {
public:
    // `gameText` and `launcherText` must only ever have grown since the last scan.
    void scanGameText(const QString& gameText);
    void scanLauncherText(const QString& launcherText);

    // The decision for the texts last scanned; the excerpt is the whole text of the deciding rule.
    std::optional<LaunchClassification> decide(const QString& gameText, const QString& launcherText,
                                               bool translated) const;

private:
    qsizetype m_gameScanned = 0;
    qsizetype m_launcherScanned = 0;

    bool m_rosettaFailure = false;
    bool m_unsatisfiedLink = false;
    bool m_lwjgl = false;
    bool m_crashReport = false;
    bool m_forgeLoaded = false;
    bool m_vintageFix = false;
};

} // namespace orvane
