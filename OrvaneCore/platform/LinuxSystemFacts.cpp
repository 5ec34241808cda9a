#include "platform/LinuxSystemFacts.h"

#include "platform/HostArchitecture.h"

#include <QList>

#include <limits>

#include <sys/statvfs.h>
#include <sys/sysinfo.h>

namespace orvane {

namespace {

// Every file read here is a few lines; /proc/cpuinfo of a large machine is the biggest.
constexpr std::uint64_t kMaxFileBytes = 4 << 20;
const QString kUnknown = QStringLiteral("unknown");

std::uint64_t saturatingProduct(std::uint64_t a, std::uint64_t b)
{
    if (a != 0 && b > std::numeric_limits<std::uint64_t>::max() / a)
        return std::numeric_limits<std::uint64_t>::max();
    return a * b;
}

// The bytes up to the first NUL, as UTF-8 with invalid sequences replaced.
QString textUpToNul(const QByteArray& bytes)
{
    const qsizetype nul = bytes.indexOf('\0');
    return QString::fromUtf8(nul < 0 ? bytes : bytes.left(nul));
}

bool isAcceptedSettingName(const QString& name)
{
    if (name.isEmpty() || name.startsWith(u'.') || name.endsWith(u'.') || name.contains(QStringLiteral("..")))
        return false;
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        const bool accepted = (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9')
            || u == u'_' || u == u'.';
        if (!accepted)
            return false;
    }
    return true;
}

// An os-release value: shell-style quoting with backslash escapes inside double quotes.
QString osReleaseValue(QByteArrayView raw)
{
    const QString text = QString::fromUtf8(raw).trimmed();
    if (text.size() >= 2 && text.front() == u'\'' && text.back() == u'\'')
        return text.mid(1, text.size() - 2);
    if (text.size() >= 2 && text.front() == u'"' && text.back() == u'"') {
        QString out;
        const QString inner = text.mid(1, text.size() - 2);
        for (qsizetype i = 0; i < inner.size(); ++i) {
            if (inner[i] == u'\\' && i + 1 < inner.size())
                ++i;
            out += inner[i];
        }
        return out;
    }
    return text;
}

} // namespace

std::shared_ptr<SystemFacts> SystemFacts::system()
{
    static const auto instance = std::make_shared<LinuxSystemFacts>();
    return instance;
}

LinuxSystemFacts::LinuxSystemFacts(std::filesystem::path root, std::shared_ptr<FileOperations> files)
    : m_root(std::move(root))
    , m_files(std::move(files))
{
}

std::optional<QByteArray> LinuxSystemFacts::read(const std::filesystem::path& relative) const
{
    return readFileIfPossible(*m_files, m_root / relative, kMaxFileBytes);
}

std::uint64_t LinuxSystemFacts::physicalMemoryBytes()
{
    struct sysinfo info {};
    if (::sysinfo(&info) != 0)
        return 0;
    return saturatingProduct(info.totalram, info.mem_unit == 0 ? 1 : info.mem_unit);
}

QString LinuxSystemFacts::sysctlString(const QString& name)
{
    if (!isAcceptedSettingName(name))
        return kUnknown;
    if (name == u"machdep.cpu.brand_string")
        return processorBrand();
    if (name == u"hw.model")
        return hardwareModel();
    if (name == u"hw.memsize") {
        const auto bytes = physicalMemoryBytes();
        return bytes == 0 ? kUnknown : QString::number(bytes);
    }
    if (name == u"sysctl.proc_translated")
        return QStringLiteral("0");
    return kernelSetting(name);
}

QString LinuxSystemFacts::processorBrand() const
{
    const auto info = read("proc/cpuinfo");
    if (!info)
        return kUnknown;
    for (const QByteArrayView line : info->split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon < 0 || line.first(colon).trimmed() != "model name")
            continue;
        const QString brand = textUpToNul(line.sliced(colon + 1).toByteArray()).trimmed();
        return brand.isEmpty() ? kUnknown : brand;
    }
    return kUnknown;
}

QString LinuxSystemFacts::hardwareModel() const
{
    // PCs describe themselves through DMI; ARM boards through the device tree.
    for (const char* source : {"sys/class/dmi/id/product_name", "proc/device-tree/model"}) {
        if (const auto bytes = read(source)) {
            const QString model = textUpToNul(*bytes).trimmed();
            if (!model.isEmpty())
                return model;
        }
    }
    return kUnknown;
}

QString LinuxSystemFacts::kernelSetting(const QString& name) const
{
    std::filesystem::path relative("proc/sys");
    for (const QString& part : name.split(u'.'))
        relative /= part.toStdString();
    const auto bytes = read(relative);
    if (!bytes)
        return kUnknown;
    QString value = textUpToNul(*bytes);
    if (value.endsWith(u'\n'))
        value.chop(1);
    return value;
}

QString LinuxSystemFacts::architecture()
{
    return hostArchitecture();
}

bool LinuxSystemFacts::processTranslated()
{
    return false;
}

std::uint64_t LinuxSystemFacts::volumeAvailableBytes(const std::filesystem::path& folder)
{
    struct statvfs volume {};
    if (::statvfs(folder.c_str(), &volume) != 0)
        return 0;
    const std::uint64_t blockSize = volume.f_frsize != 0 ? volume.f_frsize : volume.f_bsize;
    return saturatingProduct(volume.f_bavail, blockSize);
}

QString LinuxSystemFacts::osVersion()
{
    // os-release(5): /etc first, the vendor copy in /usr/lib when /etc has none.
    for (const char* source : {"etc/os-release", "usr/lib/os-release"}) {
        const auto bytes = read(source);
        if (!bytes)
            continue;
        QString name;
        QString version;
        for (const QByteArrayView line : bytes->split('\n')) {
            const qsizetype equals = line.indexOf('=');
            if (equals < 0)
                continue;
            const QByteArrayView key = line.first(equals).trimmed();
            const QString value = osReleaseValue(line.sliced(equals + 1));
            if (key == "PRETTY_NAME" && !value.isEmpty())
                return value;
            if (key == "NAME")
                name = value;
            else if (key == "VERSION")
                version = value;
        }
        if (!name.isEmpty())
            return version.isEmpty() ? name : name + u' ' + version;
    }
    return QStringLiteral("Linux");
}

} // namespace orvane
