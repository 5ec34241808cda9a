#pragma once

#include "ui/desktop/DetailsServices.h"
#include "ui/theme/AccessibilityPrefs.h"

#include <qcoro/qcorotask.h>

#include <QDialog>
#include <QMessageBox>
#include <QPointer>

#include <memory>

class QPushButton;
class QScrollArea;

namespace orvane {

class AppModel;
class DetailsOperations;
class DetailsResultWatch;
class DetailsAboutSection;
class DetailsBackupsSection;
class DetailsDiagnosticSection;
class DetailsInstallSection;
class DetailsMacSection;
class DetailsSetupSection;
class DetailsStatusSection;
class DetailsToolsSection;
class DetailsUpdatesSection;
class DetailsWarningsSection;
class HeadingLabel;
class OrvaneKeyboardFocusKeeper;

// The details sheet: everything Orvane knows about the install and every tool, in a scrolling,
// window-modal dialog over the main window. It is made anew each time it is shown, so its own state
// (the pending foreground recheck, the copy feedback, the confirmations) starts fresh; Done and
// Escape close it. It reads the model and starts the model's operations, never awaiting them.
class DetailsView final : public QDialog {
    Q_OBJECT

public:
    static constexpr int minimumWidth = 540;
    static constexpr int idealWidth = 720;
    static constexpr int minimumHeight = 520;
    static constexpr int idealHeight = 680;

    DetailsView(const AppModel& model, std::shared_ptr<DetailsOperations> operations, DetailsServices services,
                AccessibilitySettings look, QWidget* parent);
    ~DetailsView() override;

    // Opens a setup checklist page: remembers to recheck when Orvane becomes active again, then hands
    // the page over. An address that is no URL opens nothing and changes nothing.
    void openSetupLink(const QString& address);
    // Hands a page to the desktop; when nothing takes it, the status line gives its address instead.
    void openAddress(const QUrl& url);
    bool recheckSetupOnForeground() const { return m_recheckSetupOnForeground; }
    // The application's activation changed: back from a setup page, the full inspection runs once.
    void applicationStateChanged(Qt::ApplicationState state);

    // Asks before restoring; the dialogs are window-modal over the sheet.
    void confirmRestoreSettings();
    void confirmRestoreWorlds();
    QMessageBox* openConfirmation() const { return m_confirmation.data(); }

    // Runs the folder chooser and hands a chosen folder to the model.
    QCoro::Task<> chooseInstanceFolder();

    HeadingLabel* titleLabel() const { return m_title; }
    QPushButton* doneButton() const { return m_done; }
    QScrollArea* scrollArea() const { return m_scroll; }
    DetailsStatusSection* statusSection() const { return m_status; }
    DetailsInstallSection* installSection() const { return m_install; }
    DetailsWarningsSection* warningsSection() const { return m_warnings; }
    DetailsMacSection* macSection() const { return m_mac; }
    DetailsSetupSection* setupSection() const { return m_setup; }
    DetailsToolsSection* toolsSection() const { return m_tools; }
    DetailsDiagnosticSection* diagnosticSection() const { return m_diagnostic; }
    DetailsBackupsSection* backupsSection() const { return m_backups; }
    DetailsUpdatesSection* updatesSection() const { return m_updates; }
    DetailsAboutSection* aboutSection() const { return m_about; }

protected:
    bool focusNextPrevChild(bool next) override;
    void showEvent(QShowEvent* event) override;

private:
    void refresh();
    // Whether the model runs work that disabled the tools and will enable them again.
    bool working() const;
    void focusChanged(QWidget* now);
    QMessageBox* confirm(const QString& title, const QString& message, const QString& action);

    const AppModel& m_model;
    DetailsResultWatch* m_results;
    std::shared_ptr<DetailsOperations> m_operations; // the watched ones
    DetailsServices m_services;
    bool m_recheckSetupOnForeground = false;
    bool m_appeared = false;
    QPointer<QMessageBox> m_confirmation; // cleared when the dialog closes and deletes itself
    OrvaneKeyboardFocusKeeper* m_focusKeeper;
    QMetaObject::Connection m_focusWatch; // cut before the dialog's own teardown moves the focus

    HeadingLabel* m_title;
    QPushButton* m_done;
    QScrollArea* m_scroll;
    DetailsStatusSection* m_status;
    DetailsInstallSection* m_install;
    DetailsWarningsSection* m_warnings;
    DetailsMacSection* m_mac;
    DetailsSetupSection* m_setup;
    DetailsToolsSection* m_tools;
    DetailsDiagnosticSection* m_diagnostic;
    DetailsBackupsSection* m_backups;
    DetailsUpdatesSection* m_updates;
    DetailsAboutSection* m_about;
};

} // namespace orvane
