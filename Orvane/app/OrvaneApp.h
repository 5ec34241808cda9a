#pragma once

#include <memory>

class QApplication;

namespace orvane {

class MainWindow;

// The application: one model per process, created before the first window, and the main window over it.
// Nothing else happens at start: the main view starts the first inspection when it is first shown.
class OrvaneApp final {
public:
    OrvaneApp();
    ~OrvaneApp();
    OrvaneApp(const OrvaneApp&) = delete;
    OrvaneApp& operator=(const OrvaneApp&) = delete;

    // Application-wide settings that must precede the first widget: names, Fusion style, dark palette.
    static void configure(QApplication& application);

    MainWindow& window() { return *m_window; }
    void show();

private:
    std::unique_ptr<MainWindow> m_window;
};

} // namespace orvane
