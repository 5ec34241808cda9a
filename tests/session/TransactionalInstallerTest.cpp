#include "session/TransactionalInstaller.h"

#include "model/OrvaneError.h"
#include "support/FaultyFileOperations.h"
#include "support/FixtureHome.h"
#include "session/OverlayFiles.h"

#include "support/QtPrinters.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <system_error>

using namespace orvane;
using namespace orvane::test;

namespace {

OverlayPlan plan(bool disableMojangJava = false, bool enableMojangJava = false)
{
    OverlayPlan p;
    p.profileId = QStringLiteral("balanced");
    p.title = QStringLiteral("Balanced");
    p.memorySettingsId = 4;
    p.memoryMegabytes = 3072;
    p.options = {{QStringLiteral("guiScale"), QStringLiteral("2")},
                 {QStringLiteral("renderDistance"), QStringLiteral("8")},
                 {QStringLiteral("zNewKey"), QStringLiteral("1")},
                 {QStringLiteral("aNewKey"), QStringLiteral("on")}};
    p.requiredComponents = {QStringLiteral("tekkit-2")};
    p.disableMojangJava = disableMojangJava;
    p.enableMojangJava = enableMojangJava;
    return p;
}

InstallInspection inspectionOf(const FixtureHome& home, bool withTechnicRoot = true)
{
    InstallInspection inspection;
    inspection.instanceRoot = home.instanceRoot();
    if (withTechnicRoot)
        inspection.technicRoot = home.dataRoot();
    return inspection;
}

QJsonObject jsonOf(const std::filesystem::path& path)
{
    return QJsonDocument::fromJson(readFile(path)).object();
}

struct Targets {
    std::filesystem::path options, runData, settings;
    explicit Targets(const FixtureHome& home)
        : options(home.instanceRoot() / "options.txt"), runData(home.instanceRoot() / "bin/runData"),
          settings(home.settingsPath())
    {
    }
};

} // namespace

TEST(TransactionalInstaller, WritesThePlanIntoAllThreeFilesKeepingWhatItDoesNotName)
{
    FixtureHome home;
    const Targets t(home);
    home.writeOptions(QByteArrayLiteral("guiScale:1\nrenderDistance:12\nkey_key.jump:57\nrenderDistance:16\nlang:en_us"));
    chmodFile(t.settings, 0600);
    chmodFile(t.options, 0640);

    TransactionalInstaller(FileOperations::system())
        .apply(plan(), inspectionOf(home), ContentPolicyEngine::loadFromResources());

    // In place, only the last of a repeated key, new keys appended in ascending order, one final line end.
    EXPECT_EQ(readFile(t.options), QByteArrayLiteral("guiScale:2\nrenderDistance:12\nkey_key.jump:57\n"
                                                     "renderDistance:8\nlang:en_us\naNewKey:on\nzNewKey:1\n"));
    EXPECT_EQ(readFile(t.runData), QByteArrayLiteral("{\n    \"java\": \"1.8\",\n    \"memory\": \"3072\"\n}"));
    const QJsonObject settings = jsonOf(t.settings);
    EXPECT_EQ(settings.value(QLatin1String("memory")), QJsonValue(4));
    EXPECT_EQ(settings.value(QLatin1String("useMojangJava")), QJsonValue(true)); // neither flag: untouched
    EXPECT_EQ(settings.value(QLatin1String("launchAction")), QJsonValue(QStringLiteral("HIDE")));
    EXPECT_FALSE(readFile(t.settings).endsWith('\n'));
    // Who may read each file is kept.
    EXPECT_EQ(fileState(t.settings).mode, mode_t(0600));
    EXPECT_EQ(fileState(t.options).mode, mode_t(0640));
}

TEST(TransactionalInstaller, RunDataAndMojangJavaRules)
{
    struct Case {
        const char* name;
        QByteArray runData;
        bool disable, enable;
        std::optional<bool> useMojangJavaBefore;
        QJsonValue javaAfter;
        QJsonValue useMojangJavaAfter;
    };
    const Case cases[] = {
        {"java 17 kept, number memory becomes a string", "{\"java\":17,\"memory\":2048,\"x\":[1]}", false, false,
         true, 17, true},
        {"no java gets 1.8; disable turns Mojang Java off", "{\"memory\":\"4096\"}", true, false, true,
         QStringLiteral("1.8"), false},
        {"enable turns it on", "{}", false, true, false, QStringLiteral("1.8"), true},
        {"disable wins over enable", "{}", true, true, true, QStringLiteral("1.8"), false},
        {"neither flag leaves an absent key absent", "{}", false, false, std::nullopt, QStringLiteral("1.8"),
         QJsonValue(QJsonValue::Undefined)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FixtureHome::Options options;
        options.useMojangJava = c.useMojangJavaBefore;
        options.instanceContent.runDataBytes = c.runData;
        FixtureHome home(options);
        const Targets t(home);
        TransactionalInstaller(FileOperations::system())
            .apply(plan(c.disable, c.enable), inspectionOf(home), ContentPolicyEngine::loadFromResources());
        const QJsonObject runData = jsonOf(t.runData);
        EXPECT_EQ(runData.value(QLatin1String("memory")), QJsonValue(QStringLiteral("3072")));
        EXPECT_EQ(runData.value(QLatin1String("java")), c.javaAfter);
        EXPECT_EQ(jsonOf(t.settings).value(QLatin1String("useMojangJava")), c.useMojangJavaAfter);
    }
}

TEST(TransactionalInstaller, EveryRefusalComesBeforeTheFirstWrite)
{
    struct Case {
        const char* name;
        std::optional<QByteArray> runData;
        std::optional<QByteArray> settings;
        std::vector<QString> components;
        bool instance;
        OrvaneError::Kind kind;
        QString text;
    };
    const QString unknown = QStringLiteral("not-a-component");
    const Case cases[] = {
        {"runData is an array", "[1,2]", std::nullopt, {}, true, OrvaneError::Kind::overlayRefused,
         QStringLiteral("bin/runData is not a JSON object. Orvane will not overwrite it.")},
        {"runData is not JSON", "{memory:", std::nullopt, {}, true, OrvaneError::Kind::overlayRefused,
         QStringLiteral("bin/runData is invalid JSON. Orvane will not overwrite it.")},
        {"settings.json is an array", std::nullopt, "[true]", {}, true, OrvaneError::Kind::io,
         QStringLiteral("settings.json is not a JSON object")},
        {"an unknown component", std::nullopt, std::nullopt, {unknown}, true, OrvaneError::Kind::policyDenied,
         QStringLiteral("Unknown required component: not-a-component")},
        {"no instance", std::nullopt, std::nullopt, {}, false, OrvaneError::Kind::tekkitMissing, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FixtureHome::Options options;
        options.instanceContent.runDataBytes = c.runData;
        options.settingsBytes = c.settings;
        FixtureHome home(options);
        const auto before = treeState(home.home());
        InstallInspection inspection = inspectionOf(home);
        if (!c.instance)
            inspection.instanceRoot.reset();
        OverlayPlan p = plan();
        if (!c.components.empty())
            p.requiredComponents = c.components;
        try {
            TransactionalInstaller(FileOperations::system())
                .apply(p, inspection, ContentPolicyEngine::loadFromResources());
            ADD_FAILURE() << "no error";
        } catch (const OrvaneError& error) {
            EXPECT_EQ(error.kind(), c.kind);
            if (!c.text.isEmpty()) {
                EXPECT_EQ(error.text(), c.text);
            }
        }
        EXPECT_EQ(treeState(home.home()), before);
    }
}

TEST(TransactionalInstaller, AWriteFailingOnTheSecondFileStopsThereAndLeavesNoTemporary)
{
    FixtureHome home;
    const Targets t(home);
    chmodFile(t.runData, 0600);
    const FileState runData = fileState(t.runData);
    const FileState settings = fileState(t.settings);
    const auto bin = treeState(home.instanceRoot() / "bin");
    auto files = std::make_shared<FaultyFileOperations>();
    files->failOn(FaultyFileOperations::Op::writeAtomically, 2, ENOSPC);

    try {
        TransactionalInstaller(files).apply(plan(), inspectionOf(home), ContentPolicyEngine::loadFromResources());
        ADD_FAILURE() << "no error";
    } catch (const std::system_error& error) {
        EXPECT_EQ(error.code().value(), ENOSPC); // the platform's error, unchanged
    }
    EXPECT_TRUE(readFile(t.options).startsWith("version:1343\n"));
    EXPECT_TRUE(readFile(t.options).contains("guiScale:2\n")); // the first write stands
    EXPECT_EQ(fileState(t.runData), runData);
    EXPECT_EQ(fileState(t.settings), settings);
    EXPECT_EQ(files->calls(FaultyFileOperations::Op::writeAtomically), 2);
    EXPECT_EQ(treeState(home.instanceRoot() / "bin"), bin); // nothing beside runData either
}

TEST(TransactionalInstaller, CreatesMissingInstanceFilesButNeverTheLauncherSettings)
{
    FixtureHome::Options options;
    options.instanceContent.runData = false;
    options.instanceContent.options.reset();
    options.settings = false;
    FixtureHome home(options);
    std::filesystem::remove_all(home.instanceRoot() / "bin");
    const Targets t(home);

    TransactionalInstaller(FileOperations::system())
        .apply(plan(), inspectionOf(home), ContentPolicyEngine::loadFromResources());
    EXPECT_EQ(readFile(t.options), QByteArrayLiteral("aNewKey:on\nguiScale:2\nrenderDistance:8\nzNewKey:1\n"));
    EXPECT_EQ(jsonOf(t.runData), (QJsonObject{{QStringLiteral("java"), QStringLiteral("1.8")},
                                              {QStringLiteral("memory"), QStringLiteral("3072")}}));
    EXPECT_EQ(fileState(t.options).mode, mode_t(0644));
    EXPECT_EQ(fileState(t.runData).mode, mode_t(0644));
    EXPECT_FALSE(fileState(t.settings).exists);

    // Without a Technic data folder only the two instance files are written.
    FixtureHome other;
    const FileState settings = fileState(Targets(other).settings);
    const auto writes = TransactionalInstaller(FileOperations::system()).prepare(plan(), inspectionOf(other, false));
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0].file, Targets(other).options);
    EXPECT_EQ(writes[1].file, Targets(other).runData);
    EXPECT_EQ(fileState(Targets(other).settings), settings);
}

TEST(TransactionalInstaller, EachWriteNamesTheKeysItSets)
{
    struct Case {
        const char* name;
        bool disable, enable;
        std::optional<QJsonValue> java; // none: no bin/runData
        QStringList runDataKeys, settingsKeys;
    };
    const QStringList memory{"memory"};
    const Case cases[] = {
        {"Intel, runData with its Java", false, false, QJsonValue(QStringLiteral("17")), memory, memory},
        {"Mojang Java switched on, runData without Java", false, true, QJsonValue(QJsonValue::Undefined),
         {"memory", "java"},
         {"memory", "useMojangJava"}},
        {"Mojang Java switched off, no runData", true, false, std::nullopt, {"memory", "java"},
         {"memory", "useMojangJava"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FixtureHome::Options options;
        options.instanceContent.runData = c.java.has_value();
        options.instanceContent.runDataJava = c.java.value_or(QJsonValue());
        FixtureHome home(options);
        const auto writes = TransactionalInstaller(FileOperations::system())
                                .prepare(plan(c.disable, c.enable), inspectionOf(home));
        ASSERT_EQ(writes.size(), 3u);
        EXPECT_EQ(writes[0].keys, (QStringList{"aNewKey", "guiScale", "renderDistance", "zNewKey"}));
        EXPECT_EQ(writes[1].keys, c.runDataKeys);
        EXPECT_EQ(writes[2].keys, c.settingsKeys);
    }
}
