#pragma once

#include "ui/details/DetailsSection.h"

namespace orvane {

class AppModel;
class DetailRowList;

// LATEST BACKUPS: the latest settings backup and the latest world backup of the selected
// instance; shown only while there is one.
class DetailsBackupsSection final : public DetailsSection {
    Q_OBJECT

public:
    DetailsBackupsSection(const AppModel& model, bool increasedContrast, QWidget* parent);

    void refresh();
    DetailRowList* rows() const { return m_rows; }

private:
    const AppModel& m_model;
    DetailRowList* m_rows;
};

} // namespace orvane
