#pragma once

#include "platform/FileOperations.h"
#include "ui/desktop/Announcer.h"
#include "ui/desktop/Clipboard.h"
#include "ui/desktop/FileRevealer.h"
#include "ui/desktop/FolderChooser.h"
#include "ui/desktop/UrlOpener.h"

#include <memory>

namespace orvane {

// What the details sheet reaches outside the window through: pages and folders, the file manager,
// the clipboard, the folder chooser, the report file and the screen reader. system() gives the real
// ones.
struct DetailsServices {
    std::shared_ptr<UrlOpener> urls;
    std::shared_ptr<FileRevealer> revealer;
    std::shared_ptr<Clipboard> clipboard;
    std::shared_ptr<FolderChooser> folders;
    std::shared_ptr<FileOperations> files;
    std::shared_ptr<Announcer> announcer = nullptr; // none: accessible announcements on the sheet

    static DetailsServices system();
};

} // namespace orvane
