#include "records/BackupStore.h"

#include "support/QtPrinters.h"

#include "RestoreLayout.h"

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;

namespace {

// Plans are checked on manifests in memory: nothing is read from the snapshot folder.
struct PlanFixture : ::testing::Test {
    RestoreLayout layout;
    BackupStore store{layout.backups, FileOperations::system(), layout.tmp};
    std::filesystem::path folder = layout.backups / "snapshot";

    PlanFixture() { std::filesystem::create_directories(layout.instance / "bin"); }

    BackupFile inInstance(const QString& relative) const
    {
        return BackupFile{relative, text(layout.instance / relative.toStdString()), QString(64, u'a'), 1};
    }
    BackupFile settings() const
    {
        return BackupFile{"technic-root/settings.json", text(layout.technicRoot / "settings.json"), QString(64, u'a'), 1};
    }
    BackupManifest manifest(BackupKind kind, std::vector<BackupFile> files, std::vector<QString> created = {}) const
    {
        BackupManifest m;
        m.id = "id";
        m.instanceRoot = text(layout.instance);
        m.kind = kind;
        m.files = std::move(files);
        m.createdPaths = std::move(created);
        return m;
    }
    // The refusal text, or "<accepted>".
    QString plan(const BackupManifest& m, std::optional<std::filesystem::path> technic = std::nullopt,
                 std::optional<std::filesystem::path> instance = std::nullopt) const
    {
        try {
            store.planRestore(m, folder, instance.value_or(layout.instance), technic);
        } catch (const OrvaneError& e) {
            EXPECT_EQ(e.kind(), OrvaneError::Kind::backupCorrupt);
            return e.text();
        }
        return QStringLiteral("<accepted>");
    }
};

} // namespace

TEST_F(PlanFixture, AcceptsAnOverlayAndAWorldManifestThatStayInPlace)
{
    const auto overlay = manifest(BackupKind::preOverlay, {inInstance("options.txt"), settings()},
                                  {text(layout.instance / "bin/runData")});
    EXPECT_EQ(plan(overlay, layout.technicRoot), "<accepted>");
    // Paths are compared after standardisation, on both sides.
    EXPECT_EQ(plan(overlay, layout.technicRoot.native() + "/", layout.instance / "bin/.."), "<accepted>");
    EXPECT_EQ(plan(manifest(BackupKind::saves, {inInstance("saves/World/level.dat")})), "<accepted>");
}

TEST_F(PlanFixture, AnotherInstancesBackupIsRefused)
{
    auto m = manifest(BackupKind::manual, {inInstance("options.txt")});
    EXPECT_EQ(plan(m, std::nullopt, layout.instance.parent_path() / "tekkit-2-copy"),
              "backup belongs to a different instance");
    // A relative root is never resolved against the working folder, on either side.
    m.instanceRoot = "modpacks/tekkit-2";
    EXPECT_EQ(plan(m), "backup belongs to a different instance");
    m.instanceRoot = text(layout.instance);
    EXPECT_EQ(plan(m, std::nullopt, std::filesystem::path("modpacks/tekkit-2")), "backup belongs to a different instance");
}

TEST_F(PlanFixture, UnsafeRepeatedOrMisplacedFilesAreRefused)
{
    EXPECT_EQ(plan(manifest(BackupKind::manual, {inInstance("a/../options.txt")})), "unsafe relative path a/../options.txt");
    EXPECT_EQ(plan(manifest(BackupKind::manual, {inInstance("options.txt"), inInstance("options.txt")})),
              "duplicate relative path options.txt");

    // Two records whose destinations coincide once standardised.
    auto other = inInstance("bin/options.txt");
    other.originalPath = text(layout.instance / "bin/../options.txt");
    EXPECT_EQ(plan(manifest(BackupKind::manual, {inInstance("options.txt"), other})),
              "duplicate restore destination " + text(layout.instance / "options.txt"));

    auto elsewhere = inInstance("options.txt");
    elsewhere.originalPath = text(layout.home / "options.txt");
    EXPECT_EQ(plan(manifest(BackupKind::manual, {elsewhere})), "restore destination does not match options.txt");
    elsewhere.originalPath = "options.txt"; // relative: refused, not resolved
    EXPECT_EQ(plan(manifest(BackupKind::manual, {elsewhere})), "restore destination does not match options.txt");

    std::filesystem::create_directories(layout.home / "real");
    std::filesystem::create_directory_symlink(layout.home / "real", layout.instance / "config");
    EXPECT_EQ(plan(manifest(BackupKind::manual, {inInstance("config/x.cfg")})),
              "restore destination contains a symbolic link");
}

TEST_F(PlanFixture, WorldBackupsTouchOnlySaves)
{
    EXPECT_EQ(plan(manifest(BackupKind::saves, {inInstance("saves/W/level.dat"), inInstance("options.txt")})),
              "world backup targets a non-save path");
    EXPECT_EQ(plan(manifest(BackupKind::saves, {inInstance("savesX/level.dat")})), "world backup targets a non-save path");
    EXPECT_EQ(plan(manifest(BackupKind::saves, {settings()}), layout.technicRoot), "world backup targets Technic settings");
    EXPECT_EQ(plan(manifest(BackupKind::saves, {inInstance("saves/W/level.dat")}, {text(layout.instance / "bin/runData")})),
              "world backup may not delete overlay-created paths");
}

TEST_F(PlanFixture, TechnicSettingsNeedTheMatchingTechnicRoot)
{
    const auto m = manifest(BackupKind::preOverlay, {settings()});
    EXPECT_EQ(plan(m), "Technic settings path does not match the selected instance");
    EXPECT_EQ(plan(m, layout.home.path()), "Technic settings path does not match the selected instance");
    EXPECT_EQ(plan(m, std::filesystem::path("technic")), "Technic settings path does not match the selected instance");

    std::filesystem::create_directories(layout.home / "elsewhere");
    std::filesystem::create_symlink(layout.home / "elsewhere/settings.json", layout.technicRoot / "settings.json");
    EXPECT_EQ(plan(m, layout.technicRoot), "Technic settings path contains a symbolic link");
}

TEST_F(PlanFixture, CreatedPathsMustLieInsideTheInstanceWithoutLinks)
{
    auto plainWith = [&](const QString& created) {
        return plan(manifest(BackupKind::preOverlay, {inInstance("options.txt")}, {created}));
    };
    EXPECT_EQ(plainWith(text(layout.technicRoot / "settings.json")), "created path is outside the selected instance");
    EXPECT_EQ(plainWith(text(layout.instance)), "created path is outside the selected instance");
    EXPECT_EQ(plainWith(text(layout.instance / "bin/../../x")), "created path is outside the selected instance");
    EXPECT_EQ(plainWith("bin/runData"), "created path is outside the selected instance");

    std::filesystem::remove_all(layout.instance / "bin");
    std::filesystem::create_directory_symlink(layout.home.path(), layout.instance / "bin");
    EXPECT_EQ(plainWith(text(layout.instance / "bin/runData")), "created path contains a symbolic link");
}

TEST_F(PlanFixture, ARestoreDeletesOnlyOverlayFilesItDoesNotRestore)
{
    auto overlayWith = [&](const QString& created) {
        return plan(manifest(BackupKind::preOverlay, {inInstance("options.txt"), settings()}, {created}),
                    layout.technicRoot);
    };
    const struct Case {
        const char* created;
        const char* outcome;
    } cases[] = {
        {"bin/runData", "<accepted>"},
        {"bin/../bin/runData", "<accepted>"},
        // Restored and then deleted, the restore would report success.
        {"options.txt", "created path is also a restore destination"},
        {"bin/../options.txt", "created path is also a restore destination"},
        // Anything else of the instance, world saves included, is no file of the overlay.
        {"saves/World/level.dat", "created path is not an overlay file"},
        {"bin/java.args", "created path is not an overlay file"},
        {"mods/optifine.jar", "created path is not an overlay file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.created);
        EXPECT_EQ(overlayWith(text(layout.instance / c.created)), c.outcome);
    }
    // options.txt may be created when it is not restored.
    EXPECT_EQ(plan(manifest(BackupKind::preOverlay, {settings()}, {text(layout.instance / "options.txt")}),
                   layout.technicRoot),
              "<accepted>");
}
