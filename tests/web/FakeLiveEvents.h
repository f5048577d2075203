#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QPointer>
#include <QStringList>
#include <QTcpServer>

class QTcpSocket;

// The live pages' side of the program's web server on 127.0.0.1, small enough to steer from a
// test: it serves /live and /overlay from the resources and the event stream at /live/events,
// replays after a Last-Event-ID it knows, and can drop its readers, refuse them with a 503 or
// start a new run, so that the pages' own handling of those is what a test sees.
class FakeLiveEvents final : public QObject
{
    Q_OBJECT

public:
    FakeLiveEvents();
    ~FakeLiveEvents() override;

    quint16 port() const { return m_server.serverPort(); }
    QString url(const QString &path) const;

    // A line stored at the end, or before the line with id `before`; returns its id.
    qint64 add(const QString &text, char type = 'D', qint64 before = 0);
    // An add event exactly as given (ids not checked), for neighbours the page does not have.
    void addRaw(const QJsonObject &line);
    void withdraw(qint64 id);
    // The whole state replaced (another channel or group): new lines, sent as a reset event.
    void replaceAll(const QStringList &texts);
    // Closes every open event stream under the readers.
    void dropReaders();
    // A restarted server: another run token, ids from 1 again, nothing stored.
    void restart();

    // The next n event stream requests are answered 503.
    int refuse = 0;
    // How many of the newest lines a reset carries (the server's memory).
    int resetLines = 200;
    // The display window's colours ("text", "background" as "#rrggbb") sent with a reset; none
    // when empty.
    QJsonObject display;
    // The Last-Event-ID of every event stream request, "" when it had none, in order.
    QStringList lastEventIds;
    int resetsSent = 0;
    int openStreams() const;

private:
    void onConnection();
    void onReadable(QTcpSocket *socket);
    void answerPage(QTcpSocket *socket, const QByteArray &body);
    void openStream(QTcpSocket *socket, const QByteArray &lastEventId);
    void publish(const char *name, const QJsonObject &data);
    // A new line with the next id.
    QJsonObject makeLine(const QJsonValue &after, qint64 before, char type, const QString &text);
    QByteArray eventBytes(const char *name, int n, const QJsonObject &data) const;

    struct Event
    {
        const char *name;
        QJsonObject data;
    };

    QTcpServer m_server;
    QByteArray m_run;
    QList<QJsonObject> m_lines;
    QList<Event> m_events;
    QList<QPointer<QTcpSocket>> m_streams;
    qint64 m_nextId = 1;
};
