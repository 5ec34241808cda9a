#pragma once

#include "ui/UrlOpener.h"

#include <QString>

#include <filesystem>
#include <memory>

namespace orvane {

// Shows a file in the desktop's file manager.
class FileRevealer {
public:
    virtual ~FileRevealer() = default;
    // Asks for the file to be shown selected; returns at once and reports nothing.
    virtual void reveal(const std::filesystem::path& file) = 0;

    // The freedesktop FileManager1 interface (ShowItems) on the session bus, or on the bus at
    // `busAddress` when one is given; when the bus or the file manager does not answer, the file's
    // folder is opened through `folderOpener` instead.
    static std::shared_ptr<FileRevealer> freedesktop(std::shared_ptr<UrlOpener> folderOpener = UrlOpener::desktop(),
                                                     const QString& busAddress = QString());
};

} // namespace orvane
