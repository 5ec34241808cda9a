#include "app/OrvaneApp.h"

#include "app/MainWindow.h"

#include <QApplication>
#include <QPalette>
#include <QStyleFactory>

namespace orvane {

OrvaneApp::OrvaneApp()
    : m_window(std::make_unique<MainWindow>())
{
}

OrvaneApp::~OrvaneApp() = default;

void OrvaneApp::configure(QApplication& application)
{
    QApplication::setApplicationName(QStringLiteral("Orvane"));
    QApplication::setApplicationVersion(QStringLiteral(ORVANE_VERSION));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    // Dark whatever the desktop's appearance.
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(0x0b, 0x0d, 0x0c));
    dark.setColor(QPalette::WindowText, Qt::white);
    dark.setColor(QPalette::Base, QColor(0x12, 0x15, 0x13));
    dark.setColor(QPalette::AlternateBase, QColor(0x18, 0x1c, 0x19));
    dark.setColor(QPalette::Text, Qt::white);
    dark.setColor(QPalette::Button, QColor(0x18, 0x1c, 0x19));
    dark.setColor(QPalette::ButtonText, Qt::white);
    dark.setColor(QPalette::ToolTipBase, QColor(0x18, 0x1c, 0x19));
    dark.setColor(QPalette::ToolTipText, Qt::white);
    application.setPalette(dark);
}

void OrvaneApp::show()
{
    m_window->show();
}

} // namespace orvane
