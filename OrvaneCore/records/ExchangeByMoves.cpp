#include "records/ExchangeByMoves.h"

#include "model/OrvaneError.h"
#include "platform/PathText.h"
#include "records/RestoreTemporaryItems.h"

#include <cerrno>

namespace orvane {

namespace {

bool isErrno(const std::system_error& error)
{
    return error.code().category() == std::generic_category() || error.code().category() == std::system_category();
}

// b's bytes stay at `spare` and the restore stops: nothing is moved over anything.
[[noreturn]] void keptAt(const FolderItem& b, const FolderItem& spare)
{
    throw OrvaneError::io(QStringLiteral("Orvane could not put %1 back in place; its bytes were preserved at %2. "
                                         "Do not launch the affected instance.")
                              .arg(pathText(b.path), pathText(spare.path)));
}

} // namespace

bool exchangeRefused(const std::system_error& error)
{
    const int value = error.code().value();
    return isErrno(error) && (value == EINVAL || value == EOPNOTSUPP || value == ENOSYS);
}

bool hardLinkRefused(const std::system_error& error)
{
    const int value = error.code().value();
    return isErrno(error) && (value == EPERM || value == EMLINK || value == EOPNOTSUPP || value == ENOSYS);
}

void exchangeAt(FileOperations& files, const FolderItem& a, const FolderItem& b, const FolderItem& spare)
{
    try {
        files.swapAt(a, b);
        return;
    } catch (const std::system_error& error) {
        if (!exchangeRefused(error))
            throw;
    }
    files.moveNoReplaceAt(b, spare); // a failure here changed nothing
    try {
        files.moveNoReplaceAt(a, b);
    } catch (const std::system_error&) {
        try {
            files.moveNoReplaceAt(spare, b);
        } catch (const std::system_error&) {
            keptAt(b, spare);
        }
        throw;
    }
    try {
        files.moveNoReplaceAt(spare, a);
    } catch (const std::system_error&) {
        // Back as they were, or b's bytes named.
        try {
            files.moveNoReplaceAt(b, a);
            files.moveNoReplaceAt(spare, b);
        } catch (const std::system_error&) {
            keptAt(b, spare);
        }
        throw;
    }
}

void exchangeAt(FileOperations& files, const FolderItem& a, const FolderItem& b)
{
    const std::filesystem::path name = restoreItems::rollbackName();
    exchangeAt(files, a, b, FolderItem{a.folder, name, a.path.parent_path() / name});
}

} // namespace orvane
