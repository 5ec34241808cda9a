#include "ui/details/DetailsToolsSection.h"

#include "model/AppModel.h"
#include "ui/details/DetailsOperations.h"
#include "ui/details/ToolsGrid.h"
#include "ui/theme/FlatButton.h"

namespace orvane {

DetailsToolsSection::DetailsToolsSection(const AppModel& model, DetailsOperations& operations, bool increasedContrast,
                                         QWidget* parent)
    : DetailsSection(QStringLiteral("TOOLS"), increasedContrast, parent), m_model(model), m_operations(operations)
{
    m_grid = new ToolsGrid(this);
    for (const DetailsTool tool : DetailsTools::all) {
        auto* button = new FlatButton(DetailsTools::title(tool), m_grid);
        button->setDestructive(DetailsTools::isDestructive(tool));
        connect(button, &QAbstractButton::clicked, this, [this, tool] { activate(tool); });
        m_grid->addButton(button);
        m_buttons[tool] = button;
    }
    content()->addWidget(m_grid);
    refresh();
}

void DetailsToolsSection::refresh()
{
    const DetailsTools::Conditions conditions{
        .busy = m_model.busy(),
        .canChangeFiles = m_model.canChangeFiles(),
        .hasSettingsBackup = m_model.backup().has_value(),
        .hasWorldBackup = m_model.savesBackup().has_value(),
    };
    for (const auto& [tool, button] : m_buttons)
        button->setEnabled(DetailsTools::isEnabled(tool, conditions));
}

void DetailsToolsSection::activate(DetailsTool tool)
{
    switch (tool) {
    case DetailsTool::inspect: m_operations.inspect(); break;
    case DetailsTool::detectMac: m_operations.checkThisMac(); break;
    case DetailsTool::chooseFolder: Q_EMIT chooseFolderRequested(); break;
    case DetailsTool::backUpSettings: m_operations.backUpSettings(); break;
    case DetailsTool::diagnostics: m_operations.writeDiagnostic(); break;
    case DetailsTool::backUpWorlds: m_operations.backUpWorlds(); break;
    case DetailsTool::restoreSettings: Q_EMIT restoreSettingsRequested(); break;
    case DetailsTool::restoreWorlds: Q_EMIT restoreWorldsRequested(); break;
    }
}

} // namespace orvane
