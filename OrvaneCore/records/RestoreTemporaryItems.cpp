#include "records/RestoreTemporaryItems.h"

#include "records/FileEvidence.h"

#include <QUuid>

#include <exception>
#include <system_error>
#include <vector>

#include <sys/stat.h>

namespace orvane::restoreItems {

namespace {

constexpr std::string_view kProbePrefix = ".orvane-restore-probe-";
constexpr std::string_view kStagePrefix = ".orvane-restore-stage-";
constexpr std::string_view kRollbackPrefix = ".orvane-restore-rollback-";

bool startsWith(std::string_view name, std::string_view prefix)
{
    return name.substr(0, prefix.size()) == prefix;
}

std::filesystem::path named(const char* prefix)
{
    return std::filesystem::path(prefix + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper().toStdString());
}

} // namespace

std::filesystem::path undoFolderName() { return named("orvane-restore-undo-"); }
std::filesystem::path stageName() { return named(".orvane-restore-stage-"); }
std::filesystem::path rollbackName() { return named(".orvane-restore-rollback-"); }
std::filesystem::path preservedName() { return named(".orvane-restore-preserved-"); }
std::filesystem::path setAsideName() { return named(".orvane-restore-created-"); }
std::filesystem::path keptUndoFolderName() { return named("orvane-restore-kept-"); }
std::filesystem::path journalName() { return named(".orvane-restore-areas-"); }
std::filesystem::path probeName() { return named(".orvane-restore-probe-"); }

bool isItemName(std::string_view name)
{
    return startsWith(name, ".orvane-restore") || startsWith(name, "orvane-restore-");
}

void removeLeftovers(FileOperations& files, const std::filesystem::path& folder,
                     const std::function<bool(const CopiedFile&)>& known) noexcept
{
    try {
        std::vector<std::filesystem::path> found;
        std::error_code ec;
        for (auto it = std::filesystem::directory_iterator(folder, ec);
             !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
            const std::string name = it->path().filename().native();
            if (startsWith(name, kProbePrefix) || startsWith(name, kStagePrefix) || startsWith(name, kRollbackPrefix))
                found.push_back(it->path());
        }
        for (const auto& path : found) {
            struct stat st {};
            if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
                continue;
            if (!startsWith(path.filename().native(), kProbePrefix)) {
                const auto measured = measureIfPossible(path);
                if (!measured || !known(*measured))
                    continue;
            }
            removeQuietly(files, path);
        }
    } catch (...) {
        // A clean-up never stops the operation it precedes.
    }
}

void removeQuietly(FileOperations& files, const std::filesystem::path& path)
{
    try {
        files.removeFile(path);
    } catch (const std::exception&) {
    }
}

void removeIfHolding(FileOperations& files, const std::filesystem::path& path, const QString& sha256,
                     std::int64_t byteCount)
{
    if (holdsBytes(path, sha256, byteCount))
        removeQuietly(files, path);
}

} // namespace orvane::restoreItems
