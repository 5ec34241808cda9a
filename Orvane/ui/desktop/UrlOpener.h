#pragma once

#include <QUrl>

#include <memory>

namespace orvane {

// Hands a web page or folder to the desktop's default application.
class UrlOpener {
public:
    virtual ~UrlOpener() = default;
    // False when no application would take it.
    virtual bool open(const QUrl& url) = 0;

    // Through QDesktopServices.
    static std::shared_ptr<UrlOpener> desktop();
};

} // namespace orvane
