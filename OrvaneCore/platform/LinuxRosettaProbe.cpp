#include "platform/LinuxRosettaProbe.h"

#include <QByteArrayView>
#include <QList>

#include <array>
#include <cstdint>
#include <optional>
#include <system_error>

namespace orvane {

namespace {

constexpr std::uint64_t kMaxEntryBytes = 4096;
const std::filesystem::path kHandlerFolder("proc/sys/fs/binfmt_misc");

// The first 20 bytes of an x86_64 ELF executable (class 64-bit, little-endian, version 1) up to and
// including e_machine 62; byte 16 is e_type, filled in per candidate.
constexpr std::array<std::uint8_t, 20> kX86_64ElfStart = {
    0x7f, 'E', 'L', 'F', 2, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 62, 0};
constexpr std::uint8_t kElfExecutable = 2;
constexpr std::uint8_t kElfSharedObject = 3; // position-independent executables, as most are now

std::optional<QByteArray> strictHex(QByteArrayView text)
{
    if (text.size() % 2 != 0)
        return std::nullopt;
    for (const char c : text) {
        const bool digit = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (!digit)
            return std::nullopt;
    }
    return QByteArray::fromHex(text.toByteArray());
}

struct Handler {
    bool enabled = false;
    bool hasMagic = false;
    qsizetype offset = 0;
    QByteArray magic;
    QByteArray mask;
};

// A handler as the kernel prints it: "enabled" or "disabled", then "interpreter …", "flags: …",
// and "offset N", "magic HEX", "mask HEX" for magic-matching handlers. Anything else: nothing.
std::optional<Handler> parseHandler(const QByteArray& text)
{
    const QList<QByteArray> lines = text.split('\n');
    Handler handler;
    if (lines.isEmpty())
        return std::nullopt;
    const QByteArray state = lines.front().trimmed();
    if (state != "enabled" && state != "disabled")
        return std::nullopt;
    handler.enabled = state == "enabled";
    for (const QByteArray& line : lines) {
        const qsizetype space = line.indexOf(' ');
        if (space < 0)
            continue;
        const QByteArray key = line.left(space);
        const QByteArray value = line.mid(space + 1).trimmed();
        if (key == "offset") {
            bool ok = false;
            handler.offset = value.toLongLong(&ok);
            if (!ok || handler.offset < 0)
                return std::nullopt;
        } else if (key == "magic") {
            const auto bytes = strictHex(value);
            if (!bytes)
                return std::nullopt;
            handler.magic = *bytes;
            handler.hasMagic = true;
        } else if (key == "mask") {
            const auto bytes = strictHex(value);
            if (!bytes)
                return std::nullopt;
            handler.mask = *bytes;
        }
    }
    return handler;
}

// Whether the kernel would hand an x86_64 ELF executable of type `elfType` to this handler:
// (file byte & mask) equals (magic & mask) at every magic position.
bool matches(const Handler& handler, std::uint8_t elfType)
{
    auto header = kX86_64ElfStart;
    header[16] = elfType;
    for (qsizetype i = 0; i < handler.magic.size(); ++i) {
        const qsizetype position = handler.offset + i;
        if (position >= qsizetype(header.size()))
            return false; // beyond the bytes every x86_64 executable shares
        const auto mask = i < handler.mask.size() ? std::uint8_t(handler.mask[i]) : std::uint8_t(0xff);
        if ((header[std::size_t(position)] & mask) != (std::uint8_t(handler.magic[i]) & mask))
            return false;
    }
    return true;
}

bool takesX86_64Executables(const Handler& handler)
{
    if (!handler.enabled || !handler.hasMagic || handler.magic.isEmpty())
        return false;
    return matches(handler, kElfExecutable) || matches(handler, kElfSharedObject);
}

} // namespace

std::shared_ptr<RosettaProbe> RosettaProbe::system()
{
    static const auto instance = std::make_shared<LinuxRosettaProbe>();
    return instance;
}

LinuxRosettaProbe::LinuxRosettaProbe(std::filesystem::path root, QString hostArchitecture,
                                     std::shared_ptr<FileOperations> files)
    : m_root(std::move(root))
    , m_hostArchitecture(std::move(hostArchitecture))
    , m_files(std::move(files))
{
}

bool LinuxRosettaProbe::isInstalled()
{
    return m_hostArchitecture == u"x86_64" || hasX86_64Handler();
}

bool LinuxRosettaProbe::hasX86_64Handler() const
{
    const auto folder = m_root / kHandlerFolder;
    // The "status" file switches every handler off at once.
    if (const auto status = readFileIfPossible(*m_files, folder / "status", kMaxEntryBytes)) {
        if (status->trimmed() == "disabled")
            return false;
    }
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        const auto name = entries->path().filename();
        if (name == "status" || name == "register")
            continue;
        const auto text = readFileIfPossible(*m_files, entries->path(), kMaxEntryBytes);
        if (!text)
            continue;
        const auto handler = parseHandler(*text);
        if (handler && takesX86_64Executables(*handler))
            return true;
    }
    return false;
}

} // namespace orvane
