#pragma once

#include "platform/ProcessEnvironment.h"

#include <QString>
#include <QStringList>

#include <filesystem>
#include <optional>

namespace orvane {

class FileOperations;

// Guidance for the Apple silicon arrangement (the launcher on arm64 Java 8, the game on Technic's
// Intel Java 8 under Rosetta) and removal of one known-bad setup: the launcher's legacy runtime
// replaced by a link into a user JDK, which the launcher verifies and may overwrite.
namespace TechnicJavaSafety {

extern const QString rosettaMissingMessage;
extern const QString mojangJavaOffMessage;
extern const QString mojangJavaWithoutRosettaMessage;
extern const QString jreLegacySymlinkMessage;
extern const QString overlayRestoredMessage;
extern const QString launcherJavaMessage;

// The launcher Java check's issue (arm64 required, found through JAVA_HOME or in `jvmRoot`), or
// nothing when it is ready.
QStringList launcherJavaIssues(const ProcessEnvironment& environment, const std::filesystem::path& jvmRoot,
                               FileOperations& files);

// technicRoot/"runtimes/jre-legacy/jre.bundle".
std::filesystem::path jreBundlePath(const std::filesystem::path& technicRoot);

// A symbolic link whose target text contains "JavaVirtualMachines". Anything else, or a path that
// cannot be read: false.
bool isSymlinkIntoUserJDK(const std::filesystem::path& path);

// The install's problems, in order: the link into a user JDK; then with Rosetta, Use Mojang Java
// turned off; without it, Rosetta missing and (when Mojang Java is on) why Play fails.
QStringList issues(const std::optional<std::filesystem::path>& technicRoot, std::optional<bool> useMojangJava,
                   bool rosettaInstalled);

// Removes the link (never its target) when it points into a user JDK and answers true; answers false
// and touches nothing otherwise. A link already gone when removal runs counts as removed, so two
// callers may race. Other removal failures throw std::system_error.
bool removeUserJDKSymlink(const std::filesystem::path& technicRoot, FileOperations& files);

} // namespace TechnicJavaSafety

} // namespace orvane
