#include "ui/desktop/FileRevealer.h"

#include "platform/PathText.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QUrl>

namespace orvane {

namespace {

class DBusFileManager final : public FileManagerBus {
public:
    explicit DBusFileManager(QDBusConnection bus) : m_bus(std::move(bus)) {}

    bool connected() const override { return m_bus.isConnected(); }

    void showItems(const QStringList& uris, const QString& startupId, std::function<void()> failed) override
    {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
            QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
        call << uris << startupId;
        // Asynchronous, so a file manager that is slow to start never holds up the window.
        auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call));
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                         [failed = std::move(failed)](QDBusPendingCallWatcher* finished) {
                             if (finished->isError() && failed)
                                 failed();
                             finished->deleteLater();
                         });
    }

private:
    QDBusConnection m_bus;
};

class FreedesktopFileRevealer final : public FileRevealer {
public:
    FreedesktopFileRevealer(std::shared_ptr<UrlOpener> folderOpener, std::shared_ptr<FileManagerBus> bus)
        : m_folderOpener(std::move(folderOpener)), m_bus(std::move(bus))
    {
    }

    void reveal(const std::filesystem::path& file, std::function<void(const QUrl& folder)> folderNotOpened) override
    {
        const std::filesystem::path shown = standardised(file);
        const QUrl fileUrl = QUrl::fromLocalFile(pathText(shown));
        const QUrl folderUrl = QUrl::fromLocalFile(pathText(shown.parent_path()));
        auto openFolder = [opener = m_folderOpener, folderUrl, notOpened = std::move(folderNotOpened)] {
            if (!opener->open(folderUrl) && notOpened)
                notOpened(folderUrl);
        };
        if (!m_bus->connected()) {
            openFolder();
            return;
        }
        // The interface takes URIs: spaces and other reserved bytes percent-encoded.
        m_bus->showItems(QStringList{fileUrl.toString(QUrl::FullyEncoded)}, QString(), std::move(openFolder));
    }

private:
    std::shared_ptr<UrlOpener> m_folderOpener;
    std::shared_ptr<FileManagerBus> m_bus;
};

} // namespace

std::shared_ptr<FileManagerBus> FileManagerBus::dbus(const QString& address)
{
    QDBusConnection bus = address.isEmpty()
        ? QDBusConnection::sessionBus()
        : QDBusConnection::connectToBus(address, QStringLiteral("orvane-reveal-") + address);
    return std::make_shared<DBusFileManager>(std::move(bus));
}

std::shared_ptr<FileRevealer> FileRevealer::freedesktop(std::shared_ptr<UrlOpener> folderOpener, const QString& busAddress)
{
    return freedesktop(std::move(folderOpener), FileManagerBus::dbus(busAddress));
}

std::shared_ptr<FileRevealer> FileRevealer::freedesktop(std::shared_ptr<UrlOpener> folderOpener,
                                                        std::shared_ptr<FileManagerBus> bus)
{
    return std::make_shared<FreedesktopFileRevealer>(std::move(folderOpener), std::move(bus));
}

} // namespace orvane
