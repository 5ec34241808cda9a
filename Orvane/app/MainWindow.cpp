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
    m_framed = !m_frameFitted.isNull();
    const QRect available = screen->availableGeometry();
    setGeometry(WindowFit::firstGeometry(defaultSize, minimumContentSize, available, m_frameFitted));
    qCInfo(lcWindow).nospace() << "first geometry " << geometry() << " in " << available << " with frame "
                               << m_frameFitted << " at device pixel ratio " << screen->devicePixelRatio();
}

void MainWindow::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    keepInsideOnceFramed();
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    keepInsideOnceFramed();
}

void MainWindow::keepInsideOnceFramed()
{
    if (!m_placed || m_framed || !isVisible() || (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
        return;
    const QMargins frame = frameOf(*this);
    const QScreen* screen = this->screen();
    if (frame == m_frameFitted || !screen)
        return;
    m_frameFitted = frame;
    m_framed = true;
    const QRect available = screen->availableGeometry();
    const QRect kept = WindowFit::keptInside(geometry(), minimumContentSize, available, frame);
    if (kept != geometry())
        setGeometry(kept);
    qCInfo(lcWindow).nospace() << "framed geometry " << kept << " in " << available << " with frame " << frame;
}

} // namespace orvane
