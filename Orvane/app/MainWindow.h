#pragma once

#include <QMainWindow>
#include <QMargins>

namespace orvane {

// The one window: dark, titled "Orvane", opening at 1020 × 800 where that fits on its screen (else
// at the largest size inside the screen's available area, never below 640 × 600) and never smaller
// than 640 × 600. The system's own title bar stays; the content (the main view) fills the rest.
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

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // The window manager tells the frame's size only once the window is on screen: the first time it
    // is known, the window is shrunk to fit inside the screen with it.
    void keepInsideOnceFramed();
    // Puts the window's frame around `content`: move() places the frame's corner, as the window
    // manager does with what it is asked.
    void placeFrameOf(const QRect& content, const QMargins& frame);

    bool m_placed = false;
    QMargins m_frameFitted; // the frame the geometry was last fitted to; none until the window manager tells
};

} // namespace orvane
