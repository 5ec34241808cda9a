#pragma once

#include <QByteArray>

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <vector>

namespace orvane {

// Which crash reports (or JVM fatal-error logs) of a folder are new to a watch: those that were not
// there when it began, and those whose content changed since, whatever their dates say. A volume's
// clock may run behind (a report written during the launch dated before it) or a sync tool may save
// yesterday's report again unchanged (an old report dated now): dates alone tell neither.
//
// The content is compared by size and by a digest of the edges a watch reads (the first and the
// last `edgeBytes`), taken once at the start; a file whose size, inode and date are unchanged is
// not read again.
class ReportFreshness final {
public:
    ReportFreshness() = default;
    // Takes the entries of `folder` that `matches` accepts (all without it) as they are at the start.
    // One modified within a second of `startMs` (milliseconds since the epoch) was being written as
    // the watch began: it counts as new, as a report written a moment later would.
    ReportFreshness(const std::filesystem::path& folder, bool (*matches)(const std::filesystem::path&),
                    std::int64_t startMs, std::uint64_t edgeBytes);

    // The entries of the folder that the filter accepts, as listed now.
    std::vector<std::filesystem::path> entries() const;

    // True when the file at `path` is new or changed; once true for a path, true from then on.
    bool isNew(const std::filesystem::path& path);

private:
    struct Stamp {
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        std::int64_t modifiedNs = 0;
        bool operator==(const Stamp&) const = default;
    };
    struct Known {
        Stamp stamp;
        QByteArray digest;
    };

    static std::optional<Stamp> stampOf(const std::filesystem::path& path);
    QByteArray digestOf(const std::filesystem::path& path) const;

    std::filesystem::path m_folder;
    bool (*m_matches)(const std::filesystem::path&) = nullptr;
    std::uint64_t m_edgeBytes = 0;
    // The files present at the start that have not changed so far.
    std::map<std::filesystem::path, Known> m_unchanged;
};

} // namespace orvane
