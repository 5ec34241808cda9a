#include "ui/details/DetailsStatusSection.h"

#include "model/AppModel.h"
#include "ui/details/DetailsLook.h"
#include "ui/theme/OrvaneTheme.h"

namespace orvane {

DetailsStatusSection::DetailsStatusSection(const AppModel& model, bool increasedContrast, QWidget* parent)
    : DetailsSection(QStringLiteral("STATUS"), increasedContrast, parent), m_model(model)
{
    m_status = DetailsLook::text(QString(), OrvaneTheme::bodyFont(), OrvaneTheme::textPrimary(), this, true);
    content()->addWidget(m_status);
    refresh();
}

void DetailsStatusSection::refresh()
{
    m_status->setText(m_model.status());
    DetailsLook::setTextColor(*m_status, m_model.errorMessage() ? OrvaneTheme::red() : OrvaneTheme::textPrimary());
}

} // namespace orvane
