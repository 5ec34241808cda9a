#pragma once

#include <QString>
#include <QStringView>

#include <bitset>
#include <optional>

namespace orvane {

namespace LaunchMessages {
extern const QString jvmHeapTooLarge;
extern const QString jvmCannotReserveMemory;
extern const QString jvmOptionRefused;
extern const QString jvmDidNotStart;
extern const QString wrongJava;
extern const QString outOfMemory;
extern const QString missingMods;
extern const QString duplicateMods;
extern const QString wrongMinecraftVersion;
extern const QString modLoadingFailed;
extern const QString packDownloadFailed;
extern const QString gameEndedBeforeForge;
} // namespace LaunchMessages

// The lines after which the game cannot go on, written by the JVM, LaunchWrapper, Forge or the
// launcher, in the game's logs or in the launcher's log (which holds the game's console, the only
// place a JVM that refuses to start leaves its reason). Harmless JVM warnings ("ignoring option
// MaxPermSize…") hold none of them.
namespace StartupFailureLines {

// In order of precedence when one text holds several: the most specific reason first.
enum class Kind {
    heapTooLarge,
    cannotReserveMemory,
    optionRefused,
    wrongJava,
    didNotStart,
    outOfMemory,
    missingMods,
    duplicateMods,
    wrongMinecraftVersion,
    packDownloadFailed,
    modLoadingFailed,
};
inline constexpr int kindCount = int(Kind::modLoadingFailed) + 1;
using Found = std::bitset<kindCount>;

// Marks in `found` every kind whose line `text` holds. A line that needs two parts (the launcher's
// "Download of … Failed!") is found when it lies whole in `text` and is at most `lineLength` long.
void scan(QStringView text, Found& found);

// How much text before a piece must be searched again with it so that no line is missed at a seam.
qsizetype seamLength();
inline constexpr qsizetype lineLength = 1024;

// The first kind of `found` by precedence; nothing when it is empty.
std::optional<Kind> first(const Found& found);

// The sentence for the user: what went wrong and what to do.
const QString& message(Kind kind);

// Forge's fatal transition is usually followed at once by a crash report, which tells more; the
// watch waits a moment for it before deciding on the line alone.
bool awaitsCrashReport(Kind kind);

} // namespace StartupFailureLines

} // namespace orvane
