#pragma once

#include "platform/ProcessEnvironment.h"

#include <QString>

#include <filesystem>
#include <optional>

namespace orvane {

class FileOperations;

// The Java that would run the Technic launcher JAR: where it is, whether it is Java 8 and whether
// it runs natively on this host. It runs the launcher only; the game uses Technic's own Java.
struct LauncherJavaReadiness {
    std::filesystem::path javaHome;
    std::filesystem::path executable;
    // JAVA_VERSION of the release file, when it was read.
    std::optional<QString> version;
    // The executable's header architecture, recorded in every result.
    std::optional<QString> architecture;
    // The first problem found; absent means ready.
    std::optional<QString> issue;

    bool isReady() const { return !issue.has_value(); }
    bool operator==(const LauncherJavaReadiness&) const = default;

    // JAVA_HOME when set and not empty (taken as it is), else the zulu-8 JDK in the user's Library.
    // (Named apart from the field it fills.)
    static std::filesystem::path javaHomeFor(const ProcessEnvironment& environment, const std::filesystem::path& home);
    static std::filesystem::path javaExecutable(const ProcessEnvironment& environment,
                                                const std::filesystem::path& home);

    // The architecture the launcher's Java must run natively on a host of `hostArchitecture` (as
    // hostArchitecture() spells it): the host's own, "arm64" or "x86_64". Absent on any other host,
    // whose executables the header reader cannot judge, so no architecture is asked for there.
    // Everything that judges or names the launcher's Java asks this one rule.
    static std::optional<QString> requiredArchitecture(const QString& hostArchitecture);

    // Checks the Java for a host of `hostArchitecture` (see requiredArchitecture()). The issue texts
    // name arm64 only where arm64 is required. Never throws: every unreadable input becomes the issue
    // it stands for.
    static LauncherJavaReadiness check(const ProcessEnvironment& environment, const std::filesystem::path& home,
                                       const QString& hostArchitecture, FileOperations& files);
    // A Boolean would convert silently to an architecture text.
    static LauncherJavaReadiness check(const ProcessEnvironment&, const std::filesystem::path&, bool,
                                       FileOperations&) = delete;

    // The value of the first `key`= line of a release file, without surrounding quotes.
    static std::optional<QString> releaseValue(const QString& key, const QString& text);
};

} // namespace orvane
