#include "HttpTestClient.h"

#include <QHostAddress>
#include <QRegularExpression>
#include <QTest>

HttpTestClient::HttpTestClient(quint16 port)
{
    QObject::connect(&m_socket, &QTcpSocket::readyRead, &m_socket,
                     [this] { m_received += m_socket.readAll(); });
    QObject::connect(&m_socket, &QTcpSocket::disconnected, &m_socket, [this] {
        if (m_socket.isOpen())
            m_received += m_socket.readAll();
        m_bClosed = true;
    });
    QObject::connect(&m_socket, &QTcpSocket::errorOccurred, &m_socket,
                     [this](QAbstractSocket::SocketError error) {
                         if (error == QAbstractSocket::RemoteHostClosedError ||
                             error == QAbstractSocket::ConnectionRefusedError)
                             m_bClosed = true;
                     });
    m_socket.connectToHost(QHostAddress::LocalHost, port);
}

bool HttpTestClient::waitConnected(int timeoutMs)
{
    return QTest::qWaitFor(
               [this] { return m_socket.state() == QAbstractSocket::ConnectedState || m_bClosed; },
               timeoutMs) &&
           !m_bClosed;
}

void HttpTestClient::send(const QByteArray &bytes)
{
    m_socket.write(bytes);
}

bool HttpTestClient::waitClosed(int timeoutMs)
{
    return QTest::qWaitFor([this] { return m_bClosed; }, timeoutMs);
}

QByteArray httpExchange(quint16 port, const QByteArray &request)
{
    HttpTestClient client(port);
    if (!client.waitConnected())
        return {};
    client.send(request);
    if (!client.waitClosed())
        return {};
    return client.received();
}

HttpResponse splitResponse(const QByteArray &response)
{
    const qsizetype end = response.indexOf("\r\n\r\n");
    if (end < 0)
        return {response, {}};
    return {response.left(end), response.mid(end + 4)};
}

bool isDateLine(const QByteArray &line)
{
    static const QRegularExpression pattern(
        QStringLiteral("^Date: (Mon|Tue|Wed|Thu|Fri|Sat|Sun), \\d\\d "
                       "(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) \\d{4} \\d\\d:\\d\\d:\\d\\d GMT$"));
    return pattern.match(QString::fromLatin1(line)).hasMatch();
}
