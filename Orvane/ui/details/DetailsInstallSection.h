#pragma once

#include "ui/details/DetailsSection.h"

class QLabel;

namespace orvane {

class AppModel;
class DetailRowList;
class DisclosureGroup;

// INSTALL: the fifteen rows of the inspected install, then the managed options and the detected
// mod files, each a collapsed group shown only when the inspection lists some.
class DetailsInstallSection final : public DetailsSection {
    Q_OBJECT

public:
    DetailsInstallSection(const AppModel& model, bool increasedContrast, QWidget* parent);

    void refresh();
    DetailRowList* rows() const { return m_rows; }
    DisclosureGroup* managedOptions() const { return m_managedOptions; }
    DetailRowList* managedOptionRows() const { return m_optionRows; }
    DisclosureGroup* detectedModFiles() const { return m_modFiles; }
    QLabel* modFileNames() const { return m_modFileNames; }

private:
    const AppModel& m_model;
    DetailRowList* m_rows;
    DisclosureGroup* m_managedOptions;
    DetailRowList* m_optionRows;
    DisclosureGroup* m_modFiles;
    QLabel* m_modFileNames;
};

} // namespace orvane
