#include "ui/desktop/DetailsServices.h"

namespace orvane {

DetailsServices DetailsServices::system()
{
    const auto urls = UrlOpener::desktop();
    return DetailsServices{
        urls,
        FileRevealer::freedesktop(urls),
        Clipboard::system(),
        std::make_shared<DialogFolderChooser>(),
        FileOperations::system(),
    };
}

} // namespace orvane
