#include "support/ExecutableSamples.h"

namespace orvane::test {

namespace {

void append32(QByteArray& bytes, std::uint32_t value, bool bigEndian)
{
    for (int i = 0; i < 4; ++i) {
        const int shift = bigEndian ? 8 * (3 - i) : 8 * i;
        bytes.append(char((value >> shift) & 0xFF));
    }
}

void append16(QByteArray& bytes, std::uint16_t value, bool bigEndian)
{
    if (bigEndian) {
        bytes.append(char(value >> 8));
        bytes.append(char(value & 0xFF));
    } else {
        bytes.append(char(value & 0xFF));
        bytes.append(char(value >> 8));
    }
}

} // namespace

QByteArray machOHeader(std::uint32_t cpuType, bool bigEndian)
{
    QByteArray bytes;
    append32(bytes, 0xFEEDFACF, bigEndian); // MH_MAGIC_64 in the file's byte order
    append32(bytes, cpuType, bigEndian);
    append32(bytes, 0, bigEndian);          // cpusubtype
    append32(bytes, 2, bigEndian);          // MH_EXECUTE
    append32(bytes, 0, bigEndian);          // ncmds
    append32(bytes, 0, bigEndian);          // sizeofcmds
    append32(bytes, 0, bigEndian);          // flags
    append32(bytes, 0, bigEndian);          // reserved
    return bytes;
}

QByteArray fatFile(const std::vector<std::uint32_t>& cpuTypes, bool bigEndian, bool table64,
                   std::optional<std::uint32_t> declaredCount)
{
    QByteArray bytes;
    append32(bytes, table64 ? 0xCAFEBABF : 0xCAFEBABE, bigEndian);
    append32(bytes, declaredCount.value_or(std::uint32_t(cpuTypes.size())), bigEndian);
    std::uint32_t offset = 0x4000;
    for (const auto cpu : cpuTypes) {
        append32(bytes, cpu, bigEndian);
        append32(bytes, 0, bigEndian); // cpusubtype
        if (table64) {
            append32(bytes, 0, bigEndian); // offset, high word
            append32(bytes, offset, bigEndian);
            append32(bytes, 0, bigEndian); // size, high word
            append32(bytes, 0x1000, bigEndian);
            append32(bytes, 14, bigEndian); // align
            append32(bytes, 0, bigEndian);  // reserved
        } else {
            append32(bytes, offset, bigEndian);
            append32(bytes, 0x1000, bigEndian);
            append32(bytes, 14, bigEndian);
        }
        offset += 0x4000;
    }
    bytes.append(16, '\0');
    return bytes;
}

QByteArray elfHeader(std::uint16_t machine, bool littleEndian)
{
    const bool big = !littleEndian;
    QByteArray bytes("\x7F" "ELF", 4);
    bytes.append(char(2));               // ELFCLASS64
    bytes.append(char(littleEndian ? 1 : 2));
    bytes.append(char(1));               // EV_CURRENT
    bytes.append(char(0));               // System V ABI
    bytes.append(8, '\0');               // ABI version and padding
    append16(bytes, 2, big);             // ET_EXEC
    append16(bytes, machine, big);
    append32(bytes, 1, big);             // e_version
    bytes.append(64 - bytes.size(), '\0');
    return bytes;
}

} // namespace orvane::test
