#include "WindowHarness.h"

#include "app/support/FakeSession.h"
#include "app/support/TestSeams.h"
#include "ui/theme/OrvaneTheme.h"

#include <QAccessible>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QTest>

namespace orvane::test {

std::vector<QAccessibleInterface*> visibleAccessibleElements(QAccessibleInterface* element)
{
    std::vector<QAccessibleInterface*> found;
    for (int i = 0; i < element->childCount(); ++i) {
        QAccessibleInterface* child = element->child(i);
        if (!child || child->state().invisible)
            continue;
        found.push_back(child);
        const auto below = visibleAccessibleElements(child);
        found.insert(found.end(), below.begin(), below.end());
    }
    return found;
}

WindowHarness::WindowHarness(QSize size, AccessibilitySettings accessibility, bool javaReady)
    : m_model(std::make_unique<AppModel>(std::make_shared<FakeSession>(), testSeams("/nonexistent-home", javaReady))),
      m_operations(std::make_shared<RecordingOperations>()), m_announcer(std::make_shared<RecordingAnnouncer>()),
      m_chooser(std::make_shared<AnsweringFolderChooser>())
{
    m_view = std::make_unique<ContentView>(
        *m_model, ContentView::Seams{m_operations, std::make_shared<FixedAccessibilityPrefs>(accessibility),
                                     m_announcer, m_chooser});
    m_view->resize(size);
    m_view->show();
    (void)QTest::qWaitForWindowExposed(m_view.get());
}

WindowHarness::~WindowHarness()
{
    m_view.reset();
    m_model.reset();
}

void WindowHarness::setState(const AppModelState& state)
{
    m_model->setStateForTesting(state);
    // The model tells its views once, from the event loop.
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

void WindowHarness::activate()
{
    m_view->activateWindow();
    QApplication::setActiveWindow(m_view.get());
    (void)QTest::qWaitForWindowActive(m_view.get());
}

QImage WindowHarness::grab() { return m_view->grab().toImage(); }

QImage WindowHarness::saveScreenshot(const QString& name)
{
    const QImage image = grab();
    const QDir folder(QCoreApplication::applicationDirPath() + QStringLiteral("/screenshots"));
    folder.mkpath(QStringLiteral("."));
    image.save(folder.filePath(name + QStringLiteral(".png")));
    return image;
}

namespace states {

AppModelState freshStart() { return AppModelState{}; }

AppModelState ready()
{
    AppModelState s;
    s.initialInspectionCompleted = true;
    CapabilityReport capability;
    capability.architecture = QStringLiteral("arm64");
    capability.rosettaInstalled = true;
    s.capability = capability;
    InstallInspection inspection;
    inspection.technicApp = std::filesystem::path("/Applications/TechnicLauncher.jar"); // asks the Java probe
    inspection.packSlug = QStringLiteral("tekkit-2");
    inspection.packVersion = QStringLiteral("1.2.6");
    inspection.isCertifiedPack = true;
    s.inspection = inspection;
    HandoffReadinessReport report;
    report.state = HandoffReadinessState::ready;
    report.setupKind = HandoffSetupKind::ready;
    report.canOpenTechnic = true;
    report.canApplyBalanced = true;
    report.canPlayInTechnic = true;
    report.balancedApplied = true;
    s.handoffReadiness = report;
    BackupManifest backup;
    backup.id = QStringLiteral("20261209-080000-overlay");
    backup.kind = BackupKind::preOverlay;
    s.backup = backup;
    s.status = QStringLiteral("Ready. Open official Technic, then press Play there.");
    return s;
}

AppModelState setupPending()
{
    AppModelState s = ready();
    s.capability->rosettaInstalled = false;
    s.handoffReadiness->state = HandoffReadinessState::blocked;
    s.handoffReadiness->setupKind = HandoffSetupKind::installRosetta;
    s.handoffReadiness->canOpenTechnic = false;
    s.handoffReadiness->canApplyBalanced = false;
    s.handoffReadiness->balancedApplied = false;
    s.handoffReadiness->requiredActions = {QStringLiteral("Install Rosetta 2, then check again.")};
    s.status = QStringLiteral("Rosetta 2 is required for Tekkit 2’s Intel-only game components.");
    return s;
}

AppModelState watching()
{
    AppModelState s = ready();
    s.busy = true;
    s.primaryActionInFlight = true;
    s.observingLaunch = true;
    s.providerOperationActive = true;
    s.liveLaunchEventStatus = QStringLiteral("Technic is ready for Play.");
    s.status = QStringLiteral("Opening official Technic.");
    return s;
}

AppModelState failure(const QString& message)
{
    AppModelState s = ready();
    s.errorMessage = message;
    s.status = message;
    return s;
}

} // namespace states

bool sameColour(QRgb pixel, const QColor& expected, int tolerance)
{
    return std::abs(qRed(pixel) - expected.red()) <= tolerance && std::abs(qGreen(pixel) - expected.green()) <= tolerance
        && std::abs(qBlue(pixel) - expected.blue()) <= tolerance;
}

QColor overBackground(const QColor& color)
{
    const QColor background = OrvaneTheme::background();
    const qreal a = color.alphaF();
    auto mix = [a](qreal top, qreal bottom) { return top * a + bottom * (1 - a); };
    return QColor::fromRgbF(float(mix(color.redF(), background.redF())), float(mix(color.greenF(), background.greenF())),
                            float(mix(color.blueF(), background.blueF())));
}

} // namespace orvane::test
