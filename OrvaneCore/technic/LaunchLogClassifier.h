#pragma once

#include "model/LaunchOutcome.h"
#include "technic/StartupFailureLines.h"

#include <QString>

#include <optional>

namespace orvane {

// What the text of a launch decided: the outcome, the sentence for the user and the text that
// showed it (not yet redacted).
struct LaunchClassification {
    LaunchOutcome outcome = LaunchOutcome::crashDetected;
    QString message;
    QString excerpt;
    // A failure that a crash report, when one follows within moments, tells better: the watch
    // waits a few polls for it before deciding on this.
    bool awaitsCrashReport = false;

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
// text, an LWJGL load failure (its advice for the native's system and `architecture`, the game
// Java's), a crash report, a line after which the game cannot go on (StartupFailureLines, in
// either text), then Forge having loaded (in the game text: "Forge Mod Loader has successfully
// loaded" or "VintageFix: Game launch took"; the lines Forge writes as it starts decide nothing,
// since mods may still fail to load).
std::optional<LaunchClassification> classify(const QString& gameLog, const QString& launcherLog, bool translated,
                                             const QString& architecture = QString());

// The same decision over a watch, for texts of any size: each piece of text is searched once as it
// arrives and the markers found are remembered, so that the texts themselves need not be kept. A
// file's pieces are searched with the end of its piece before (`carry`, the caller's, one per
// file, cleared when the file starts again), so a marker split between two pieces is still found.
class LaunchTextMarkers final {
public:
    void scanGameText(QStringView text, QString& carry);
    void scanLauncherText(QStringView text, QString& carry);
    // A JVM fatal-error log of the game appeared: the game crashed, as with a crash report.
    void noteFatalErrorLog() { m_fatalErrorLog = true; }

    // The decision for what was scanned so far; the excerpt is the given text of the deciding rule.
    std::optional<LaunchClassification> decide(const QString& gameText, const QString& launcherText,
                                               bool translated, const QString& architecture = QString()) const;

    // The game wrote "Stopping!", as it does when the player closes it (in its log, or in its
    // console as the launcher's log copies it).
    bool stoppedNormally() const { return m_stopping; }
    // A new run of the game began: what the last one wrote as it stopped is no longer news.
    void forgetStopping() { m_stopping = false; }

private:
    bool m_rosettaFailure = false;
    bool m_unsatisfiedLink = false;
    bool m_lwjgl = false;
    bool m_crashReport = false;
    bool m_fatalErrorLog = false;
    bool m_forgeLoaded = false;
    bool m_vintageFix = false;
    bool m_stopping = false;
    StartupFailureLines::Found m_gameFailures;
    StartupFailureLines::Found m_launcherFailures;
};

} // namespace orvane
