#include "app/SingleInstance.h"

#include "platform/PathText.h"
#include "platform/ProcessEnvironment.h"
#include "platform/StoreLock.h"
#include "platform/UserRuntimeFolder.h"

#include <QLocalServer>
#include <QLocalSocket>

#include <stdexcept>
#include <system_error>

namespace orvane {

Q_LOGGING_CATEGORY(lcSingleInstance, "orvane.instance", QtWarningMsg)

namespace {

// The one request a later start sends. Anything else on the socket is ignored.
const QByteArray activateRequest = QByteArrayLiteral("activate\n");
// Bounds for talking to the running Orvane: its socket answers at once unless it is gone.
constexpr int connectTimeoutMs = 1000;
constexpr int writeTimeoutMs = 1000;

} // namespace

SingleInstance::SingleInstance(std::filesystem::path folder, QObject* parent)
    : QObject(parent)
    , m_folder(std::move(folder))
{
}

SingleInstance::~SingleInstance() = default;

std::filesystem::path SingleInstance::sessionFolder()
{
    return userRuntimeFolder(currentProcessEnvironment(), QStringLiteral("orvane"));
}

std::filesystem::path SingleInstance::socketPath() const { return m_folder / "instance"; }

SingleInstance::Claim SingleInstance::claim()
{
    // Held only while looking and listening: the socket itself marks the running Orvane.
    // Bounded: a start that hangs holding it must not keep every later start from opening a window.
    StoreLock::Patience patience;
    patience.limit = std::chrono::seconds(10);
    const auto lock = StoreLock::acquire(m_folder / "instance.lock", patience);
    if (!lock)
        throw std::system_error(ETIMEDOUT, std::generic_category(), "another start holds instance.lock");
    if (handOver()) {
        qCInfo(lcSingleInstance) << "handed over to the running Orvane at" << pathText(socketPath());
        return Claim::handedOver;
    }
    listen();
    qCInfo(lcSingleInstance) << "listening at" << pathText(socketPath());
    return Claim::first;
}

bool SingleInstance::handOver()
{
    QLocalSocket socket;
    socket.connectToServer(pathText(socketPath()), QIODevice::WriteOnly);
    if (!socket.waitForConnected(connectTimeoutMs))
        return false; // nobody there, or a socket its Orvane left behind when it died
    // A live Orvane answered: it is the session's, even if the request does not reach it whole.
    socket.write(activateRequest);
    if (!socket.waitForBytesWritten(writeTimeoutMs))
        qCWarning(lcSingleInstance) << "the running Orvane did not take the request to come to the front:"
                                    << socket.errorString();
    socket.disconnectFromServer();
    return true;
}

void SingleInstance::listen()
{
    const QString name = pathText(socketPath());
    // Whatever is left at the name belongs to no running Orvane (the lock and the failed connection
    // say so), and the folder is ours alone.
    QLocalServer::removeServer(name);
    auto* server = new QLocalServer(this);
    if (!server->listen(name)) {
        const QString reason = server->errorString();
        delete server;
        throw std::runtime_error(QStringLiteral("cannot listen at %1: %2").arg(name, reason).toStdString());
    }
    m_server = server;
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::serve);
}

void SingleInstance::serve()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        const auto read = [this, socket] {
            // A request is one short line; a peer that sends anything else is not one of ours.
            if (socket->bytesAvailable() < activateRequest.size())
                return;
            const bool asked = socket->read(activateRequest.size()) == activateRequest;
            socket->disconnectFromServer();
            if (asked)
                Q_EMIT activationRequested();
        };
        connect(socket, &QLocalSocket::readyRead, this, read);
        read();
    }
}

} // namespace orvane
