#include "ui/details/DetailsTools.h"

#include <algorithm>

namespace orvane::DetailsTools {

QString title(DetailsTool tool)
{
    switch (tool) {
    case DetailsTool::inspect: return QStringLiteral("Inspect");
    case DetailsTool::detectMac: return QStringLiteral("Detect Mac");
    case DetailsTool::chooseFolder: return QStringLiteral("Choose folder");
    case DetailsTool::backUpSettings: return QStringLiteral("Back up settings");
    case DetailsTool::diagnostics: return QStringLiteral("Diagnostics");
    case DetailsTool::backUpWorlds: return QStringLiteral("Back up worlds");
    case DetailsTool::restoreSettings: return QStringLiteral("Restore settings");
    case DetailsTool::restoreWorlds: return QStringLiteral("Restore worlds");
    }
    return QString();
}

bool isDestructive(DetailsTool tool)
{
    return tool == DetailsTool::restoreSettings || tool == DetailsTool::restoreWorlds;
}

bool isEnabled(DetailsTool tool, const Conditions& c)
{
    switch (tool) {
    case DetailsTool::inspect:
    case DetailsTool::detectMac:
    case DetailsTool::diagnostics: return !c.busy;
    case DetailsTool::chooseFolder: return true;
    case DetailsTool::backUpSettings:
    case DetailsTool::backUpWorlds: return !c.busy && c.canChangeFiles;
    case DetailsTool::restoreSettings: return c.hasSettingsBackup && c.canChangeFiles;
    case DetailsTool::restoreWorlds: return c.hasWorldBackup && c.canChangeFiles;
    }
    return false;
}

int columnCount(int width)
{
    return std::max(1, (width + spacing) / (minimumColumnWidth + spacing));
}

} // namespace orvane::DetailsTools
