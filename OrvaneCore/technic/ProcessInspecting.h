#pragma once

#include <QString>

#include <optional>

namespace orvane {

// The architecture of the game's Java: "arm64", "x86_64" or "unknown", and whether it runs translated.
struct GameJavaArchitecture {
    QString architecture;
    bool translated = false;
    bool operator==(const GameJavaArchitecture&) const = default;
};

// The narrow set of process questions everyone asks: is Technic or the game running, and on what.
// Implementations never throw; a process that vanishes midway is skipped.
class ProcessInspecting {
public:
    virtual ~ProcessInspecting() = default;

    virtual bool isProcessRunning(const QString& nameContaining) const = 0;
    virtual bool isApplicationRunning(const QString& bundleIdentifierPrefix) const = 0;
    virtual bool isGameJavaRunning() const = 0;
    virtual bool isTechnicLauncherJavaRunning() const = 0;
    virtual std::optional<GameJavaArchitecture> gameJavaArchitecture() const = 0;
};

} // namespace orvane
