#include "stage2/InstallRootPaths.h"
#include "stage2/SafeStagedInstallPlanner.h"

#include "support/QtPrinters.h"
#include "support/TempDir.h"
#include "PolicyRefusal.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace orvane;
using orvane::test::policyRefusal;
using orvane::test::TempDir;
using orvane::test::writeFile;

namespace fs = std::filesystem;

namespace {

QUrl fileUrl(const fs::path& path)
{
    return QUrl::fromLocalFile(QString::fromStdString(path.native()));
}

QUrl fileUrl(const QString& path)
{
    return QUrl::fromLocalFile(path);
}

QString text(const fs::path& path)
{
    return QString::fromStdString(path.native());
}

ValidatedArtifactManifest manifestWith(const std::vector<QString>& paths)
{
    ValidatedArtifactManifest validated;
    validated.manifest.schemaVersion = 1;
    validated.manifest.id = QStringLiteral("manifest-1");
    validated.manifest.packID = QStringLiteral("tekkit-2");
    validated.manifest.providerID = QStringLiteral("example-provider");
    validated.manifest.packVersion = QStringLiteral("1.2.6");
    int n = 0;
    for (const QString& path : paths) {
        AuthorizedArtifact a;
        a.id = QStringLiteral("mod-%1").arg(n++);
        a.relativePath = path;
        validated.manifest.artifacts.push_back(a);
        validated.artifacts.push_back({a, SafeRelativePath(path)});
    }
    return validated;
}

// A bind mount showing `source` at `target`, undone (lazily, so a busy folder cannot keep it) when
// it goes. `error` is 0 when the mount was made.
struct BindMount {
    BindMount(const fs::path& source, const fs::path& target) : target(target)
    {
        fs::create_directories(source);
        fs::create_directories(target);
        error = ::mount(source.c_str(), target.c_str(), nullptr, MS_BIND, nullptr) == 0 ? 0 : errno;
    }
    ~BindMount()
    {
        if (error == 0)
            ::umount2(target.c_str(), MNT_DETACH);
    }
    BindMount(const BindMount&) = delete;
    BindMount& operator=(const BindMount&) = delete;

    fs::path target;
    int error = 0;
};

// A canonical scratch folder (the system temp folder may itself be reached through a link).
class PlannerTest : public ::testing::Test {
protected:
    PlannerTest() : base(fs::canonical(dir.path())), approved(base / "approved") { fs::create_directory(approved); }

    QString planRefusal(const QUrl& staging, const QUrl& final, const QUrl& approvedUrl = QUrl())
    {
        return policyRefusal([&] {
            SafeStagedInstallPlanner::plan(manifestWith({QStringLiteral("mods/a.jar")}),
                                           approvedUrl.isEmpty() ? fileUrl(approved) : approvedUrl, staging, final);
        });
    }

    QString approvedRefusal(const QUrl& url)
    {
        return policyRefusal([&] { SafeStagedInstallPlanner::validateApprovedRoot(url); });
    }

    TempDir dir;
    fs::path base;
    fs::path approved;
};

TEST_F(PlannerTest, approvedRootMustBeAnExistingRealFolderNarrowerThanRoot)
{
    EXPECT_EQ(approvedRefusal(fileUrl(QStringLiteral("/"))), QStringLiteral("The approved install root is too broad."));
    EXPECT_EQ(approvedRefusal(QUrl(QStringLiteral("https://example.com/games"))),
              QStringLiteral("The approved install root must be a file URL."));
    EXPECT_EQ(approvedRefusal(fileUrl(base / "missing")),
              QStringLiteral("The approved install root must already exist."));

    writeFile(base / "file", "x");
    EXPECT_EQ(approvedRefusal(fileUrl(base / "file")),
              QStringLiteral("The approved install root must be an existing non-symlink directory."));

    fs::create_symlink(approved, base / "link");
    EXPECT_EQ(approvedRefusal(fileUrl(base / "link")), QStringLiteral("Install root contains a symbolic-link alias."));
    fs::create_directory(approved / "sub");
    EXPECT_EQ(approvedRefusal(fileUrl(base / "link" / "sub")),
              QStringLiteral("Install root contains a symbolic-link alias."));

    // The same folder by its real path, with or without a trailing "/".
    EXPECT_EQ(SafeStagedInstallPlanner::validateApprovedRoot(fileUrl(approved)), approved);
    EXPECT_EQ(SafeStagedInstallPlanner::validateApprovedRoot(fileUrl(text(approved) + u'/')), approved);
    EXPECT_EQ(approvedRefusal(fileUrl(text(approved) + u"//sub"_qs)),
              QStringLiteral("Install root contains an empty path component."));
}

TEST_F(PlannerTest, approvedRootSpelledLikeASiblingIsACaseAlias)
{
    // On a case-sensitive disk both spellings can exist side by side; either would alias the other
    // on a case-insensitive one.
    fs::create_directory(base / "games");
    fs::create_directory(base / "Games");
    EXPECT_EQ(approvedRefusal(fileUrl(base / "Games")),
              QStringLiteral("Install root uses a case alias or colliding path component."));
}

TEST_F(PlannerTest, stagingAndFinalMustLieStrictlyInsideTheApprovedRoot)
{
    const QUrl finalUrl = fileUrl(approved / "final");
    EXPECT_EQ(planRefusal(fileUrl(base / "elsewhere" / "stage"), finalUrl),
              QStringLiteral("The staging install root is outside the approved root."));
    EXPECT_EQ(planRefusal(fileUrl(approved), finalUrl),
              QStringLiteral("The staging install root is outside the approved root."));
    // A sibling whose name merely begins with the approved root's name is outside it.
    EXPECT_EQ(planRefusal(fileUrl(base / "approved2" / "stage"), finalUrl),
              QStringLiteral("The staging install root is outside the approved root."));
    EXPECT_EQ(planRefusal(QUrl(QStringLiteral("https://example.com/stage")), finalUrl),
              QStringLiteral("The staging install root must be a file URL."));

    const QUrl stagingUrl = fileUrl(approved / "stage");
    EXPECT_EQ(planRefusal(stagingUrl, fileUrl(base / "final")),
              QStringLiteral("The final install root is outside the approved root."));
    EXPECT_EQ(planRefusal(stagingUrl, QUrl(QStringLiteral("https://example.com/final"))),
              QStringLiteral("The final install root must be a file URL."));
}

TEST_F(PlannerTest, stagingAndFinalMustNeitherCoincideNorNest)
{
    const QUrl stage = fileUrl(approved / "stage");
    EXPECT_EQ(planRefusal(stage, fileUrl(text(approved / "stage") + u'/')),
              QStringLiteral("Staging and final install roots must differ."));
    EXPECT_EQ(planRefusal(stage, fileUrl(approved / "stage" / "final")),
              QStringLiteral("Staging and final install roots must not overlap."));
    EXPECT_EQ(planRefusal(fileUrl(approved / "stage" / "inner"), stage),
              QStringLiteral("Staging and final install roots must not overlap."));
    // Only a "/" boundary makes one inside the other.
    EXPECT_EQ(planRefusal(stage, fileUrl(approved / "stage2")), QStringLiteral("<no error>"));
}

TEST_F(PlannerTest, rootsThatDifferOnlyInCaseAreOneFolderOrNested)
{
    struct Case {
        const char16_t* staging;
        const char16_t* final;
        const char* refusal;
    };
    const Case cases[] = {
        {u"work", u"WORK", "Staging and final install roots must differ."},
        {u"\u017ftage", u"Stage", "Staging and final install roots must differ."},
        {u"Next", u"next/final", "Staging and final install roots must not overlap."},
        {u"next/stage", u"NEXT", "Staging and final install roots must not overlap."},
        {u"stage", u"STAGE2", "<no error>"},
        {u"stage/a", u"STAGE/b", "<no error>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.refusal);
        const QString root = text(approved) + u'/';
        EXPECT_EQ(planRefusal(fileUrl(root + QString::fromUtf16(c.staging)), fileUrl(root + QString::fromUtf16(c.final))),
                  QString::fromUtf8(c.refusal));
    }
}

TEST_F(PlannerTest, aLocationThatPassesThroughOrEndsAtALinkIsRefused)
{
    const fs::path outside = base / "outside";
    fs::create_directory(outside);
    writeFile(outside / "a.jar", "x");
    const fs::path stage = approved / "stage";
    const fs::path final = approved / "final";
    struct Case {
        const char* name;
        std::function<void()> arrange;
        const char* refusal;
    };
    const Case cases[] = {
        {"a linked folder inside the staging root", [&] { fs::create_directories(stage);
                                                          fs::create_directory_symlink(outside, stage / "mods"); },
         "Install root contains a symbolic link at component: mods"},
        {"a link at the final location", [&] { fs::create_directories(final / "mods");
                                               fs::create_symlink(outside / "a.jar", final / "mods" / "a.jar"); },
         "Install root contains a symbolic link at component: a.jar"},
        {"a dangling link at the staging location", [&] { fs::create_directories(stage / "mods");
                                                          fs::create_symlink(base / "gone", stage / "mods" / "a.jar"); },
         "Install root contains a symbolic link at component: a.jar"},
        {"a file already at the final location", [&] { writeFile(final / "mods" / "a.jar", "old"); }, "<no error>"},
        {"a file where the final folder would be", [&] { writeFile(final / "mods", "x"); }, "<no error>"},
        {"a link beside the location", [&] { fs::create_directories(stage / "mods");
                                             fs::create_symlink(outside / "a.jar", stage / "mods" / "b.jar"); },
         "<no error>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(stage);
        fs::remove_all(final);
        c.arrange();
        EXPECT_EQ(planRefusal(fileUrl(stage), fileUrl(final)), QString::fromUtf8(c.refusal));
    }
}

TEST_F(PlannerTest, innerRootsAreWalkedForAliasesLinksAndFiles)
{
    const QUrl finalUrl = fileUrl(approved / "final");

    fs::create_directory(approved / "games");
    EXPECT_EQ(planRefusal(fileUrl(approved / "Games" / "stage"), finalUrl),
              QStringLiteral("Install root uses a case alias or colliding path component."));

    // The same name in another normal form is the same folder on a normalising file system.
    fs::create_directory(approved / fs::path("cafe\u0301"));
    EXPECT_EQ(planRefusal(fileUrl(text(approved) + u"/caf\u00E9/stage"_qs), finalUrl),
              QStringLiteral("Install root uses a case alias or colliding path component."));

    fs::create_directory(approved / "real");
    fs::create_symlink(approved / "real", approved / "link");
    EXPECT_EQ(planRefusal(fileUrl(approved / "link" / "stage"), finalUrl),
              QStringLiteral("Install root contains a symbolic-link alias."));

    writeFile(approved / "file.txt", "x");
    EXPECT_EQ(planRefusal(fileUrl(approved / "file.txt" / "stage"), finalUrl),
              QStringLiteral("Install root traverses a non-directory component."));

    // Components that do not exist yet still obey the component rule.
    EXPECT_EQ(planRefusal(fileUrl(text(approved) + u"/new/a\u0001b"_qs), finalUrl),
              QStringLiteral("Install root contains an unsafe path component."));
    EXPECT_EQ(planRefusal(fileUrl(text(approved) + u"/new/cafe\u0301"_qs), finalUrl),
              QStringLiteral("Install root contains an unsafe path component."));
    EXPECT_EQ(planRefusal(fileUrl(text(approved) + u"/new/../stage"_qs), finalUrl),
              QStringLiteral("Install root contains an unsafe path component."));
}

TEST_F(PlannerTest, planPlacesEveryArtifactInOrderAndCreatesNothing)
{
    const ValidatedArtifactManifest manifest =
        manifestWith({QStringLiteral("mods/b.jar"), QStringLiteral("config/a b/c.cfg"), QStringLiteral("a.txt")});
    const SafeStagedInstallPlan plan = SafeStagedInstallPlanner::plan(
        manifest, fileUrl(text(approved) + u'/'), fileUrl(approved / "staging" / "run-1"), fileUrl(approved / "final"));

    EXPECT_EQ(plan.manifestID, QStringLiteral("manifest-1"));
    EXPECT_EQ(plan.packID, QStringLiteral("tekkit-2"));
    EXPECT_EQ(plan.providerID, QStringLiteral("example-provider"));
    EXPECT_EQ(plan.packVersion, QStringLiteral("1.2.6"));
    EXPECT_EQ(plan.approvedRoot, approved);
    EXPECT_EQ(plan.stagingRoot, approved / "staging" / "run-1");
    EXPECT_EQ(plan.finalRoot, approved / "final");
    ASSERT_EQ(plan.placements.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        const fs::path relative = manifest.artifacts[i].relativePath.rawValue().toStdString();
        EXPECT_EQ(plan.placements[i].artifact, manifest.manifest.artifacts[i]);
        EXPECT_EQ(plan.placements[i].stagingURL, approved / "staging" / "run-1" / relative);
        EXPECT_EQ(plan.placements[i].finalURL, approved / "final" / relative);
    }
    EXPECT_EQ(plan.preservedRelativePaths, std::vector<QString>{QStringLiteral("saves")});
    EXPECT_FALSE(fs::exists(approved / "staging"));
    EXPECT_FALSE(fs::exists(approved / "final"));
}

TEST_F(PlannerTest, walkRefusesALinkItMeetsNamingTheComponent)
{
    fs::create_directory(base / "real");
    fs::create_symlink(base / "real", base / "link");
    EXPECT_EQ(policyRefusal([&] { walkInstallRoot(base / "link" / "x"); }),
              QStringLiteral("Install root contains a symbolic link at component: link"));
    EXPECT_EQ(policyRefusal([&] { walkInstallRoot(base / "link"); }),
              QStringLiteral("Install root contains a symbolic link at component: link"));
    // The last component may be a file; a missing tail ends the walk.
    writeFile(base / "real" / "file", "x");
    EXPECT_NO_THROW(walkInstallRoot(base / "real" / "file"));
    EXPECT_NO_THROW(walkInstallRoot(base / "real" / "not-yet" / "deeper"));
}

TEST_F(PlannerTest, anAncestorThatCannotBeInspectedIsRefused)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the superuser";
    fs::create_directory(approved / "locked");
    ::chmod((approved / "locked").c_str(), 0);
    const QString refusal = planRefusal(fileUrl(approved / "locked" / "stage"), fileUrl(approved / "final"));
    ::chmod((approved / "locked").c_str(), 0700);
    EXPECT_EQ(refusal, QStringLiteral("Install root could not be inspected."));
}

TEST_F(PlannerTest, aBindMountMakesTwoRootsOneOrBringsAFolderFromOutside)
{
    struct Case {
        const char* name;
        std::vector<std::pair<const char*, const char*>> binds; // source, target under the scratch folder
        const char* staging;
        const char* final;
        const char* refusal;
    };
    const Case cases[] = {
        {"staging is the final root", {{"approved/c1/final", "approved/c1/stage"}}, "approved/c1/stage",
         "approved/c1/final", "Staging and final install roots must differ."},
        {"staging lies inside the final root", {{"approved/c2/final", "approved/c2/view"}}, "approved/c2/view/stage",
         "approved/c2/final", "Staging and final install roots must not overlap."},
        {"the final root holds the staging root", {{"approved/c3/stage", "approved/c3/view"}},
         "approved/c3/stage/deeper", "approved/c3/view", "Staging and final install roots must not overlap."},
        {"the final root is a folder outside", {{"outside/c4", "approved/c4/final"}}, "approved/c4/stage",
         "approved/c4/final", "The final install root is outside the approved root."},
        {"the staging root is a folder outside", {{"outside/c5", "approved/c5/stage"}}, "approved/c5/stage/run",
         "approved/c5/final", "The staging install root is outside the approved root."},
        {"a location leads out of the final root", {{"outside/c6", "approved/c6/final/mods"}}, "approved/c6/stage",
         "approved/c6/final", "Install plan path escaped its root."},
        {"a folder of the approved root shown elsewhere in it", {{"approved/c7/real", "approved/c7/view"}},
         "approved/c7/view/stage", "approved/c7/final", "<no error>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::unique_ptr<BindMount>> mounts;
        for (const auto& [source, target] : c.binds) {
            mounts.push_back(std::make_unique<BindMount>(base / source, base / target));
            if (mounts.back()->error != 0)
                GTEST_SKIP() << "bind mounts are not allowed here: " << std::strerror(mounts.back()->error);
        }
        EXPECT_EQ(planRefusal(fileUrl(base / c.staging), fileUrl(base / c.final)), QString::fromUtf8(c.refusal));
    }
}

TEST(InstallRootPaths, splittingAbsolutePaths)
{
    EXPECT_EQ(splitAbsoluteInstallPath(u"/"_qs), u"/"_qs);
    EXPECT_EQ(splitAbsoluteInstallPath(u"/a/b/"_qs), u"/a/b"_qs);
    EXPECT_EQ(splitAbsoluteInstallPath(u"/a b/\u00E9"_qs), u"/a b/\u00E9"_qs);

    const auto refusal = [](const QString& path) { return policyRefusal([&] { splitAbsoluteInstallPath(path); }); };
    EXPECT_EQ(refusal(u"a/b"_qs), u"Install root must be an absolute local path."_qs);
    EXPECT_EQ(refusal(QString()), u"Install root must be an absolute local path."_qs);
    EXPECT_EQ(refusal(u"/a"_qs + QChar(u'\0') + u"b"_qs), u"Install root must be an absolute local path."_qs);
    EXPECT_EQ(refusal(u"//a"_qs), u"Install root contains an empty path component."_qs);
    EXPECT_EQ(refusal(u"/a//b"_qs), u"Install root contains an empty path component."_qs);
    // Empty pieces are judged before the pieces themselves.
    EXPECT_EQ(refusal(u"/../a//b"_qs), u"Install root contains an empty path component."_qs);

    const QString unsafe = QStringLiteral("Install root contains an unsafe path component.");
    for (const QString& bad : {u"/a/./b"_qs, u"/a/.."_qs, u"/a/b\u007F"_qs, u"/K\u212A"_qs, u"/e\u0301"_qs,
                               u'/' + QString(256, u'x'), u'/' + QString(128, u'\u00E9')}) {
        EXPECT_EQ(refusal(bad), unsafe) << bad.toStdString();
    }
    EXPECT_EQ(splitAbsoluteInstallPath(u'/' + QString(255, u'x')), u'/' + QString(255, u'x'));
    // U+0085 is not a control character here.
    EXPECT_EQ(splitAbsoluteInstallPath(u"/a\u0085"_qs), u"/a\u0085"_qs);
}

TEST(InstallRootPaths, joiningStaysUnderTheRoot)
{
    EXPECT_EQ(joinUnderRoot("/r", u"mods/a.jar"_qs), fs::path("/r/mods/a.jar"));
    EXPECT_EQ(joinUnderRoot("/r/", u"mods/a.jar"_qs), fs::path("/r/mods/a.jar"));
    const QString escaped = QStringLiteral("Install plan path escaped its root.");
    EXPECT_EQ(policyRefusal([] { joinUnderRoot("/r", u"a/../../x"_qs); }), escaped);
    EXPECT_EQ(policyRefusal([] { joinUnderRoot("/r", u"../r2/x"_qs); }), escaped);
    EXPECT_EQ(policyRefusal([] { joinUnderRoot("/r", u"a/.."_qs); }), escaped);
    EXPECT_EQ(policyRefusal([] { joinUnderRoot("/r", QString()); }), escaped);
    EXPECT_EQ(policyRefusal([] { joinUnderRoot("r", u"a"_qs); }), u"Install plan root must be a file URL."_qs);
}

} // namespace
