#include "FakeLiveEvents.h"

#include "web/CLivePages.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QTcpSocket>

FakeLiveEvents::FakeLiveEvents()
{
    restart();
    connect(&m_server, &QTcpServer::newConnection, this, &FakeLiveEvents::onConnection);
    m_server.listen(QHostAddress::LocalHost, 0);
}

FakeLiveEvents::~FakeLiveEvents()
{
    dropReaders();
}

QString FakeLiveEvents::url(const QString &path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(path);
}

int FakeLiveEvents::openStreams() const
{
    int open = 0;
    for (const QPointer<QTcpSocket> &socket : m_streams)
        open += socket && socket->state() == QAbstractSocket::ConnectedState;
    return open;
}

qint64 FakeLiveEvents::add(const QString &text, char type, qint64 before)
{
    qsizetype at = m_lines.size();
    for (qsizetype i = 0; before && i < m_lines.size(); ++i) {
        if (m_lines.at(i).value(QLatin1String("id")).toInteger() == before)
            at = i;
    }
    const QJsonObject line = makeLine(at > 0 ? m_lines.at(at - 1).value(QLatin1String("id")) : QJsonValue(0),
                                      at < m_lines.size() ? before : 0, type, text);
    m_lines.insert(at, line);
    publish("add", line);
    return line.value(QLatin1String("id")).toInteger();
}

void FakeLiveEvents::addRaw(const QJsonObject &line)
{
    publish("add", line);
}

void FakeLiveEvents::withdraw(qint64 id)
{
    m_lines.removeIf(
        [id](const QJsonObject &line) { return line.value(QLatin1String("id")).toInteger() == id; });
    publish("withdraw", {{QStringLiteral("id"), id}});
}

void FakeLiveEvents::replaceAll(const QStringList &texts)
{
    m_lines.clear();
    QJsonArray lines;
    for (const QString &text : texts) {
        m_lines.append(makeLine(
            lines.isEmpty() ? QJsonValue(0) : m_lines.constLast().value(QLatin1String("id")), 0, 'D', text));
        lines.append(m_lines.constLast());
    }
    publish("reset", {{QStringLiteral("lines"), lines}});
}

QJsonObject FakeLiveEvents::makeLine(const QJsonValue &after, qint64 before, char type, const QString &text)
{
    return {{QStringLiteral("id"), m_nextId++}, {QStringLiteral("after"), after},
            {QStringLiteral("before"), before}, {QStringLiteral("type"), QString(QLatin1Char(type))},
            {QStringLiteral("text"), text},     {QStringLiteral("t"), QDateTime::currentMSecsSinceEpoch()}};
}

void FakeLiveEvents::dropReaders()
{
    for (const QPointer<QTcpSocket> &socket : std::as_const(m_streams)) {
        if (socket)
            socket->abort();
    }
    m_streams.clear();
}

void FakeLiveEvents::restart()
{
    m_run = QByteArray::number(QRandomGenerator::global()->generate(), 16).rightJustified(8, '0');
    m_lines.clear();
    m_events.clear();
    m_nextId = 1;
}

void FakeLiveEvents::onConnection()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        socket->setParent(this);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadable(socket); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

void FakeLiveEvents::onReadable(QTcpSocket *socket)
{
    QByteArray request = socket->property("request").toByteArray() + socket->readAll();
    const qsizetype end = request.indexOf("\r\n\r\n");
    if (end < 0) {
        socket->setProperty("request", request);
        return;
    }
    const QList<QByteArray> lines = request.left(end).split('\n');
    const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
    const QByteArray path = first.value(1).split('?').value(0);
    QByteArray lastEventId;
    bool hasLastEventId = false;
    for (const QByteArray &line : lines.mid(1)) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().toLower() == "last-event-id") {
            lastEventId = line.mid(colon + 1).trimmed();
            hasLastEventId = true;
        }
    }
    socket->setProperty("request", QByteArray());
    if (path == "/live")
        answerPage(socket, CLivePages::livePage());
    else if (path == "/overlay")
        answerPage(socket, CLivePages::overlayPage());
    else if (path == "/live/events") {
        lastEventIds.append(hasLastEventId ? QString::fromLatin1(lastEventId) : QString(u""_qs));
        openStream(socket, lastEventId);
    } else {
        socket->abort(); // nothing else here, a favicon say
    }
}

void FakeLiveEvents::answerPage(QTcpSocket *socket, const QByteArray &body)
{
    socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nCache-Control: no-store\r\n"
                  "Connection: close\r\nContent-Length: " +
                  QByteArray::number(body.size()) + "\r\n\r\n" + body);
    socket->disconnectFromHost();
}

void FakeLiveEvents::openStream(QTcpSocket *socket, const QByteArray &lastEventId)
{
    if (refuse > 0) {
        --refuse;
        socket->write("HTTP/1.1 503 Service Unavailable\r\nRetry-After: 2\r\nContent-Length: 0\r\n"
                      "Connection: close\r\n\r\n");
        socket->disconnectFromHost();
        return;
    }
    socket->write(
        "HTTP/1.1 200 OK\r\nContent-Type: text/event-stream; charset=utf-8\r\nCache-Control: no-store\r\n"
        "Connection: keep-alive\r\n\r\nretry: 2000\n\n");
    bool known = false;
    const int n = lastEventId.startsWith(m_run + '-') ? lastEventId.mid(m_run.size() + 1).toInt(&known) : 0;
    if (known && n >= 0 && n <= m_events.size()) {
        for (int i = n; i < m_events.size(); ++i)
            socket->write(eventBytes(m_events.at(i).name, i + 1, m_events.at(i).data));
    } else {
        QJsonArray lines;
        for (const QJsonObject &line : m_lines.mid(qMax<qsizetype>(0, m_lines.size() - resetLines)))
            lines.append(line);
        QJsonObject state{{QStringLiteral("lines"), lines}};
        if (!display.isEmpty())
            state.insert(QStringLiteral("display"), display);
        socket->write(eventBytes("reset", static_cast<int>(m_events.size()), state));
        ++resetsSent;
    }
    m_streams.append(socket);
}

void FakeLiveEvents::publish(const char *name, const QJsonObject &data)
{
    m_events.append({name, data});
    const QByteArray bytes = eventBytes(name, static_cast<int>(m_events.size()), data);
    for (const QPointer<QTcpSocket> &socket : std::as_const(m_streams)) {
        if (socket && socket->state() == QAbstractSocket::ConnectedState)
            socket->write(bytes);
    }
}

QByteArray FakeLiveEvents::eventBytes(const char *name, int n, const QJsonObject &data) const
{
    return QByteArray("event: ") + name + "\nid: " + m_run + '-' + QByteArray::number(n) +
           "\ndata: " + QJsonDocument(data).toJson(QJsonDocument::Compact) + "\n\n";
}
