#pragma once

#include "ui/desktop/DetailsServices.h"
#include "ui/details/DetailsSection.h"

#include <QUrl>

#include <optional>

class QLabel;

namespace orvane {

class AppModel;
class FlatButton;

// DIAGNOSTIC: the last redacted report, with Reveal report and Copy report. Shown only while the
// model has both the report's text and its file.
class DetailsDiagnosticSection final : public DetailsSection {
    Q_OBJECT

public:
    DetailsDiagnosticSection(const AppModel& model, DetailsServices services, bool increasedContrast, QWidget* parent);

    void refresh();
    // Shows the report file in the file manager; folderNotOpened follows when nothing would show it.
    void revealReport();
    // Puts the report file's text on the clipboard, or the preview shown when the file cannot be
    // read, and says whether the clipboard took it.
    void copyReport();

    const std::optional<QString>& feedback() const { return m_feedback; }
    FlatButton* revealButton() const { return m_reveal; }
    FlatButton* copyButton() const { return m_copy; }
    QLabel* feedbackLabel() const { return m_feedbackLabel; }
    QLabel* previewLabel() const { return m_preview; }

Q_SIGNALS:
    void folderNotOpened(const QUrl& folder);
    // Copy report has put its feedback line up.
    void feedbackShown();

private:
    const AppModel& m_model;
    DetailsServices m_services;
    std::optional<QString> m_feedback; // kept while the sheet is open, whatever report comes next
    FlatButton* m_reveal;
    FlatButton* m_copy;
    QLabel* m_feedbackLabel;
    QLabel* m_preview;
};

} // namespace orvane
