#pragma once

#include "ui/details/DetailsSection.h"

#include <QString>

#include <vector>

class QLabel;

namespace orvane {

class AppModel;

// WARNINGS: one amber "• " line per warning of the inspection; shown only while there are some.
class DetailsWarningsSection final : public DetailsSection {
    Q_OBJECT

public:
    DetailsWarningsSection(const AppModel& model, bool increasedContrast, QWidget* parent);

    void refresh();
    QStringList shownLines() const;

private:
    const AppModel& m_model;
    std::vector<QString> m_warnings;
    std::vector<QLabel*> m_lines;
};

} // namespace orvane
