#include "app/OrvaneApp.h"

#include "app/MainWindow.h"
#include "app/SessionPort.h"
#include "model/AppModel.h"

#include <QApplication>
#include <QPalette>
#include <QScreen>
#include <QStyleFactory>

namespace orvane {

OrvaneApp::OrvaneApp(std::shared_ptr<SessionPort> session, AppSeams seams)
    : m_display(seams.display)
    , m_model(std::make_unique<AppModel>(std::move(session), std::move(seams)))
    , m_window(std::make_unique<MainWindow>())
{
    m_window->setContent(makeContent(*m_model));

    // The session measures the display on a pool thread; it reads this snapshot, kept current here.
    if (m_display) {
        const auto follow = [this](QScreen* screen) {
            m_display->updateFromPrimaryScreen();
            if (screen) {
                QObject::connect(screen, &QScreen::geometryChanged, &m_screenWatch,
                                 [this] { m_display->updateFromPrimaryScreen(); });
            }
        };
        follow(QGuiApplication::primaryScreen());
        QObject::connect(qApp, &QGuiApplication::primaryScreenChanged, &m_screenWatch, follow);
    }
}

OrvaneApp::~OrvaneApp() = default;

QWidget* OrvaneApp::makeContent(AppModel& model)
{
    // The main view (ContentView) is built over `model` here.
    Q_UNUSED(model);
    auto* content = new QWidget;
    content->setObjectName(QStringLiteral("content"));
    return content;
}

void OrvaneApp::configure(QApplication& application)
{
    QApplication::setApplicationName(QStringLiteral("Orvane"));
    QApplication::setOrganizationName(QStringLiteral("Orvane"));
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
