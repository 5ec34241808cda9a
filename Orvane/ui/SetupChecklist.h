#pragma once

#include "model/CapabilityReport.h"
#include "model/HandoffReadinessReport.h"
#include "model/InstallInspection.h"

#include <QString>

#include <optional>
#include <vector>

namespace orvane::SetupChecklist {

// A link of the SETUP REQUIRED checklist to a page outside Orvane.
struct Link {
    QString title;
    QString address; // turned into a URL only when pressed; an address that is no URL opens nothing

    bool operator==(const Link&) const = default;
};

// The outside pages, by what is missing.
QString technicDownloadAddress();
QString tekkitModpackAddress();
QString rosettaHelpAddress();
QString launcherJavaDownloadAddress();

// The links still needed, top to bottom: Technic while no launcher was found, Tekkit 2 while no
// certified instance was, Rosetta 2 once a capability report says it is missing, and arm64 Zulu 8
// while the launcher's Java is not ready.
std::vector<Link> links(const std::optional<InstallInspection>& inspection,
                        const std::optional<CapabilityReport>& capability, bool launcherJavaReady);

// The amber line under the links: the guidance of a quitRunning or chooseArchiveExplicitly step.
std::optional<QString> warningLine(const std::optional<HandoffReadinessReport>& readiness);

} // namespace orvane::SetupChecklist
