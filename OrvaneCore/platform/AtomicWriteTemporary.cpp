#include "platform/AtomicWriteTemporary.h"

#include "platform/OwnItemNames.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <system_error>
#include <vector>

#include <sys/stat.h>

namespace orvane::atomicWriteTemporary {

namespace {

constexpr std::string_view kMarker = ownItemNames::atomicWriteMarker;
constexpr std::size_t kRandomLength = 6; // the XXXXXX mkstemp replaces

bool isMkstempCharacter(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) != 0;
}

} // namespace

std::string pattern(const std::filesystem::path& target)
{
    std::string name = ".";
    name += target.filename().native();
    name += kMarker;
    name.append(kRandomLength, 'X');
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    return (folder / name).native();
}

std::optional<std::string_view> targetOf(std::string_view entryName)
{
    const std::size_t suffix = kMarker.size() + kRandomLength;
    // "." + a name of at least one character + the marker + the random part.
    if (entryName.size() < 2 + suffix || entryName.front() != '.')
        return std::nullopt;
    const std::string_view random = entryName.substr(entryName.size() - kRandomLength);
    if (!std::all_of(random.begin(), random.end(), isMkstempCharacter))
        return std::nullopt;
    if (entryName.substr(entryName.size() - suffix, kMarker.size()) != kMarker)
        return std::nullopt;
    return entryName.substr(1, entryName.size() - suffix - 1);
}

void removeTemporaries(FileOperations& files, const std::filesystem::path& folder,
                       const std::function<bool(std::string_view target)>& isTarget) noexcept
{
    try {
        struct stat st {};
        if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            return;
        std::vector<std::filesystem::path> found;
        std::error_code ec;
        for (auto it = std::filesystem::directory_iterator(folder, ec);
             !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
            const std::string name = it->path().filename().native();
            const auto target = targetOf(name);
            if (target && isTarget(*target))
                found.push_back(it->path());
        }
        for (const auto& path : found) {
            if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
                continue;
            try {
                files.removeFile(path);
            } catch (const std::exception&) {
                // Tried again by the next operation.
            }
        }
    } catch (...) {
        // A clean-up never stops the operation it precedes.
    }
}

} // namespace orvane::atomicWriteTemporary
