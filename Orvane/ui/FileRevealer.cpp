#include "ui/FileRevealer.h"

#include "platform/PathText.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QStringList>

namespace orvane {

namespace {

class FreedesktopFileRevealer final : public FileRevealer {
public:
    FreedesktopFileRevealer(std::shared_ptr<UrlOpener> folderOpener, QDBusConnection bus)
        : m_folderOpener(std::move(folderOpener)), m_bus(std::move(bus))
    {
    }

    void reveal(const std::filesystem::path& file) override
    {
        const QUrl fileUrl = QUrl::fromLocalFile(pathText(file));
        const QUrl folderUrl = QUrl::fromLocalFile(pathText(standardised(file).parent_path()));
        if (!m_bus.isConnected()) {
            m_folderOpener->open(folderUrl);
            return;
        }
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
            QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
        call << QStringList{fileUrl.toString()} << QString();
        // Asynchronous, so a file manager that is slow to start never holds up the window.
        auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call));
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                         [opener = m_folderOpener, folderUrl](QDBusPendingCallWatcher* finished) {
                             if (finished->isError())
                                 opener->open(folderUrl);
                             finished->deleteLater();
                         });
    }

private:
    std::shared_ptr<UrlOpener> m_folderOpener;
    QDBusConnection m_bus;
};

} // namespace

std::shared_ptr<FileRevealer> FileRevealer::freedesktop(std::shared_ptr<UrlOpener> folderOpener, const QString& busAddress)
{
    QDBusConnection bus = busAddress.isEmpty()
        ? QDBusConnection::sessionBus()
        : QDBusConnection::connectToBus(busAddress, QStringLiteral("orvane-reveal-") + busAddress);
    return std::make_shared<FreedesktopFileRevealer>(std::move(folderOpener), std::move(bus));
}

} // namespace orvane
