#include "ui/details/DetailsUpdatesSection.h"

#include "model/AppModel.h"
#include "ui/details/DetailsLook.h"
#include "ui/details/DetailsOperations.h"
#include "ui/theme/FlatButton.h"
#include "ui/theme/OrvaneTheme.h"

#include <QHBoxLayout>
#include <QLabel>

namespace orvane {

DetailsUpdatesSection::DetailsUpdatesSection(const AppModel& model, DetailsOperations& operations, bool increasedContrast,
                                             QWidget* parent)
    : DetailsSection(QStringLiteral("UPDATES"), increasedContrast, parent), m_model(model), m_operations(operations),
      m_increasedContrast(increasedContrast)
{
    auto* row = new QHBoxLayout;
    row->setSpacing(10);
    m_check = new FlatButton(QStringLiteral("Check for updates"), this);
    m_download = new FlatButton(QStringLiteral("Open download"), this);
    m_notes = new FlatButton(QStringLiteral("Release notes"), this);
    row->addWidget(m_check);
    row->addWidget(m_download);
    row->addWidget(m_notes);
    content()->addLayout(row);
    m_status = DetailsLook::text(QString(), DetailsLook::rowFont(), DetailsLook::secondaryColor(increasedContrast), this);
    content()->addWidget(m_status);

    connect(m_check, &QAbstractButton::clicked, this, [this] { m_operations.checkForUpdates(); });
    connect(m_download, &QAbstractButton::clicked, this, [this] {
        const auto& state = m_model.updateCheckState();
        if (state.kind() == UpdateCheckState::Case::available)
            Q_EMIT openRequested(state.manifest().downloadURL);
    });
    connect(m_notes, &QAbstractButton::clicked, this, [this] {
        const auto& state = m_model.updateCheckState();
        if (state.kind() == UpdateCheckState::Case::available && state.manifest().releaseNotesURL)
            Q_EMIT openRequested(*state.manifest().releaseNotesURL);
    });
    refresh();
}

void DetailsUpdatesSection::refresh()
{
    const auto& state = m_model.updateCheckState();
    m_check->setTitle(state.isChecking() ? QStringLiteral("Checking…") : QStringLiteral("Check for updates"));
    m_check->setEnabled(!state.isChecking());
    const bool available = state.kind() == UpdateCheckState::Case::available;
    m_download->setVisible(available);
    m_notes->setVisible(available && state.manifest().releaseNotesURL.has_value());
    m_status->setText(state.statusText());
    DetailsLook::setTextColor(*m_status, state.isFailed() ? OrvaneTheme::amber() : DetailsLook::secondaryColor(m_increasedContrast));
}

} // namespace orvane
