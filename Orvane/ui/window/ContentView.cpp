#include "ui/window/ContentView.h"

#include "model/AppModel.h"
#include "model/ModelGuidance.h"
#include "ui/theme/AmbientBackground.h"
#include "ui/theme/FittedLabel.h"
#include "ui/theme/OrvaneAccessibility.h"
#include "ui/theme/OrvaneKeyboardFocus.h"
#include "ui/theme/OrvaneKeyboardFocusKeeper.h"
#include "ui/theme/OrvaneTheme.h"
#include "ui/theme/OrvaneWordmark.h"
#include "ui/theme/PickaxeMotif.h"
#include "ui/theme/TextButton.h"
#include "ui/theme/UtilityButton.h"
#include "ui/window/ContentViewRules.h"
#include "ui/window/LaunchWatchCard.h"
#include "ui/window/PackButton.h"
#include "ui/window/PackMenu.h"
#include "ui/window/PrimaryButton.h"
#include "ui/window/ReadinessBadge.h"
#include "ui/window/ReadinessChips.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>

#include <algorithm>

namespace orvane {

namespace {

const QString restoreTitle = QStringLiteral("Restore the settings from before Balanced?");

// The launcher Java probe reads the disk; one refresh asks it at most once.
LauncherJavaProbe askedOnce(const LauncherJavaProbe& probe)
{
    auto answer = std::make_shared<std::optional<bool>>();
    return [probe, answer] {
        if (!*answer)
            *answer = probe && probe();
        return **answer;
    };
}

// Whether `control` shows its keyboard focus ring.
bool ringShown(const QWidget* control)
{
    const OrvaneKeyboardFocus* ring = control ? OrvaneKeyboardFocus::of(control) : nullptr;
    return ring && ring->ringShown();
}

} // namespace

ContentView::ContentView(AppModel& model, Seams seams, QWidget* parent)
    : QWidget(parent), m_model(model), m_seams(std::move(seams))
{
    installOrvaneAccessibility();
    if (!m_seams.accessibility)
        m_seams.accessibility = std::make_shared<EnvironmentAccessibilityPrefs>();
    if (!m_seams.announcer)
        m_seams.announcer = std::make_shared<AccessibleAnnouncer>(this);
    if (!m_seams.folderChooser)
        m_seams.folderChooser = std::make_shared<DialogFolderChooser>(m_model.seams().environment.home);
    m_accessibility = m_seams.accessibility->settings();
    setAccessibleName(QStringLiteral("Orvane"));
    build();
    // The announcement text starts as it is: only its changes are announced.
    m_announcementText = ContentViewRules::announcementText(m_model.state(), false, false);
    refresh();
    connect(&m_model, &AppModel::changed, this, &ContentView::refresh);
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive)
            applicationBecameActive();
    });
}

ContentView::~ContentView()
{
    if (m_keyWindow)
        m_keyWindow->removeEventFilter(this);
    // The menu is a popup of its own: close it while this view can still hear that it closed.
    if (m_packMenu) {
        m_packMenu->disconnect(this);
        delete m_packMenu.data();
    }
}

bool ContentView::showingPackMenu() const { return !m_packMenu.isNull(); }
bool ContentView::confirmingRestore() const { return !m_restoreConfirmation.isNull(); }
PackMenu* ContentView::packMenu() const { return m_packMenu.data(); }
QMessageBox* ContentView::restoreConfirmation() const { return m_restoreConfirmation.data(); }
QDialog* ContentView::detailsSheet() const { return m_detailsSheet.data(); }

void ContentView::setDetailsSheetFactory(DetailsSheetFactory factory) { m_detailsSheetFactory = std::move(factory); }

int ContentView::mainColumnWidth(int windowWidth) { return std::clamp(windowWidth - 2 * horizontalPadding, 400, 680); }

void ContentView::build()
{
    m_wordmark = new OrvaneWordmark(4, this);

    m_badge = new ReadinessBadge(this);

    m_detailsButton = new UtilityButton(OrvaneSymbol::ellipsis, this);
    m_detailsButton->setAccessibleName(QStringLiteral("Details"));
    m_detailsButton->setAccessibleDescription(QStringLiteral("Shows setup, diagnostics, and recovery tools"));
    m_detailsButton->setStyle({m_accessibility.reduceTransparency, m_accessibility.increasedContrast});
    connect(m_detailsButton, &QAbstractButton::clicked, this, &ContentView::showDetails);

    m_prompt = new QLabel(this);
    m_prompt->setTextFormat(Qt::PlainText);
    m_prompt->setText(QStringLiteral("$ orvane packs  ──  select ▮"));
    m_prompt->setFont(OrvaneTheme::tracked(OrvaneTheme::terminalFont(), promptTracking));
    QPalette promptPalette = m_prompt->palette();
    promptPalette.setColor(QPalette::WindowText, OrvaneTheme::textPrimary());
    m_prompt->setPalette(promptPalette);
    m_prompt->setAccessibleName(QStringLiteral("Select a modpack"));

    m_packButton = new PackButton(this);
    m_packButton->setAccessibleDescription(QStringLiteral("Choose an available modpack"));
    connect(m_packButton, &QAbstractButton::clicked, this, &ContentView::togglePackMenu);

    m_primaryButton = new PrimaryButton(this);
    m_primaryButton->setStyle({m_accessibility.reduceTransparency, m_accessibility.increasedContrast,
                               m_accessibility.reduceMotion});
    connect(m_primaryButton, &QAbstractButton::clicked, this, &ContentView::primaryPressed);

    m_watchCard = new LaunchWatchCard(this);
    m_watchCard->hide();
    connect(m_watchCard, &LaunchWatchCard::cancelRequested, this, [this] {
        m_seams.operations->cancelLaunchObservation();
    });

    m_subtitle = new FittedLabel(OrvaneTheme::labelFont(), subtitleTracking, subtitleMinimumScale, this);

    m_restoreButton = new TextButton(QStringLiteral("RESTORE"), OrvaneTheme::labelFont(), 1.5, this);
    m_restoreButton->setAccessibleName(QStringLiteral("Restore pre-Apply backup"));
    m_restoreButton->setColors(OrvaneTheme::textPrimary(),
                               ReadinessChips::inactiveColor(m_accessibility.increasedContrast));
    OrvaneKeyboardFocus::attach(m_restoreButton, 3);
    connect(m_restoreButton, &QAbstractButton::clicked, this, &ContentView::confirmRestore);

    m_chips = new ReadinessChips(this);

    // Return on a focused button presses that button (OrvaneKeyboardFocus); a Return no button took
    // reaches the window and is the primary action (eventFilter).
    m_focusKeeper = new OrvaneKeyboardFocusKeeper(this, [this] { return modelGuidance::workInFlight(m_model.state()); });

    setTabOrder(m_detailsButton, m_packButton);
    setTabOrder(m_packButton, m_primaryButton);
    setTabOrder(m_primaryButton, m_watchCard->cancelButton());
    setTabOrder(m_watchCard->cancelButton(), m_restoreButton);
}

void ContentView::refresh()
{
    const AppModelState& state = m_model.state();
    const LauncherJavaProbe probe = askedOnce(m_model.seams().launcherJavaReady);
    showBadgeAndPack(state, probe);
    showPrimaryAction(state);
    showPrimaryOrWatchCard(state.observingLaunch);
    showSubtitleAndRestore(state, probe);
    showChips(state, probe);

    layoutContent();
    m_focusKeeper->settle();

    const std::optional<QString> announcement =
        ContentViewRules::announcementText(state, m_showingDetails, showingPackMenu());
    if (announcement != m_announcementText) {
        m_announcementText = announcement;
        announceIfNeeded(announcement);
    }
}

// The primary button holds the focus while it is disabled; CANCEL takes it over when the card
// replaces the button, and hands it back when the button returns, with the ring when the focus
// had come from the keyboard. Who held the focus is read before the swap, and the focus moved after.
void ContentView::showPrimaryOrWatchCard(bool watching)
{
    TextButton* cancel = m_watchCard->cancelButton();
    QWidget* replaced = watching ? static_cast<QWidget*>(m_primaryButton) : cancel;
    const bool replacedHeld = m_focusKeeper->heldControl() == replaced;
    const bool replacedHadFocus = replaced->isVisible() && (replaced->hasFocus() || replacedHeld);
    const bool keyboardFocus = replacedHeld ? m_focusKeeper->heldByKeyboard() : ringShown(replaced);
    m_primaryButton->setVisible(!watching);
    m_watchCard->setVisible(watching);
    if (replacedHadFocus && watching && cancel->isVisible())
        cancel->setFocus(keyboardFocus ? Qt::TabFocusReason : Qt::OtherFocusReason);
    else if (replacedHadFocus && !watching)
        m_focusKeeper->returnFocus(m_primaryButton, nullptr, keyboardFocus);
}

void ContentView::announceIfNeeded(const std::optional<QString>& text)
{
    if (!text || m_showingDetails || showingPackMenu())
        return;
    if (m_lastAnnouncement != text) {
        m_lastAnnouncement = text;
        m_seams.announcer->announce(*text);
    }
    // What a closing menu or dialog held back is announced where the focus returns to, not at the
    // primary action.
    const AppModelState& state = m_model.state();
    if (!m_returningFocus && !state.busy && !state.observingLaunch && m_seams.announcer->screenReaderRunning()
        && m_primaryButton->isVisible())
        m_primaryButton->setFocus(Qt::OtherFocusReason);
}

void ContentView::layoutContent()
{
    const int w = width();
    const int h = height();

    // Header: wordmark at the left; badge and Details at the right.
    const int headerHeight = UtilityButton::side;
    const QSize mark = m_wordmark->sizeHint();
    m_wordmark->setGeometry(horizontalPadding, topPadding + (headerHeight - mark.height()) / 2, mark.width(),
                            mark.height());
    const int detailsLeft = w - horizontalPadding - UtilityButton::side;
    m_detailsButton->move(detailsLeft, topPadding);
    // The badge's widget reaches past its layout box by the glow's radius on every side.
    const QSize badge = m_badge->sizeHint();
    const int glow = ReadinessBadge::glowRadius;
    m_badge->setGeometry(detailsLeft - headerSpacing - badge.width() + glow,
                         topPadding + (headerHeight - badge.height()) / 2, badge.width(), badge.height());

    // Bottom row: RESTORE at the left, the chips at the right.
    const QSize restore = m_restoreButton->sizeHint();
    const QSize chips = m_chips->sizeHint();
    const int bottomHeight = std::max(restore.height(), chips.height());
    const int bottomTop = h - bottomPadding - bottomHeight;
    m_restoreButton->setGeometry(horizontalPadding, bottomTop + (bottomHeight - restore.height()) / 2, restore.width(),
                                 restore.height());
    m_chips->setGeometry(w - horizontalPadding - chips.width(), bottomTop + (bottomHeight - chips.height()) / 2,
                         chips.width(), chips.height());

    // Main column: centred, clamped width, halfway between header and bottom row, then 44 lower.
    const int columnWidth = mainColumnWidth(w);
    const int left = (w - columnWidth) / 2;
    const int promptHeight = m_prompt->sizeHint().height();
    const int packHeight = PackButton::minimumHeight;
    const int actionHeight = PrimaryButton::minimumHeight;
    const int subtitleHeight = m_subtitle->sizeHint().height();
    const int columnHeight = promptHeight + packHeight + actionHeight + subtitleHeight + 3 * columnSpacing;
    const int free = h - topPadding - bottomPadding - headerHeight - bottomHeight - columnHeight;
    const int spacer = std::max(minimumSpacer, free / 2);
    int y = topPadding + headerHeight + spacer + columnOffset;
    m_prompt->setGeometry(left, y, columnWidth, promptHeight);
    y += promptHeight + columnSpacing;
    m_packButton->setGeometry(left, y, columnWidth, packHeight);
    y += packHeight + columnSpacing;
    m_primaryButton->setGeometry(left, y, columnWidth, actionHeight);
    m_watchCard->setGeometry(left, y, columnWidth, actionHeight);
    y += actionHeight + columnSpacing;
    m_subtitle->setGeometry(left, y, columnWidth, subtitleHeight);
}

void ContentView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    AmbientBackground::paint(painter, rect(), m_accessibility.reduceTransparency);
    PickaxeMotif::paint(painter, rect(), m_accessibility.increasedContrast);
}

void ContentView::resizeEvent(QResizeEvent*) { layoutContent(); }

bool ContentView::focusNextPrevChild(bool next)
{
    if (const std::optional<bool> kept = m_focusKeeper->focusNextPrevChild(next))
        return *kept;
    return QWidget::focusNextPrevChild(next);
}

// The view may be a window's content: a key that no control took while nothing has the focus goes
// to that window, not through the view.
void ContentView::watchWindowKeys()
{
    QWidget* keyWindow = window() == this ? nullptr : window();
    if (m_keyWindow == keyWindow)
        return;
    if (m_keyWindow)
        m_keyWindow->removeEventFilter(this);
    m_keyWindow = keyWindow;
    if (m_keyWindow)
        m_keyWindow->installEventFilter(this);
}

bool ContentView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_keyWindow && event->type() == QEvent::KeyPress)
        return takeReturn(static_cast<QKeyEvent*>(event));
    return QWidget::eventFilter(watched, event);
}

void ContentView::keyPressEvent(QKeyEvent* event)
{
    if (!takeReturn(event))
        QWidget::keyPressEvent(event);
}

// A Return (or Enter) that no button took is the primary action.
bool ContentView::takeReturn(QKeyEvent* key)
{
    if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    if (!key->isAutoRepeat())
        returnPressed();
    key->accept();
    return true;
}

void ContentView::showEvent(QShowEvent*)
{
    watchWindowKeys();
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    m_seams.operations->performInitialInspection();
}

void ContentView::applicationBecameActive()
{
    if (m_model.state().initialInspectionCompleted && !m_model.state().busy)
        m_seams.operations->refreshReadiness();
}

void ContentView::showDetails()
{
    if (m_showingDetails || !m_detailsSheetFactory)
        return;
    QDialog* sheet = m_detailsSheetFactory(this);
    if (!sheet)
        return;
    m_showingDetails = true;
    m_detailsSheet = sheet;
    // The focus goes back where it was when the sheet opened, by Details or the primary action.
    QWidget* focused = QApplication::focusWidget();
    m_overlayOpener = isAncestorOf(focused) ? focused : m_detailsButton;
    m_overlayOpenedByKeyboard = m_overlayOpener == focused && ringShown(focused);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    sheet->setWindowModality(Qt::WindowModal);
    connect(sheet, &QDialog::finished, this, [this] {
        m_showingDetails = false;
        overlayClosed(m_overlayOpener, m_overlayOpenedByKeyboard);
    });
    sheet->open();
    refresh();
}

void ContentView::primaryPressed()
{
    if (modelGuidance::requiredSetupStep(m_model.state())) {
        showDetails();
        return;
    }
    m_seams.operations->performPrimaryAction();
}

void ContentView::returnPressed()
{
    if (m_primaryButton->isVisible() && m_primaryButton->isEnabled())
        m_primaryButton->click();
}

void ContentView::togglePackMenu()
{
    if (m_packMenu) {
        m_packMenu->close();
        return;
    }
    const AppModelState& state = m_model.state();
    QList<PackMenu::Entry> entries;
    for (const PackDescriptor& pack : state.availablePacks)
        entries.append({pack.id.rawValue(), pack.name, pack.version, pack.isAvailable() && !state.busy});
    const bool handoff = modelGuidance::selectedLaunchMode(state) == LaunchMode::companionHandoff;
    auto* menu = new PackMenu(entries, handoff, m_accessibility.increasedContrast, this);
    m_packMenu = menu;
    m_overlayOpenedByKeyboard = ringShown(m_packButton);
    // The menu closes before a choice's work starts, so its announcement is not held back.
    connect(menu, &PackMenu::closed, this, [this, menu] {
        if (m_packMenu == menu)
            m_packMenu = nullptr;
        overlayClosed(m_packButton, m_overlayOpenedByKeyboard);
    });
    connect(menu, &PackMenu::packChosen, this, [this](const QString& id) {
        if (const auto pack = PackID::fromRawValue(id))
            m_seams.operations->selectPack(*pack);
    });
    connect(menu, &PackMenu::chooseInstanceChosen, this, [this] { (void)chooseInstanceFolder(); });
    m_packButton->setMenu(menu);
    menu->popUp(m_packButton);
    refresh();
}

QCoro::Task<> ContentView::chooseInstanceFolder()
{
    QPointer<ContentView> self(this);
    const std::shared_ptr<FolderChooser> chooser = m_seams.folderChooser;
    const bool keyboard = ringShown(m_packButton) || m_overlayOpenedByKeyboard;
    const std::optional<std::filesystem::path> folder = co_await chooser->chooseFolder(
        this, QStringLiteral("Select a Tekkit 2 1.2.6 instance — the folder that contains bin/ and options.txt."),
        QStringLiteral("Use folder"));
    if (!self)
        co_return;
    // The chooser was opened from the pack menu, so from the pack button.
    self->m_focusKeeper->returnFocus(self->m_packButton, self->m_primaryButton, keyboard);
    if (folder)
        self->m_seams.operations->chooseInstanceFolder(*folder);
}

void ContentView::confirmRestore()
{
    if (m_restoreConfirmation)
        return;
    auto* box = new QMessageBox(this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    box->setIcon(QMessageBox::Warning);
    box->setTextFormat(Qt::PlainText);
    box->setWindowTitle(restoreTitle);
    box->setText(restoreTitle);
    box->setInformativeText(QStringLiteral(
        "This puts each setting Balanced changed back to its value in the verified snapshot taken before Balanced "
        "first took effect. Other settings and your worlds are not changed."));
    QPushButton* restore =
        box->addButton(QStringLiteral("Restore settings from before Balanced"), QMessageBox::DestructiveRole);
    QPushButton* cancel = box->addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    box->setDefaultButton(cancel);
    box->setEscapeButton(cancel);
    m_restoreConfirmation = box;
    const bool keyboard = ringShown(m_restoreButton);
    connect(box, &QDialog::finished, this, [this, box, restore, keyboard] {
        const bool confirmed = box->clickedButton() == restore;
        m_restoreConfirmation = nullptr;
        overlayClosed(m_restoreButton, keyboard);
        if (confirmed)
            m_seams.operations->restoreSettings();
    });
    box->open();
}

void ContentView::overlayClosed(QWidget* opener, bool keyboard)
{
    m_returningFocus = true;
    refresh();
    m_returningFocus = false;
    m_focusKeeper->returnFocus(opener, m_primaryButton, keyboard);
}

} // namespace orvane
