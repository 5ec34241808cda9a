#include "model/HandoffReadinessReport.h"

#include "json/JsonReader.h"

namespace orvane {

QString primaryActionTitle(HandoffSetupKind kind)
{
    switch (kind) {
    case HandoffSetupKind::installTechnic: return QStringLiteral("GET TECHNIC");
    case HandoffSetupKind::installTekkit: return QStringLiteral("SELECT INSTANCE");
    case HandoffSetupKind::selectCertifiedPack: return QStringLiteral("CHECK INSTANCE");
    case HandoffSetupKind::installLauncherJava: return QStringLiteral("JAVA 8 HELP");
    case HandoffSetupKind::installRosetta: return QStringLiteral("ROSETTA HELP");
    case HandoffSetupKind::chooseArchiveExplicitly: return QStringLiteral("CHOOSE INSTANCE");
    case HandoffSetupKind::quitRunning: return QStringLiteral("QUIT TO CONTINUE");
    case HandoffSetupKind::applyBalanced: return QStringLiteral("PREPARE & OPEN TECHNIC");
    case HandoffSetupKind::ready: return QStringLiteral("OPEN TECHNIC");
    }
    return QString();
}

QString guidance(HandoffSetupKind kind)
{
    switch (kind) {
    case HandoffSetupKind::installTechnic:
        return QStringLiteral("Install official Technic and Tekkit 2, or choose an existing Tekkit 2 instance.");
    case HandoffSetupKind::installTekkit:
        return QStringLiteral("Install Tekkit 2 1.2.6 in Technic, or choose its instance folder.");
    case HandoffSetupKind::selectCertifiedPack: return QStringLiteral("Choose the certified Tekkit 2 1.2.6 instance.");
    case HandoffSetupKind::installLauncherJava:
        return QStringLiteral("Arm64 Zulu 8 is required to open official Technic.");
    case HandoffSetupKind::installRosetta:
        return QStringLiteral("Rosetta 2 is required for Tekkit 2\u2019s Intel-only game components.");
    case HandoffSetupKind::chooseArchiveExplicitly:
        return QStringLiteral(
            "This auto-discovered folder is an archive copy. Choose it explicitly before Orvane changes files.");
    case HandoffSetupKind::quitRunning:
        return QStringLiteral("Quit Technic and Minecraft before Orvane applies, restores, or backs up files.");
    case HandoffSetupKind::applyBalanced: return QStringLiteral("Back up, apply Balanced, then open official Technic.");
    case HandoffSetupKind::ready: return QStringLiteral("Open official Technic, then press Play there.");
    }
    return QString();
}

QJsonObject toJson(const HandoffReadinessReport& report)
{
    QJsonObject o;
    o.insert(QStringLiteral("state"), toJsonEnum(report.state));
    o.insert(QStringLiteral("setupKind"), toJsonEnum(report.setupKind));
    o.insert(QStringLiteral("canOpenTechnic"), report.canOpenTechnic);
    o.insert(QStringLiteral("canApplyBalanced"), report.canApplyBalanced);
    o.insert(QStringLiteral("canPlayInTechnic"), report.canPlayInTechnic);
    o.insert(QStringLiteral("balancedApplied"), report.balancedApplied);
    o.insert(QStringLiteral("technicRunning"), report.technicRunning);
    o.insert(QStringLiteral("minecraftRunning"), report.minecraftRunning);
    o.insert(QStringLiteral("requiredActions"), toJsonStringArray(report.requiredActions));
    o.insert(QStringLiteral("warnings"), toJsonStringArray(report.warnings));
    return o;
}

template <>
HandoffReadinessReport fromJson<HandoffReadinessReport>(const QJsonValue& value)
{
    const JsonReader r(value, QStringLiteral("HandoffReadinessReport"));
    return HandoffReadinessReport{
        .state = r.enumeration<HandoffReadinessState>(QStringLiteral("state")),
        .setupKind = r.enumeration<HandoffSetupKind>(QStringLiteral("setupKind")),
        .canOpenTechnic = r.boolean(QStringLiteral("canOpenTechnic")),
        .canApplyBalanced = r.boolean(QStringLiteral("canApplyBalanced")),
        .canPlayInTechnic = r.boolean(QStringLiteral("canPlayInTechnic")),
        .balancedApplied = r.boolean(QStringLiteral("balancedApplied")),
        .technicRunning = r.boolean(QStringLiteral("technicRunning")),
        .minecraftRunning = r.boolean(QStringLiteral("minecraftRunning")),
        .requiredActions = r.strings(QStringLiteral("requiredActions")),
        .warnings = r.strings(QStringLiteral("warnings")),
    };
}

} // namespace orvane
