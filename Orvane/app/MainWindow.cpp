#include "app/MainWindow.h"

namespace orvane {

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

} // namespace orvane
