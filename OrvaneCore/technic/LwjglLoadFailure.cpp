#include "technic/LwjglLoadFailure.h"

#include "technic/LaunchLogClassifier.h"

#include <QRegularExpression>

namespace orvane {

namespace LaunchMessages {
const QString lwjglLibraryNotFound = QStringLiteral(
    "Tekkit 2\u2019s LWJGL natives need the system library %1, which the loader could not find; install the "
    "package that provides it with your distribution\u2019s package manager, then press Play in Technic again.");
const QString lwjglLibraryNotFoundUnnamed = QStringLiteral(
    "Tekkit 2\u2019s LWJGL natives could not load a system library they need; install it with your "
    "distribution\u2019s package manager, then press Play in Technic again.");
const QString lwjglNativeDamaged = QStringLiteral(
    "Tekkit 2\u2019s LWJGL library %1 could not be loaded; reinstall Tekkit 2 in Technic so that its natives are "
    "unpacked again, then press Play in Technic again.");
const QString lwjglNeedsX86Java = QStringLiteral(
    "Tekkit 2\u2019s LWJGL natives are x86_64 only, so the game needs an x86_64 Java 8; set one as the game\u2019s "
    "Java in Technic, then press Play in Technic again.");
} // namespace LaunchMessages

namespace LwjglLoadFailure {

namespace {

// A name longer than this is no library name worth showing.
constexpr qsizetype longestName = 128;

bool isMacNative(const QString& line)
{
    return line.contains(QLatin1String(".dylib")) || line.contains(QLatin1String("mach-o"), Qt::CaseInsensitive);
}

// The loader says the file is built for another word width or machine than the running Java.
bool isOtherClass(const QString& line)
{
    return line.contains(QLatin1String("wrong ELF class")) || line.contains(QLatin1String("Possible cause: can't load"))
        || line.contains(QLatin1String("architecture word width mismatch"));
}

} // namespace

QString errorLine(const QString& gameText)
{
    for (qsizetype at = gameText.lastIndexOf(unsatisfiedLink); at >= 0;
         at = at == 0 ? -1 : gameText.lastIndexOf(unsatisfiedLink, at - 1)) {
        const qsizetype start = gameText.lastIndexOf(QLatin1Char('\n'), at) + 1;
        qsizetype end = gameText.indexOf(QLatin1Char('\n'), at);
        if (end < 0)
            end = gameText.size();
        const QString line = gameText.mid(start, end - start);
        if (line.contains(liblwjgl))
            return line;
    }
    return QString();
}

QString missingLibrary(const QString& line)
{
    static const QRegularExpression library(QStringLiteral("(?<![A-Za-z0-9_+.-])lib[A-Za-z0-9_+.-]*?\\.so(?:\\.[0-9]+)*"));
    QString name;
    for (auto match = library.globalMatch(line); match.hasNext();)
        name = match.next().captured();
    return name.size() <= longestName ? name : QString();
}

QString message(const QString& gameText, const QString& architecture)
{
    const QString line = errorLine(gameText);
    if (isMacNative(line))
        return LaunchMessages::lwjglArchitecture;
    if (isOtherClass(line))
        return LaunchMessages::lwjglNeedsX86Java;
    const QString name = missingLibrary(line);
    // A library LWJGL's native needs: the native itself loaded, so this Java runs x86_64 code,
    // whatever architecture it was taken for (an emulated Java is named after its emulator).
    if (!name.isEmpty() && !name.startsWith(liblwjgl))
        return LaunchMessages::lwjglLibraryNotFound.arg(name);
    if (architecture != QLatin1String("x86_64"))
        return LaunchMessages::lwjglNeedsX86Java;
    if (name.isEmpty())
        return LaunchMessages::lwjglLibraryNotFoundUnnamed;
    return LaunchMessages::lwjglNativeDamaged.arg(name);
}

} // namespace LwjglLoadFailure

} // namespace orvane
