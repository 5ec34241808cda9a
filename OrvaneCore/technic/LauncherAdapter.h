#pragma once

#include "technic/ApplicationOpener.h"
#include "technic/ProcessInspecting.h"

#include <filesystem>
#include <memory>

namespace orvane {

// The two questions asked before files change or Technic is opened (is Technic running; is anything
// running that forbids changing files), and the opening itself.
class LauncherAdapter final {
public:
    LauncherAdapter(std::shared_ptr<ApplicationOpener> opener, std::shared_ptr<ProcessInspecting> processes);

    // Asked in this order, stopping at the first yes: a net.technicpack application, a process named
    // like the launcher (either spelling), a Java running the launcher.
    bool isTechnicRunning() const;

    // Throws OrvaneError::technicRunning, else OrvaneError::minecraftRunning when the game's Java
    // runs; Technic is asked first.
    void ensureNothingRunning() const;

    // Passes the opener's errors on unchanged.
    void open(const std::filesystem::path& target) const;

    const std::shared_ptr<ApplicationOpener>& opener() const { return m_opener; }
    const std::shared_ptr<ProcessInspecting>& processes() const { return m_processes; }

private:
    std::shared_ptr<ApplicationOpener> m_opener;
    std::shared_ptr<ProcessInspecting> m_processes;
};

} // namespace orvane
