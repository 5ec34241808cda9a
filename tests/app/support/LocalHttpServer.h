#pragma once

#include <QByteArray>
#include <QTcpServer>

#include <vector>

namespace orvane::test {

// A one-answer HTTP server on 127.0.0.1 for the release fetcher's tests: it records each request's
// head (request line and headers) and sends the canned response bytes, then closes the connection.
// Runs on the thread's event loop.
class LocalHttpServer final : public QObject {
    Q_OBJECT

public:
    explicit LocalHttpServer(QByteArray response);

    quint16 port() const { return m_server.serverPort(); }
    // The heads received so far, each as it arrived ("GET /releases/latest.json HTTP/1.1\r\n…").
    const std::vector<QByteArray>& requests() const { return m_requests; }

    // "HTTP/1.1 <status>" with a Content-Length header and the body.
    static QByteArray response(int status, const QByteArray& body);

private:
    QTcpServer m_server;
    QByteArray m_response;
    std::vector<QByteArray> m_requests;
};

} // namespace orvane::test
