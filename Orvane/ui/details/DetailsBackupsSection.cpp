#include "ui/details/DetailsBackupsSection.h"

#include "model/AppModel.h"
#include "ui/details/BackupDetails.h"
#include "ui/details/DetailRowList.h"
#include "ui/details/DetailsLook.h"
#include "ui/theme/OrvaneTheme.h"

namespace orvane {

DetailsBackupsSection::DetailsBackupsSection(const AppModel& model, bool increasedContrast, QWidget* parent)
    : DetailsSection(QStringLiteral("LATEST BACKUPS"), increasedContrast, parent), m_model(model)
{
    m_rows = new DetailRowList(increasedContrast, spacing, this);
    content()->addWidget(m_rows);
    content()->addWidget(DetailsLook::text(QStringLiteral("Only backups for the selected Tekkit 2 instance are shown."),
                                           OrvaneTheme::labelFont(), DetailsLook::secondaryColor(increasedContrast), this));
    refresh();
}

void DetailsBackupsSection::refresh()
{
    setVisible(m_model.backup() || m_model.savesBackup());
    m_rows->setRows(BackupDetails::rows(m_model.backup(), m_model.savesBackup()));
}

} // namespace orvane
