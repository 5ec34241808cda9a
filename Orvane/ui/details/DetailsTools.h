#pragma once

#include <QString>

#include <array>

namespace orvane {

// The eight buttons of the TOOLS grid, in grid order.
enum class DetailsTool {
    inspect,
    detectMac,
    chooseFolder,
    backUpSettings,
    diagnostics,
    backUpWorlds,
    restoreSettings,
    restoreWorlds,
};

namespace DetailsTools {

inline constexpr std::array<DetailsTool, 8> all{
    DetailsTool::inspect,        DetailsTool::detectMac,    DetailsTool::chooseFolder,
    DetailsTool::backUpSettings, DetailsTool::diagnostics,  DetailsTool::backUpWorlds,
    DetailsTool::restoreSettings, DetailsTool::restoreWorlds,
};

// What decides whether a tool can be pressed.
struct Conditions {
    bool busy = false;
    bool canChangeFiles = false;
    bool hasSettingsBackup = false;
    bool hasWorldBackup = false;
};

QString title(DetailsTool tool);
// The two restores ask for confirmation first and are drawn as destructive.
bool isDestructive(DetailsTool tool);
// While an operation runs only Choose folder stays available; the file tools also need the
// readiness report's permission, and the restores a backup to restore.
bool isEnabled(DetailsTool tool, const Conditions& conditions);

// The grid's columns: as many of at least 150 points, 10 apart, as fit the width; at least one.
inline constexpr int minimumColumnWidth = 150;
inline constexpr int spacing = 10;
int columnCount(int width);

} // namespace DetailsTools

} // namespace orvane
