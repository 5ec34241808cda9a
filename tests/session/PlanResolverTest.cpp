#include "session/PlanResolver.h"

#include "json/DecodingError.h"
#include "model/CoreResources.h"
#include "model/OrvaneError.h"
#include "model/TechnicMemory.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace orvane;

namespace {

const QString kWithoutRosetta = QStringLiteral(
    "Apple Silicon without Rosetta: Mojang Java 8 is Intel-only and Play fails with Unknown error: null. "
    "Tekkit 2\u2019s LWJGL natives are also Intel-only, so arm64 Java 8 cannot open the game. Install Rosetta, then "
    "Apply Balanced again. Do not symlink runtimes/jre-legacy onto a user JDK.");
const QString kWithRosetta = QStringLiteral(
    "Apple Silicon + Rosetta: Tekkit 2\u2019s LWJGL 2 natives are Intel-only. Balanced turns Use Mojang Java on so "
    "Play runs translated x86_64. Orvane will not claim native Apple Silicon. Launch Technic itself with arm64 "
    "Java 8. Do not symlink runtimes/jre-legacy onto a user JDK.");
const QString kOptiFine = QStringLiteral("OptiFine was detected and will not be added, removed, or reconfigured.");
const QString kModsMissing = QStringLiteral(
    "Nothirium or VintageFix is missing. Balanced still writes overlay files only; it will not add those JARs.");
const QString kNoJars = QStringLiteral("No JARs, shader packs, or OptiFine will be written.");

CapabilityReport machine(std::uint64_t gibibytes, const QString& architecture = QStringLiteral("arm64"),
                         bool rosetta = true)
{
    CapabilityReport report;
    report.architecture = architecture;
    report.physicalMemoryBytes = gibibytes << 30;
    report.rosettaInstalled = rosetta;
    return report;
}

InstallInspection withMods(bool nothirium, bool vintageFix, bool optiFine)
{
    InstallInspection inspection;
    inspection.hasNothirium = nothirium;
    inspection.hasVintageFix = vintageFix;
    inspection.hasOptiFine = optiFine;
    return inspection;
}

const InstallInspection kAllMods = withMods(true, true, false);

CoreResources::Lookup profileBytes(QByteArray bytes)
{
    return [bytes](const QString& name, const QString& extension) -> std::optional<QByteArray> {
        if (name == QLatin1String("balanced.profile") && extension == QLatin1String("json"))
            return bytes;
        return CoreResources::embedded(name, extension);
    };
}

// Everything after the profile's own notes.
std::vector<QString> addedNotes(const OverlayPlan& plan)
{
    const OverlayPlan bare = PlanResolver::resolve(machine(8, QStringLiteral("x86_64")), kAllMods);
    const std::size_t profileNotes = bare.notes.size() - 2; // the heap note and the "No JARs" note
    return {plan.notes.begin() + std::ptrdiff_t(profileNotes), plan.notes.end()};
}

} // namespace

TEST(PlanResolver, HeapIsTheSizeOfTheChosenTechnicMemoryId)
{
    struct Case {
        std::uint64_t gibibytes;
        std::int64_t target;
        std::int64_t settingsId;
        std::int64_t megabytes;
    };
    const Case cases[] = {
        {4, 3072, 5, 3072},   {8, 3072, 5, 3072},   {12, 3072, 5, 3072},  {16, 4096, 6, 4096},
        {18, 4608, 6, 4096},  {20, 5120, 7, 5120},  {24, 6144, 8, 6144},  {30, 7680, 9, 7168},
        {32, 8192, 10, 8192}, {64, 8192, 10, 8192}, {192, 8192, 10, 8192},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.gibibytes);
        EXPECT_EQ(PlanResolver::targetHeapMegabytes(std::int64_t(c.gibibytes) * 1024), c.target);
        const OverlayPlan plan = PlanResolver::resolve(machine(c.gibibytes), kAllMods);
        EXPECT_EQ(plan.memorySettingsId, c.settingsId);
        EXPECT_EQ(plan.memoryMegabytes, c.megabytes);
        // Never above what the chosen launcher setting gives, or Technic would block Play.
        EXPECT_LE(plan.memoryMegabytes, TechnicMemory::megabytes(plan.memorySettingsId));
        EXPECT_EQ(addedNotes(plan).front(), QStringLiteral("Target Java heap %1 MB (Technic settings ID %2).")
                                                .arg(c.megabytes)
                                                .arg(c.settingsId));
    }
    // Just below 12 GiB and odd sizes.
    EXPECT_EQ(PlanResolver::targetHeapMegabytes(12287), 3072);
    EXPECT_EQ(PlanResolver::targetHeapMegabytes(12291), 3072);
    EXPECT_EQ(PlanResolver::targetHeapMegabytes(-1), 3072);
}

TEST(PlanResolver, GuiScaleFollowsTallRetinaDisplaysAndReplacesTheProfileValue)
{
    struct Case {
        bool retina;
        std::int64_t height;
        const char* scale;
    };
    const Case cases[] = {{true, 1599, "2"}, {true, 1600, "3"}, {true, 2234, "3"}, {false, 1600, "2"}, {false, 4000, "2"}};
    const CoreResources::ScopedLookup lookup(profileBytes(
        R"({"id":"p","title":"P","requiredComponents":[],"options":{"guiScale":"1","maxFps":"60"},"notes":[]})"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.height);
        CapabilityReport capability = machine(16);
        capability.isRetina = c.retina;
        capability.displayHeight = c.height;
        const OverlayPlan plan = PlanResolver::resolve(capability, kAllMods);
        EXPECT_EQ(plan.options, (StringMap {{"guiScale", c.scale}, {"maxFps", "60"}}));
    }
}

TEST(PlanResolver, MojangJavaFlagsAndNotesFollowTheMachineAndTheMods)
{
    struct Case {
        const char* name;
        CapabilityReport capability;
        InstallInspection inspection;
        bool enable;
        bool disable;
        std::vector<QString> notesAfterHeap;
    };
    const Case cases[] = {
        {"arm64 with Rosetta", machine(16), kAllMods, true, false, {kWithRosetta, kNoJars}},
        {"arm64 without Rosetta", machine(16, QStringLiteral("arm64"), false), kAllMods, false, true,
         {kWithoutRosetta, kNoJars}},
        {"x86_64 without Rosetta", machine(16, QStringLiteral("x86_64"), false), kAllMods, false, false, {kNoJars}},
        {"x86_64 with Rosetta", machine(16, QStringLiteral("x86_64"), true), kAllMods, false, false, {kNoJars}},
        {"OptiFine, VintageFix missing", machine(16, QStringLiteral("x86_64")), withMods(true, false, true), false,
         false, {kOptiFine, kModsMissing, kNoJars}},
        {"Nothirium missing", machine(16, QStringLiteral("x86_64")), withMods(false, true, false), false, false,
         {kModsMissing, kNoJars}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const OverlayPlan plan = PlanResolver::resolve(c.capability, c.inspection);
        EXPECT_EQ(plan.enableMojangJava, c.enable);
        EXPECT_EQ(plan.disableMojangJava, c.disable);
        std::vector<QString> after = addedNotes(plan);
        after.erase(after.begin()); // the heap note
        EXPECT_EQ(after, c.notesAfterHeap);
    }
}

TEST(PlanResolver, ShippedProfileResolvesIntoAPlan)
{
    CapabilityReport capability = machine(32);
    capability.isRetina = true;
    capability.displayHeight = 1964;
    const OverlayPlan plan = PlanResolver::resolve(capability, kAllMods);
    EXPECT_EQ(plan.profileId, QStringLiteral("balanced"));
    EXPECT_EQ(plan.title, QStringLiteral("Balanced"));
    EXPECT_FALSE(plan.requiredComponents.empty());
    EXPECT_EQ(plan.options.at(QStringLiteral("guiScale")), QStringLiteral("3"));
    EXPECT_EQ(plan.notes.back(), kNoJars);
}

TEST(PlanResolver, MissingOrMalformedProfilesFailEveryCall)
{
    struct Case {
        const char* name;
        std::optional<QByteArray> bytes;
        std::optional<QString> invalidProfile; // else a decoding error
    };
    const Case cases[] = {
        {"missing", std::nullopt, QStringLiteral("Invalid profile: balanced.profile.json is missing from the bundle.")},
        {"not JSON", QByteArray("{"), std::nullopt},
        {"no notes", QByteArray(R"({"id":"p","title":"P","requiredComponents":[],"options":{}})"), std::nullopt},
        {"number option", QByteArray(R"({"id":"p","title":"P","requiredComponents":[],"options":{"a":1},"notes":[]})"),
         std::nullopt},
        {"colon in a key",
         QByteArray(R"({"id":"p","title":"P","requiredComponents":[],"options":{"key:x":"1"},"notes":[]})"),
         QStringLiteral("Invalid profile: balanced.profile.json sets an option options.txt cannot hold (\u201Ckey:x\u201D).")},
        {"line break in a value",
         QByteArray(R"({"id":"p","title":"P","requiredComponents":[],"options":{"maxFps":"60\nao:0"},"notes":[]})"),
         QStringLiteral("Invalid profile: balanced.profile.json sets an option options.txt cannot hold (\u201CmaxFps\u201D).")},
        {"line break in a key",
         QByteArray(R"({"id":"p","title":"P","requiredComponents":[],"options":{"a\rb":"1"},"notes":[]})"),
         QStringLiteral("Invalid profile: balanced.profile.json sets an option options.txt cannot hold (\u201Ca b\u201D).")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<QByteArray> bytes = c.bytes;
        const CoreResources::ScopedLookup lookup([bytes](const QString&, const QString&) { return bytes; });
        for (int call = 0; call < 2; ++call) {
            try {
                PlanResolver::resolve(machine(16), kAllMods);
                ADD_FAILURE() << "resolved";
            } catch (const OrvaneError& error) {
                ASSERT_TRUE(c.invalidProfile);
                EXPECT_EQ(error.kind(), OrvaneError::Kind::invalidProfile);
                EXPECT_EQ(error.description(), *c.invalidProfile);
            } catch (const DecodingError&) {
                EXPECT_FALSE(c.invalidProfile);
            }
        }
    }
}

TEST(PlanResolver, ProfileWithAnExtraKeyDecodes)
{
    const CoreResources::ScopedLookup lookup(profileBytes(
        R"({"id":"p","title":"P","requiredComponents":["c"],"options":{"ao":"1"},"notes":["n"],"extra":true})"));
    const OverlayPlan plan = PlanResolver::resolve(machine(16, QStringLiteral("x86_64")), kAllMods);
    EXPECT_EQ(plan.profileId, QStringLiteral("p"));
    EXPECT_EQ(plan.requiredComponents, std::vector<QString> {QStringLiteral("c")});
    EXPECT_EQ(plan.notes.front(), QStringLiteral("n"));
}
