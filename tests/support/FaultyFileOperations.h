#pragma once

#include "platform/FileOperations.h"

#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace orvane::test {

// Real file operations that fail on demand: the Nth call of an operation throws std::system_error
// with the given errno (after doing nothing), or a copy's target is corrupted after it is made.
class FaultyFileOperations final : public FileOperations {
public:
    enum class Op { writeAtomically, readRegularFile, cloneOrCopy, swap, moveNoReplace, rename, removeFile,
                    createDirectories, syncDirectory, hardLink, syncFileSystem };

    explicit FaultyFileOperations(std::shared_ptr<FileOperations> real = FileOperations::system());

    // The `nth` call (1-based, counted from now) of `op` fails with `error`.
    void failOn(Op op, int nth, int error = 5 /* EIO */);
    // Every call of `op` from the `nth` on fails.
    void failFrom(Op op, int nth, int error = 5);
    // The `nth` copy succeeds but its target's first byte is flipped afterwards.
    void corruptCopy(int nth);
    // From now on the file systems report `bytes` free (nothing: they cannot tell), whatever they hold.
    void reportAvailableBytes(std::optional<std::uint64_t> bytes);
    // Called before every operation with its name and first path (to kill or observe midway).
    std::function<void(Op, const std::filesystem::path&)> beforeEach;

    int calls(Op op) const;

    void writeAtomically(const std::filesystem::path& path, const QByteArray& bytes, mode_t mode) override;
    QByteArray readRegularFile(const std::filesystem::path& path, std::uint64_t maxBytes, bool followLinks) override;
    CopiedFile cloneOrCopy(const std::filesystem::path& source, const std::filesystem::path& target,
                           bool durable) override;
    void swap(const std::filesystem::path& a, const std::filesystem::path& b) override;
    void moveNoReplace(const std::filesystem::path& from, const std::filesystem::path& to) override;
    void rename(const std::filesystem::path& from, const std::filesystem::path& to) override;
    void removeFile(const std::filesystem::path& path) override;
    void createDirectories(const std::filesystem::path& path, mode_t mode) override;
    void syncDirectory(const std::filesystem::path& path) override;
    void hardLink(const std::filesystem::path& existing, const std::filesystem::path& link) override;
    void syncFileSystem(const std::filesystem::path& path) override;
    // Counted and broken as their by-path forms (swap, moveNoReplace, hardLink, removeFile).
    void swapAt(const FolderItem& a, const FolderItem& b) override;
    void moveNoReplaceAt(const FolderItem& from, const FolderItem& to) override;
    void hardLinkAt(const FolderItem& existing, const FolderItem& link) override;
    void removeFileAt(const FolderItem& item) override;
    // The real answer until reportAvailableBytes; not counted, and no hook runs.
    std::optional<std::uint64_t> availableBytes(const std::filesystem::path& path) override;

private:
    struct Rule {
        int nth = 0;
        bool onward = false;
        int error = 0;
    };
    void enter(Op op, const std::filesystem::path& path);

    std::shared_ptr<FileOperations> m_real;
    mutable std::mutex m_mutex;
    std::map<Op, int> m_calls;
    std::multimap<Op, Rule> m_rules;
    int m_corruptNth = 0;
    std::optional<std::optional<std::uint64_t>> m_availableBytes;
};

// Makes the temporary file writeAtomically makes for `target`, holding a few bytes, as a write killed
// midway leaves it; returns its path.
std::filesystem::path leaveAtomicWriteTemporary(const std::filesystem::path& target);

} // namespace orvane::test
