#include "json/DecodingError.h"
#include "json/JsonWriter.h"
#include "model/CapabilityReport.h"
#include "model/InstallInspection.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QJsonDocument>

#include <cmath>

using namespace orvane;

namespace {

template <class T>
T roundTrip(const T& value)
{
    return fromJson<T>(QJsonDocument::fromJson(encodeJson(toJson(value))).object());
}

CapabilityReport sampleCapability()
{
    return CapabilityReport{
        .chipBrand = QStringLiteral("Apple M2 Pro"),
        .hardwareModel = QStringLiteral("Mac14,10"),
        .architecture = QStringLiteral("arm64"),
        .physicalMemoryBytes = 17179869184ULL,
        .physicalMemoryGigabytes = 16.0,
        .backingScale = 2.0,
        .displayWidth = 3024,
        .displayHeight = 1964,
        .isRetina = true,
        .volumeAvailableBytes = 123456789012ULL,
        .currentProcessTranslated = false,
        .rosettaInstalled = true,
        .osVersion = QStringLiteral("Version 14.4 (Build 23E214)"),
        .capturedAt = QDateTime::fromSecsSinceEpoch(1796800868, Qt::UTC),
    };
}

InstallInspection fullInspection()
{
    InstallInspection i;
    i.technicApp = "/Applications/TechnicLauncher.app";
    i.technicRoot = "/home/u/Library/Application Support/technic";
    i.instanceRoot = "/home/u/Library/Application Support/technic/modpacks/tekkit-2";
    i.packSlug = QStringLiteral("tekkit-2");
    i.packVersion = QStringLiteral("1.2.6");
    i.forgeId = QStringLiteral("1.12.2-forge-14.23.5.2860");
    i.javaRequirement = QStringLiteral("1.8");
    i.runDataMemoryMB = 4096;
    i.settingsMemoryId = 6;
    i.settingsMemoryMB = 4096;
    i.javaVersionSetting = QStringLiteral("default");
    i.useMojangJava = false;
    i.options = {{"renderDistance", "8"}, {"fboEnable", "true"}};
    i.modFileNames = {"vintagefix-0.3.3.jar", "nothirium-0.2.jar"};
    i.hasNothirium = true;
    i.hasVintageFix = true;
    i.hasOptiFine = true;
    i.warnings = {InstallInspection::optiFineWarningText()};
    i.isCertifiedPack = true;
    return i;
}

const char* const minimalInspectionJson = R"({"options":{},"modFileNames":[],"hasNothirium":false,
    "hasVintageFix":false,"hasOptiFine":false,"warnings":[],"isCertifiedPack":false})";

} // namespace

TEST(CapabilityReport, RoundTripsAndDerivesMemory)
{
    const CapabilityReport report = sampleCapability();
    EXPECT_EQ(roundTrip(report), report);
    EXPECT_EQ(report.physicalMemoryMegabytes(), 16384);
    EXPECT_EQ(double(report.physicalMemoryBytes) / 1073741824.0, 16.0);

    const QJsonObject o = toJson(report);
    EXPECT_EQ(o.size(), 14);
    EXPECT_EQ(o.value("capturedAt").toString(), QStringLiteral("2026-12-09T07:21:08Z"));
    EXPECT_EQ(o.value("physicalMemoryBytes").toInteger(), 17179869184LL);

    CapabilityReport odd = report;
    odd.physicalMemoryBytes = (1ULL << 20) * 3 - 1;
    EXPECT_EQ(odd.physicalMemoryMegabytes(), 2);
    odd.backingScale = std::nan("");
    EXPECT_THROW(toJson(odd), EncodingError);
}

TEST(CapabilityReport, DecodingIsStrict)
{
    const QJsonObject good = toJson(sampleCapability());
    const auto withValue = [&](const char* key, const QJsonValue& v) {
        QJsonObject o = good;
        o.insert(key, v);
        return o;
    };
    EXPECT_NO_THROW(fromJson<CapabilityReport>(withValue("unknownKey", 3)));
    QJsonObject missing = good;
    missing.remove("osVersion");
    EXPECT_THROW(fromJson<CapabilityReport>(missing), DecodingError);
    EXPECT_THROW(fromJson<CapabilityReport>(withValue("chipBrand", QJsonValue::Null)), DecodingError);
    EXPECT_THROW(fromJson<CapabilityReport>(withValue("isRetina", 1)), DecodingError);
    EXPECT_THROW(fromJson<CapabilityReport>(withValue("displayWidth", 1.5)), DecodingError);
    EXPECT_THROW(fromJson<CapabilityReport>(withValue("displayWidth", true)), DecodingError);
    EXPECT_THROW(fromJson<CapabilityReport>(withValue("physicalMemoryBytes", -1)), DecodingError);
    EXPECT_THROW(fromJson<CapabilityReport>(withValue("capturedAt", "yesterday")), DecodingError);
    // A whole-valued double field may be written without a fraction.
    EXPECT_EQ(fromJson<CapabilityReport>(withValue("backingScale", 1)).backingScale, 1.0);
}

TEST(InstallInspection, EmptyInspectionWritesNoOptionalKeysAndRoundTrips)
{
    const InstallInspection empty;
    const QJsonObject o = toJson(empty);
    EXPECT_EQ(o.keys(), (QStringList{"hasNothirium", "hasOptiFine", "hasVintageFix", "isCertifiedPack",
                                     "modFileNames", "options", "warnings"}));
    EXPECT_TRUE(o.value("options").isObject());
    EXPECT_TRUE(o.value("warnings").isArray());
    EXPECT_EQ(roundTrip(empty), empty);
    EXPECT_EQ(fromJson<InstallInspection>(QJsonDocument::fromJson(minimalInspectionJson).object()), empty);
}

TEST(InstallInspection, FullInspectionRoundTrips)
{
    const InstallInspection full = fullInspection();
    EXPECT_EQ(roundTrip(full), full);
    EXPECT_EQ(toJson(full).value("technicRoot").toString(),
              QStringLiteral("/home/u/Library/Application Support/technic"));
    EXPECT_EQ(toJson(full).value("useMojangJava"), QJsonValue(false));
}

TEST(InstallInspection, NullOptionalsReadAsAbsentButRequiredKeysAreRequired)
{
    QJsonObject o = QJsonDocument::fromJson(minimalInspectionJson).object();
    o.insert("useMojangJava", QJsonValue::Null);
    o.insert("technicApp", QJsonValue::Null);
    const InstallInspection i = fromJson<InstallInspection>(o);
    EXPECT_FALSE(i.useMojangJava);
    EXPECT_FALSE(i.technicApp);

    for (const char* key : {"options", "modFileNames", "hasNothirium", "hasVintageFix", "hasOptiFine", "warnings",
                            "isCertifiedPack"}) {
        QJsonObject missing = o;
        missing.remove(key);
        EXPECT_THROW(fromJson<InstallInspection>(missing), DecodingError) << key;
        missing.insert(key, QJsonValue::Null);
        EXPECT_THROW(fromJson<InstallInspection>(missing), DecodingError) << key;
    }
}

TEST(InstallInspection, PresentOptionalsAreStillStrict)
{
    const QJsonObject base = QJsonDocument::fromJson(minimalInspectionJson).object();
    const auto with = [&](const char* key, const QJsonValue& v) {
        QJsonObject o = base;
        o.insert(key, v);
        return o;
    };
    EXPECT_THROW(fromJson<InstallInspection>(with("settingsMemoryId", 1.5)), DecodingError);
    EXPECT_THROW(fromJson<InstallInspection>(with("settingsMemoryId", true)), DecodingError);
    EXPECT_THROW(fromJson<InstallInspection>(with("useMojangJava", 0)), DecodingError);
    EXPECT_THROW(fromJson<InstallInspection>(with("technicRoot", 7)), DecodingError);
    EXPECT_THROW(fromJson<InstallInspection>(with("options", QJsonObject{{"fov", 70}})), DecodingError);
    EXPECT_THROW(fromJson<InstallInspection>(with("modFileNames", QJsonArray{"a.jar", 3})), DecodingError);
    EXPECT_EQ(fromJson<InstallInspection>(with("settingsMemoryId", -1)).settingsMemoryId, -1);
}

TEST(InstallInspection, OptionsCompareAsAMapButListsKeepTheirOrder)
{
    InstallInspection a = fullInspection();
    InstallInspection b = a;
    b.options.clear();
    b.options.emplace(QStringLiteral("fboEnable"), QStringLiteral("true"));
    b.options.emplace(QStringLiteral("renderDistance"), QStringLiteral("8"));
    EXPECT_EQ(a, b);
    std::swap(b.modFileNames[0], b.modFileNames[1]);
    EXPECT_NE(a, b);
    b = a;
    b.useMojangJava.reset();
    EXPECT_NE(a, b);
}

TEST(InstallInspection, OptiFineWarningFollowsTheFlagOnly)
{
    InstallInspection i;
    i.warnings = {InstallInspection::optiFineWarningText()};
    EXPECT_FALSE(i.optiFineWarning());
    i.hasOptiFine = true;
    i.warnings.clear();
    EXPECT_EQ(i.optiFineWarning(),
              QStringLiteral("OptiFine is present. Orvane will not install or update it. VintageFix and Nothirium "
                             "both warn that OptiFine can cause glitches. Certified Balanced does not use shaders."));
}
