#include "app/MainWindow.h"

#include "app/WindowFit.h"

#include <QLoggingCategory>
#include <QScreen>
#include <QShowEvent>
#include <QWindow>

namespace orvane {

namespace {

Q_LOGGING_CATEGORY(lcWindow, "orvane.window", QtWarningMsg)

QMargins frameOf(const QWidget& window)
{
    const QWindow* handle = window.windowHandle();
    return handle ? handle->frameMargins() : QMargins();
}

} // namespace

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Orvane"));
    setMinimumSize(minimumContentSize);
    resize(defaultSize);
}

void MainWindow::setContent(QWidget* content)
{
    setCentralWidget(content);
}

void MainWindow::bringToFront()
{
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

void MainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (m_placed || event->spontaneous())
        return;
    m_placed = true;
    const QScreen* screen = this->screen();
    if (!screen)
        return;
    m_frameFitted = frameOf(*this);
    const QRect available = screen->availableGeometry();
    placeFrameOf(WindowFit::firstGeometry(defaultSize, minimumContentSize, available, m_frameFitted), m_frameFitted);
    qCInfo(lcWindow).nospace() << "first geometry " << geometry() << " in " << available << " with frame "
                               << m_frameFitted << " at device pixel ratio " << screen->devicePixelRatio();
}

bool MainWindow::event(QEvent* event)
{
    const bool handled = QMainWindow::event(event);
    // An X window manager tells the frame only after the window is mapped; Qt knows it by the time
    // the window is first painted or activated, and no event says so by itself.
    switch (event->type()) {
    case QEvent::Paint:
    case QEvent::WindowActivate:
    case QEvent::Move:
    case QEvent::Resize:
        keepInsideOnceFramed();
        break;
    default:
        break;
    }
    return handled;
}

void MainWindow::placeFrameOf(const QRect& content, const QMargins& frame)
{
    // Placed by its frame (move() takes the frame's corner), which asks the window manager to put the
    // frame there: the content then lands inside it however large the frame turns out to be.
    resize(content.size());
    move(content.topLeft() - QPoint(frame.left(), frame.top()));
}

void MainWindow::keepInsideOnceFramed()
{
    if (!m_placed || !m_frameFitted.isNull() || !isVisible() || (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
        return;
    const QMargins frame = frameOf(*this);
    const QScreen* screen = this->screen();
    if (frame == m_frameFitted || !screen)
        return;
    m_frameFitted = frame;
    const QRect available = screen->availableGeometry();
    // Only the size changes: the window manager has put the frame where the window was asked to be
    // (or somewhere of its own choosing on screen), and Qt may not know where that is to the pixel.
    const QSize fitted = WindowFit::fittedSize(size(), minimumContentSize, available, frame);
    if (fitted != size())
        resize(fitted);
    qCInfo(lcWindow).nospace() << "framed size " << fitted << " in " << available << " with frame " << frame;
}

} // namespace orvane
