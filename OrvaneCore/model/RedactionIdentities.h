#pragma once

#include <QString>

#include <set>

namespace orvane {

// What an identity is, and so the marker that replaces it.
enum class IdentityKind { name, id, host };

// Whom and what a diagnostic text must not name, by the marker that replaces every occurrence: the
// player's and other players' names, account ids, this machine and the player's servers. The values
// are only ever matched against, never written anywhere.
//
// Each add… keeps a value only when it can be told apart from the text around it: names and hosts
// of fewer than three characters, words a log uses for itself ("Player", "minecraft", "home"),
// loopback and the public services a diagnosis names, and the redactor's own markers are left out;
// such values are still redacted where a known shape names them.
struct RedactionIdentities {
    // Minecraft names, gamertags, login names; matched in any letter case. "[REDACTED_USER]"
    std::set<QString> names;
    // Account ids: UUIDs (kept as 32 lower-case hexadecimal digits, matched with and without dashes)
    // and other ids (Xbox user ids, Microsoft account ids). "[REDACTED_ID]"
    std::set<QString> ids;
    // This machine's host name and the servers the player knows, lower case. "[REDACTED_SERVER]"
    std::set<QString> hosts;

    // A name that is a UUID is kept as an id.
    void addName(const QString& value);
    void addId(const QString& value);
    // A server address as the server list or a launch command writes it: a port, brackets around an
    // IPv6 address and a final "." are taken off.
    void addHost(const QString& value);
    // The add… of `kind`.
    void add(IdentityKind kind, const QString& value);
    void merge(const RedactionIdentities& other);

    bool operator==(const RedactionIdentities&) const = default;
};

} // namespace orvane
