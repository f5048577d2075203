#pragma once

#include "net/CFailureLogLimit.h"
#include "web/CHttpPage.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

#include <deque>
#include <functional>
#include <memory>
#include <vector>

class CHttpResponseSock;
class IHttpPageSource;
class QSocketNotifier;
class QTimer;

// How a web server listens. The defaults are what the program uses.
struct CHttpSockOptions
{
    // Port 0 is the standard http port; kAnyPort lets the system choose (tests).
    static constexpr int kAnyPort = -1;

    // Empty: every local IPv4 address.
    QString bindAddress;
    // Tried in order until one can be listened on. Port 80 needs privileges on most systems.
    QList<int> ports = {0, 8080, 8081, 8082, 8083, 8084, 8085, 8086, 8087, 8088, 8089};
    // A connection that has not been answered by then is closed.
    int requestTimeoutMs = 10000;
    // Held at once; a connection beyond them is answered 503 and closed.
    int maxConnections = 1024;
    // Like ::send on a non-blocking socket (errno set on -1); empty means ::send itself.
    std::function<qint64(int socket, const char *data, qint64 size)> send;
};

// The built-in HTTP/1.0 server: one listening socket and the connection slots. Every GET gets
// the caption page, anything else 501; one response per connection. Everything runs on the
// thread that owns the object, driven by socket readiness; no call blocks.
class CHttpSock final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CHttpSock)

public:
    static constexpr int kInitialSlots = 5;
    static constexpr int kSlotGrowth = 5;
    static constexpr int kRequestBufferSize = 1500;

    // The page source must outlive the server.
    explicit CHttpSock(IHttpPageSource &source, CHttpSockOptions options = {}, QObject *parent = nullptr);
    ~CHttpSock() override;

    bool isListening() const { return m_listenSocket >= 0; }
    // The port listened on; 0 while not listening.
    int port() const { return m_nPort; }
    int slotCount() const { return static_cast<int>(m_slots.size()); }
    int connectionCount() const { return static_cast<int>(m_connections.size()); }

    // A colour that is not six hexadecimal digits keeps the colour it replaces: it goes into the
    // page unescaped.
    void setStyle(const CHttpPageStyle &style);
    const CHttpPageStyle &style() const { return m_style; }

    // "Date: Sun, 06 Nov 1994 08:49:37 GMT" for seconds since 1970 (UTC), English names.
    static QByteArray DateLine(qint64 secondsSinceEpoch);

private:
    struct Connection
    {
        quint64 serial = 0;
        QSocketNotifier *read = nullptr;
        QSocketNotifier *write = nullptr;
        int slot = -1;
        // The first bytes of a request that has not yet shown whether it is a GET.
        char head[2] = {};
        int headLength = 0;
    };
    struct Deadline
    {
        qint64 at = 0;
        int socket = -1;
        quint64 serial = 0;
    };

    bool ListenOn(int port);
    void LogSocketError(int code, const char *operation);
    void OnAccept();
    void OnReadable(int socket);
    void OnWritable(int socket);
    void OnTimeout();
    void ArmTimeout();
    // 200, 501, 503, 0 (request incomplete, wait) or -1 (receive failed or peer gone).
    int HandleRequest(int socket, Connection &connection);
    int TakeSlot(int socket);
    void SendPage(int socket, Connection &connection);
    void ContinueSend(int socket, Connection &connection);
    void SendShort(int socket, const QByteArray &status);
    void WatchRead(int socket, Connection &connection);
    void CloseConnection(int socket);
    void ResumeAccept();
    qint64 SendBytes(int socket, const char *data, qint64 size);
    const QByteArray &CurrentDateLine();

    IHttpPageSource &m_source;
    CHttpSockOptions m_options;
    CHttpPageStyle m_style;
    QByteArray m_text503;
    QByteArray m_text501;
    QByteArray m_text200;
    QString m_pageTemplate;
    char m_requestBuffer[kRequestBufferSize] = {};

    int m_listenSocket = -1;
    int m_nPort = 0;
    QSocketNotifier *m_listenNotifier = nullptr;
    QTimer *m_resumeTimer = nullptr;
    bool m_bAcceptPaused = false;
    bool m_bAtLimitLogged = false;
    CFailureLogLimit m_idleLog;

    std::vector<std::unique_ptr<CHttpResponseSock>> m_slots;
    QHash<int, Connection> m_connections;
    quint64 m_nextSerial = 1;
    std::deque<Deadline> m_deadlines;
    QTimer *m_timeoutTimer = nullptr;
    QElapsedTimer m_clock;

    qint64 m_dateSecond = -1;
    QByteArray m_dateLine;
};
