#include "technic/InstanceBinFiles.h"

#include "model/CertifiedPack.h"
#include "platform/FileOperations.h"
#include "support/FixtureHome.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;
using InstanceBinFiles::RunData;

TEST(InstanceBinFiles, ReadsTheLauncherSamples)
{
    auto& files = *FileOperations::system();
    const auto sample = std::filesystem::path(ORVANE_TEST_FIXTURES) / "technic/instance";
    EXPECT_EQ(InstanceBinFiles::readPackVersion(sample, files), QStringLiteral("1.2.6"));
    EXPECT_EQ(InstanceBinFiles::readForgeVersion(sample, files), CertifiedPack::forgeId);
    EXPECT_EQ(InstanceBinFiles::readRunData(sample, files), (RunData{QStringLiteral("1.8"), 4096}));
}

TEST(InstanceBinFiles, RunDataMemoryForms)
{
    EXPECT_EQ(InstanceBinFiles::parseRunData(R"({"memory": "+2048"})").memory, 2048);
    EXPECT_EQ(InstanceBinFiles::parseRunData(R"({"memory": "-512"})").memory, -512);
    EXPECT_EQ(InstanceBinFiles::parseRunData(R"({"memory": 3072})").memory, 3072);
    for (const char* absent : {R"({"memory": "2G"})", R"({"memory": ""})", R"({"memory": "+"})", R"({"memory": " 4096"})",
                               R"({"memory": "4096.0"})", R"({"memory": 4096.5})", R"({"memory": true})",
                               R"({"memory": "99999999999999999999"})", R"({"memory": null})"}) {
        SCOPED_TRACE(absent);
        EXPECT_EQ(InstanceBinFiles::parseRunData(absent).memory, std::nullopt);
    }
    EXPECT_EQ(InstanceBinFiles::decimalInteger(QStringLiteral("9223372036854775807")), INT64_MAX);
    EXPECT_EQ(InstanceBinFiles::decimalInteger(QStringLiteral("-9223372036854775808")), INT64_MIN);
    EXPECT_EQ(InstanceBinFiles::decimalInteger(QStringLiteral("9223372036854775808")), std::nullopt);
    EXPECT_EQ(InstanceBinFiles::decimalInteger(QStringLiteral("\u0664\u0660")), std::nullopt); // Arabic-Indic digits
}

TEST(InstanceBinFiles, EveryFailureLeavesValuesAbsent)
{
    EXPECT_EQ(InstanceBinFiles::parsePackVersion(R"({"version": 1.2})"), std::nullopt);
    EXPECT_EQ(InstanceBinFiles::parsePackVersion(R"(["1.2.6"])"), std::nullopt);
    EXPECT_EQ(InstanceBinFiles::parsePackVersion("not json"), std::nullopt);
    EXPECT_EQ(InstanceBinFiles::parseForgeVersion(R"({"id": null})"), std::nullopt);
    EXPECT_EQ(InstanceBinFiles::parseRunData(R"({"java": 8, "memory": "1024"})"), (RunData{std::nullopt, 1024}));

    FixtureHome home;
    auto& files = *FileOperations::system();
    FixtureHome::makeFifo(home.instanceRoot() / "bin" / "version");
    std::filesystem::remove(home.instanceRoot() / "bin" / "runData");
    EXPECT_EQ(InstanceBinFiles::readPackVersion(home.instanceRoot(), files), std::nullopt);
    EXPECT_EQ(InstanceBinFiles::readRunData(home.instanceRoot(), files), RunData{});
    EXPECT_EQ(InstanceBinFiles::readForgeVersion(home.instanceRoot(), files), CertifiedPack::forgeId);
}
