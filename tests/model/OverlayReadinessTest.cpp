#include "json/DecodingError.h"
#include "json/JsonWriter.h"
#include "model/ApplyResult.h"
#include "model/HandoffReadinessReport.h"
#include "model/OverlayPlan.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QJsonDocument>

using namespace orvane;

namespace {

template <class T>
T roundTrip(const T& value)
{
    return fromJson<T>(QJsonDocument::fromJson(encodeJson(toJson(value))).object());
}

OverlayPlan samplePlan()
{
    return OverlayPlan{
        .profileId = QStringLiteral("balanced"),
        .title = QStringLiteral("Balanced"),
        .memorySettingsId = 6,
        .memoryMegabytes = 4096,
        .options = {{QStringLiteral("renderDistance"), QStringLiteral("8")},
                    {QStringLiteral("maxFps"), QStringLiteral("60")}},
        .requiredComponents = {QStringLiteral("vintagefix"), QStringLiteral("nothirium")},
        .notes = {QStringLiteral("First note."), QStringLiteral("Second note.")},
        .disableMojangJava = false,
        .enableMojangJava = true,
    };
}

HandoffReadinessReport sampleReport(HandoffSetupKind kind)
{
    return HandoffReadinessReport{
        .state = HandoffReadinessState::needsQuit,
        .setupKind = kind,
        .canOpenTechnic = false,
        .canApplyBalanced = false,
        .canPlayInTechnic = true,
        .balancedApplied = true,
        .technicRunning = true,
        .minecraftRunning = false,
        .requiredActions = {QStringLiteral("Quit Technic.")},
        .warnings = {},
    };
}

} // namespace

TEST(OverlayPlan, RoundTripsAndComparesOptionsAsAMap)
{
    const OverlayPlan plan = samplePlan();
    EXPECT_EQ(roundTrip(plan), plan);
    EXPECT_EQ(toJson(plan).size(), 9);

    OverlayPlan reordered = plan;
    reordered.options.clear();
    reordered.options.emplace(QStringLiteral("maxFps"), QStringLiteral("60"));
    reordered.options.emplace(QStringLiteral("renderDistance"), QStringLiteral("8"));
    EXPECT_EQ(reordered, plan);

    OverlayPlan notes = plan;
    std::swap(notes.notes[0], notes.notes[1]);
    EXPECT_NE(notes, plan);
}

TEST(OverlayPlan, EveryKeyIsRequiredAndTyped)
{
    const QJsonObject good = toJson(samplePlan());
    for (const QString& key : good.keys()) {
        QJsonObject o = good;
        o.remove(key);
        EXPECT_THROW(fromJson<OverlayPlan>(o), DecodingError) << key.toStdString();
        o.insert(key, QJsonValue::Null);
        EXPECT_THROW(fromJson<OverlayPlan>(o), DecodingError) << key.toStdString();
    }
    const auto with = [&](const char* key, const QJsonValue& v) {
        QJsonObject o = good;
        o.insert(key, v);
        return o;
    };
    EXPECT_THROW(fromJson<OverlayPlan>(with("memoryMegabytes", 4096.5)), DecodingError);
    EXPECT_THROW(fromJson<OverlayPlan>(with("memorySettingsId", true)), DecodingError);
    EXPECT_THROW(fromJson<OverlayPlan>(with("options", QJsonObject{{"maxFps", 60}})), DecodingError);
    EXPECT_EQ(fromJson<OverlayPlan>(with("extra", 1)), samplePlan());
}

TEST(ApplyResult, RoundTripsWithItsPlanAndRefusesABrokenPlan)
{
    const ApplyResult result{
        .backupId = QStringLiteral("20261209-072108-preOverlay"),
        .changedFiles = {QStringLiteral("/i/options.txt"), QStringLiteral("/i/bin/runData")},
        .plan = samplePlan(),
    };
    EXPECT_EQ(roundTrip(result), result);
    EXPECT_TRUE(toJson(result).value("plan").isObject());

    QJsonObject o = toJson(result);
    QJsonObject plan = o.value("plan").toObject();
    plan.remove("enableMojangJava");
    o.insert("plan", plan);
    EXPECT_THROW(fromJson<ApplyResult>(o), DecodingError);
    o.remove("plan");
    EXPECT_THROW(fromJson<ApplyResult>(o), DecodingError);
}

TEST(HandoffReadinessReport, TitlesAndGuidanceByStep)
{
    const struct {
        HandoffSetupKind kind;
        const char* title;
        const char* guidance;
        bool needsSetup;
    } cases[] = {
        {HandoffSetupKind::installTechnic, "GET TECHNIC",
         "Install official Technic and Tekkit 2, or choose an existing Tekkit 2 instance.", true},
        {HandoffSetupKind::installTekkit, "SELECT INSTANCE",
         "Install Tekkit 2 1.2.6 in Technic, or choose its instance folder.", true},
        {HandoffSetupKind::selectCertifiedPack, "CHECK INSTANCE", "Choose the certified Tekkit 2 1.2.6 instance.", true},
        {HandoffSetupKind::installLauncherJava, "JAVA 8 HELP", "Arm64 Zulu 8 is required to open official Technic.",
         true},
        {HandoffSetupKind::installRosetta, "ROSETTA HELP",
         "Rosetta 2 is required for Tekkit 2\xE2\x80\x99s Intel-only game components.", true},
        {HandoffSetupKind::chooseArchiveExplicitly, "CHOOSE INSTANCE",
         "This auto-discovered folder is an archive copy. Choose it explicitly before Orvane changes files.", true},
        {HandoffSetupKind::quitRunning, "QUIT TO CONTINUE",
         "Quit Technic and Minecraft before Orvane applies, restores, or backs up files.", true},
        {HandoffSetupKind::applyBalanced, "PREPARE & OPEN TECHNIC",
         "Back up, apply Balanced, then open official Technic.", false},
        {HandoffSetupKind::ready, "OPEN TECHNIC", "Open official Technic, then press Play there.", false},
    };
    for (const auto& c : cases) {
        const HandoffReadinessReport report = sampleReport(c.kind);
        EXPECT_EQ(report.primaryActionTitle(), QString::fromUtf8(c.title));
        EXPECT_EQ(report.guidance(), QString::fromUtf8(c.guidance));
        EXPECT_EQ(report.needsSetup(), c.needsSetup) << c.title;
    }
    EXPECT_EQ(std::size(cases), EnumNames<HandoffSetupKind>::names.size());
}

TEST(HandoffReadinessReport, RoundTripsAndRefusesUnknownNames)
{
    const HandoffReadinessReport report = sampleReport(HandoffSetupKind::quitRunning);
    EXPECT_EQ(roundTrip(report), report);
    const QJsonObject o = toJson(report);
    EXPECT_EQ(o.value("state").toString(), QStringLiteral("needsQuit"));
    EXPECT_EQ(o.value("setupKind").toString(), QStringLiteral("quitRunning"));
    EXPECT_TRUE(o.value("warnings").isArray());

    for (const auto& [key, value] : {std::pair{"setupKind", "install"}, std::pair{"setupKind", "QuitRunning"},
                                     std::pair{"state", "waiting"}}) {
        QJsonObject bad = o;
        bad.insert(key, value);
        EXPECT_THROW(fromJson<HandoffReadinessReport>(bad), DecodingError) << key << value;
    }
    QJsonObject bad = o;
    bad.remove("warnings");
    EXPECT_THROW(fromJson<HandoffReadinessReport>(bad), DecodingError);
    bad = o;
    bad.insert("technicRunning", 1);
    EXPECT_THROW(fromJson<HandoffReadinessReport>(bad), DecodingError);
}
