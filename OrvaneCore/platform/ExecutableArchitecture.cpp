#include "platform/ExecutableArchitecture.h"

#include "platform/FileDescriptor.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane {

namespace {

constexpr std::uint32_t kCpuArm64 = 0x0100000C;
constexpr std::uint32_t kCpuArm = 12;
constexpr std::uint32_t kCpuX86_64 = 0x01000007;
constexpr std::uint32_t kCpuX86 = 7;
constexpr std::uint16_t kElfMachineAarch64 = 183;
constexpr std::uint16_t kElfMachineX86_64 = 62;

constexpr qsizetype kMachHeaderBytes = 8;
constexpr qsizetype kElfHeaderBytes = 20; // through e_machine
constexpr std::uint32_t kMaxFatEntries = 256;
// Everything a fat table of the largest accepted size can occupy; bytes beyond it never matter.
constexpr qsizetype kMaxFatTableBytes = 8 + kMaxFatEntries * 32;

std::uint8_t byteAt(const QByteArray& bytes, qsizetype offset)
{
    return static_cast<std::uint8_t>(bytes[offset]);
}

std::uint32_t word(const QByteArray& bytes, qsizetype offset, bool bigEndian)
{
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        const int shift = bigEndian ? 8 * (3 - i) : 8 * i;
        value |= std::uint32_t(byteAt(bytes, offset + i)) << shift;
    }
    return value;
}

bool startsWith(const QByteArray& bytes, std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d)
{
    return bytes.size() >= 4 && byteAt(bytes, 0) == a && byteAt(bytes, 1) == b && byteAt(bytes, 2) == c
        && byteAt(bytes, 3) == d;
}

bool isFatMagic(const QByteArray& bytes)
{
    return startsWith(bytes, 0xCA, 0xFE, 0xBA, 0xBE) || startsWith(bytes, 0xCA, 0xFE, 0xBA, 0xBF)
        || startsWith(bytes, 0xBE, 0xBA, 0xFE, 0xCA) || startsWith(bytes, 0xBF, 0xBA, 0xFE, 0xCA);
}

bool isArm64CpuType(std::uint32_t cpu) { return cpu == kCpuArm64 || cpu == kCpuArm; }
bool isX86_64CpuType(std::uint32_t cpu) { return cpu == kCpuX86_64 || cpu == kCpuX86; }

std::optional<QString> cpuTypeName(std::uint32_t cpu)
{
    if (isArm64CpuType(cpu))
        return QStringLiteral("arm64");
    if (isX86_64CpuType(cpu))
        return QStringLiteral("x86_64");
    return std::nullopt;
}

std::optional<QString> elfArchitecture(const QByteArray& header)
{
    if (header.size() < kElfHeaderBytes)
        return std::nullopt;
    const std::uint8_t data = byteAt(header, 5); // EI_DATA: 1 little-endian, 2 big-endian
    if (data != 1 && data != 2)
        return std::nullopt;
    const std::uint16_t lo = byteAt(header, data == 1 ? 18 : 19);
    const std::uint16_t hi = byteAt(header, data == 1 ? 19 : 18);
    const std::uint16_t machine = std::uint16_t(lo | (hi << 8));
    if (machine == kElfMachineAarch64)
        return QStringLiteral("arm64");
    if (machine == kElfMachineX86_64)
        return QStringLiteral("x86_64");
    return std::nullopt;
}

// The first `maxBytes` of a regular file. Opened without blocking and refused unless regular,
// so a FIFO or device is no answer rather than a hang.
std::optional<QByteArray> readPrefix(const std::filesystem::path& path, qsizetype maxBytes)
{
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd)
        return std::nullopt;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    QByteArray bytes(maxBytes, '\0');
    qsizetype filled = 0;
    while (filled < maxBytes) {
        const ssize_t n = ::read(fd.get(), bytes.data() + filled, std::size_t(maxBytes - filled));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return std::nullopt;
        }
        if (n == 0)
            break;
        filled += qsizetype(n);
    }
    bytes.truncate(filled);
    return bytes;
}

} // namespace

std::optional<QString> headerArchitecture(const QByteArray& header)
{
    if (startsWith(header, 0x7F, 'E', 'L', 'F'))
        return elfArchitecture(header);
    if (header.size() < kMachHeaderBytes)
        return std::nullopt;
    if (isFatMagic(header))
        return QStringLiteral("universal");
    const bool bigEndian = startsWith(header, 0xFE, 0xED, 0xFA, 0xCE) || startsWith(header, 0xFE, 0xED, 0xFA, 0xCF);
    return cpuTypeName(word(header, 4, bigEndian));
}

std::vector<QString> fatSliceArchitectures(const QByteArray& bytes)
{
    std::vector<QString> slices;
    if (bytes.size() < 8)
        return slices;
    bool bigEndian = false;
    qsizetype entrySize = 0;
    if (startsWith(bytes, 0xCA, 0xFE, 0xBA, 0xBE)) {
        bigEndian = true;
        entrySize = 20;
    } else if (startsWith(bytes, 0xBE, 0xBA, 0xFE, 0xCA)) {
        entrySize = 20;
    } else if (startsWith(bytes, 0xCA, 0xFE, 0xBA, 0xBF)) {
        bigEndian = true;
        entrySize = 32;
    } else if (startsWith(bytes, 0xBF, 0xBA, 0xFE, 0xCA)) {
        entrySize = 32;
    } else {
        return slices;
    }
    const std::uint32_t count = word(bytes, 4, bigEndian);
    if (count == 0 || count > kMaxFatEntries)
        return slices;
    for (std::uint32_t i = 0; i < count; ++i) {
        const qsizetype offset = 8 + qsizetype(i) * entrySize;
        if (offset + 4 > bytes.size())
            break;
        if (auto name = cpuTypeName(word(bytes, offset, bigEndian)))
            slices.push_back(std::move(*name));
    }
    return slices;
}

bool fatTableListsArm64(const QByteArray& bytes)
{
    const auto slices = fatSliceArchitectures(bytes);
    return std::find(slices.begin(), slices.end(), QStringLiteral("arm64")) != slices.end();
}

std::optional<QString> executableArchitecture(const std::filesystem::path& path)
{
    const auto header = readPrefix(path, kElfHeaderBytes);
    if (!header)
        return std::nullopt;
    return headerArchitecture(*header);
}

std::vector<QString> executableSliceArchitectures(const std::filesystem::path& path)
{
    const auto table = readPrefix(path, kMaxFatTableBytes);
    if (!table)
        return {};
    return fatSliceArchitectures(*table);
}

bool executableRunsOnArm64(const std::filesystem::path& path)
{
    const auto architecture = executableArchitecture(path);
    if (architecture == QStringLiteral("arm64"))
        return true;
    if (architecture != QStringLiteral("universal"))
        return false;
    const auto slices = executableSliceArchitectures(path);
    return std::find(slices.begin(), slices.end(), QStringLiteral("arm64")) != slices.end();
}

} // namespace orvane
