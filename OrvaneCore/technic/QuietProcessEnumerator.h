#pragma once

#include "technic/ProcessInspecting.h"

namespace orvane {

// A process inspector for which nothing runs: no process, no application, no Java.
class QuietProcessEnumerator final : public ProcessInspecting {
public:
    bool isProcessRunning(const QString&) const override { return false; }
    bool isApplicationRunning(const QString&) const override { return false; }
    bool isGameJavaRunning() const override { return false; }
    bool isTechnicLauncherJavaRunning() const override { return false; }
    std::optional<GameJavaArchitecture> gameJavaArchitecture() const override { return std::nullopt; }
};

} // namespace orvane
