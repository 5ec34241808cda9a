#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace orvane::test {

// One entry of the game's server list as the Multiplayer screen saves it.
struct ServerListEntry {
    QString name;
    QString ip;
    // A base64 PNG, as the game stores a server's icon; absent: none stored.
    std::optional<QString> icon;
    bool acceptTextures = false;
};

// servers.dat as the game writes it: an uncompressed NBT compound holding the list "servers".
QByteArray serverListBytes(const std::vector<ServerListEntry>& entries);

} // namespace orvane::test
