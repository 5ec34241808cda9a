#include "technic/LaunchLogClassifier.h"
#include "technic/LwjglLoadFailure.h"
#include "technic/StartupFailureLines.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace orvane;

TEST(StartupFailureText, LinesDecideByTheirOwnWordsAnywhereAndHarmlessOnesNever)
{
    using K = StartupFailureLines::Kind;
    struct Case {
        const char* name;
        QString game;
        QString launcher;
        std::optional<K> kind; // absent: nothing decided
        bool fromGameText = true;
    } cases[] = {
        {"a warning about a removed option", QString(),
         QStringLiteral("OpenJDK 64-Bit Server VM warning: ignoring option MaxPermSize=256m; support was removed in 8.0\n"),
         std::nullopt},
        {"a deprecation warning", QString(),
         QStringLiteral("OpenJDK 64-Bit Server VM warning: Options -Xverify:none and -noverify were deprecated\n"),
         std::nullopt},
        {"the Java command line the launcher logs", QString(),
         QStringLiteral("Running java: /home/jo/.technic/runtimes/jre-legacy/bin/java -Xmx4096m "
                        "-XX:+HeapDumpOnOutOfMemoryError -XX:+UseConcMarkSweepGC\n"),
         std::nullopt},
        {"a download that ended well", QString(),
         QStringLiteral("Download of https://mirror.technicpack.net/a.zip finished\nChecking: Failed! 0 files\n"),
         std::nullopt},
        {"a download line whose failure is on the next line", QString(),
         QStringLiteral("Download of https://mirror.technicpack.net/a.zip\n Failed!\n"), std::nullopt},
        {"a host other than the pack mirror", QString(),
         QStringLiteral("java.net.UnknownHostException: api.technicpack.net\n"), std::nullopt},
        // The specific reason wins over the JVM's closing line, wherever each stands.
        {"heap reservation and its closing line", QString(),
         QStringLiteral("Error occurred during initialization of VM\nCould not reserve enough space for 2097152KB "
                        "object heap\n"),
         K::cannotReserveMemory, false},
        {"a refused option in the game's log too",
         QStringLiteral("Unrecognized VM option 'CMSIncrementalMode'\n"),
         QStringLiteral("Error: Could not create the Java Virtual Machine.\n"), K::optionRefused, true},
        {"the duplicate-mod exception's name alone",
         QStringLiteral("net.minecraftforge.fml.common.DuplicateModsFoundException\n"), QString(), K::duplicateMods},
        {"Forge's wrong-version exception",
         QStringLiteral("net.minecraftforge.fml.common.WrongMinecraftVersionException: Wrong Minecraft version for "
                        "examplemod042\n"),
         QString(), K::wrongMinecraftVersion},
        {"Forge's fatal transition waits for a crash report",
         QStringLiteral("[FML]: Fatal errors were detected during the transition from CONSTRUCTING to "
                        "PREINITIALIZATION. Loading cannot continue\n"),
         QString(), K::modLoadingFailed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto decided = classify(c.game, c.launcher, false);
        if (!c.kind) {
            EXPECT_FALSE(decided);
            continue;
        }
        ASSERT_TRUE(decided);
        EXPECT_EQ(decided->outcome, LaunchOutcome::crashDetected);
        EXPECT_EQ(decided->message, StartupFailureLines::message(*c.kind));
        EXPECT_EQ(decided->excerpt, c.fromGameText ? c.game : c.launcher);
        EXPECT_EQ(decided->awaitsCrashReport, *c.kind == K::modLoadingFailed);
    }

    // A crash report or Forge's success still decides as before; a failure line outranks success.
    const QString crash = QStringLiteral("---- Minecraft Crash Report ----\njava.lang.OutOfMemoryError: Java heap space\n");
    EXPECT_EQ(classify(crash, QString(), false)->message, LaunchMessages::crashReport);
    const QString loadedThenOom = QStringLiteral("Forge Mod Loader has successfully loaded 184 mods\n"
                                                 "java.lang.OutOfMemoryError: GC overhead limit exceeded\n");
    EXPECT_EQ(classify(loadedThenOom, QString(), false)->message, LaunchMessages::outOfMemory);
}

TEST(StartupFailureText, LwjglAdviceSuitsTheNativesSystemAndTheGameJavasArchitecture)
{
    const QString natives = QStringLiteral("/home/jo/.technic/modpacks/tekkit-2/bin/natives/");
    const QString error = QStringLiteral("java.lang.UnsatisfiedLinkError: ");
    struct Case {
        const char* name;
        QString gameText;
        QString architecture;
        QString message;
    } cases[] = {
        {"a missing X library on x86_64",
         QStringLiteral("[Client thread/INFO]: LWJGL Version: 2.9.4\n") + error + natives
             + QStringLiteral("liblwjgl64.so: libXxf86vm.so.1: cannot open shared object file: No such file or "
                              "directory\n\tat java.lang.ClassLoader$NativeLibrary.load(Native Method)\n"),
         QStringLiteral("x86_64"), LaunchMessages::lwjglLibraryNotFound.arg(QStringLiteral("libXxf86vm.so.1"))},
        {"the last of several lines counts",
         error + natives + QStringLiteral("liblwjgl64.so: libGL.so.1: cannot open\n") + error + natives
             + QStringLiteral("liblwjgl64.so: /usr/lib/x86_64-linux-gnu/libXrandr.so.2: cannot open\n"),
         QStringLiteral("x86_64"), LaunchMessages::lwjglLibraryNotFound.arg(QStringLiteral("libXrandr.so.2"))},
        {"a name inside a word is no library name",
         error + natives + QStringLiteral("liblwjgl64.so: undefined symbol in glibc.so-compatible code\n"),
         QStringLiteral("x86_64"), LaunchMessages::lwjglNativeDamaged.arg(QStringLiteral("liblwjgl64.so"))},
        {"no file name at all", error + QStringLiteral("no liblwjgl library in the natives folder\n"),
         QStringLiteral("x86_64"), LaunchMessages::lwjglLibraryNotFoundUnnamed},
        {"a 32-bit Java on x86_64",
         error + natives + QStringLiteral("liblwjgl64.so: wrong ELF class: ELFCLASS64 (Possible cause: architecture "
                                          "word width mismatch)\n"),
         QStringLiteral("x86_64"), LaunchMessages::lwjglNeedsX86Java},
        {"arm64", error + natives + QStringLiteral("liblwjgl64.so: ") + natives + QStringLiteral("liblwjgl64.so: "
                                                                                          "cannot open\n"),
         QStringLiteral("arm64"), LaunchMessages::lwjglNeedsX86Java},
        // The native itself loaded: this Java runs x86_64 code, emulated on an arm64 machine.
        {"a library the native needs, on arm64",
         error + natives + QStringLiteral("liblwjgl64.so: libXcursor.so.1: cannot open shared object file\n"),
         QStringLiteral("arm64"), LaunchMessages::lwjglLibraryNotFound.arg(QStringLiteral("libXcursor.so.1"))},
        {"an architecture never learnt", error + natives + QStringLiteral("liblwjgl64.so: cannot open\n"),
         QStringLiteral("unknown"), LaunchMessages::lwjglNeedsX86Java},
        {"a Mac's Mach-O natives",
         error + QStringLiteral("/Users/example/natives/liblwjgl.dylib: mach-o, but wrong architecture\n"),
         QStringLiteral("x86_64"), LaunchMessages::lwjglArchitecture},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto decided = classify(c.gameText, QString(), false, c.architecture);
        ASSERT_TRUE(decided);
        EXPECT_EQ(decided->outcome, LaunchOutcome::crashDetected);
        EXPECT_EQ(decided->message, c.message);
    }
}
