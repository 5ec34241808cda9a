#pragma once

#include "model/AppModel.h"
#include "ui/desktop/FolderChooser.h"
#include "ui/theme/AccessibilityPrefs.h"
#include "ui/desktop/Announcer.h"
#include "ui/window/ContentView.h"
#include "ui/window/WindowOperations.h"

#include <QImage>
#include <QStringList>

#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

class QAccessibleInterface;

namespace orvane::test {

// Every element of the accessible tree under `element`, visible ones only, in tree order.
std::vector<QAccessibleInterface*> visibleAccessibleElements(QAccessibleInterface* element);

// Records which operations the window started, in order.
class RecordingOperations final : public WindowOperations {
public:
    QStringList calls;
    std::optional<PackID> selectedPack;
    std::optional<std::filesystem::path> chosenFolder;

    void performInitialInspection() override { calls << QStringLiteral("performInitialInspection"); }
    void refreshReadiness() override { calls << QStringLiteral("refreshReadiness"); }
    void selectPack(const PackID& id) override
    {
        calls << QStringLiteral("selectPack");
        selectedPack = id;
    }
    void chooseInstanceFolder(const std::filesystem::path& folder) override
    {
        calls << QStringLiteral("chooseInstanceFolder");
        chosenFolder = folder;
    }
    void performPrimaryAction() override { calls << QStringLiteral("performPrimaryAction"); }
    void cancelLaunchObservation() override { calls << QStringLiteral("cancelLaunchObservation"); }
    void restoreSettings() override { calls << QStringLiteral("restoreSettings"); }
};

class RecordingAnnouncer final : public Announcer {
public:
    QStringList announced;
    bool running = false;

    void announce(const QString& text) override { announced << text; }
    bool screenReaderRunning() const override { return running; }
};

// Answers at once with `answer` (nothing: the user cancelled) and remembers how it was asked.
class AnsweringFolderChooser final : public FolderChooser {
public:
    std::optional<std::filesystem::path> answer;
    int shown = 0;
    QString message;
    QString acceptLabel;

    QCoro::Task<std::optional<std::filesystem::path>> chooseFolder(QWidget*, QString message,
                                                                   QString acceptLabel) override
    {
        ++shown;
        this->message = message;
        this->acceptLabel = acceptLabel;
        co_return answer;
    }
};

// A shown main view over a model with a fake session, its seams recorded.
class WindowHarness {
public:
    explicit WindowHarness(QSize size = {1020, 800}, AccessibilitySettings accessibility = {}, bool javaReady = true);
    ~WindowHarness();

    AppModel& model() { return *m_model; }
    ContentView& view() { return *m_view; }
    RecordingOperations& operations() { return *m_operations; }
    RecordingAnnouncer& announcer() { return *m_announcer; }
    AnsweringFolderChooser& chooser() { return *m_chooser; }

    // Sets the model's whole state and lets the view catch up.
    void setState(const AppModelState& state);
    // Makes the view the active window, so window shortcuts (Return) reach it.
    void activate();
    QImage grab();
    // Writes the current rendering to <build>/tests/screenshots/<name>.png and returns the image.
    QImage saveScreenshot(const QString& name);

private:
    std::unique_ptr<AppModel> m_model;
    std::shared_ptr<RecordingOperations> m_operations;
    std::shared_ptr<RecordingAnnouncer> m_announcer;
    std::shared_ptr<AnsweringFolderChooser> m_chooser;
    std::unique_ptr<ContentView> m_view;
};

// Model states the window is shown in.
namespace states {
AppModelState freshStart();
// After the first inspection: certified Tekkit 2, an arm64 Mac with Rosetta, a ready launcher Java,
// Balanced applied and a settings backup.
AppModelState ready();
// As ready, but the Mac lacks Rosetta 2 and the readiness report asks to install it.
AppModelState setupPending();
// The primary action watching Technic start, with a live event and CANCEL available.
AppModelState watching();
// As ready, with the primary action's error in the error line.
AppModelState failure(const QString& message = QStringLiteral("Orvane refused to apply the overlay: Quit Technic and Minecraft first."));
} // namespace states

// Colour helpers for pixel checks.
bool sameColour(QRgb pixel, const QColor& expected, int tolerance = 3);
// `color` drawn over the window background.
QColor overBackground(const QColor& color);

} // namespace orvane::test
