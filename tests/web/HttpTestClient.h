#pragma once

#include <QByteArray>
#include <QTcpSocket>

// A loopback client for the web server under test. It runs on the test's own event loop, as
// the server does, so every wait keeps the server working.
class HttpTestClient final
{
public:
    explicit HttpTestClient(quint16 port);
    HttpTestClient(const HttpTestClient &) = delete;
    HttpTestClient &operator=(const HttpTestClient &) = delete;

    bool waitConnected(int timeoutMs = 5000);
    void send(const QByteArray &bytes);
    // True once the server has closed the connection (everything it sent is in received()).
    bool waitClosed(int timeoutMs = 5000);
    bool isClosed() const { return m_bClosed; }
    QByteArray received() const { return m_received; }

private:
    QTcpSocket m_socket;
    QByteArray m_received;
    bool m_bClosed = false;
};

// Connects, sends the request and returns what came back before the server closed; empty when
// the connection failed or stayed open.
QByteArray httpExchange(quint16 port, const QByteArray &request);

// The response cut at the blank line: status and header lines, and the body.
struct HttpResponse
{
    QByteArray head;
    QByteArray body;
};
HttpResponse splitResponse(const QByteArray &response);

// Matches "Date: Sun, 06 Nov 1994 08:49:37 GMT".
bool isDateLine(const QByteArray &line);
