#include "session/DiagnosticIdentities.h"

#include "model/IdentityLearner.h"
#include "platform/FileOperations.h"
#include "platform/PathText.h"
#include "technic/LaunchWatch.h"
#include "technic/LogTail.h"
#include "technic/OptionsFile.h"
#include "technic/ServerListFile.h"
#include "technic/TechnicFileReading.h"

#include <vector>

namespace orvane {

namespace {

void addUserAndMachine(const DiagnosticIdentitySources& sources, RedactionIdentities& identities)
{
    for (const char* variable : {"USER", "LOGNAME", "USERNAME"}) {
        const auto found = sources.environment.find(QLatin1String(variable));
        if (found != sources.environment.end())
            identities.addName(found->second);
    }
    if (const auto name = exactPathText(standardised(sources.home).filename()))
        identities.addName(*name);

    QStringList hosts{sources.hostName};
    const auto hostVariable = sources.environment.find(QStringLiteral("HOSTNAME"));
    if (hostVariable != sources.environment.end())
        hosts << hostVariable->second;
    for (const QString& host : hosts) {
        identities.addHost(host);
        // "alice-laptop.lan" is also written "alice-laptop".
        identities.addHost(host.section(QLatin1Char('.'), 0, 0));
    }
}

void addInstanceServers(const std::filesystem::path& instanceRoot, FileOperations& files,
                        RedactionIdentities& identities)
{
    if (const auto bytes = readFileIfPossible(files, instanceRoot / "options.txt", technicFileByteLimit)) {
        if (const auto text = strictUtf8(*bytes)) {
            if (const auto lastServer = OptionsFile(*text).value(QStringLiteral("lastServer")))
                identities.addHost(*lastServer);
        }
    }
    for (const QString& address : ServerListFile::readAddresses(instanceRoot, files))
        identities.addHost(address);
}

// The beginning and the end of a log, piece by piece: each piece is searched on its own, so that a
// log of any size costs at most two edges' worth of text.
void learnFromLog(const std::filesystem::path& path, RedactionIdentities& identities)
{
    LogTail tail(path, identityLogEdgeBytes);
    tail.readNew([&identities](QStringView text, bool) { identities.merge(learnIdentities(text.toString())); });
}

} // namespace

RedactionIdentities gatherDiagnosticIdentities(const DiagnosticIdentitySources& sources, FileOperations& files)
{
    RedactionIdentities identities;
    addUserAndMachine(sources, identities);
    std::vector<std::filesystem::path> logs;
    if (sources.instanceRoot) {
        addInstanceServers(*sources.instanceRoot, files, identities);
        for (const char* relative : LaunchWatch::gameLogPaths)
            logs.push_back(*sources.instanceRoot / relative);
    }
    if (sources.dataRoot) {
        if (auto launcherLog = LaunchWatch::latestLauncherLog(*sources.dataRoot))
            logs.push_back(std::move(*launcherLog));
    }
    for (const std::filesystem::path& log : logs)
        learnFromLog(log, identities);
    return identities;
}

} // namespace orvane
