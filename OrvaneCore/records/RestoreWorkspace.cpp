#include "records/RestoreWorkspace.h"

#include "platform/PathText.h"
#include "platform/SystemError.h"
#include "records/RestoreTemporaryItems.h"

#include <algorithm>
#include <cerrno>
#include <set>
#include <system_error>

#include <sys/stat.h>
#include <unistd.h>

namespace orvane {

namespace {

constexpr const char* kHiddenFolder = ".orvane-restore";

std::optional<dev_t> deviceOf(const std::filesystem::path& path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return std::nullopt;
    return st.st_dev;
}

bool crossesFileSystems(const std::system_error& error)
{
    return error.code() == std::error_code(EXDEV, std::generic_category())
        || error.code() == std::error_code(EXDEV, std::system_category());
}

bool startsWith(const std::string& name, const char* prefix)
{
    return name.rfind(prefix, 0) == 0;
}

} // namespace

void preparePrivateFolder(FileOperations& files, const std::filesystem::path& folder)
{
    files.createDirectories(folder, 0700);
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0)
        throwErrno("stat", folder);
    if (!S_ISDIR(st.st_mode))
        throwSystemError(ENOTDIR, "open", folder);
    if ((st.st_mode & 07777) != 0700 && ::chmod(folder.c_str(), 0700) != 0)
        throwErrno("chmod", folder);
}

RestoreWorkspace::RestoreWorkspace(FileOperations& files, std::filesystem::path privateFolder)
    : m_files(files)
    , m_privateFolder(std::move(privateFolder))
{
}

std::filesystem::path RestoreWorkspace::hiddenFolder(const std::filesystem::path& root)
{
    return root / kHiddenFolder;
}

RestoreWorkspace::Area* RestoreWorkspace::areaAt(const std::filesystem::path& folder, bool hidden)
{
    auto it = m_areas.find(folder);
    if (it != m_areas.end())
        return &it->second;
    if (hidden) {
        const bool existed = deviceOf(folder).has_value();
        preparePrivateFolder(m_files, folder);
        if (!existed)
            m_hiddenMade.push_back(folder);
    }
    Area area;
    area.folder = folder;
    area.undoFolder = folder / restoreItems::undoFolderName();
    return &m_areas.emplace(folder, std::move(area)).first->second;
}

RestoreWorkspace::Area& RestoreWorkspace::run(const std::filesystem::path& destinationFolder,
                                              const std::filesystem::path& root,
                                              const std::function<void(Area&)>& attempt)
{
    if (const auto served = m_served.find(destinationFolder); served != m_served.end()) {
        Area& area = m_areas.at(served->second);
        attempt(area);
        return area;
    }
    const auto device = deviceOf(destinationFolder);
    if (!m_privateUsable && !m_privateFolder.empty()) {
        try {
            preparePrivateFolder(m_files, m_privateFolder);
            m_privateUsable = true;
        } catch (const std::system_error&) {
            m_privateUsable = false; // the folders on the destination's side serve instead
        }
    }
    // Candidates on another file system are passed over without trying; a mount of the same one
    // (same device, yet no rename across) shows as EXDEV and is passed over then.
    std::vector<std::pair<std::filesystem::path, bool>> candidates;
    if (m_privateUsable.value_or(false) && deviceOf(m_privateFolder) == device)
        candidates.emplace_back(m_privateFolder, false);
    if (deviceOf(root) == device)
        candidates.emplace_back(hiddenFolder(root), true);
    candidates.emplace_back(destinationFolder, false);

    for (std::size_t i = 0; i < candidates.size(); ++i) {
        try {
            Area& area = *areaAt(candidates[i].first, candidates[i].second);
            attempt(area);
            m_served.emplace(destinationFolder, area.folder);
            return area;
        } catch (const std::system_error& error) {
            if (i + 1 == candidates.size() || !crossesFileSystems(error))
                throw;
        }
    }
    throw std::logic_error("no restore work area"); // not reached: the last candidate rethrows
}

void RestoreWorkspace::makeUndoFolders(Area& area, const std::filesystem::path& folder)
{
    if (!area.undoMade) {
        m_files.createDirectories(area.undoFolder, 0700);
        area.undoMade = true;
    }
    std::vector<std::filesystem::path> missing;
    for (auto f = folder; f != area.undoFolder && isContained(f, area.undoFolder); f = f.parent_path()) {
        if (std::find(area.undoFolders.begin(), area.undoFolders.end(), f) != area.undoFolders.end())
            break;
        missing.push_back(f);
    }
    if (missing.empty())
        return;
    m_files.createDirectories(folder, 0700);
    area.undoFolders.insert(area.undoFolders.end(), missing.begin(), missing.end());
}

void RestoreWorkspace::syncFileSystems()
{
    std::set<dev_t> synced;
    for (auto& [folder, area] : m_areas) {
        const auto device = deviceOf(folder);
        if (!device || synced.insert(*device).second)
            m_files.syncFileSystem(folder);
    }
}

std::vector<RestoreWorkspace::Area*> RestoreWorkspace::areas()
{
    std::vector<Area*> out;
    for (auto& [folder, area] : m_areas)
        out.push_back(&area);
    return out;
}

void RestoreWorkspace::removeEmptyHiddenFolders() noexcept
{
    for (const auto& folder : m_hiddenMade)
        ::rmdir(folder.c_str());
}

void RestoreWorkspace::removeInterruptedWork(FileOperations& files, const std::filesystem::path& folder) noexcept
{
    try {
        std::error_code ec;
        std::vector<std::filesystem::path> entries;
        for (auto it = std::filesystem::directory_iterator(folder, ec); !ec && it != std::filesystem::directory_iterator();
             it.increment(ec))
            entries.push_back(it->path());
        for (const auto& entry : entries) {
            const std::string name = entry.filename().native();
            struct stat st {};
            if (::lstat(entry.c_str(), &st) != 0)
                continue;
            if (startsWith(name, "orvane-restore-undo-") && S_ISDIR(st.st_mode)) {
                std::filesystem::remove_all(entry, ec);
            } else if (startsWith(name, ".orvane-restore-stage-") && S_ISREG(st.st_mode)) {
                restoreItems::removeQuietly(files, entry);
            }
        }
        if (folder.filename() == kHiddenFolder)
            ::rmdir(folder.c_str());
    } catch (...) {
        // What cannot be removed now is tried again next time.
    }
}

} // namespace orvane
