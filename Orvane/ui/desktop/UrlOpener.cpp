#include "ui/desktop/UrlOpener.h"

#include <QDesktopServices>

namespace orvane {

namespace {

class DesktopUrlOpener final : public UrlOpener {
public:
    bool open(const QUrl& url) override { return QDesktopServices::openUrl(url); }
};

} // namespace

std::shared_ptr<UrlOpener> UrlOpener::desktop()
{
    static const auto instance = std::make_shared<DesktopUrlOpener>();
    return instance;
}

} // namespace orvane
