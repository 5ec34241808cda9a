#pragma once

#include "app/AppSeams.h"

#include <QObject>

#include <memory>

class QApplication;
class QWidget;

namespace orvane {

class AppModel;
class MainWindow;
class SessionPort;
class SingleInstance;

// The application: one model per process, created before the first window, and the main window
// showing the main view over that model. Nothing else happens at start: the main view starts the
// first inspection when it is first shown, and no update check runs.
class OrvaneApp final {
public:
    OrvaneApp(std::shared_ptr<SessionPort> session, AppSeams seams);
    ~OrvaneApp();
    OrvaneApp(const OrvaneApp&) = delete;
    OrvaneApp& operator=(const OrvaneApp&) = delete;

    // Application-wide settings that must precede the first widget: names, Fusion style, dark palette.
    static void configure(QApplication& application);

    AppModel& model() { return *m_model; }
    MainWindow& window() { return *m_window; }
    void show();
    // Brings the window to the front whenever a later start of Orvane asks `instance` for it.
    void followLaterStarts(SingleInstance& instance);

    // The main window's content over `model`.
    static QWidget* makeContent(AppModel& model);

private:
    std::shared_ptr<DisplaySnapshot> m_display;
    std::unique_ptr<AppModel> m_model;
    std::unique_ptr<MainWindow> m_window;
    QObject m_screenWatch; // context of the screen connections
};

} // namespace orvane
