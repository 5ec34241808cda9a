#include "technic/ProcessEnumerator.h"

#include "platform/LinuxProcessTable.h"
#include "support/ExecutableSamples.h"
#include "support/ProcFixture.h"
#include "support/TempDir.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <numeric>

using namespace orvane;
using namespace orvane::test;

namespace orvane {

void PrintTo(const GameJavaArchitecture& value, std::ostream* out)
{
    *out << "(" << value.architecture.toStdString() << ", " << (value.translated ? "translated" : "native") << ")";
}

} // namespace orvane

namespace {

QByteArray infoPlist(const char* identifier)
{
    return QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                      "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                      "<plist version=\"1.0\">\n<dict>\n\t<key>CFBundleIdentifier</key>\n\t<string>")
        + identifier + "</string>\n</dict>\n</plist>\n";
}

// A fake machine: a /proc tree under root()/sys and the executables it names under root()/fs.
class Machine {
public:
    Machine() : m_proc(m_dir / "sys") {}

    std::filesystem::path file(const std::string& relative) const { return m_dir / "fs" / relative; }

    // A Java executable with the given header at fs/<relative>.
    std::filesystem::path java(const std::string& relative, const QByteArray& header) const
    {
        writeFile(file(relative), header);
        return file(relative);
    }

    // An application bundle fs/<name>.app whose executable runs as `pid`.
    void application(std::int32_t pid, const std::string& name, const char* identifier)
    {
        const auto app = file(name + ".app");
        writeFile(app / "Contents" / "Info.plist", infoPlist(identifier));
        writeFile(app / "Contents" / "MacOS" / name, machOHeader(cpuTypeX86_64));
        m_proc.addProcess(pid, app / "Contents" / "MacOS" / name, {(app / "Contents" / "MacOS" / name).native()});
    }

    ProcFixture& proc() { return m_proc; }

    ProcessEnumerator enumerator(const QString& host = QStringLiteral("arm64")) const
    {
        return ProcessEnumerator(std::make_shared<LinuxProcessTable>(m_dir / "sys"), FileOperations::system(), host);
    }

private:
    TempDir m_dir;
    ProcFixture m_proc;
};

const std::string kJar = "/Users/someone/Applications/TechnicLauncher.jar";

} // namespace

TEST(ProcessEnumerator, NamesAreMatchedCaseInsensitivelyAndInFull)
{
    Machine machine;
    machine.proc().addProcess(1, "/sbin/init", {"/sbin/init"});
    // The kernel's command name would be cut to "Technic Launche".
    machine.proc().addProcess(300, machine.file("Technic Launcher"), {"Technic Launcher"});
    machine.proc().addUnreadableProcess(20, "kworker/0:1");
    machine.proc().addVanishedProcess(777);
    const auto processes = machine.enumerator();

    EXPECT_EQ(processes.processIDs(), (std::vector<std::int32_t> {1, 20, 300, 777}));
    EXPECT_EQ(processes.processNames(), (QStringList {"init", "kworker/0:1", "Technic Launcher"}));
    EXPECT_TRUE(processes.isProcessRunning(QStringLiteral("Technic Launcher")));
    EXPECT_TRUE(processes.isProcessRunning(QStringLiteral("technic launcher")));
    EXPECT_TRUE(processes.isProcessRunning(QStringLiteral("KWORKER")));
    EXPECT_FALSE(processes.isProcessRunning(QStringLiteral("TechnicLauncher")));
    EXPECT_FALSE(processes.isProcessRunning(QString()));

    // Every question looks afresh.
    machine.proc().removeProcess(300);
    EXPECT_FALSE(processes.isProcessRunning(QStringLiteral("Technic Launcher")));
}

TEST(ProcessEnumerator, JavaIsJavaInAnyCaseButNotJavaw)
{
    Machine machine;
    const auto java = machine.java("jdk/bin/java", machOHeader(cpuTypeArm64));
    const auto capitalJava = machine.java("jdk/bin/Java", machOHeader(cpuTypeArm64));
    const auto javaw = machine.java("jdk/bin/javaw", machOHeader(cpuTypeArm64));
    machine.proc().addProcess(410, javaw, {"javaw", "-jar", kJar, "-Dfml.tekkit=1"});
    machine.proc().addProcess(420, "/bin/sh", {"/bin/sh", "-c", "java -jar " + kJar + " net.minecraft"});
    auto processes = machine.enumerator();
    EXPECT_FALSE(processes.isTechnicLauncherJavaRunning());
    EXPECT_FALSE(processes.isGameJavaRunning());
    EXPECT_EQ(processes.gameJavaArchitecture(), std::nullopt);

    machine.proc().addProcess(430, capitalJava, {"Java", "-cp", "x.jar", "net.minecraft.launchwrapper.Launch"});
    EXPECT_TRUE(processes.isGameJavaRunning());
    EXPECT_EQ(processes.gameJavaProcessIDs(), std::vector<std::int32_t> {430});

    machine.proc().addProcess(440, java, {"java", "-jar", kJar});
    EXPECT_TRUE(processes.isTechnicLauncherJavaRunning());
}

TEST(ProcessEnumerator, LauncherAndGameMarkers)
{
    EXPECT_TRUE(ProcessEnumerator::hasTechnicLauncherMarker(QString::fromStdString("java -jar " + kJar)));
    EXPECT_TRUE(ProcessEnumerator::hasTechnicLauncherMarker(QStringLiteral("java -Dnet.technicpack.launcher=1 Main")));
    EXPECT_FALSE(ProcessEnumerator::hasTechnicLauncherMarker(QStringLiteral("java -jar Technic-Launcher.jar")));

    for (const char* text : {"net.minecraft.client.main.Main", "MinecraftForge", "FMLTweaker", "TeKKiT-2",
                             "/libraries/forge-1.12.2-14.23.5.2860.jar"})
        EXPECT_TRUE(ProcessEnumerator::hasGameMarker(QString::fromUtf8(text))) << text;
    EXPECT_FALSE(ProcessEnumerator::hasGameMarker(QString::fromStdString("java -jar " + kJar)));
    EXPECT_FALSE(ProcessEnumerator::hasGameMarker(QString()));
}

TEST(ProcessEnumerator, GameJavaIsFoundInTableOrderAndFallsBackToAnyJava)
{
    Machine machine;
    const auto launcherJava = machine.java("zulu8/bin/java", machOHeader(cpuTypeArm64));
    const auto gameJava = machine.java("jre-legacy/bin/java", machOHeader(cpuTypeX86_64));
    machine.proc().addProcess(500, launcherJava, {"java", "-jar", kJar});
    auto processes = machine.enumerator();

    // Only the launcher's Java: no game, yet its architecture stands in for the game's.
    EXPECT_FALSE(processes.isGameJavaRunning());
    EXPECT_EQ(processes.gameJavaProcessID(), 500);
    EXPECT_EQ(processes.gameJavaArchitecture(), (GameJavaArchitecture {"arm64", false}));

    machine.proc().addProcess(620, gameJava, {"java", "-Dminecraft.applet=1", "--modpack", "TEKKIT-2"});
    machine.proc().addProcess(610, gameJava, {"java", "net.minecraft.launchwrapper.Launch"});
    EXPECT_EQ(processes.gameJavaProcessIDs(), (std::vector<std::int32_t> {610, 620}));
    EXPECT_EQ(processes.gameJavaProcessID(), 610);
    EXPECT_EQ(processes.gameJavaArchitecture(), (GameJavaArchitecture {"x86_64", true}));

    // A Java with no readable command line is a Java, never the game.
    machine.proc().removeProcess(500);
    machine.proc().removeProcess(610);
    machine.proc().removeProcess(620);
    machine.proc().addUnreadableProcess(700, "java");
    EXPECT_FALSE(processes.isGameJavaRunning());
    EXPECT_EQ(processes.gameJavaProcessID(), 700);
    EXPECT_EQ(processes.gameJavaArchitecture(), (GameJavaArchitecture {"unknown", false}));
}

TEST(ProcessEnumerator, TranslatedMeansIntelJavaOnAnArm64Host)
{
    Machine machine;
    const std::vector<std::string> game = {"java", "net.minecraft.launchwrapper.Launch"};
    const auto architectureOf = [&](const QByteArray& header, const QString& host) {
        machine.proc().removeProcess(800);
        machine.proc().addProcess(800, machine.java("game/bin/java", header), game);
        return machine.enumerator(host).gameJavaArchitecture();
    };
    const QString arm64 = QStringLiteral("arm64");
    const QString x86_64 = QStringLiteral("x86_64");

    EXPECT_EQ(architectureOf(machOHeader(cpuTypeX86_64), arm64), (GameJavaArchitecture {"x86_64", true}));
    EXPECT_EQ(architectureOf(elfHeader(elfMachineX86_64), arm64), (GameJavaArchitecture {"x86_64", true}));
    EXPECT_EQ(architectureOf(machOHeader(cpuTypeX86_64), x86_64), (GameJavaArchitecture {"x86_64", false}));
    EXPECT_EQ(architectureOf(elfHeader(elfMachineX86_64), x86_64), (GameJavaArchitecture {"x86_64", false}));

    // A universal Java runs its arm64 slice, whichever slices come first.
    EXPECT_EQ(architectureOf(fatFile({cpuTypeX86_64, cpuTypeArm64}), arm64), (GameJavaArchitecture {"arm64", false}));
    // One with Intel slices alone is an Intel Java; one with neither slice is not known.
    EXPECT_EQ(architectureOf(fatFile({cpuTypePowerPC, cpuTypeX86_64}), arm64), (GameJavaArchitecture {"x86_64", true}));
    EXPECT_EQ(architectureOf(fatFile({cpuTypePowerPC}), arm64), (GameJavaArchitecture {"unknown", false}));
    EXPECT_EQ(architectureOf(machOHeader(cpuTypeArm64, true), arm64), (GameJavaArchitecture {"arm64", false}));
    EXPECT_EQ(architectureOf(elfHeader(elfMachineAarch64), arm64), (GameJavaArchitecture {"arm64", false}));

    EXPECT_EQ(architectureOf(elfHeader(elfMachineRiscV), arm64), (GameJavaArchitecture {"unknown", false}));
    EXPECT_EQ(architectureOf(QByteArray("#!/bin/sh\n"), arm64), (GameJavaArchitecture {"unknown", false}));
    // An executable removed under the running game cannot be read.
    machine.proc().removeProcess(800);
    machine.proc().addProcess(800, machine.file("gone/bin/java"), game);
    EXPECT_EQ(machine.enumerator().gameJavaArchitecture(), (GameJavaArchitecture {"unknown", false}));
}

TEST(ProcessEnumerator, BundleIdentifierPrefixInAnyCase)
{
    Machine machine;
    machine.application(300, "Technic Launcher", "net.technicpack.launcher");
    machine.application(310, "Other", "com.example.Other");
    // Beside an Info.plist but not inside any application.
    writeFile(machine.file("loose/Contents/Info.plist"), infoPlist("net.technicpack.loose"));
    writeFile(machine.file("loose/Contents/MacOS/tool"), QByteArray("x"));
    machine.proc().addProcess(320, machine.file("loose/Contents/MacOS/tool"), {"tool"});
    machine.proc().addUnreadableProcess(330, "kthreadd");
    const auto processes = machine.enumerator();

    EXPECT_EQ(processes.bundleIdentifiers(), (QStringList {"net.technicpack.launcher", "com.example.Other"}));
    EXPECT_TRUE(processes.isApplicationRunning(QStringLiteral("net.technicpack")));
    EXPECT_TRUE(processes.isApplicationRunning(QStringLiteral("NET.TechnicPack")));
    EXPECT_TRUE(processes.isApplicationRunning(QStringLiteral("com.example.other")));
    EXPECT_FALSE(processes.isApplicationRunning(QStringLiteral("net.technicpack.launcher2")));
    EXPECT_FALSE(processes.isApplicationRunning(QStringLiteral("technicpack")));
}

TEST(ProcessEnumerator, NoCapOnTheNumberOfProcesses)
{
    // More processes than the 2048 slots of a fixed-size table; the game comes last.
    class CrowdedTable final : public ProcessTable {
    public:
        std::filesystem::path gameJava;
        std::vector<std::int32_t> processIDs() override
        {
            std::vector<std::int32_t> pids(5000);
            std::iota(pids.begin(), pids.end(), 1);
            return pids;
        }
        std::optional<QString> name(std::int32_t pid) override
        {
            return pid == 5000 ? QStringLiteral("java") : QStringLiteral("worker");
        }
        std::optional<std::filesystem::path> executablePath(std::int32_t pid) override
        {
            return pid == 5000 ? std::optional(gameJava) : std::nullopt;
        }
        std::optional<QString> commandLine(std::int32_t pid) override
        {
            return pid == 5000 ? QStringLiteral("java net.minecraft.launchwrapper.Launch") : QString();
        }
    };
    TempDir dir;
    auto table = std::make_shared<CrowdedTable>();
    table->gameJava = dir / "java";
    writeFile(table->gameJava, machOHeader(cpuTypeArm64));
    const ProcessEnumerator processes(table, FileOperations::system(), QStringLiteral("arm64"));
    EXPECT_EQ(processes.processIDs().size(), 5000u);
    EXPECT_TRUE(processes.isGameJavaRunning());
    EXPECT_EQ(processes.gameJavaProcessIDs(), std::vector<std::int32_t> {5000});
    EXPECT_EQ(processes.gameJavaArchitecture(), (GameJavaArchitecture {"arm64", false}));
}
