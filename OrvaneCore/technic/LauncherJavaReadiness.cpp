#include "technic/LauncherJavaReadiness.h"

#include "platform/ExecutableArchitecture.h"
#include "platform/FileOperations.h"
#include "platform/PathText.h"
#include "technic/MachOFile.h"
#include "technic/TechnicFileReading.h"

#include <algorithm>
#include <system_error>

namespace orvane {

namespace {

// A JDK's release file is a few hundred bytes.
constexpr std::uint64_t kReleaseFileLimit = 1024 * 1024;

bool isNewline(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x000A && u <= 0x000D) || u == 0x0085 || u == 0x2028 || u == 0x2029;
}

bool isQuote(QChar c)
{
    return c == QLatin1Char('"') || c == QLatin1Char('\'');
}

// An x86_64 executable, or a fat one with an x86_64 slice.
bool runsOnX86_64(const std::filesystem::path& executable, const std::optional<QString>& architecture)
{
    if (MachOFile::isX86_64(architecture))
        return true;
    if (architecture != QLatin1String("universal"))
        return false;
    const auto slices = executableSliceArchitectures(executable);
    return std::find(slices.begin(), slices.end(), QStringLiteral("x86_64")) != slices.end();
}

// What the texts ask the user to install, for the architecture required.
struct Advice {
    QString zulu;
    QString jdk;
    QString root;
};

Advice adviceFor(const std::optional<QString>& required, const std::filesystem::path& jvmRoot)
{
    // Only an arm64 host is asked for arm64.
    const bool arm64 = required == QLatin1String("arm64");
    return {arm64 ? QStringLiteral("arm64 Zulu 8") : QStringLiteral("Zulu 8"),
            arm64 ? QStringLiteral("an arm64 Java 8 JDK") : QStringLiteral("a Java 8 JDK"), pathText(jvmRoot)};
}

// The tests of one JDK folder, in order; the first that fails fills the issue.
LauncherJavaReadiness checkJdk(const std::filesystem::path& javaHome, const std::optional<QString>& required,
                               const Advice& advice, FileOperations& files)
{
    LauncherJavaReadiness result;
    result.javaHome = javaHome;
    result.executable = javaHome / "bin" / "java";
    result.architecture = MachOFile::architecture(result.executable);
    const QString executableText = pathText(result.executable);

    if (!isExecutableFile(result.executable)) {
        result.issue = QStringLiteral("Java 8 not found at %1. Install %2 in %3 or set JAVA_HOME to %4.")
                           .arg(executableText, advice.zulu, advice.root, advice.jdk);
        return result;
    }

    const auto releaseFile = javaHome / "release";
    std::optional<QString> version;
    if (const auto bytes = readFileIfPossible(files, releaseFile, kReleaseFileLimit)) {
        if (const auto text = strictUtf8(*bytes))
            version = LauncherJavaReadiness::releaseValue(QStringLiteral("JAVA_VERSION"), *text);
    }
    if (!version) {
        result.issue = QStringLiteral("Orvane could not verify Java 8 because %1 is missing or invalid. Install %2 or "
                                      "set JAVA_HOME to a complete Java 8 JDK.")
                           .arg(pathText(releaseFile), advice.zulu);
        return result;
    }
    result.version = version;

    if (*version != QLatin1String("1.8") && !version->startsWith(QLatin1String("1.8."))) {
        result.issue = QStringLiteral("Java at %1 is version %2, not Java 8. Install %3 or set JAVA_HOME to %4.")
                           .arg(executableText, *version, advice.zulu, advice.jdk);
        return result;
    }

    const QString detected = result.architecture.value_or(QStringLiteral("unknown"));
    if (required == QLatin1String("arm64") && !MachOFile::isArm64Capable(result.executable)) {
        result.issue = QStringLiteral("Java at %1 is not arm64-capable (detected %2). Install arm64 Zulu 8. This JVM "
                                      "opens Technic only; Tekkit 2 still uses Mojang Java 8 through Rosetta.")
                           .arg(executableText, detected);
    } else if (required == QLatin1String("x86_64") && !runsOnX86_64(result.executable, result.architecture)) {
        result.issue = QStringLiteral("Java at %1 is not x86_64-capable (detected %2). Install x86_64 Zulu 8. This "
                                      "JVM opens Technic only.")
                           .arg(executableText, detected);
    }
    return result;
}

} // namespace

std::filesystem::path LauncherJavaReadiness::defaultJvmRoot()
{
    return "/usr/lib/jvm";
}

std::optional<std::filesystem::path> LauncherJavaReadiness::javaHomeFromEnvironment(
    const ProcessEnvironment& environment)
{
    const auto found = environment.find(QStringLiteral("JAVA_HOME"));
    if (found == environment.end() || found->second.isEmpty())
        return std::nullopt;
    // A relative JAVA_HOME is read against the working folder, as a file path always is.
    std::error_code error;
    const auto absolute = std::filesystem::absolute(pathFromText(found->second), error);
    return standardised(error ? pathFromText(found->second) : absolute);
}

std::vector<std::filesystem::path> LauncherJavaReadiness::candidates(const std::filesystem::path& jvmRoot)
{
    std::vector<std::filesystem::path> zulu;
    std::vector<std::filesystem::path> others;
    std::error_code error;
    for (std::filesystem::directory_iterator it(jvmRoot, error), end; !error && it != end; it.increment(error)) {
        std::error_code typeError;
        if (!std::filesystem::is_directory(it->path(), typeError))
            continue;
        const bool isZulu = pathText(it->path().filename()).startsWith(QLatin1String("zulu"), Qt::CaseInsensitive);
        (isZulu ? zulu : others).push_back(it->path());
    }
    std::sort(zulu.begin(), zulu.end());
    std::sort(others.begin(), others.end());
    zulu.insert(zulu.end(), others.begin(), others.end());
    return zulu;
}

std::optional<QString> LauncherJavaReadiness::requiredArchitecture(const QString& hostArchitecture)
{
    if (hostArchitecture == QLatin1String("arm64") || hostArchitecture == QLatin1String("x86_64"))
        return hostArchitecture;
    return std::nullopt;
}

LauncherJavaReadiness LauncherJavaReadiness::check(const ProcessEnvironment& environment,
                                                   const std::filesystem::path& jvmRoot,
                                                   const QString& hostArchitecture, FileOperations& files)
{
    const std::optional<QString> required = requiredArchitecture(hostArchitecture);
    const Advice advice = adviceFor(required, jvmRoot);
    if (const auto javaHome = javaHomeFromEnvironment(environment))
        return checkJdk(*javaHome, required, advice, files);

    for (const auto& candidate : candidates(jvmRoot)) {
        LauncherJavaReadiness result = checkJdk(candidate, required, advice, files);
        if (result.isReady())
            return result;
    }
    LauncherJavaReadiness none;
    none.issue = QStringLiteral("No Java 8%1 in %2. Install %3 or set JAVA_HOME to %4.")
                     .arg(required ? QStringLiteral(" for ") + *required : QString(), pathText(jvmRoot), advice.zulu,
                          advice.jdk);
    return none;
}

std::optional<QString> LauncherJavaReadiness::releaseValue(const QString& key, const QString& text)
{
    const QString prefix = key + QLatin1Char('=');
    qsizetype start = 0;
    while (start <= text.size()) {
        qsizetype end = start;
        while (end < text.size() && !isNewline(text[end]))
            ++end;
        const QStringView line = QStringView(text).mid(start, end - start);
        if (!line.isEmpty() && line.startsWith(prefix)) {
            QStringView value = line.mid(prefix.size());
            while (!value.isEmpty() && isQuote(value.front()))
                value = value.mid(1);
            while (!value.isEmpty() && isQuote(value.back()))
                value.chop(1);
            return value.toString();
        }
        start = end + 1;
    }
    return std::nullopt;
}

} // namespace orvane
