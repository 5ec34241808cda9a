#pragma once

#include <QString>

namespace orvane {

namespace LaunchMessages {
// "%1" is the library's file name as the error line gives it.
extern const QString lwjglLibraryNotFound;
extern const QString lwjglLibraryNotFoundUnnamed;
extern const QString lwjglNativeDamaged;
extern const QString lwjglNeedsX86Java;
} // namespace LaunchMessages

// What to tell the player when LWJGL's native library did not load, from the error line itself and
// the architecture of the game's Java (or, when it was never seen, of this machine). A Mach-O
// native ("….dylib") failed on a Mac: the Mac's Rosetta advice. Elsewhere the natives are x86_64
// ELF files: when the loader says the file does not suit this Java ("wrong ELF class", HotSpot's
// "Possible cause: can't load …"), the game needs an x86_64 Java 8; when it names another library
// the native needs, that library is missing; when it names the native itself, the native is
// damaged on x86_64, and on any other architecture the game needs an x86_64 Java 8.
namespace LwjglLoadFailure {

// The words of the error line: Java's exception, and the start of the native's file name.
inline constexpr QLatin1String unsatisfiedLink("UnsatisfiedLinkError");
inline constexpr QLatin1String liblwjgl("liblwjgl");

// The last line of `gameText` that holds both "UnsatisfiedLinkError" and "liblwjgl"; empty when none.
QString errorLine(const QString& gameText);

// The file name of the library the line says could not be loaded: the last "lib….so[.N…]" in it.
// Empty when it names none.
QString missingLibrary(const QString& line);

QString message(const QString& gameText, const QString& architecture);

} // namespace LwjglLoadFailure

} // namespace orvane
