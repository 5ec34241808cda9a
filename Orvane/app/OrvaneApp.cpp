#include "app/OrvaneApp.h"

#include "app/MainWindow.h"
#include "app/SessionPort.h"
#include "app/SingleInstance.h"
#include "model/AppModel.h"
#include "ui/details/DetailsOperations.h"
#include "ui/details/DetailsView.h"
#include "ui/theme/OrvaneTheme.h"
#include "ui/window/ContentView.h"
#include "ui/window/ModelWindowOperations.h"

#include <QApplication>
#include <QScreen>

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
    ContentView::Seams seams;
    seams.operations = std::make_shared<ModelWindowOperations>(model);
    seams.accessibility = std::make_shared<EnvironmentAccessibilityPrefs>();
    const auto accessibility = seams.accessibility;
    auto* content = new ContentView(model, std::move(seams));
    content->setObjectName(QStringLiteral("content"));
    // A fresh details sheet each time it is shown, over the same model.
    content->setDetailsSheetFactory([&model, accessibility](QWidget* parent) -> QDialog* {
        return new DetailsView(model, DetailsOperations::of(model), DetailsServices::system(), accessibility->settings(),
                               parent);
    });
    return content;
}

void OrvaneApp::configure(QApplication& application)
{
    QApplication::setApplicationName(QStringLiteral("Orvane"));
    QApplication::setOrganizationName(QStringLiteral("Orvane"));
    QApplication::setApplicationVersion(QStringLiteral(ORVANE_VERSION));
    // Fusion with the theme's dark palette, whatever the desktop's appearance.
    OrvaneTheme::applyTo(application);
}

void OrvaneApp::show()
{
    m_window->show();
}

void OrvaneApp::followLaterStarts(SingleInstance& instance)
{
    MainWindow* window = m_window.get();
    QObject::connect(&instance, &SingleInstance::activationRequested, window, [window] {
        window->bringToFront();
        qCInfo(lcSingleInstance) << "brought the window to the front for a later start";
    });
}

} // namespace orvane
