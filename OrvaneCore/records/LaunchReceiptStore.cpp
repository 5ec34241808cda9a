#include "records/LaunchReceiptStore.h"

#include "json/JsonReader.h"
#include "platform/PathText.h"

#include <exception>
#include <system_error>
#include <vector>

namespace orvane {

namespace {

// Receipts are a few hundred bytes; anything far larger is not one.
constexpr std::uint64_t maximumReceiptBytes = 1 << 20;

bool isVisibleJsonFile(const std::filesystem::path& path)
{
    const std::string name = path.filename().native();
    if (name.empty() || name.front() == '.')
        return false;
    return pathText(path.extension()).toLower() == QLatin1String(".json");
}

std::vector<std::filesystem::path> listedEntries(const std::filesystem::path& directory)
{
    std::vector<std::filesystem::path> entries;
    std::error_code error;
    std::filesystem::directory_iterator it(directory, error);
    if (error)
        return {};
    for (; it != std::filesystem::directory_iterator(); it.increment(error)) {
        if (error)
            return {};
        entries.push_back(it->path());
    }
    return error ? std::vector<std::filesystem::path>{} : entries;
}

bool isNewer(const StoredLaunchReceipt& candidate, const StoredLaunchReceipt& best)
{
    if (candidate.receipt.observedAt != best.receipt.observedAt)
        return candidate.receipt.observedAt > best.receipt.observedAt;
    // Byte order of UTF-8 names is the order of their Unicode scalars.
    return candidate.url.filename().native() > best.url.filename().native();
}

} // namespace

LaunchReceiptStore::LaunchReceiptStore(std::filesystem::path directory, std::shared_ptr<FileOperations> fileOperations)
    : m_directory(std::move(directory))
    , m_files(std::move(fileOperations))
{
}

std::optional<StoredLaunchReceipt> LaunchReceiptStore::latest() const
{
    std::optional<StoredLaunchReceipt> best;
    try {
        for (const std::filesystem::path& path : listedEntries(m_directory)) {
            if (!isVisibleJsonFile(path))
                continue;
            try {
                const QByteArray bytes = m_files->readRegularFile(path, maximumReceiptBytes);
                StoredLaunchReceipt candidate{
                    fromJson<LaunchReceipt>(JsonReader::parse(bytes, QStringLiteral("LaunchReceipt")).object()),
                    path,
                };
                if (!best || isNewer(candidate, *best))
                    best = std::move(candidate);
            } catch (const std::exception&) {
                // An unreadable or foreign file is not a receipt.
            }
        }
    } catch (const std::exception&) {
        // Reading receipts is best effort; whatever was found so far stands.
    }
    return best;
}

} // namespace orvane
