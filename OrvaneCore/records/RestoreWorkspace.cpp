#include "records/RestoreWorkspace.h"

#include "platform/AtomicWriteTemporary.h"
#include "platform/OwnItemNames.h"
#include "platform/PathText.h"
#include "platform/SystemError.h"
#include "records/RestoreTemporaryItems.h"

#include <QList>

#include <algorithm>
#include <cerrno>
#include <set>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane {

namespace {

namespace names = ownItemNames;

// A journal names a few folders; anything larger is not one of ours.
constexpr std::uint64_t kJournalByteLimit = std::uint64_t(1) << 20;

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

// The same for the undo folder `name` in the open folder `folder`.
bool holdsCommitRecordAt(int folder, const std::string& name)
{
    struct stat st {};
    const std::filesystem::path record = std::filesystem::path(name) / RestoreCommitRecord::fileIn({}).filename();
    return ::fstatat(folder, record.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 || errno != ENOENT;
}

bool holdsCommitRecord(const std::filesystem::path& undoFolder)
{
    struct stat st {};
    return ::lstat(RestoreCommitRecord::fileIn(undoFolder).c_str(), &st) == 0 || errno != ENOENT;
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

RestoreWorkspace::RestoreWorkspace(FileOperations& files, std::filesystem::path privateFolder,
                                   std::filesystem::path journal, RestoreCommitRecord record)
    : m_files(files)
    , m_privateFolder(std::move(privateFolder))
    , m_journal(std::move(journal))
    , m_record(std::move(record))
{
}

std::filesystem::path RestoreWorkspace::journalIn(const std::filesystem::path& folder)
{
    return folder / restoreItems::journalName();
}

std::filesystem::path RestoreWorkspace::hiddenFolder(const std::filesystem::path& root)
{
    return root / names::hiddenWorkFolder;
}

RestoreWorkspace::Area* RestoreWorkspace::areaAt(const std::filesystem::path& folder, Place place)
{
    auto it = m_areas.find(folder);
    if (it != m_areas.end())
        return &it->second;
    if (place == Place::destination)
        journal(folder);
    if (place == Place::hidden) {
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
    // Files come folder by folder: the folder of the last file is known without a look-up.
    if (m_lastArea && destinationFolder.native() == m_lastServed.native()) {
        attempt(*m_lastArea);
        return *m_lastArea;
    }
    if (const auto served = m_served.find(destinationFolder); served != m_served.end()) {
        Area& area = m_areas.at(served->second);
        m_lastServed = destinationFolder;
        m_lastArea = &area;
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
    std::vector<std::pair<std::filesystem::path, Place>> candidates;
    if (m_privateUsable.value_or(false) && deviceOf(m_privateFolder) == device)
        candidates.emplace_back(m_privateFolder, Place::privateFolder);
    if (deviceOf(root) == device)
        candidates.emplace_back(hiddenFolder(root), Place::hidden);
    candidates.emplace_back(destinationFolder, Place::destination);

    for (std::size_t i = 0; i < candidates.size(); ++i) {
        try {
            Area& area = *areaAt(candidates[i].first, candidates[i].second);
            attempt(area);
            m_served.emplace(destinationFolder, area.folder);
            m_lastServed = destinationFolder;
            m_lastArea = &area;
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
    if (m_committing && !area.recorded)
        writeRecord(area);
    if (folder.native() == area.lastUndoFolder.native())
        return;
    std::vector<std::filesystem::path> missing;
    for (auto f = folder; f != area.undoFolder && isContained(f, area.undoFolder); f = f.parent_path()) {
        if (std::find(area.undoFolders.begin(), area.undoFolders.end(), f) != area.undoFolders.end())
            break;
        missing.push_back(f);
    }
    if (!missing.empty()) {
        m_files.createDirectories(folder, 0700);
        area.undoFolders.insert(area.undoFolders.end(), missing.begin(), missing.end());
    }
    area.lastUndoFolder = folder;
}

void RestoreWorkspace::writeRecord(Area& area)
{
    // The area's lists are lent to the record for the encoding, not copied: they may be long.
    m_record.files = std::move(area.files);
    m_record.setAside = std::move(area.setAside);
    const auto giveBack = [&] {
        area.files = std::move(*m_record.files);
        area.setAside = std::move(m_record.setAside);
        m_record.files.reset();
        m_record.setAside = {};
    };
    QByteArray bytes;
    try {
        bytes = m_record.encode();
    } catch (...) {
        giveBack();
        throw;
    }
    giveBack();
    m_files.writeAtomically(RestoreCommitRecord::fileIn(area.undoFolder), bytes, 0600);
    area.recorded = true;
}

void RestoreWorkspace::recordSetAside(Area& area, SetAsideFile item)
{
    area.setAside.push_back(std::move(item));
    if (m_committing)
        writeRecord(area);
}

void RestoreWorkspace::beginCommit()
{
    m_committing = true;
    std::set<std::filesystem::path> serving;
    for (const auto& [destination, folder] : m_served)
        serving.insert(folder);
    for (const auto& folder : serving)
        makeUndoFolders(m_areas.at(folder), m_areas.at(folder).undoFolder);
}

void RestoreWorkspace::endCommit() noexcept
{
    for (auto& [folder, area] : m_areas) {
        if (area.recorded)
            restoreItems::removeQuietly(m_files, RestoreCommitRecord::fileIn(area.undoFolder));
        area.recorded = false;
    }
    m_committing = false;
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

void RestoreWorkspace::journal(const std::filesystem::path& folder)
{
    // Named before anything is made there: a restore killed at any later moment is found.
    m_journaled.push_back(folder);
    QByteArray bytes = m_record.encode();
    for (const auto& named : m_journaled)
        bytes.append(named.c_str(), qsizetype(named.native().size() + 1)); // a path holds no NUL: it ends each
    try {
        m_files.writeAtomically(m_journal, bytes, 0600);
    } catch (...) {
        m_journaled.pop_back();
        throw;
    }
}

void RestoreWorkspace::finish() noexcept
{
    for (const auto& folder : m_hiddenMade)
        ::rmdir(folder.c_str());
    // A record kept after a failed rollback: the journal leads the next recovery to its folder.
    const bool recordsKept
        = std::any_of(m_areas.begin(), m_areas.end(), [](const auto& entry) { return entry.second.recorded; });
    if (!m_journaled.empty() && !recordsKept)
        restoreItems::removeQuietly(m_files, m_journal);
}

bool RestoreWorkspace::clearWorkArea(FileOperations& files, const CheckedFolder& folder) noexcept
{
    bool everything = true;
    try {
        // Looked at and removed through the folder's descriptor by each item's own name: a folder
        // swapped for a link since it was opened is never followed.
        for (const std::string& name : restoreItems::namesIn(folder.fd())) {
            struct stat st {};
            if (::fstatat(folder.fd(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            if (names::isFresh(name, names::undoFolder) && S_ISDIR(st.st_mode)) {
                // Its commit may be half done: only finishing that restore removes it.
                if (holdsCommitRecordAt(folder.fd(), name))
                    everything = false;
                else if (!restoreItems::removeFolderAt(files, folder.fd(), name, folder.path() / name))
                    everything = false;
            } else if (names::isFresh(name, names::keptUndoFolder) && S_ISDIR(st.st_mode)
                       && holdsCommitRecordAt(folder.fd(), name)) {
                everything = false; // a restore not undone yet: its journal leads the next recovery here
            } else if (names::isFresh(name, names::stage) && S_ISREG(st.st_mode)) {
                folder.removeQuietly(files, name);
            }
        }
        if (folder.path().filename() == names::hiddenWorkFolder)
            ::rmdir(folder.path().c_str()); // only ever an empty folder
    } catch (...) {
        // What cannot be removed now is tried again next time.
        everything = false;
    }
    return everything;
}

std::vector<std::filesystem::path> RestoreWorkspace::recordedUndoFolders(const std::filesystem::path& folder)
{
    std::vector<std::filesystem::path> found;
    std::error_code ec;
    for (auto it = std::filesystem::directory_iterator(folder, ec); !ec && it != std::filesystem::directory_iterator();
         it.increment(ec)) {
        struct stat st {};
        const std::string name = it->path().filename().native();
        if ((names::isFresh(name, names::undoFolder) || names::isFresh(name, names::keptUndoFolder))
            && ::lstat(it->path().c_str(), &st) == 0
            && S_ISDIR(st.st_mode) && holdsCommitRecord(it->path()))
            found.push_back(it->path());
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::vector<RestoreWorkspace::Journal> RestoreWorkspace::journalsIn(FileOperations& files,
                                                                    const std::filesystem::path& folder)
{
    std::vector<Journal> journals;
    std::error_code ec;
    for (auto it = std::filesystem::directory_iterator(folder, ec); !ec && it != std::filesystem::directory_iterator();
         it.increment(ec)) {
        if (!names::isFresh(it->path().filename().native(), names::journal))
            continue;
        const auto bytes = readFileIfPossible(files, it->path(), kJournalByteLimit, false);
        if (!bytes)
            continue;
        Journal journal{it->path(), {}, RestoreCommitRecord::decode(*bytes)};
        for (const QByteArray& named : bytes->split('\0')) {
            // Lexically resolved first: the folder judged is the folder cleaned. The record's
            // "key=value" entries are not folders.
            if (!named.isEmpty() && (named.startsWith('/') || !named.contains('=')))
                journal.folders.push_back(standardised(std::filesystem::path(named.toStdString())));
        }
        journals.push_back(std::move(journal));
    }
    std::sort(journals.begin(), journals.end(), [](const Journal& a, const Journal& b) { return a.file < b.file; });
    return journals;
}

void RestoreWorkspace::removeJournaledWork(
    FileOperations& files, const std::filesystem::path& folder,
    const std::function<std::optional<CheckedFolder>(const Journal&, const std::filesystem::path&)>& open) noexcept
{
    try {
        // A journal's own temporary file, from a restore killed while it wrote the journal.
        atomicWriteTemporary::removeTemporaries(files, folder, [](std::string_view target) {
            return names::isFresh(target, names::journal);
        });
        for (const Journal& journal : journalsIn(files, folder)) {
            bool everyFolder = true;
            for (const auto& area : journal.folders) {
                const auto opened = area.is_absolute() ? open(journal, area) : std::nullopt;
                if (!opened || !clearWorkArea(files, *opened))
                    everyFolder = false;
            }
            if (everyFolder)
                restoreItems::removeQuietly(files, journal.file);
        }
    } catch (...) {
        // What cannot be removed now is tried again next time.
    }
}

} // namespace orvane
