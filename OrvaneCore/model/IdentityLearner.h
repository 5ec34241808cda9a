#pragma once

#include "model/RedactionIdentities.h"

#include <QString>

namespace orvane {

// The identities a text names in the shapes launcher and game logs, crash reports and sign-in
// replies write them in: the launch command line ("--username", "--uuid", "--server"), "Setting
// user:", "Logged in as", game profiles, chat speakers, join, leave, login and lost-connection
// lines, "UUID of player … is …", crash-report players, gamertags and account ids of sign-in JSON,
// login names of environment dumps and removable-media or JVM paths, the host name, and the servers
// of connection and server-list lines. Each shape is searched once over the whole text.
RedactionIdentities learnIdentities(const QString& text);

} // namespace orvane
