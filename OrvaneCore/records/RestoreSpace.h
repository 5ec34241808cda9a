#pragma once

#include "model/BackupKind.h"
#include "platform/FileOperations.h"
#include "records/RestoreRoots.h"

#include <cstdint>
#include <filesystem>
#include <vector>

namespace orvane {

// The free space a recovery still needs on the file systems of the files it writes, checked before it
// changes anything: a restore's stages and rollback copies lie on the volume of the file they replace.
class RestoreSpace final {
public:
    // How the bytes add up: stages all exist at once; rollback copies one after another.
    enum class Use { together, oneAtATime };

    RestoreSpace(FileOperations& files, Use use) : m_files(files), m_use(use) {}

    // `bytes` to be written beside `destination`.
    void add(const std::filesystem::path& destination, std::uint64_t bytes);

    // Throws OrvaneError::io naming how much to free on which disk (a folder of `roots` on it) when one
    // of them has less free space than is needed; a file system that cannot tell is taken at its word.
    void require(const RestoreRoots& roots, BackupKind kind, bool finishing) const;

private:
    struct Volume {
        std::uint64_t device = 0;
        std::filesystem::path folder; // an existing folder on it
        std::uint64_t bytes = 0;
    };

    FileOperations& m_files;
    Use m_use;
    std::vector<Volume> m_volumes;
};

} // namespace orvane
