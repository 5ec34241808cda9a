#pragma once

#include "platform/FileOperations.h"

#include <QByteArray>

#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <vector>

namespace orvane {

// Replaces a few overlay files as one change. Every new content is first written in full beside
// its file (so a full disk stops it before any file is touched); then each file is exchanged for
// its new content, or moved aside when it goes. A failure puts the files already replaced back, so
// a failed replacement leaves every file as it was. What a killed one leaves beside the files is
// named as atomic writes name their temporary files, and the next Apply or restore removes it.
class OverlayFileReplacement final {
public:
    struct Change {
        std::filesystem::path file;
        bool remove = false; // otherwise `bytes` with `mode` take its place (or are created)
        QByteArray bytes;
        mode_t mode = 0644;
        bool operator==(const Change&) const = default;
    };

    explicit OverlayFileReplacement(std::shared_ptr<FileOperations> files);

    // Throws the failure as it came, or OrvaneError::io naming both failures when putting the
    // replaced files back failed too.
    void apply(const std::vector<Change>& changes) const;

private:
    struct Step;

    std::filesystem::path besideName(const std::filesystem::path& file) const;
    void undo(const std::vector<Step>& steps, std::size_t committed) const;
    void removeQuietly(const std::filesystem::path& path) const noexcept;

    std::shared_ptr<FileOperations> m_files;
};

} // namespace orvane
