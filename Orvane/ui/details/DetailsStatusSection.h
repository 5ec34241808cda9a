#pragma once

#include "ui/details/DetailsSection.h"

class QLabel;

namespace orvane {

class AppModel;

// STATUS: the model's status line, red while an error is set.
class DetailsStatusSection final : public DetailsSection {
    Q_OBJECT

public:
    DetailsStatusSection(const AppModel& model, bool increasedContrast, QWidget* parent);

    void refresh();
    QLabel* statusLabel() const { return m_status; }

private:
    const AppModel& m_model;
    QLabel* m_status;
};

} // namespace orvane
