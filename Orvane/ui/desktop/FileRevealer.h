#pragma once

#include "ui/desktop/UrlOpener.h"

#include <QString>
#include <QStringList>
#include <QUrl>

#include <filesystem>
#include <functional>
#include <memory>

namespace orvane {

// The freedesktop file manager's ShowItems call on a message bus. A seam of its own, so the
// addresses the revealer sends can be checked without a bus.
class FileManagerBus {
public:
    virtual ~FileManagerBus() = default;
    // Whether the bus is reachable at all.
    virtual bool connected() const = 0;
    // Calls org.freedesktop.FileManager1.ShowItems(uris, startupId) without waiting for it;
    // `failed` runs later, on this thread, when the call fails.
    virtual void showItems(const QStringList& uris, const QString& startupId, std::function<void()> failed) = 0;

    // The session bus, or the bus at `address` when one is given.
    static std::shared_ptr<FileManagerBus> dbus(const QString& address = QString());
};

// Shows a file in the desktop's file manager.
class FileRevealer {
public:
    virtual ~FileRevealer() = default;
    // Asks for the file to be shown selected and returns at once. When neither the file manager nor
    // the folder opener takes it, `folderNotOpened` gets the folder's address, maybe later, on this
    // thread.
    virtual void reveal(const std::filesystem::path& file, std::function<void(const QUrl& folder)> folderNotOpened) = 0;

    // The freedesktop FileManager1 interface (ShowItems) on the session bus, or on the bus at
    // `busAddress` when one is given; when the bus or the file manager does not answer, the file's
    // folder is opened through `folderOpener` instead.
    static std::shared_ptr<FileRevealer> freedesktop(std::shared_ptr<UrlOpener> folderOpener = UrlOpener::desktop(),
                                                     const QString& busAddress = QString());
    // The same over the given bus.
    static std::shared_ptr<FileRevealer> freedesktop(std::shared_ptr<UrlOpener> folderOpener,
                                                     std::shared_ptr<FileManagerBus> bus);
};

} // namespace orvane
