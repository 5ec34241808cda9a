#pragma once

#include <QByteArray>

#include <cstdint>
#include <optional>
#include <vector>

namespace orvane::test {

// Small executable headers built byte by byte, for tests of the header reader and fake JDKs.

inline constexpr std::uint32_t cpuTypeArm64 = 0x0100000C;
inline constexpr std::uint32_t cpuTypeX86_64 = 0x01000007;
inline constexpr std::uint32_t cpuTypePowerPC = 18;
inline constexpr std::uint16_t elfMachineAarch64 = 183;
inline constexpr std::uint16_t elfMachineX86_64 = 62;
inline constexpr std::uint16_t elfMachineRiscV = 243;

// A 64-bit Mach-O header (32 bytes): native little-endian (CF FA ED FE) or big-endian (FE ED FA CF).
QByteArray machOHeader(std::uint32_t cpuType, bool bigEndian = false);

// A fat file: header, one table entry per CPU type (20 bytes, or 32 for the 64-bit table) and a
// little padding. `bigEndian` false writes the byte-swapped magic and table. `declaredCount`
// replaces the entry count written in the header without changing the entries written.
QByteArray fatFile(const std::vector<std::uint32_t>& cpuTypes, bool bigEndian = true, bool table64 = false,
                   std::optional<std::uint32_t> declaredCount = std::nullopt);

// A 64-bit ELF header (64 bytes) for the machine, in little- or big-endian order.
QByteArray elfHeader(std::uint16_t machine, bool littleEndian = true);

} // namespace orvane::test
