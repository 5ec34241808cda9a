#include "ui/details/DetailsDiagnosticSection.h"

#include "model/AppModel.h"
#include "ui/details/DetailsLook.h"
#include "ui/details/ReportCopy.h"
#include "ui/theme/FlatButton.h"
#include "ui/theme/OrvaneTheme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>

namespace orvane {

DetailsDiagnosticSection::DetailsDiagnosticSection(const AppModel& model, DetailsServices services,
                                                   bool increasedContrast, QWidget* parent)
    : DetailsSection(QStringLiteral("DIAGNOSTIC"), increasedContrast, parent), m_model(model),
      m_services(std::move(services))
{
    auto* row = new QHBoxLayout;
    row->setSpacing(10);
    m_reveal = new FlatButton(QStringLiteral("Reveal report"), this);
    m_copy = new FlatButton(QStringLiteral("Copy report"), this);
    row->addWidget(m_reveal);
    row->addWidget(m_copy);
    content()->addLayout(row);
    connect(m_reveal, &QAbstractButton::clicked, this, &DetailsDiagnosticSection::revealReport);
    connect(m_copy, &QAbstractButton::clicked, this, &DetailsDiagnosticSection::copyReport);

    m_feedbackLabel = DetailsLook::text(QString(), OrvaneTheme::labelFont(), DetailsLook::secondaryColor(increasedContrast), this);
    m_feedbackLabel->hide();
    content()->addWidget(m_feedbackLabel);
    m_preview = DetailsLook::text(QString(), OrvaneTheme::monospaced(11), OrvaneTheme::textPrimary(), this, true);
    content()->addWidget(m_preview);
    refresh();
}

void DetailsDiagnosticSection::refresh()
{
    const bool shown = m_model.diagnosticPreview() && m_model.diagnosticURL();
    setVisible(shown);
    m_preview->setText(m_model.diagnosticPreview().value_or(QString()));
}

void DetailsDiagnosticSection::revealReport()
{
    const auto& report = m_model.diagnosticURL();
    if (!report)
        return;
    // The file manager's answer may come after the sheet has closed.
    m_services.revealer->reveal(*report, [self = QPointer<DetailsDiagnosticSection>(this)](const QUrl& folder) {
        if (self)
            Q_EMIT self->folderNotOpened(folder);
    });
}

void DetailsDiagnosticSection::copyReport()
{
    const auto& report = m_model.diagnosticURL();
    const QString preview = m_model.diagnosticPreview().value_or(QString());
    const QString text = report ? ReportCopy::text(*m_services.files, *report, preview) : preview;
    m_feedback = m_services.clipboard->putText(text) ? QStringLiteral("Report copied.")
                                                     : QStringLiteral("Could not copy the report.");
    m_feedbackLabel->setText(*m_feedback);
    m_feedbackLabel->show();
    Q_EMIT feedbackShown();
}

} // namespace orvane
