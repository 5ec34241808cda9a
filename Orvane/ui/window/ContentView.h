#pragma once

#include "app/AppSeams.h"
#include "ui/desktop/FolderChooser.h"
#include "ui/theme/AccessibilityPrefs.h"
#include "ui/desktop/Announcer.h"
#include "ui/window/WindowOperations.h"

#include <QCoro/QCoroTask>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QDialog;
class QKeyEvent;
class QLabel;
class QMessageBox;

namespace orvane {

class AppModel;
struct AppModelState;
class FittedLabel;
class LaunchWatchCard;
class OrvaneKeyboardFocusKeeper;
class OrvaneWordmark;
class PackButton;
class PackMenu;
class PrimaryButton;
class ReadinessBadge;
class ReadinessChips;
class TextButton;
class UtilityButton;

// The main window's one view: the header (wordmark, readiness badge, Details), the main column
// (prompt line, pack button, primary card, subtitle) and the bottom row (RESTORE, readiness chips),
// over the ambient background and the pickaxe motif. It reads the model, starts its operations and
// announces status changes; it never changes files itself.
class ContentView final : public QWidget {
    Q_OBJECT

public:
    static constexpr int horizontalPadding = 44;
    static constexpr int topPadding = 34;
    static constexpr int bottomPadding = 30;
    static constexpr int minimumSpacer = 28;
    static constexpr int headerSpacing = 20;
    static constexpr int columnSpacing = 30;
    static constexpr int columnOffset = 44;
    static constexpr qreal promptTracking = 0.8;
    static constexpr qreal subtitleTracking = 0.8;
    static constexpr qreal subtitleMinimumScale = 0.72;

    struct Seams {
        std::shared_ptr<WindowOperations> operations; // required
        std::shared_ptr<AccessibilityPrefs> accessibility; // default: the environment variables
        std::shared_ptr<Announcer> announcer;              // default: accessible announcements on this view
        std::shared_ptr<FolderChooser> folderChooser;      // default: the folder dialog
    };

    // Makes the details sheet each time it is shown, parented to the given widget; the view opens it
    // window-modal and notices when it closes.
    using DetailsSheetFactory = std::function<QDialog*(QWidget* parent)>;

    ContentView(AppModel& model, Seams seams, QWidget* parent = nullptr);
    ~ContentView() override;

    void setDetailsSheetFactory(DetailsSheetFactory factory);

    // The main column's width for a window `windowWidth` wide: W − 88 clamped to 400…680.
    static int mainColumnWidth(int windowWidth);

    // View state.
    bool showingDetails() const { return m_showingDetails; }
    bool showingPackMenu() const;
    bool confirmingRestore() const;

    // What the Details button and the primary button (with a setup step pending) do.
    void showDetails();
    // The application became active again: refreshes readiness after the first inspection, when idle.
    void applicationBecameActive();
    // Shows the folder chooser and hands a chosen folder to the model.
    QCoro::Task<> chooseInstanceFolder();

    // The parts, for the details sheet's neighbours and for tests.
    OrvaneWordmark* wordmark() const { return m_wordmark; }
    ReadinessBadge* badge() const { return m_badge; }
    UtilityButton* detailsButton() const { return m_detailsButton; }
    QLabel* promptLine() const { return m_prompt; }
    PackButton* packButton() const { return m_packButton; }
    PackMenu* packMenu() const;
    PrimaryButton* primaryButton() const { return m_primaryButton; }
    LaunchWatchCard* watchCard() const { return m_watchCard; }
    FittedLabel* subtitle() const { return m_subtitle; }
    TextButton* restoreButton() const { return m_restoreButton; }
    ReadinessChips* chips() const { return m_chips; }
    QMessageBox* restoreConfirmation() const;
    QDialog* detailsSheet() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void build();
    void refresh();
    // The steps of refresh(), in its order (ContentViewRefresh.cpp holds the looks).
    void showBadgeAndPack(const AppModelState& state, const LauncherJavaProbe& probe);
    void showPrimaryAction(const AppModelState& state);
    void showPrimaryOrWatchCard(bool watching);
    void showSubtitleAndRestore(const AppModelState& state, const LauncherJavaProbe& probe);
    void showChips(const AppModelState& state, const LauncherJavaProbe& probe);
    void layoutContent();
    void announceIfNeeded(const std::optional<QString>& text);
    void primaryPressed();
    void returnPressed();
    void watchWindowKeys();
    bool takeReturn(QKeyEvent* key);
    void togglePackMenu();
    void confirmRestore();
    // A menu, dialog or chooser opened from `opener` has closed: what it held back is announced and
    // the focus goes back to `opener`, or to the primary action when `opener` cannot take it.
    void overlayClosed(QWidget* opener, bool keyboard);

    AppModel& m_model;
    Seams m_seams;
    DetailsSheetFactory m_detailsSheetFactory;
    AccessibilitySettings m_accessibility;

    OrvaneWordmark* m_wordmark = nullptr;
    ReadinessBadge* m_badge = nullptr;
    UtilityButton* m_detailsButton = nullptr;
    QLabel* m_prompt = nullptr;
    PackButton* m_packButton = nullptr;
    PrimaryButton* m_primaryButton = nullptr;
    LaunchWatchCard* m_watchCard = nullptr;
    FittedLabel* m_subtitle = nullptr;
    TextButton* m_restoreButton = nullptr;
    ReadinessChips* m_chips = nullptr;
    OrvaneKeyboardFocusKeeper* m_focusKeeper = nullptr;
    QPointer<QWidget> m_keyWindow; // the window whose unclaimed Return is the primary action

    QPointer<PackMenu> m_packMenu;
    QPointer<QMessageBox> m_restoreConfirmation;
    QPointer<QDialog> m_detailsSheet;
    QPointer<QWidget> m_overlayOpener; // the control that had the focus when the sheet opened
    bool m_overlayOpenedByKeyboard = false; // the sheet or the menu opened with the opener's ring showing
    bool m_returningFocus = false;
    bool m_showingDetails = false;
    bool m_shownOnce = false;
    std::optional<QString> m_announcementText;
    std::optional<QString> m_lastAnnouncement;
};

} // namespace orvane
