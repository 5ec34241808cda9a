#pragma once

#include "technic/MacCapabilityDetector.h"

#include <mutex>

class QScreen;

namespace orvane {

// The main display's size and scale, kept up to date on the GUI thread and read from any thread:
// the session's capability detector measures on a pool thread, where QScreen must not be touched.
class DisplaySnapshot final {
public:
    DisplaySnapshot() = default;
    explicit DisplaySnapshot(MainDisplay display) : m_display(display) {}

    MainDisplay current() const;
    void set(const MainDisplay& display);

    // GUI thread: the primary screen's size in pixels and its scale (nothing without a screen).
    void updateFromPrimaryScreen();
    static MainDisplay measure(const QScreen& screen);

    // A source for the capability detector that reads this snapshot. It keeps the snapshot alive.
    static MainDisplaySource sourceOf(std::shared_ptr<DisplaySnapshot> snapshot);

private:
    mutable std::mutex m_mutex;
    MainDisplay m_display;
};

} // namespace orvane
