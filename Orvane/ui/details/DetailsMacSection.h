#pragma once

#include "ui/details/DetailsSection.h"

namespace orvane {

class AppModel;
class DetailRowList;

// THIS MAC: chip, architecture, Rosetta and the launcher's Java.
class DetailsMacSection final : public DetailsSection {
    Q_OBJECT

public:
    DetailsMacSection(const AppModel& model, bool increasedContrast, QWidget* parent);

    void refresh();
    DetailRowList* rows() const { return m_rows; }

private:
    const AppModel& m_model;
    DetailRowList* m_rows;
};

} // namespace orvane
