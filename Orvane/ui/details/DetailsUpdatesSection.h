#pragma once

#include "ui/details/DetailsSection.h"

#include <QUrl>

class QLabel;

namespace orvane {

class AppModel;
class DetailsOperations;
class FlatButton;

// UPDATES: the only place a update check starts, its state's line, and the found release's
// download and notes. Nothing here checks on its own.
class DetailsUpdatesSection final : public DetailsSection {
    Q_OBJECT

public:
    DetailsUpdatesSection(const AppModel& model, DetailsOperations& operations, bool increasedContrast, QWidget* parent);

    void refresh();
    FlatButton* checkButton() const { return m_check; }
    FlatButton* downloadButton() const { return m_download; }
    FlatButton* releaseNotesButton() const { return m_notes; }
    QLabel* statusLabel() const { return m_status; }

Q_SIGNALS:
    void openRequested(const QUrl& url);

private:
    const AppModel& m_model;
    DetailsOperations& m_operations;
    bool m_increasedContrast;
    FlatButton* m_check;
    FlatButton* m_download;
    FlatButton* m_notes;
    QLabel* m_status;
};

} // namespace orvane
