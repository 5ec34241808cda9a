#pragma once

#include "ui/details/DetailsSection.h"
#include "ui/details/DetailsTools.h"

#include <map>

namespace orvane {

class AppModel;
class DetailsOperations;
class FlatButton;
class ToolsGrid;

// TOOLS: the eight buttons that start the model's inspection, Mac check, folder choice,
// diagnostic, backups and restores. While an operation runs only Choose folder stays available.
class DetailsToolsSection final : public DetailsSection {
    Q_OBJECT

public:
    DetailsToolsSection(const AppModel& model, DetailsOperations& operations, bool increasedContrast, QWidget* parent);

    void refresh();
    FlatButton* button(DetailsTool tool) const { return m_buttons.at(tool); }
    ToolsGrid* grid() const { return m_grid; }

Q_SIGNALS:
    // Tools the sheet answers itself: the folder chooser and the two restore confirmations.
    void chooseFolderRequested();
    void restoreSettingsRequested();
    void restoreWorldsRequested();

private:
    void activate(DetailsTool tool);

    const AppModel& m_model;
    DetailsOperations& m_operations;
    ToolsGrid* m_grid;
    std::map<DetailsTool, FlatButton*> m_buttons;
};

} // namespace orvane
