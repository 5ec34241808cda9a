#pragma once

#include "json/EnumNames.h"
#include "json/JsonCodecs.h"

#include <QJsonObject>
#include <QString>

#include <vector>

namespace orvane {

// Whether the user can go on to official Technic now.
enum class HandoffReadinessState { needsTechnic, needsTekkitInstall, blocked, needsQuit, needsBalancedApply, ready };

// The next step the user has to take.
enum class HandoffSetupKind {
    installTechnic,
    installTekkit,
    selectCertifiedPack,
    installLauncherJava,
    installRosetta,
    chooseArchiveExplicitly,
    quitRunning,
    applyBalanced,
    ready,
};

template <>
struct EnumNames<HandoffReadinessState> {
    static constexpr std::array names{"needsTechnic", "needsTekkitInstall", "blocked",
                                      "needsQuit",    "needsBalancedApply", "ready"};
};

template <>
struct EnumNames<HandoffSetupKind> {
    static constexpr std::array names{"installTechnic",      "installTekkit",  "selectCertifiedPack",
                                      "installLauncherJava", "installRosetta", "chooseArchiveExplicitly",
                                      "quitRunning",         "applyBalanced",  "ready"};
};

// The primary button title and guidance sentence of a setup step.
QString primaryActionTitle(HandoffSetupKind kind);
QString guidance(HandoffSetupKind kind);

struct HandoffReadinessReport {
    HandoffReadinessState state = HandoffReadinessState::needsTechnic;
    HandoffSetupKind setupKind = HandoffSetupKind::installTechnic;
    bool canOpenTechnic = false;
    bool canApplyBalanced = false; // also enables the application's file-changing tools
    bool canPlayInTechnic = false;
    bool balancedApplied = false;
    bool technicRunning = false;
    bool minecraftRunning = false;
    std::vector<QString> requiredActions;
    std::vector<QString> warnings;

    QString primaryActionTitle() const { return orvane::primaryActionTitle(setupKind); }
    QString guidance() const { return orvane::guidance(setupKind); }
    // A setup step is pending: anything but applyBalanced and ready.
    bool needsSetup() const
    {
        return setupKind != HandoffSetupKind::applyBalanced && setupKind != HandoffSetupKind::ready;
    }

    bool operator==(const HandoffReadinessReport&) const = default;
};

QJsonObject toJson(const HandoffReadinessReport& report);
template <>
HandoffReadinessReport fromJson<HandoffReadinessReport>(const QJsonValue& value);

} // namespace orvane
