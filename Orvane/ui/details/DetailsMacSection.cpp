#include "ui/details/DetailsMacSection.h"

#include "model/AppModel.h"
#include "ui/details/DetailRowList.h"
#include "ui/details/MacDetails.h"

namespace orvane {

DetailsMacSection::DetailsMacSection(const AppModel& model, bool increasedContrast, QWidget* parent)
    : DetailsSection(QStringLiteral("THIS MAC"), increasedContrast, parent), m_model(model)
{
    m_rows = new DetailRowList(increasedContrast, spacing, this);
    content()->addWidget(m_rows);
    refresh();
}

void DetailsMacSection::refresh()
{
    m_rows->setRows(MacDetails::rows(m_model.capability(), m_model.launcherJavaReady(),
                                     m_model.seams().environment.hostArchitecture));
}

} // namespace orvane
