#pragma once

#include "model/InstallInspection.h"
#include "ui/details/DetailRowText.h"

#include <QString>

#include <optional>
#include <vector>

namespace orvane {

// What the INSTALL and WARNINGS sections of the details sheet show, as text. A row whose source
// is missing (no inspection, or the field is absent) shows its fallback.
namespace InstallDetails {

// The fifteen detail rows, top to bottom. `labInstancePath` names the folder the user chose; it
// stands in for the instance's name while no inspection exists.
DetailRowTexts rows(const std::optional<InstallInspection>& inspection, const std::optional<QString>& labInstancePath);

// "runData <n> MB · launcher <n> MB", either part alone, or "—".
QString heapText(const InstallInspection& inspection);
// "Nothirium · VintageFix · OptiFine" for those present, or "None detected".
QString optimisationText(const InstallInspection& inspection);

// "MANAGED OPTIONS (<n>)" and its rows, keys ascending; nothing when there are no options.
std::optional<QString> managedOptionsTitle(const InstallInspection& inspection);
DetailRowTexts managedOptionRows(const InstallInspection& inspection);

// "DETECTED MOD FILES (<n>)" and the names ascending, one a line; nothing when there are none.
std::optional<QString> detectedModFilesTitle(const InstallInspection& inspection);
QString detectedModFilesText(const InstallInspection& inspection);

// The WARNINGS entries: the inspection's own, then the OptiFine sentence when OptiFine is present
// and the list lacks it. Empty without an inspection (the section is then left out).
std::vector<QString> warnings(const std::optional<InstallInspection>& inspection);

} // namespace InstallDetails

} // namespace orvane
