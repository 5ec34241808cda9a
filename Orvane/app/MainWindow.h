#pragma once

#include <QMainWindow>

namespace orvane {

// The one window: dark, titled "Orvane", opening at 1020 × 800 and never smaller than 640 × 600.
// The system's own title bar stays; the content (the main view) fills the rest.
class MainWindow final : public QMainWindow {
    Q_OBJECT

public:
    static constexpr QSize defaultSize{1020, 800};
    static constexpr QSize minimumContentSize{640, 600};

    explicit MainWindow(QWidget* parent = nullptr);

    // Puts the window's content in place, replacing (and deleting) any earlier content.
    void setContent(QWidget* content);

    // Shows the window in front and gives it the focus, out of the taskbar when it was minimised: what a
    // later start of Orvane asks of the running one.
    void bringToFront();
};

} // namespace orvane
