#pragma once

#include "platform/ProcessEnvironment.h"

#include <QString>

#include <filesystem>
#include <optional>
#include <vector>

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

    // Where Linux keeps installed JDKs, one folder each: "/usr/lib/jvm".
    static std::filesystem::path defaultJvmRoot();

    // JAVA_HOME when set and not empty (made absolute and standardised); absent otherwise.
    static std::optional<std::filesystem::path> javaHomeFromEnvironment(const ProcessEnvironment& environment);

    // The folders of `jvmRoot` (links followed) in the order they are tried: names beginning with
    // "zulu" (any letter case) first, each group in name order. Empty when the root cannot be read.
    static std::vector<std::filesystem::path> candidates(const std::filesystem::path& jvmRoot);

    // The architecture the launcher's Java must run natively on a host of `hostArchitecture` (as
    // hostArchitecture() spells it): the host's own, "arm64" or "x86_64". Absent on any other host,
    // whose executables the header reader cannot judge, so no architecture is asked for there.
    // Everything that judges or names the launcher's Java asks this one rule.
    static std::optional<QString> requiredArchitecture(const QString& hostArchitecture);

    // Checks the Java for a host of `hostArchitecture` (see requiredArchitecture()): the one JAVA_HOME
    // names, else the first of candidates(jvmRoot) that passes every test. When none does, the issue
    // names the root searched and `javaHome` and `executable` are empty. The issue texts name arm64
    // only where arm64 is required. Never throws: every unreadable input becomes the issue it stands for.
    static LauncherJavaReadiness check(const ProcessEnvironment& environment, const std::filesystem::path& jvmRoot,
                                       const QString& hostArchitecture, FileOperations& files);
    // A Boolean would convert silently to an architecture text.
    static LauncherJavaReadiness check(const ProcessEnvironment&, const std::filesystem::path&, bool,
                                       FileOperations&) = delete;

    // The value of the first `key`= line of a release file, without surrounding quotes.
    static std::optional<QString> releaseValue(const QString& key, const QString& text);
};

} // namespace orvane
