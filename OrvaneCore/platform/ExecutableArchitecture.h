#pragma once

#include <QByteArray>
#include <QString>

#include <filesystem>
#include <optional>
#include <vector>

namespace orvane {

// The CPU architecture of an executable, read from its header alone (never by running it).
// Answers are "arm64", "x86_64" or "universal" (a Mach-O fat file); anything else is absent.
//
// Mach-O: the first 8 bytes. Either byte order of the fat magic (32- or 64-bit tables) is
// "universal"; a big-endian Mach-O magic takes the CPU type from bytes 4-7 big-endian; any other
// first word takes it little-endian (the native headers). CPU type 0x0100000C or 12 is arm64,
// 0x01000007 or 7 is x86_64.
// ELF (so a Linux JDK is judged too): e_machine 183 is arm64, 62 is x86_64, in the byte order
// e_ident names.
//
// Only regular files are opened, without blocking, and only the header's bytes are read, so a
// FIFO, a device or a huge file never hangs or floods the caller: it simply has no answer.
std::optional<QString> executableArchitecture(const std::filesystem::path& path);

// True when the executable can run natively on arm64: an arm64 Mach-O or ELF file, or a fat file
// whose table (at most 256 entries) lists an arm64 slice. Unreadable or malformed files: false.
bool executableRunsOnArm64(const std::filesystem::path& path);

// The architectures ("arm64", "x86_64") of the slices a fat file's table lists, in table order;
// other CPU types are left out. Empty for any other file, or a table of 0 or over 256 entries; a
// table cut short by the end of the file lists the entries before the cut.
std::vector<QString> executableSliceArchitectures(const std::filesystem::path& path);

// The same answers for header bytes already in hand (the start of the file, or all of it).
std::optional<QString> headerArchitecture(const QByteArray& header);
std::vector<QString> fatSliceArchitectures(const QByteArray& bytes);
bool fatTableListsArm64(const QByteArray& bytes);

} // namespace orvane
