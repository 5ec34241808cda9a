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
// Zulu 8 for Linux and the architecture the launcher's Java must have on a host of
// `hostArchitecture`; the arm64 build wherever no other is required.
QString launcherJavaDownloadAddress(const QString& hostArchitecture);
// "Get arm64 Zulu 8" where the launcher's Java must be arm64, else "Get Zulu 8".
Link launcherJavaLink(const QString& hostArchitecture);

// The links still needed, top to bottom: Technic while no launcher was found, Tekkit 2 while no
// certified instance was, Rosetta 2 once a capability report says it is missing, and Zulu 8 for
// this host while the launcher's Java is not ready.
std::vector<Link> links(const std::optional<InstallInspection>& inspection,
                        const std::optional<CapabilityReport>& capability, bool launcherJavaReady,
                        const QString& hostArchitecture);

// The amber line under the links: the guidance of a quitRunning or chooseArchiveExplicitly step.
std::optional<QString> warningLine(const std::optional<HandoffReadinessReport>& readiness);

} // namespace orvane::SetupChecklist
