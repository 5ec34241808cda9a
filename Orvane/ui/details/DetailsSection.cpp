#include "ui/details/DetailsSection.h"

#include "ui/details/DetailsLook.h"
#include "ui/details/HeadingLabel.h"
#include "ui/theme/OrvaneTheme.h"

namespace orvane {

DetailsSection::DetailsSection(const QString& title, bool increasedContrast, QWidget* parent)
    : QWidget(parent), m_increasedContrast(increasedContrast)
{
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(spacing);
    m_title = new HeadingLabel(title, OrvaneTheme::tracked(OrvaneTheme::labelFont(), 1.5),
                               DetailsLook::secondaryColor(increasedContrast), this);
    m_layout->addWidget(m_title);
}

} // namespace orvane
