#pragma once

#include "model/RedactionIdentities.h"
#include "platform/ProcessEnvironment.h"

#include <QString>

#include <cstdint>
#include <filesystem>
#include <optional>

namespace orvane {

class FileOperations;

// Where the identities a support bundle must not name are found: the user running Orvane and this
// machine, and the instance and the launcher's data folder, when known.
struct DiagnosticIdentitySources {
    std::filesystem::path home;
    ProcessEnvironment environment;
    QString hostName;
    std::optional<std::filesystem::path> instanceRoot;
    std::optional<std::filesystem::path> dataRoot;
};

// Bytes read from the beginning, and from the end, of each log: its launch command line, "Setting
// user:" and sign-in lines stand at its beginning, the latest game's at its end.
inline constexpr std::uint64_t identityLogEdgeBytes = 512 * 1024;

// The identities gathered from what the session reads anyway: the login name (USER, LOGNAME,
// USERNAME and the home folder's name) and the host name (also its first label, and HOSTNAME); the
// servers the instance knows (options.txt's lastServer and the addresses of servers.dat); and the
// player's names, UUIDs and account ids and the servers named in the game's logs (logs/latest.log,
// logs/fml-client-latest.log) and in the launcher's newest log. Never throws: what cannot be read
// names nothing.
RedactionIdentities gatherDiagnosticIdentities(const DiagnosticIdentitySources& sources, FileOperations& files);

} // namespace orvane
