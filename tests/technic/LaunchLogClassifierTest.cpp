#include "technic/LaunchLogClassifier.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace orvane;

namespace {

const QString forgeLine = QStringLiteral("[FML]: Forge Mod Loader has successfully loaded 181 mods\n");
const QString crashHeader = QStringLiteral("---- Minecraft Crash Report ----\n");
const QString lwjglLine =
    QStringLiteral("java.lang.UnsatisfiedLinkError: /tmp/natives/liblwjgl.dylib: mach-o, but wrong architecture\n");

} // namespace

TEST(LaunchLogClassifier, RulesApplyInOrderFirstMatchWins)
{
    const QString launcherFailure = QStringLiteral("Cannot run program: error=86, Bad CPU type in executable\n");
    const auto all = classify(forgeLine + crashHeader + lwjglLine, launcherFailure, false);
    ASSERT_TRUE(all);
    EXPECT_EQ(all->outcome, LaunchOutcome::crashDetected);
    EXPECT_EQ(all->message, LaunchMessages::rosettaFailure);
    EXPECT_EQ(all->excerpt, launcherFailure);

    const auto lwjgl = classify(forgeLine + crashHeader + lwjglLine, QString(), false);
    ASSERT_TRUE(lwjgl);
    EXPECT_EQ(lwjgl->message, LaunchMessages::lwjglArchitecture);
    EXPECT_EQ(lwjgl->excerpt, forgeLine + crashHeader + lwjglLine);

    const auto crash = classify(forgeLine + crashHeader, QStringLiteral("Launching modpack\n"), false);
    ASSERT_TRUE(crash);
    EXPECT_EQ(crash->outcome, LaunchOutcome::crashDetected);
    EXPECT_EQ(crash->message, LaunchMessages::crashReport);

    const auto forge = classify(forgeLine, QString(), false);
    ASSERT_TRUE(forge);
    EXPECT_EQ(forge->outcome, LaunchOutcome::forgeLoaded);
    EXPECT_EQ(forge->message, LaunchMessages::forgeLoadedNative);
    EXPECT_EQ(classify(forgeLine, QString(), true)->message, LaunchMessages::forgeLoadedTranslated);

    EXPECT_FALSE(classify(QStringLiteral("[main/INFO] starting\n"), QStringLiteral("Launching\n"), true));
}

TEST(LaunchLogClassifier, RosettaFailureLetterCase)
{
    EXPECT_TRUE(isRosettaFailure(QStringLiteral("bad cpu type in executable")));
    EXPECT_TRUE(isRosettaFailure(QStringLiteral("java.io.IOException: Unknown error: null")));
    EXPECT_TRUE(isRosettaFailure(QStringLiteral("error=86")));
    EXPECT_FALSE(isRosettaFailure(QStringLiteral("ERROR=86")));
    EXPECT_FALSE(isRosettaFailure(QStringLiteral("unknown error: null")));
    // Rule 1 looks only at the launcher's text.
    EXPECT_FALSE(classify(QStringLiteral("Bad CPU type"), QString(), false));
}

TEST(LaunchLogClassifier, LwjglNeedsBothMarkers)
{
    EXPECT_TRUE(isLWJGLArchitectureFailure(lwjglLine));
    EXPECT_FALSE(isLWJGLArchitectureFailure(QStringLiteral("java.lang.UnsatisfiedLinkError: libopenal")));
    EXPECT_FALSE(isLWJGLArchitectureFailure(QStringLiteral("unsatisfiedlinkerror liblwjgl")));
}

TEST(LaunchLogClassifier, ForgeMarkers)
{
    EXPECT_TRUE(classify(QStringLiteral("VintageFix: Game launch took 93.2 s"), QString(), false));
    // The lines Forge writes as it starts come before any mod is loaded: they decide nothing.
    EXPECT_FALSE(classify(QStringLiteral("MinecraftForge v14.23.5.2860 ... loading mods"), QString(), false));
    EXPECT_FALSE(classify(QStringLiteral("[FML]: Forge Mod Loader version 14.23.5.2860 for Minecraft 1.12.2 loading\n"
                                         "[FML]: MinecraftForge v14.23.5.2860 Initialized\n"),
                          QString(), false));
    EXPECT_FALSE(classify(QStringLiteral("MinecraftForge v14.23.5.2860 Initialized"), QString(), false));
    EXPECT_FALSE(classify(QStringLiteral("forge mod loader has successfully loaded"), QString(), false));
}

TEST(LaunchLogClassifier, TextsScannedInPiecesDecideExactlyAsTheWholeTexts)
{
    // Every way of cutting the texts into two pieces, including cuts inside each marker.
    const auto check = [](const QString& game, const QString& launcher, bool translated) {
        const auto whole = classify(game, launcher, translated);
        ASSERT_TRUE(whole);
        for (qsizetype cut = 0; cut <= std::max(game.size(), launcher.size()); ++cut) {
            LaunchTextMarkers markers;
            QString gameCarry;
            QString launcherCarry;
            markers.scanGameText(QStringView(game).left(cut), gameCarry);
            markers.scanLauncherText(QStringView(launcher).left(cut), launcherCarry);
            EXPECT_FALSE(markers.decide(game, launcher, translated) && cut < 20) << cut;
            markers.scanGameText(QStringView(game).mid(std::min(cut, game.size())), gameCarry);
            markers.scanLauncherText(QStringView(launcher).mid(std::min(cut, launcher.size())), launcherCarry);
            EXPECT_EQ(markers.decide(game, launcher, translated), whole) << cut;
        }
    };
    const QString noise = QStringLiteral("[x] some noise \u00e9\U0001F600\n");
    check(noise + lwjglLine.left(30) + noise + lwjglLine.mid(30), QString(), false);
    check(noise + crashHeader, noise, false);
    check(noise + forgeLine, QString(), true);
    check(noise + QStringLiteral("[Client thread/INFO] VintageFix: Game launch took 47.2 seconds\n"), QString(), false);
    check(noise, noise + QStringLiteral("IOException: BAD CPU TYPE in executable\n"), false);
    check(noise, noise + QStringLiteral("java.io.IOException: Unknown error: null\n"), false);
}

TEST(LaunchLogClassifier, AMarkerSplitOverManySmallPiecesIsFoundOnceWhole)
{
    // One character a piece: the carry alone holds the marker until its last character arrives.
    const QString text = QStringLiteral("[FML]: Forge Mod Loader has successfully loaded 184 mods\n");
    LaunchTextMarkers markers;
    QString carry;
    const qsizetype markerEnd = text.indexOf(QStringLiteral("loaded")) + 6;
    for (qsizetype i = 0; i < text.size(); ++i) {
        markers.scanGameText(QStringView(text).mid(i, 1), carry);
        EXPECT_EQ(markers.decide(text, QString(), false).has_value(), i + 1 >= markerEnd) << i;
    }
    // A carry from another file (cleared) does not join two files' texts.
    LaunchTextMarkers apart;
    QString first;
    apart.scanGameText(QStringView(text).left(20), first);
    QString second;
    apart.scanGameText(QStringView(text).mid(20), second);
    EXPECT_FALSE(apart.decide(text, QString(), false));
}

TEST(LaunchLogClassifier, AFatalErrorLogIsACrashLikeACrashReport)
{
    LaunchTextMarkers markers;
    QString carry;
    markers.scanGameText(forgeLine, carry);
    markers.noteFatalErrorLog();
    const auto decided = markers.decide(QStringLiteral("# A fatal error\n"), QString(), false);
    ASSERT_TRUE(decided);
    EXPECT_EQ(decided->outcome, LaunchOutcome::crashDetected);
    EXPECT_EQ(decided->message, LaunchMessages::crashReport);
    EXPECT_EQ(decided->excerpt, QStringLiteral("# A fatal error\n"));
}
