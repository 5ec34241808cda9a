#include "model/CertifiedPack.h"
#include "model/OrvaneError.h"
#include "model/OrvanePaths.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <system_error>

using namespace orvane;

TEST(OrvaneError, DescriptionsAreTheExactSentences)
{
    EXPECT_EQ(OrvaneError::technicDataMissing("/h/Library/Application Support/technic").description(),
              QStringLiteral("Technic data folder is missing at /h/Library/Application Support/technic."));
    // A folder given with a trailing "/" is named without it.
    EXPECT_EQ(OrvaneError::technicDataMissing("/t/d/").description(),
              QStringLiteral("Technic data folder is missing at /t/d."));
    EXPECT_EQ(OrvaneError::unsupportedPackVersion("1.2.5", "1.2.6").description(),
              QStringLiteral("This instance is Tekkit 1.2.5. Orvane\u2019s certified profile is 1.2.6."));
    EXPECT_EQ(OrvaneError::unsupportedForge("14.23.5.2859", "14.23.5.2860").description(),
              QStringLiteral("This instance uses Forge 14.23.5.2859. Orvane\u2019s certified profile is 14.23.5.2860."));
    EXPECT_EQ(OrvaneError::backupCorrupt("x").description(), QStringLiteral("The backup failed verification: x"));
    EXPECT_EQ(OrvaneError::restoreHashMismatch("/a/b").description(),
              QStringLiteral("Restore produced a hash mismatch at /a/b."));
    EXPECT_EQ(OrvaneError::applyFailedRollbackFailed("A", "B").description(),
              QStringLiteral("Apply Balanced failed (A) and rolling back the overlay also failed (B). Quit Technic and "
                             "Restore, or restore the latest pre-overlay backup by hand."));
    EXPECT_EQ(OrvaneError::policyDenied("p").description(), QStringLiteral("Content policy refused this profile: p"));
    EXPECT_EQ(OrvaneError::overlayRefused("o").description(), QStringLiteral("Orvane refused to apply the overlay: o"));
    EXPECT_EQ(OrvaneError::io("").description(), QString());
    EXPECT_EQ(OrvaneError::invalidProfile("i").description(), QStringLiteral("Invalid profile: i"));
    EXPECT_EQ(OrvaneError::launchObservationFailed("L.").description(), QStringLiteral("L."));
    EXPECT_EQ(OrvaneError::technicAppMissing().description(),
              QStringLiteral("Orvane could not find the official Technic Launcher. Install it from technicpack.net, "
                             "then open it once."));
    EXPECT_EQ(OrvaneError::tekkitMissing().description(),
              QStringLiteral("Tekkit 2 1.2.6 is not installed in Technic. Install the official pack from the Technic "
                             "Platform, then return to Orvane."));
    EXPECT_EQ(OrvaneError::minecraftRunning().description(),
              QStringLiteral("Minecraft is still running. Quit the game before Orvane changes files."));
    EXPECT_EQ(OrvaneError::technicRunning().description(),
              QStringLiteral("Technic is still running. Quit Technic before Orvane changes files."));
    EXPECT_EQ(OrvaneError::backupMissing().description(), QStringLiteral("No Orvane backup exists for this instance."));
}

TEST(OrvaneError, WhatIsTheSentenceInUtf8AndDescribeUsesIt)
{
    const auto e = OrvaneError::unsupportedPackVersion("a", "b");
    EXPECT_STREQ(e.what(), "This instance is Tekkit a. Orvane\xe2\x80\x99s certified profile is b.");
    EXPECT_EQ(describe(e), e.description());
    const std::system_error platform(2, std::generic_category(), "open /x");
    EXPECT_EQ(describe(platform), QStringLiteral("open /x: No such file or directory"));
}

TEST(OrvaneError, PlaceholdersInPayloadsAreNotExpandedAgain)
{
    EXPECT_EQ(OrvaneError::unsupportedForge("%2", "X").description(),
              QStringLiteral("This instance uses Forge %2. Orvane\u2019s certified profile is X."));
}

TEST(OrvaneError, EqualityIsByKindThenPayload)
{
    EXPECT_NE(OrvaneError::unsupportedPackVersion("a", "b"), OrvaneError::unsupportedForge("a", "b"));
    EXPECT_NE(OrvaneError::io("a"), OrvaneError::io("b"));
    EXPECT_EQ(OrvaneError::io("a"), OrvaneError::io("a"));
    EXPECT_NE(OrvaneError::io("a"), OrvaneError::launchObservationFailed("a"));
    EXPECT_EQ(OrvaneError::technicRunning(), OrvaneError::technicRunning());
    EXPECT_NE(OrvaneError::applyFailedRollbackFailed("a", "b"), OrvaneError::applyFailedRollbackFailed("a", "c"));
}

TEST(OrvanePaths, FoldersInTheXdgDataFolderAnAbsoluteXdgDataHomeNamesAndNothingCreated)
{
    struct Case {
        const char* name;
        ProcessEnvironment environment;
        std::filesystem::path expected;
    } cases[] = {
        {"no variable", {}, "/nonexistent-home/.local/share/orvane"},
        {"absolute", {{QStringLiteral("XDG_DATA_HOME"), QStringLiteral("/nonexistent-data")}}, "/nonexistent-data/orvane"},
        {"absolute with a final slash", {{QStringLiteral("XDG_DATA_HOME"), QStringLiteral("/nonexistent-data/")}},
         "/nonexistent-data/orvane"},
        {"empty", {{QStringLiteral("XDG_DATA_HOME"), QString()}}, "/nonexistent-home/.local/share/orvane"},
        {"relative", {{QStringLiteral("XDG_DATA_HOME"), QStringLiteral("data")}}, "/nonexistent-home/.local/share/orvane"},
        {"another variable only", {{QStringLiteral("XDG_CONFIG_HOME"), QStringLiteral("/nonexistent-config")}},
         "/nonexistent-home/.local/share/orvane"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const OrvanePaths paths("/nonexistent-home", c.environment);
        EXPECT_EQ(paths.applicationSupport, c.expected);
        EXPECT_EQ(paths.backups, c.expected / "backups");
        EXPECT_EQ(paths.diagnostics, c.expected / "diagnostics");
    }
    EXPECT_FALSE(std::filesystem::exists("/nonexistent-home"));
    EXPECT_FALSE(std::filesystem::exists("/nonexistent-data"));
}

TEST(CertifiedPack, Constants)
{
    EXPECT_EQ(CertifiedPack::forgeId, QStringLiteral("1.12.2-forge-14.23.5.2860"));
    EXPECT_EQ(CertifiedPack::acceptedSlugs, (QStringList{"tekkit-2", "tekkit2", "tekkit 2"}));
}
