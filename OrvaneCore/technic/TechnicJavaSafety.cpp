#include "technic/TechnicJavaSafety.h"

#include "platform/FileOperations.h"
#include "technic/LauncherJavaReadiness.h"

#include <cerrno>
#include <system_error>

namespace orvane::TechnicJavaSafety {

const QString rosettaMissingMessage = QStringLiteral(
    "Apple Silicon without Rosetta cannot play Tekkit 2 through official Technic. Minecraft 1.12.2\u2019s LWJGL "
    "natives are Intel-only, and Mojang Java 8 is Intel-only. Install Rosetta, then Apply Balanced again. Orvane "
    "will not claim native Apple Silicon.");
const QString mojangJavaOffMessage = QStringLiteral(
    "Tekkit 2\u2019s LWJGL natives are Intel-only. Turn Use Mojang Java on (or Apply Balanced) so Play uses Intel "
    "Java 8 under Rosetta. Launch Technic itself with arm64 Java 8. Do not point runtimes/jre-legacy at a user JDK.");
const QString mojangJavaWithoutRosettaMessage = QStringLiteral(
    "Use Mojang Java is on, but Rosetta is missing. Technic\u2019s Intel Java 8 cannot run (error=86) and Play shows "
    "Unknown error: null. Install Rosetta, or leave Mojang Java off until it is installed.");
const QString jreLegacySymlinkMessage = QStringLiteral(
    "runtimes/jre-legacy/jre.bundle is a symlink into a user JDK. Technic SHA1-verifies that tree and can overwrite "
    "arm64 Java 8 with Intel files. Orvane removes the symlink when applying Balanced or opening Technic.");
const QString overlayRestoredMessage = QStringLiteral(
    "Original overlay settings restored. Other settings were kept. On Apple Silicon, Apply Balanced again before "
    "Play so Use Mojang Java is on.");
const QString launcherJavaMessage = QStringLiteral(
    "Open Technic needs arm64 Java 8 in /usr/lib/jvm (or JAVA_HOME). This JVM runs the launcher only, not the "
    "game.");

QStringList launcherJavaIssues(const ProcessEnvironment& environment, const std::filesystem::path& jvmRoot,
                               FileOperations& files)
{
    const auto readiness = LauncherJavaReadiness::check(environment, jvmRoot, QStringLiteral("arm64"), files);
    if (readiness.issue)
        return {*readiness.issue};
    return {};
}

std::filesystem::path jreBundlePath(const std::filesystem::path& technicRoot)
{
    return technicRoot / "runtimes" / "jre-legacy" / "jre.bundle";
}

bool isSymlinkIntoUserJDK(const std::filesystem::path& path)
{
    std::error_code error;
    const auto target = std::filesystem::read_symlink(path, error);
    return !error && target.native().find("JavaVirtualMachines") != std::string::npos;
}

QStringList issues(const std::optional<std::filesystem::path>& technicRoot, std::optional<bool> useMojangJava,
                   bool rosettaInstalled)
{
    QStringList found;
    if (technicRoot && isSymlinkIntoUserJDK(jreBundlePath(*technicRoot)))
        found.append(jreLegacySymlinkMessage);
    if (rosettaInstalled) {
        if (useMojangJava == false)
            found.append(mojangJavaOffMessage);
    } else {
        found.append(rosettaMissingMessage);
        if (useMojangJava == true)
            found.append(mojangJavaWithoutRosettaMessage);
    }
    return found;
}

bool removeUserJDKSymlink(const std::filesystem::path& technicRoot, FileOperations& files)
{
    const auto link = jreBundlePath(technicRoot);
    if (!isSymlinkIntoUserJDK(link))
        return false;
    try {
        files.removeFile(link);
    } catch (const std::system_error& error) {
        if (error.code() != std::errc::no_such_file_or_directory)
            throw;
    }
    return true;
}

} // namespace orvane::TechnicJavaSafety
