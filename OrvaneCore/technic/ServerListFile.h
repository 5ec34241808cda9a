#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace orvane {

class FileOperations;

// The game's server list, servers.dat in the instance folder: an uncompressed NBT file whose root
// compound holds "servers", a list of compounds, each with the server's "ip" (its address as the
// player typed it, often with a port), "name" and "icon". Only the addresses are read.
namespace ServerListFile {

// A server list larger than this is not read: one with a hundred servers and their icons is about a
// megabyte.
inline constexpr std::uint64_t byteLimit = 4 * 1024 * 1024;
// Deeper nesting than this is refused: the real file nests three levels.
inline constexpr int depthLimit = 64;

// Every "ip" string of a compound, in file order. Nothing for bytes that are not one complete NBT
// compound (cut short, a length beyond the end, an unknown tag, nesting beyond the limit, text that is
// not Java's modified UTF-8, bytes after the end, a compressed file): a malformed list names nothing
// for sure.
std::optional<std::vector<QString>> addresses(const QByteArray& bytes);

// The addresses of <instanceRoot>/servers.dat; empty when it is missing, special, too large or
// malformed. Never throws.
std::vector<QString> readAddresses(const std::filesystem::path& instanceRoot, FileOperations& files);

} // namespace ServerListFile

} // namespace orvane
