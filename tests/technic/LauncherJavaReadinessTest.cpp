#include "technic/LauncherJavaReadiness.h"
#include "technic/MachOFile.h"

#include "platform/FileOperations.h"
#include "platform/PathText.h"
#include "support/ExecutableSamples.h"
#include "support/FixtureHome.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace orvane;
using namespace orvane::test;
using Binary = FixtureHome::JavaBinary;

namespace {

// The fixture's JDK, named by JAVA_HOME unless the test names another environment.
LauncherJavaReadiness checkHome(const FixtureHome& home, const QString& hostArchitecture = QStringLiteral("arm64"),
                                const std::optional<ProcessEnvironment>& environment = std::nullopt)
{
    const ProcessEnvironment javaHome = {{QStringLiteral("JAVA_HOME"), pathText(home.javaHome())}};
    return LauncherJavaReadiness::check(environment.value_or(javaHome), home.jvmRoot(), hostArchitecture,
                                        *FileOperations::system());
}

FixtureHome::Options withJava(Binary binary = Binary::arm64,
                              std::optional<QByteArray> release = QByteArray("JAVA_VERSION=\"1.8.0_402\""))
{
    FixtureHome::Options options;
    options.launcher = FixtureHome::Launcher::jar;
    options.launcherJava = true;
    options.javaBinary = binary;
    options.javaReleaseLine = std::move(release);
    return options;
}

QString pathOf(const std::filesystem::path& path) { return QString::fromStdString(path.native()); }

bool asksForArm64(const QString& text)
{
    return text.contains(QStringLiteral("Arm64")) || text.contains(QStringLiteral("arm64 Zulu"))
        || text.contains(QStringLiteral("arm64 Java"));
}

} // namespace

TEST(LauncherJavaReadiness, JavaHomeComesFromTheEnvironmentOnlyWhenSetAndNotEmpty)
{
    EXPECT_EQ(LauncherJavaReadiness::javaHomeFromEnvironment({}), std::nullopt);
    EXPECT_EQ(LauncherJavaReadiness::javaHomeFromEnvironment({{QStringLiteral("JAVA_HOME"), QString()}}), std::nullopt);
    EXPECT_EQ(LauncherJavaReadiness::javaHomeFromEnvironment({{QStringLiteral("JAVA_HOME"), QStringLiteral("/opt/jdk8/")}}),
              std::filesystem::path("/opt/jdk8"));
    EXPECT_EQ(LauncherJavaReadiness::defaultJvmRoot(), std::filesystem::path("/usr/lib/jvm"));
}

TEST(LauncherJavaReadiness, ReadyArm64Java)
{
    FixtureHome home(withJava());
    const auto result = checkHome(home);
    EXPECT_TRUE(result.isReady()) << result.issue.value_or(QString()).toStdString();
    EXPECT_EQ(result.javaHome, home.javaHome());
    EXPECT_EQ(result.executable, home.javaExecutable());
    EXPECT_EQ(result.version, QStringLiteral("1.8.0_402"));
    EXPECT_EQ(result.architecture, QStringLiteral("arm64"));

    // A Linux JDK is judged by its ELF header.
    FixtureHome linux(withJava(Binary::elfArm64, QByteArray("JAVA_VERSION='1.8'")));
    EXPECT_TRUE(checkHome(linux).isReady());
}

TEST(LauncherJavaReadiness, MissingJava)
{
    FixtureHome home(withJava());
    std::filesystem::remove(home.javaExecutable());
    const auto result = checkHome(home);
    EXPECT_EQ(result.issue, QStringLiteral("Java 8 not found at %1. Install arm64 Zulu 8 in %2 or set JAVA_HOME to an "
                                           "arm64 Java 8 JDK.")
                                .arg(pathOf(home.javaExecutable()), pathOf(home.jvmRoot())));
    EXPECT_EQ(result.version, std::nullopt);
    EXPECT_EQ(result.architecture, std::nullopt);

    // Present but not executable, or a folder in its place: still not found.
    writeFile(home.javaExecutable(), machOHeader(cpuTypeArm64));
    EXPECT_FALSE(checkHome(home).isReady());
    EXPECT_EQ(checkHome(home).architecture, QStringLiteral("arm64")); // recorded in every result
    std::filesystem::remove(home.javaExecutable());
    std::filesystem::create_directories(home.javaExecutable());
    ::chmod(home.javaExecutable().c_str(), 0755);
    EXPECT_TRUE(checkHome(home).issue->startsWith(QLatin1String("Java 8 not found at ")));
}

TEST(LauncherJavaReadiness, MissingOrInvalidReleaseFile)
{
    const QString expected = QStringLiteral("Orvane could not verify Java 8 because %1 is missing or invalid. Install "
                                            "arm64 Zulu 8 or set JAVA_HOME to a complete Java 8 JDK.");
    FixtureHome missing(withJava(Binary::arm64, std::nullopt));
    EXPECT_EQ(checkHome(missing).issue, expected.arg(pathOf(missing.javaHome() / "release")));

    FixtureHome noKey(withJava(Binary::arm64, QByteArray("JAVA_RUNTIME_VERSION=\"1.8.0_402\"")));
    EXPECT_EQ(checkHome(noKey).issue, expected.arg(pathOf(noKey.javaHome() / "release")));

    FixtureHome notUtf8(withJava(Binary::arm64, QByteArray("JAVA_VERSION=\"1.8\xff\"")));
    EXPECT_EQ(checkHome(notUtf8).issue, expected.arg(pathOf(notUtf8.javaHome() / "release")));

    FixtureHome fifo(withJava());
    FixtureHome::makeFifo(fifo.javaHome() / "release");
    EXPECT_EQ(checkHome(fifo).issue, expected.arg(pathOf(fifo.javaHome() / "release")));
}

TEST(LauncherJavaReadiness, WrongVersion)
{
    for (const char* version : {"17.0.1", "1.80", "11.0.2", "1.7.0_80"}) {
        SCOPED_TRACE(version);
        FixtureHome home(withJava(Binary::arm64, QByteArray("JAVA_VERSION=\"") + version + "\""));
        const auto result = checkHome(home);
        EXPECT_EQ(result.issue, QStringLiteral("Java at %1 is version %2, not Java 8. Install arm64 Zulu 8 or set "
                                               "JAVA_HOME to an arm64 Java 8 JDK.")
                                    .arg(pathOf(home.javaExecutable()), QString::fromLatin1(version)));
        EXPECT_EQ(result.version, QString::fromLatin1(version));
    }
    for (const char* version : {"JAVA_VERSION='1.8'", "JAVA_VERSION=1.8.0", "JAVA_VERSION=\"1.8.0_392\""}) {
        SCOPED_TRACE(version);
        FixtureHome home(withJava(Binary::arm64, QByteArray(version)));
        EXPECT_TRUE(checkHome(home).isReady());
    }
}

TEST(LauncherJavaReadiness, NotArm64Capable)
{
    const QString expected = QStringLiteral("Java at %1 is not arm64-capable (detected %2). Install arm64 Zulu 8. This "
                                            "JVM opens Technic only; Tekkit 2 still uses Mojang Java 8 through Rosetta.");
    FixtureHome intel(withJava(Binary::x86_64));
    EXPECT_EQ(checkHome(intel).issue, expected.arg(pathOf(intel.javaExecutable()), QStringLiteral("x86_64")));
    EXPECT_TRUE(checkHome(intel, QStringLiteral("x86_64")).isReady());

    FixtureHome universalIntel(withJava(Binary::universalX86Only));
    EXPECT_EQ(checkHome(universalIntel).issue,
              expected.arg(pathOf(universalIntel.javaExecutable()), QStringLiteral("universal")));
    FixtureHome universal(withJava(Binary::universalWithArm64));
    EXPECT_TRUE(checkHome(universal).isReady());

    FixtureHome unknown(withJava());
    writeFile(unknown.javaExecutable(), "#!/bin/sh\n");
    EXPECT_EQ(checkHome(unknown).issue, expected.arg(pathOf(unknown.javaExecutable()), QStringLiteral("unknown")));

    // A fat table claiming 300 entries is not arm64-capable.
    FixtureHome huge(withJava());
    writeFile(huge.javaExecutable(), fatFile({cpuTypeArm64}, true, false, 300u));
    EXPECT_EQ(checkHome(huge).issue, expected.arg(pathOf(huge.javaExecutable()), QStringLiteral("universal")));
}

TEST(LauncherJavaReadiness, JavaHomeFromTheEnvironmentIsChecked)
{
    FixtureHome home;
    const auto jdk = home.root() / "jdk8";
    FixtureHome::writeJdk(jdk, Binary::universalWithArm64, QByteArray("JAVA_VERSION=\"1.8.0_402\""));
    const auto result = checkHome(home, QStringLiteral("arm64"), ProcessEnvironment {{QStringLiteral("JAVA_HOME"), pathOf(jdk)}});
    EXPECT_TRUE(result.isReady());
    EXPECT_EQ(result.javaHome, jdk);
    EXPECT_EQ(result.architecture, QStringLiteral("universal"));
}

TEST(LauncherJavaReadiness, ReleaseValueRule)
{
    const auto value = [](const char* text) {
        return LauncherJavaReadiness::releaseValue(QStringLiteral("JAVA_VERSION"), QString::fromUtf8(text));
    };
    EXPECT_EQ(value("JAVA_VERSION=\"1.8.0_402\"\n"), QStringLiteral("1.8.0_402"));
    EXPECT_EQ(value("IMPLEMENTOR=Azul\r\nJAVA_VERSION='1.8'\r\n"), QStringLiteral("1.8"));
    EXPECT_EQ(value("A=1\u2028JAVA_VERSION=1.8.0\u0085B=2"), QStringLiteral("1.8.0"));
    EXPECT_EQ(value("JAVA_VERSION=\"'1.8'\"\""), QStringLiteral("1.8"));
    EXPECT_EQ(value("JAVA_VERSION= 1.8 "), QStringLiteral(" 1.8 ")); // nothing else is trimmed
    EXPECT_EQ(value("JAVA_VERSION=1\nJAVA_VERSION=2"), QStringLiteral("1"));
    EXPECT_EQ(value(" JAVA_VERSION=1.8"), std::nullopt);
    EXPECT_EQ(value("JAVA_VERSION_DATE=2024"), std::nullopt);
    EXPECT_EQ(value(""), std::nullopt);
    EXPECT_EQ(value("JAVA_VERSION="), QString());
}

TEST(MachOFile, NamesAndCapability)
{
    FixtureHome home(withJava(Binary::universalWithArm64));
    EXPECT_EQ(MachOFile::architecture(home.javaExecutable()), QStringLiteral("universal"));
    EXPECT_TRUE(MachOFile::isArm64Capable(home.javaExecutable()));
    EXPECT_TRUE(MachOFile::isArm64(QStringLiteral("arm64")));
    EXPECT_FALSE(MachOFile::isArm64(QStringLiteral("universal")));
    EXPECT_FALSE(MachOFile::isArm64(std::nullopt));
    EXPECT_TRUE(MachOFile::isX86_64(QStringLiteral("x86_64")));
    EXPECT_FALSE(MachOFile::isX86_64(std::nullopt));
}

TEST(LauncherJavaReadiness, TheJavaMustRunOnTheHostsOwnArchitectureAndOnlyAnArm64HostIsToldArm64)
{
    struct Architecture {
        const char* host;
        std::optional<QString> required;
    } architectures[] = {
        {"arm64", QStringLiteral("arm64")}, {"x86_64", QStringLiteral("x86_64")},
        {"riscv64", std::nullopt},          {"unknown", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& a : architectures) {
        SCOPED_TRACE(a.host);
        EXPECT_EQ(LauncherJavaReadiness::requiredArchitecture(QString::fromLatin1(a.host)), a.required);
    }

    const QString x86NotCapable = QStringLiteral(
        "Java at %1 is not x86_64-capable (detected %2). Install x86_64 Zulu 8. This JVM opens Technic only.");
    struct Case {
        const char* name;
        const char* host;
        std::optional<Binary> binary; // none: no Java at all
        QByteArray release;
        QString expected; // %1 the executable, %2 the release file, %3 the JVM root; empty: ready
    } cases[] = {
        {"x86_64 Java on x86_64", "x86_64", Binary::elfX86_64, "JAVA_VERSION=\"1.8.0_402\"", {}},
        {"x86_64 Mach-O on x86_64", "x86_64", Binary::x86_64, "JAVA_VERSION=\"1.8.0_402\"", {}},
        {"fat with an x86_64 slice on x86_64", "x86_64", Binary::universalX86Only, "JAVA_VERSION=1.8", {}},
        {"arm64 Java on x86_64", "x86_64", Binary::elfArm64, "JAVA_VERSION=\"1.8.0_402\"", x86NotCapable},
        {"no Java on x86_64", "x86_64", std::nullopt, "JAVA_VERSION=\"1.8.0_402\"",
         QStringLiteral("Java 8 not found at %1. Install Zulu 8 in %3 or set JAVA_HOME to a Java 8 JDK.")},
        {"no release file on x86_64", "x86_64", Binary::elfX86_64, {},
         QStringLiteral("Orvane could not verify Java 8 because %2 is missing or invalid. Install Zulu 8 or set "
                        "JAVA_HOME to a complete Java 8 JDK.")},
        {"Java 17 on x86_64", "x86_64", Binary::elfX86_64, "JAVA_VERSION=\"17.0.1\"",
         QStringLiteral("Java at %1 is version 17.0.1, not Java 8. Install Zulu 8 or set JAVA_HOME to a Java 8 JDK.")},
        {"ELF arm64 Java on arm64", "arm64", Binary::elfArm64, "JAVA_VERSION=\"1.8.0_402\"", {}},
        {"ELF x86_64 Java on arm64", "arm64", Binary::elfX86_64, "JAVA_VERSION=\"1.8.0_402\"",
         QStringLiteral("Java at %1 is not arm64-capable (detected x86_64). Install arm64 Zulu 8. This JVM opens "
                        "Technic only; Tekkit 2 still uses Mojang Java 8 through Rosetta.")},
        {"any Java 8 on another host", "riscv64", Binary::elfArm64, "JAVA_VERSION=\"1.8.0_402\"", {}},
        {"no Java on another host", "riscv64", std::nullopt, "JAVA_VERSION=\"1.8.0_402\"",
         QStringLiteral("Java 8 not found at %1. Install Zulu 8 in %3 or set JAVA_HOME to a Java 8 JDK.")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FixtureHome home;
        if (c.binary) {
            FixtureHome::writeJdk(home.javaHome(), *c.binary,
                                  c.release.isEmpty() ? std::nullopt : std::optional<QByteArray>(c.release));
        }
        const auto result = checkHome(home, QString::fromLatin1(c.host));
        const QString expected = c.expected;
        if (expected.isEmpty()) {
            EXPECT_TRUE(result.isReady()) << result.issue.value_or(QString()).toStdString();
            continue;
        }
        ASSERT_TRUE(result.issue);
        const QString detected = result.architecture.value_or(QStringLiteral("unknown"));
        EXPECT_EQ(*result.issue,
                  QString(expected)
                      .replace(QStringLiteral("%1"), pathOf(home.javaExecutable()))
                      .replace(QStringLiteral("%3"), pathOf(home.jvmRoot()))
                      .replace(QStringLiteral("%2"), expected.contains(QStringLiteral("detected"))
                                                         ? detected
                                                         : pathOf(home.javaHome() / "release")));
        // What it asks for names arm64 only on an arm64 host (what it detected is named as it is).
        if (QByteArray(c.host) != "arm64") {
            EXPECT_FALSE(asksForArm64(*result.issue)) << result.issue->toStdString();
        }
    }
}

TEST(LauncherJavaReadiness, WithoutJavaHomeTheFirstJava8ForTheHostInTheJvmRootIsChosenZuluFirst)
{
    struct Jdk {
        const char* folder;
        Binary binary;
        std::optional<QByteArray> release;
    };
    const QByteArray java8 = "JAVA_VERSION=\"1.8.0_402\"";
    const QByteArray java17 = "JAVA_VERSION=\"17.0.10\"";
    struct Case {
        const char* name;
        const char* host;
        std::vector<Jdk> jdks;
        QString javaHomeValue; // empty: JAVA_HOME unset
        const char* chosen;    // a folder of the root, or of the home for JAVA_HOME; empty: none
        QString issue;         // %1 the JVM root; empty: ready
    };
    const Case cases[] = {
        {"no JVM folder at all", "x86_64", {}, {}, "",
         QStringLiteral("No Java 8 for x86_64 in %1. Install Zulu 8 or set JAVA_HOME to a Java 8 JDK.")},
        {"nothing for an arm64 host", "arm64", {}, {}, "",
         QStringLiteral("No Java 8 for arm64 in %1. Install arm64 Zulu 8 or set JAVA_HOME to an arm64 Java 8 JDK.")},
        {"nothing on another host", "riscv64", {}, {}, "",
         QStringLiteral("No Java 8 in %1. Install Zulu 8 or set JAVA_HOME to a Java 8 JDK.")},
        {"only Java 17 and a Java 8 of the other architecture", "x86_64",
         {{"java-17-openjdk-amd64", Binary::elfX86_64, java17}, {"java-8-openjdk-arm64", Binary::elfArm64, java8}},
         {}, "", QStringLiteral("No Java 8 for x86_64 in %1. Install Zulu 8 or set JAVA_HOME to a Java 8 JDK.")},
        {"the host's Java 8 among others", "x86_64",
         {{"java-17-openjdk-amd64", Binary::elfX86_64, java17},
          {"java-8-openjdk-arm64", Binary::elfArm64, java8},
          {"temurin-8-jdk-amd64", Binary::elfX86_64, java8}},
         {}, "temurin-8-jdk-amd64", {}},
        {"name order", "x86_64",
         {{"temurin-8-jdk-amd64", Binary::elfX86_64, java8}, {"java-8-openjdk-amd64", Binary::elfX86_64, java8}},
         {}, "java-8-openjdk-amd64", {}},
        {"Zulu before any other name", "x86_64",
         {{"java-8-openjdk-amd64", Binary::elfX86_64, java8}, {"Zulu8-ca-amd64", Binary::elfX86_64, java8}},
         {}, "Zulu8-ca-amd64", {}},
        {"a Zulu without a release file is passed over", "x86_64",
         {{"zulu8", Binary::elfX86_64, std::nullopt}, {"java-8-openjdk-amd64", Binary::elfX86_64, java8}},
         {}, "java-8-openjdk-amd64", {}},
        {"the arm64 one on an arm64 host", "arm64",
         {{"java-8-openjdk-amd64", Binary::elfX86_64, java8}, {"java-8-openjdk-arm64", Binary::elfArm64, java8}},
         {}, "java-8-openjdk-arm64", {}},
        {"JAVA_HOME wins even when it is no Java 8", "x86_64",
         {{"zulu8", Binary::elfX86_64, java8}, {"own-jdk", Binary::elfX86_64, java17}},
         QStringLiteral("own-jdk"), "own-jdk", QStringLiteral("Java at %2 is version 17.0.10, not Java 8. Install Zulu 8 "
                                                              "or set JAVA_HOME to a Java 8 JDK.")},
        {"an empty JAVA_HOME searches the root", "x86_64", {{"zulu8", Binary::elfX86_64, java8}}, QStringLiteral(""),
         "zulu8", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FixtureHome home;
        for (const Jdk& jdk : c.jdks)
            FixtureHome::writeJdk(home.jvmRoot() / jdk.folder, jdk.binary, jdk.release);
        ProcessEnvironment environment;
        if (!c.javaHomeValue.isNull())
            environment[QStringLiteral("JAVA_HOME")] =
                c.javaHomeValue.isEmpty() ? QString() : pathText(home.jvmRoot() / pathFromText(c.javaHomeValue));
        const auto result = LauncherJavaReadiness::check(environment, home.jvmRoot(), QString::fromLatin1(c.host),
                                                         *FileOperations::system());
        const std::filesystem::path chosen = *c.chosen ? home.jvmRoot() / c.chosen : std::filesystem::path();
        EXPECT_EQ(result.javaHome, chosen);
        EXPECT_EQ(result.executable, *c.chosen ? chosen / "bin" / "java" : std::filesystem::path());
        if (c.issue.isEmpty()) {
            EXPECT_TRUE(result.isReady()) << result.issue.value_or(QString()).toStdString();
            EXPECT_EQ(result.version, QStringLiteral("1.8.0_402"));
        } else {
            EXPECT_EQ(result.issue, QString(c.issue)
                                        .replace(QStringLiteral("%1"), pathOf(home.jvmRoot()))
                                        .replace(QStringLiteral("%2"), pathOf(chosen / "bin" / "java")));
        }
    }

    // A link to a JDK is tried as that JDK; files and broken links are not JDKs.
    FixtureHome home;
    FixtureHome::writeJdk(home.jvmRoot() / "java-8-openjdk-amd64", Binary::elfX86_64, java8);
    std::filesystem::create_directory_symlink("java-8-openjdk-amd64", home.jvmRoot() / "default-java");
    std::filesystem::create_directory_symlink("gone", home.jvmRoot() / "aaa-broken");
    writeFile(home.jvmRoot() / ".java-8-openjdk-amd64.jinfo", "name=java-8-openjdk-amd64\n");
    EXPECT_EQ(LauncherJavaReadiness::candidates(home.jvmRoot()),
              (std::vector<std::filesystem::path> {home.jvmRoot() / "default-java",
                                                   home.jvmRoot() / "java-8-openjdk-amd64"}));
}
