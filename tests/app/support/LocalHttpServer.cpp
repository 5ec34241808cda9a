#include "app/support/LocalHttpServer.h"

#include <QHostAddress>
#include <QPointer>
#include <QTcpSocket>

namespace orvane::test {

LocalHttpServer::LocalHttpServer(QByteArray response)
    : m_response(std::move(response))
{
    m_server.listen(QHostAddress::LocalHost, 0);
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            auto head = std::make_shared<QByteArray>();
            connect(socket, &QTcpSocket::readyRead, this, [this, socket, head] {
                head->append(socket->readAll());
                if (!head->contains("\r\n\r\n"))
                    return;
                m_requests.push_back(*head);
                disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
                socket->write(m_response);
                socket->disconnectFromHost();
            });
        }
    });
}

QByteArray LocalHttpServer::response(int status, const QByteArray& body)
{
    return "HTTP/1.1 " + QByteArray::number(status) + " Status\r\nContent-Type: application/json\r\nContent-Length: "
           + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

} // namespace orvane::test
