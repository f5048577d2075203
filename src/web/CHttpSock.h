#pragma once

#include "net/CFailureLogLimit.h"
#include "web/CHttpPage.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <deque>
#include <functional>
#include <memory>
#include <vector>

class CHttpRequest;
class CHttpResponseSock;
class CLiveEvents;
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
    // A connection that has not been answered by then is closed; an open event stream is not.
    int requestTimeoutMs = 10000;
    // An event stream that has sent nothing for this long gets a comment line, so that NATs and
    // phones' power saving keep it open.
    int keepAliveMs = 15000;
    // An event stream whose reader lets this much pile up is closed; it reconnects and names the
    // last event it has.
    qsizetype maxStreamBacklog = 1024 * 1024;
    // Held at once; a connection beyond them is answered 503 and closed.
    int maxConnections = 1024;
    // Like ::send on a non-blocking socket (errno set on -1); empty means ::send itself.
    std::function<qint64(int socket, const char *data, qint64 size)> send;
};

// The built-in HTTP/1.0 server: one listening socket and the connection slots. A GET of /live or
// /overlay gets that page, /live/events a stream of caption events that stays open, every other
// path the classic caption page; anything else 501. One response per connection. Everything runs
// on the thread that owns the object, driven by socket readiness; no call blocks.
class CHttpSock final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CHttpSock)

public:
    static constexpr int kInitialSlots = 5;
    static constexpr int kSlotGrowth = 5;
    static constexpr int kRequestBufferSize = 1500;

    // The page source (and the live events it gives) must outlive the server.
    explicit CHttpSock(IHttpPageSource &source, CHttpSockOptions options = {}, QObject *parent = nullptr);
    ~CHttpSock() override;

    bool isListening() const { return m_listenSocket >= 0; }
    // The port listened on; 0 while not listening.
    int port() const { return m_nPort; }
    int slotCount() const { return static_cast<int>(m_slots.size()); }
    int connectionCount() const { return static_cast<int>(m_connections.size()); }
    int streamCount() const { return static_cast<int>(m_streams.size()); }

    // A colour that is not six hexadecimal digits keeps the colour it replaces: it goes into the
    // page unescaped.
    void setStyle(const CHttpPageStyle &style);
    const CHttpPageStyle &style() const { return m_style; }

    // "Date: Sun, 06 Nov 1994 08:49:37 GMT" for seconds since 1970 (UTC), English names.
    static QByteArray DateLine(qint64 secondsSinceEpoch);

private:
    enum class Kind
    {
        Asking,  // the request is still arriving
        Classic, // the classic page, from a slot
        Page,    // a live page, from the connection's own buffer
        Stream,  // the event stream
    };
    struct Connection
    {
        quint64 serial = 0;
        QSocketNotifier *read = nullptr;
        QSocketNotifier *write = nullptr;
        int slot = -1;
        Kind kind = Kind::Asking;
        // The request head so far, until it is answered.
        QByteArray request;
        // A live page or the stream's events not yet sent, from outSent on.
        QByteArray out;
        qsizetype outSent = 0;
        qint64 lastQueued = 0;
        // The client has ended its sending half: a stream ends once its bytes are out.
        bool peerDone = false;
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
    // Answers a whole request (or all of it there will be). The connection may be gone after.
    void Answer(int socket, Connection &connection);
    void StartStream(int socket, Connection &connection, const CHttpRequest &request);
    void QueueOut(Connection &connection, const QByteArray &bytes);
    // Sends what is queued; false when the connection was closed.
    bool Flush(int socket, Connection &connection);
    void WaitWritable(int socket, Connection &connection);
    void OnLiveEvent(const QByteArray &bytes);
    void OnKeepAlive();
    int TakeSlot(int socket);
    void SendPage(int socket, Connection &connection);
    void ContinueSend(int socket, Connection &connection);
    void SendShort(int socket, const QByteArray &status);
    void SendBusy(int socket);
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
    QByteArray m_livePage;
    QByteArray m_overlayPage;
    QPointer<CLiveEvents> m_pLive;
    char m_requestBuffer[kRequestBufferSize] = {};

    int m_listenSocket = -1;
    int m_nPort = 0;
    QSocketNotifier *m_listenNotifier = nullptr;
    QTimer *m_resumeTimer = nullptr;
    bool m_bAcceptPaused = false;
    bool m_bAtLimitLogged = false;
    CFailureLogLimit m_idleLog;
    CFailureLogLimit m_slowLog;

    std::vector<std::unique_ptr<CHttpResponseSock>> m_slots;
    QHash<int, Connection> m_connections;
    QList<int> m_streams;
    QTimer *m_keepAliveTimer = nullptr;
    quint64 m_nextSerial = 1;
    std::deque<Deadline> m_deadlines;
    QTimer *m_timeoutTimer = nullptr;
    QElapsedTimer m_clock;

    qint64 m_dateSecond = -1;
    QByteArray m_dateLine;
};
