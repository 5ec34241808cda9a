#include "ui/details/DetailsInstallSection.h"

#include "model/AppModel.h"
#include "ui/details/DetailRowList.h"
#include "ui/details/DetailsLook.h"
#include "ui/details/InstallDetails.h"
#include "ui/theme/DisclosureGroup.h"
#include "ui/theme/OrvaneTheme.h"

#include <QLabel>

namespace orvane {

DetailsInstallSection::DetailsInstallSection(const AppModel& model, bool increasedContrast, QWidget* parent)
    : DetailsSection(QStringLiteral("INSTALL"), increasedContrast, parent), m_model(model)
{
    const QColor secondary = DetailsLook::secondaryColor(increasedContrast);
    m_rows = new DetailRowList(increasedContrast, spacing, this);
    content()->addWidget(m_rows);

    m_managedOptions = new DisclosureGroup(secondary, this);
    m_optionRows = new DetailRowList(increasedContrast, 8, m_managedOptions->body());
    m_managedOptions->bodyLayout()->addWidget(m_optionRows);
    content()->addWidget(m_managedOptions);

    m_modFiles = new DisclosureGroup(secondary, this);
    m_modFileNames = DetailsLook::text(QString(), OrvaneTheme::captionFont(), secondary, m_modFiles->body(), true);
    m_modFiles->bodyLayout()->addWidget(m_modFileNames);
    content()->addWidget(m_modFiles);
    refresh();
}

void DetailsInstallSection::refresh()
{
    const auto& inspection = m_model.inspection();
    m_rows->setRows(InstallDetails::rows(inspection, m_model.labInstancePath()));

    const auto optionsTitle = inspection ? InstallDetails::managedOptionsTitle(*inspection) : std::nullopt;
    m_managedOptions->setVisible(optionsTitle.has_value());
    if (optionsTitle) {
        m_managedOptions->setTitle(*optionsTitle);
        m_optionRows->setRows(InstallDetails::managedOptionRows(*inspection));
    }

    const auto modsTitle = inspection ? InstallDetails::detectedModFilesTitle(*inspection) : std::nullopt;
    m_modFiles->setVisible(modsTitle.has_value());
    if (modsTitle) {
        m_modFiles->setTitle(*modsTitle);
        m_modFileNames->setText(InstallDetails::detectedModFilesText(*inspection));
    }
}

} // namespace orvane
