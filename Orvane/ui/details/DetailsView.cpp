#include "ui/details/DetailsView.h"

#include "model/AppModel.h"
#include "model/ModelGuidance.h"
#include "ui/details/DetailsAboutSection.h"
#include "ui/details/DetailsBackupsSection.h"
#include "ui/details/DetailsDiagnosticSection.h"
#include "ui/details/DetailsInstallSection.h"
#include "ui/details/DetailsMacSection.h"
#include "ui/details/DetailsOperations.h"
#include "ui/details/DetailsResultWatch.h"
#include "ui/details/DetailsSetupSection.h"
#include "ui/details/DetailsStatusSection.h"
#include "ui/details/DetailsTask.h"
#include "ui/details/DetailsToolsSection.h"
#include "ui/details/DetailsUpdatesSection.h"
#include "ui/details/DetailsWarningsSection.h"
#include "ui/details/HeadingLabel.h"
#include "ui/theme/OrvaneKeyboardFocus.h"
#include "ui/theme/OrvaneKeyboardFocusKeeper.h"
#include "ui/theme/OrvaneTheme.h"
#include "ui/theme/TerminalDivider.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace orvane {

DetailsView::DetailsView(const AppModel& model, std::shared_ptr<DetailsOperations> operations, DetailsServices services,
                         AccessibilitySettings look, QWidget* parent)
    : QDialog(parent), m_model(model),
      m_results(new DetailsResultWatch(std::move(operations), [this] { return working(); }, this)),
      m_operations(m_results->operations()), m_services(std::move(services)),
      m_focusKeeper(new OrvaneKeyboardFocusKeeper(this, [this] { return working(); }))
{
    const bool contrast = look.increasedContrast;
    setWindowTitle(QStringLiteral("Details"));
    setWindowModality(Qt::WindowModal);
    setMinimumSize(minimumWidth, minimumHeight);
    resize(idealWidth, idealHeight);
    QPalette palette = OrvaneTheme::palette();
    palette.setColor(QPalette::Window, OrvaneTheme::background());
    palette.setColor(QPalette::WindowText, OrvaneTheme::textPrimary());
    setPalette(palette);
    setAutoFillBackground(true);

    auto* sheet = new QVBoxLayout(this);
    sheet->setContentsMargins(0, 0, 0, 0);
    sheet->setSpacing(0);

    auto* header = new QHBoxLayout;
    header->setContentsMargins(24, 24, 24, 24);
    m_title = new HeadingLabel(QStringLiteral("DETAILS"), OrvaneTheme::tracked(OrvaneTheme::monospaced(15, QFont::DemiBold), 1.8),
                               OrvaneTheme::textPrimary(), this);
    m_done = new QPushButton(this);
    m_done->setText(QStringLiteral("Done"));
    m_done->setAutoDefault(false);
    OrvaneKeyboardFocus::attach(m_done, 6);
    connect(m_done, &QPushButton::clicked, this, &QDialog::accept); // Escape rejects, which closes the same way
    header->addWidget(m_title);
    header->addStretch(1);
    header->addWidget(m_done);
    sheet->addLayout(header);
    sheet->addWidget(new TerminalDivider(this));

    m_scroll = new QScrollArea(this);
    m_scroll->setWidgetResizable(true);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // No Tab stop of its own: the keyboard scrolls by moving the focus (focusChanged).
    m_scroll->setFocusPolicy(Qt::NoFocus);
    m_scroll->setAccessibleName(QStringLiteral("Details"));
    auto* page = new QWidget(m_scroll);
    page->setAutoFillBackground(false);
    m_scroll->viewport()->setAutoFillBackground(false);
    m_scroll->setWidget(page);
    sheet->addWidget(m_scroll, 1);

    auto* sections = new QVBoxLayout(page);
    sections->setContentsMargins(24, 24, 24, 24);
    sections->setSpacing(24);
    m_status = new DetailsStatusSection(m_model, contrast, page);
    m_install = new DetailsInstallSection(m_model, contrast, page);
    m_warnings = new DetailsWarningsSection(m_model, contrast, page);
    m_mac = new DetailsMacSection(m_model, contrast, page);
    m_setup = new DetailsSetupSection(m_model, *m_operations, contrast, page);
    m_tools = new DetailsToolsSection(m_model, *m_operations, contrast, page);
    m_diagnostic = new DetailsDiagnosticSection(m_model, m_services, contrast, page);
    m_backups = new DetailsBackupsSection(m_model, contrast, page);
    m_updates = new DetailsUpdatesSection(m_model, *m_operations, contrast, page);
    m_about = new DetailsAboutSection(m_model.seams().bundle, contrast, page);
    for (QWidget* section : std::initializer_list<QWidget*>{m_status, m_install, m_warnings, m_mac, m_setup, m_tools,
                                                            m_diagnostic, m_backups, m_updates, m_about})
        sections->addWidget(section);
    sections->addStretch(1);
    if (!m_services.announcer)
        m_services.announcer = std::make_shared<AccessibleAnnouncer>(this);
    m_results->watch(m_scroll, {m_status->statusLabel(), m_updates->statusLabel(), m_diagnostic->feedbackLabel()},
                     m_services.announcer);

    connect(m_setup, &DetailsSetupSection::linkActivated, this, &DetailsView::openSetupLink);
    connect(m_setup, &DetailsSetupSection::chooseInstanceRequested, this, [this] { startTask(chooseInstanceFolder()); });
    connect(m_tools, &DetailsToolsSection::chooseFolderRequested, this, [this] { startTask(chooseInstanceFolder()); });
    connect(m_tools, &DetailsToolsSection::restoreSettingsRequested, this, &DetailsView::confirmRestoreSettings);
    connect(m_tools, &DetailsToolsSection::restoreWorldsRequested, this, &DetailsView::confirmRestoreWorlds);
    connect(m_updates, &DetailsUpdatesSection::openRequested, this, &DetailsView::openAddress);
    connect(m_diagnostic, &DetailsDiagnosticSection::folderNotOpened, this,
            [this](const QUrl& folder) { m_operations->reportNotOpened(folder); });
    connect(m_diagnostic, &DetailsDiagnosticSection::feedbackShown, this,
            [this] { m_results->showNow(m_diagnostic->feedbackLabel()); });
    connect(&m_model, &AppModel::changed, this, &DetailsView::refresh);
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        connect(app, &QGuiApplication::applicationStateChanged, this, &DetailsView::applicationStateChanged);
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()))
        m_focusWatch = connect(app, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { focusChanged(now); });
}

DetailsView::~DetailsView() { disconnect(m_focusWatch); }

bool DetailsView::working() const { return modelGuidance::workInFlight(m_model.state()); }

bool DetailsView::focusNextPrevChild(bool next)
{
    if (const std::optional<bool> kept = m_focusKeeper->focusNextPrevChild(next))
        return *kept;
    return QDialog::focusNextPrevChild(next);
}

// Whatever moved the focus (Tab, a returning busy tool, a screen reader), the focused control is
// scrolled into view with its ring.
void DetailsView::focusChanged(QWidget* now)
{
    if (now && m_scroll->widget()->isAncestorOf(now)) {
        const int room = int(OrvaneKeyboardFocus::outset + OrvaneKeyboardFocus::lineWidth) + 8;
        m_scroll->ensureWidgetVisible(now, room, room);
    }
}

void DetailsView::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_appeared)
        return;
    m_appeared = true;
    m_operations->refreshReadiness();
}

void DetailsView::refresh()
{
    m_status->refresh();
    m_install->refresh();
    m_warnings->refresh();
    m_mac->refresh();
    m_setup->refresh();
    m_tools->refresh();
    m_diagnostic->refresh();
    m_backups->refresh();
    m_updates->refresh();
    m_focusKeeper->settle();
    m_results->settle();
}

void DetailsView::openSetupLink(const QString& address)
{
    const QUrl url(address, QUrl::StrictMode);
    if (address.isEmpty() || !url.isValid() || url.isRelative())
        return;
    // Set before the page opens, so that coming back rechecks whatever the browser did.
    m_recheckSetupOnForeground = true;
    openAddress(url);
}

void DetailsView::openAddress(const QUrl& url)
{
    if (!m_services.urls->open(url))
        m_operations->reportNotOpened(url);
}

void DetailsView::applicationStateChanged(Qt::ApplicationState state)
{
    if (state != Qt::ApplicationActive || !m_recheckSetupOnForeground)
        return;
    m_recheckSetupOnForeground = false; // cleared first: one activation, one recheck
    m_operations->performInitialInspection();
}

QMessageBox* DetailsView::confirm(const QString& title, const QString& message, const QString& action)
{
    delete m_confirmation;
    auto* box = new QMessageBox(this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    box->setIcon(QMessageBox::Warning);
    box->setTextFormat(Qt::PlainText);
    box->setWindowTitle(title);
    box->setText(title);
    box->setInformativeText(message);
    box->addButton(action, QMessageBox::DestructiveRole);
    box->setDefaultButton(box->addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole));
    m_confirmation = box;
    return box;
}

void DetailsView::confirmRestoreSettings()
{
    QMessageBox* box = confirm(QStringLiteral("Restore pre-Apply settings?"),
                               QStringLiteral("Restore the settings Balanced changed from the verified snapshot taken "
                                              "before it first took effect? Other settings and worlds are not "
                                              "changed."),
                               QStringLiteral("Restore pre-Apply snapshot"));
    connect(box, &QMessageBox::buttonClicked, this, [this, box](QAbstractButton* button) {
        if (box->buttonRole(button) == QMessageBox::DestructiveRole)
            m_operations->restoreSettings();
    });
    box->open();
}

void DetailsView::confirmRestoreWorlds()
{
    QMessageBox* box = confirm(QStringLiteral("Restore worlds?"), m_model.worldRestorePrompt(),
                               QStringLiteral("Restore world backup"));
    connect(box, &QMessageBox::buttonClicked, this, [this, box](QAbstractButton* button) {
        if (box->buttonRole(button) == QMessageBox::DestructiveRole)
            m_operations->restoreWorlds();
    });
    box->open();
}

QCoro::Task<> DetailsView::chooseInstanceFolder()
{
    // Kept by the coroutine: the sheet may close while the chooser is open.
    const auto operations = m_operations;
    const auto chooser = m_services.folders;
    const auto folder = co_await chooser->chooseFolder(this, QStringLiteral("Choose the installed Tekkit 2 1.2.6 instance folder."),
                                                       QStringLiteral("Use instance"));
    if (folder)
        operations->chooseInstanceFolder(*folder);
}

} // namespace orvane
