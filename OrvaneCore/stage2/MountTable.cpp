#include "stage2/MountTable.h"

#include "stage2/InstallRootPaths.h"

#include <QFile>
#include <QList>

#include <string_view>

#include <fcntl.h>
#include <sys/stat.h>

namespace orvane {

namespace {

// mountinfo writes space, tab, newline and backslash in paths as "\" and three octal digits.
std::string unescaped(const QByteArray& field)
{
    std::string out;
    out.reserve(std::size_t(field.size()));
    for (qsizetype i = 0; i < field.size(); ++i) {
        const auto isOctal = [&](qsizetype at) { return at < field.size() && field[at] >= '0' && field[at] <= '7'; };
        if (field[i] == '\\' && isOctal(i + 1) && isOctal(i + 2) && isOctal(i + 3)) {
            out += char(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) | (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

// True when `path` is `mountPoint` or lies below it.
bool isAtOrBelow(const std::string& path, const std::string& mountPoint)
{
    if (mountPoint == "/")
        return !path.empty() && path.front() == '/';
    return path.compare(0, mountPoint.size(), mountPoint) == 0
        && (path.size() == mountPoint.size() || path[mountPoint.size()] == '/');
}

} // namespace

MountTable MountTable::read()
{
    QFile file(QStringLiteral("/proc/self/mountinfo"));
    if (!file.open(QIODevice::ReadOnly))
        refuseInspection();
    // A proc file reports no size: read until it ends.
    MountTable table = parse(file.readAll());
    if (table.isEmpty())
        refuseInspection();
    return table;
}

MountTable MountTable::parse(const QByteArray& mountinfo)
{
    MountTable table;
    for (const QByteArray& line : mountinfo.split('\n')) {
        // id parent major:minor root mount-point options …
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() < 5)
            continue;
        bool ok = false;
        const std::uint64_t id = fields[0].toULongLong(&ok);
        std::string root = unescaped(fields[3]);
        std::string mountPoint = unescaped(fields[4]);
        if (!ok || root.empty() || root.front() != '/' || mountPoint.empty() || mountPoint.front() != '/')
            continue;
        table.m_mounts.push_back({id, fields[2], std::move(root), std::move(mountPoint)});
    }
    return table;
}

FileSystemLocation MountTable::locate(const std::filesystem::path& path) const
{
    struct statx info {};
    std::optional<std::uint64_t> mountID;
    if (::statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, STATX_MNT_ID, &info) != 0)
        refuseInspection();
    if (info.stx_mask & STATX_MNT_ID)
        mountID = info.stx_mnt_id;
    return locate(path.native(), mountID);
}

FileSystemLocation MountTable::locate(const std::string& path, std::optional<std::uint64_t> mountID) const
{
    const Mount* holder = nullptr;
    for (const Mount& mount : m_mounts) {
        if (!isAtOrBelow(path, mount.mountPoint))
            continue;
        if (mountID && mount.id == *mountID) {
            holder = &mount;
            break;
        }
        if (!holder || mount.mountPoint.size() >= holder->mountPoint.size())
            holder = &mount;
    }
    if (!holder)
        refuseInspection();
    std::string_view below(path);
    if (holder->mountPoint != "/")
        below.remove_prefix(holder->mountPoint.size());
    std::string inside;
    if (holder->root != "/")
        inside.append(holder->root);
    inside.append(below);
    if (inside.empty())
        inside.push_back('/');
    return {holder->device, std::move(inside)};
}

} // namespace orvane
