#include "web/CHttpSock.h"

#include "core/OperationLog.h"
#include "core/StringTable.h"
#include "net/CSocketError.h"
#include "web/CHttpRequest.h"
#include "web/CHttpResponseSock.h"
#include "web/CLiveEvents.h"
#include "web/CLivePages.h"
#include "web/IHttpPageSource.h"

#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Accepting is level-triggered: taking a bounded batch per readiness keeps other sockets served.
constexpr int kAcceptBatch = 64;
// Bytes of an answered request left unread are read away before closing, since closing with
// unread bytes resets the connection and may take the response with it.
constexpr int kDrainLimit = 16 * 1024;
// When the process runs out of descriptors, accepting waits for a close or this long.
constexpr int kAcceptRetryMs = 1000;
// A request head is read until it ends or reaches this size; what it holds by then is answered.
constexpr qsizetype kMaxRequestHead = 8 * 1024;

// The event stream is close-delimited: no length, and no end until either side closes.
constexpr char kStreamHead[] = "HTTP/1.1 200 OK\r\n"
                               "Content-Type: text/event-stream; charset=utf-8\r\n"
                               "Cache-Control: no-store\r\n"
                               "Connection: keep-alive\r\n"
                               "\r\n"
                               "retry: 2000\n\n";
constexpr char kKeepAlive[] = ": ka\n\n";

int gaiToCode(int result)
{
    switch (result) {
    case EAI_SYSTEM:
        return CSocketError::fromErrno(errno);
    case EAI_NONAME:
        return CSocketError::WSAHOST_NOT_FOUND;
    case EAI_AGAIN:
        return CSocketError::WSATRY_AGAIN;
    case EAI_FAIL:
        return CSocketError::WSANO_RECOVERY;
    case EAI_SERVICE:
        return CSocketError::WSATYPE_NOT_FOUND;
    case EAI_MEMORY:
        return CSocketError::WSA_NOT_ENOUGH_MEMORY;
    case EAI_FAMILY:
        return CSocketError::WSAEAFNOSUPPORT;
    case EAI_SOCKTYPE:
        return CSocketError::WSAESOCKTNOSUPPORT;
    default:
        return result;
    }
}

bool wouldBlock(int error)
{
    return error == EAGAIN || error == EWOULDBLOCK;
}

void drainAndClose(int socket)
{
    char sink[4096];
    int drained = 0;
    while (drained < kDrainLimit) {
        const ssize_t n = ::recv(socket, sink, sizeof sink, 0);
        if (n <= 0)
            break;
        drained += static_cast<int>(n);
    }
    // Closing the only descriptor of the socket ends both directions as a shutdown would, and
    // under load the extra call was the costliest of the connection.
    ::close(socket);
}

} // namespace

CHttpSock::CHttpSock(IHttpPageSource &source, CHttpSockOptions options, QObject *parent)
    : QObject(parent), m_source(source), m_options(std::move(options))
{
    WriteLog(QStringLiteral("CHttpSock constructor begins."));
    m_text503 = CStringTable::get(138).toUtf8();
    m_text501 = CStringTable::get(139).toUtf8();
    m_text200 = CStringTable::get(140).toUtf8();
    m_pageTemplate = CStringTable::get(141);
    m_livePage = CLivePages::livePage();
    m_overlayPage = CLivePages::overlayPage();
    m_pLive = m_source.LiveEvents();
    if (m_pLive)
        connect(m_pLive, &CLiveEvents::eventAppended, this, &CHttpSock::OnLiveEvent);
    for (int i = 0; i < kInitialSlots; ++i)
        m_slots.push_back(std::make_unique<CHttpResponseSock>());
    m_clock.start();

    m_timeoutTimer = new QTimer(this);
    m_timeoutTimer->setSingleShot(true);
    connect(m_timeoutTimer, &QTimer::timeout, this, &CHttpSock::OnTimeout);
    m_resumeTimer = new QTimer(this);
    m_resumeTimer->setSingleShot(true);
    m_resumeTimer->setInterval(kAcceptRetryMs);
    connect(m_resumeTimer, &QTimer::timeout, this, &CHttpSock::ResumeAccept);
    m_keepAliveTimer = new QTimer(this);
    m_keepAliveTimer->setInterval(std::clamp(m_options.keepAliveMs / 4, 10, 1000));
    connect(m_keepAliveTimer, &QTimer::timeout, this, &CHttpSock::OnKeepAlive);

    for (const int port : std::as_const(m_options.ports)) {
        if (ListenOn(port))
            break;
    }
    if (isListening())
        WriteLogInt(QStringLiteral("CHttpSock listening on port"), m_nPort);
    WriteLog(QStringLiteral("CHttpSock constructor finished."));
}

CHttpSock::~CHttpSock()
{
    WriteLog(QStringLiteral("CHttpSock destructor begins."));
    const QList<int> sockets = m_connections.keys();
    for (const int socket : sockets) {
        Connection &connection = m_connections[socket];
        delete connection.read;
        delete connection.write;
        ::shutdown(socket, SHUT_RDWR);
        ::close(socket);
    }
    m_connections.clear();
    delete m_listenNotifier;
    m_listenNotifier = nullptr;
    if (m_listenSocket >= 0)
        ::close(m_listenSocket);
    m_listenSocket = -1;
    WriteLog(QStringLiteral("CHttpSock destructor finished."));
}

void CHttpSock::setStyle(const CHttpPageStyle &style)
{
    const CHttpPageStyle old = m_style;
    m_style = style;
    if (!CHttpPage::IsHexColor(m_style.textColor))
        m_style.textColor = old.textColor;
    if (!CHttpPage::IsHexColor(m_style.backgroundColor))
        m_style.backgroundColor = old.backgroundColor;
}

QByteArray CHttpSock::DateLine(qint64 secondsSinceEpoch)
{
    static constexpr const char *kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr const char *kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const time_t seconds = static_cast<time_t>(secondsSinceEpoch);
    tm parts = {};
    QByteArray line("Date: ");
    if (!gmtime_r(&seconds, &parts) || parts.tm_wday < 0 || parts.tm_wday > 6 || parts.tm_mon < 0 ||
        parts.tm_mon > 11)
        return line;
    char text[64];
    const int n = std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d GMT",
                                kDays[parts.tm_wday], parts.tm_mday, kMonths[parts.tm_mon],
                                parts.tm_year + 1900, parts.tm_hour, parts.tm_min, parts.tm_sec);
    if (n > 0 && n < static_cast<int>(sizeof text))
        line.append(text, n);
    return line;
}

const QByteArray &CHttpSock::CurrentDateLine()
{
    const qint64 now = static_cast<qint64>(std::time(nullptr));
    if (now != m_dateSecond) {
        m_dateSecond = now;
        m_dateLine = DateLine(now);
    }
    return m_dateLine;
}

void CHttpSock::LogSocketError(int code, const char *operation)
{
    WriteLog(QStringLiteral("[socket error : ") + CSocketError::describe(code) + QStringLiteral("] ") +
             QStringLiteral(" in ") + QLatin1String(operation));
}

bool CHttpSock::ListenOn(int port)
{
    addrinfo hints = {};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE;
    const QByteArray service = port == 0                            ? QByteArray("http")
                               : port == CHttpSockOptions::kAnyPort ? QByteArray("0")
                                                                    : QByteArray::number(port);
    const QByteArray node = m_options.bindAddress.toLatin1();
    // An adapter's address is numeric; a name would send a query to the resolver.
    if (!node.isEmpty())
        hints.ai_flags |= AI_NUMERICHOST;
    addrinfo *found = nullptr;
    const int resolved =
        ::getaddrinfo(node.isEmpty() ? nullptr : node.constData(), service.constData(), &hints, &found);
    if (resolved != 0 || !found) {
        LogSocketError(gaiToCode(resolved), "getaddrinfo()");
        return false;
    }

    const int socket =
        ::socket(found->ai_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, found->ai_protocol);
    if (socket < 0) {
        LogSocketError(CSocketError::fromErrno(errno), "socket()");
        ::freeaddrinfo(found);
        return false;
    }
    // A restart must find its port again while the last run's connections linger in TIME_WAIT;
    // on this platform the option does not let a second server listen on the same port.
    const int yes = 1;
    ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    if (::bind(socket, found->ai_addr, found->ai_addrlen) != 0) {
        LogSocketError(CSocketError::fromErrno(errno), "bind()");
        ::freeaddrinfo(found);
        ::close(socket);
        return false;
    }
    ::freeaddrinfo(found);
    if (::listen(socket, SOMAXCONN) != 0) {
        LogSocketError(CSocketError::fromErrno(errno), "listen()");
        ::close(socket);
        return false;
    }
    sockaddr_in bound = {};
    socklen_t boundSize = sizeof bound;
    if (::getsockname(socket, reinterpret_cast<sockaddr *>(&bound), &boundSize) == 0)
        m_nPort = ntohs(bound.sin_port);
    m_listenSocket = socket;
    m_listenNotifier = new QSocketNotifier(socket, QSocketNotifier::Read, this);
    connect(m_listenNotifier, &QSocketNotifier::activated, this, &CHttpSock::OnAccept);
    return true;
}

void CHttpSock::OnAccept()
{
    for (int i = 0; i < kAcceptBatch; ++i) {
        const int socket = ::accept4(m_listenSocket, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (socket < 0) {
            const int error = errno;
            if (wouldBlock(error))
                return;
            if (error == EINTR || error == ECONNABORTED)
                continue;
            LogSocketError(CSocketError::fromErrno(error), "accept");
            // Out of descriptors or memory: the listening socket stays readable, so accepting
            // again at once would spin. Wait for a connection to close.
            m_listenNotifier->setEnabled(false);
            m_bAcceptPaused = true;
            m_resumeTimer->start();
            return;
        }
        if (m_connections.size() >= m_options.maxConnections) {
            if (!m_bAtLimitLogged) {
                WriteLogInt(QStringLiteral("http connections at the limit, answering 503"),
                            m_options.maxConnections);
                m_bAtLimitLogged = true;
            }
            SendBusy(socket);
            drainAndClose(socket);
            continue;
        }
        Connection &connection = m_connections[socket];
        connection.serial = m_nextSerial++;
        m_deadlines.push_back({m_clock.elapsed() + m_options.requestTimeoutMs, socket, connection.serial});
        ArmTimeout();
        // The request often arrives with the connection; reading now saves a round through the
        // event loop. A receive that would block leaves it to the read readiness.
        OnReadable(socket);
    }
}

void CHttpSock::OnReadable(int socket)
{
    const auto found = m_connections.find(socket);
    if (found == m_connections.end())
        return;
    Connection &connection = found.value();
    if (connection.kind != Kind::Asking) {
        // Answered already; anything more is not looked at.
        char sink[512];
        const ssize_t n = ::recv(socket, sink, sizeof sink, 0);
        if (n == 0) {
            // The client has finished sending, which does not mean it stopped reading: the rest
            // of the page still goes out, and a client that is gone fails the next send. A stream
            // ends with what is queued for it.
            connection.peerDone = true;
            if (connection.read)
                connection.read->setEnabled(false);
            if (connection.kind == Kind::Stream && connection.outSent >= connection.out.size())
                CloseConnection(socket);
            return;
        }
        if (n < 0 && !wouldBlock(errno) && errno != EINTR)
            CloseConnection(socket);
        return;
    }
    switch (HandleRequest(socket, connection)) {
    case 200:
        Answer(socket, connection);
        return;
    case 0:
        WatchRead(socket, connection);
        return;
    default:
        CloseConnection(socket);
        return;
    }
}

int CHttpSock::HandleRequest(int socket, Connection &connection)
{
    ssize_t received = -1;
    do {
        received = ::recv(socket, m_requestBuffer, static_cast<size_t>(kRequestBufferSize), 0);
    } while (received < 0 && errno == EINTR);
    if (received < 0) {
        const int error = errno;
        // Nothing arrived: there is nothing to look at (the buffer holds another request).
        if (wouldBlock(error))
            return 0;
        WriteLog(QStringLiteral("http socket %1 error (code:%2).")
                     .arg(socket)
                     .arg(CSocketError::fromErrno(error)));
        return -1;
    }
    QByteArray &request = connection.request;
    if (received == 0) {
        // The client has said all it will: a GET is answered with what it holds.
        if (request.size() < 3)
            return -1;
        connection.peerDone = true;
        return 200;
    }
    request.append(m_requestBuffer, received);

    static constexpr char kGet[] = {'G', 'E', 'T'};
    const qsizetype compared = std::min<qsizetype>(request.size(), 3);
    if (!std::equal(request.constData(), request.constData() + compared, kGet)) {
        SendShort(socket, m_text501);
        return 501;
    }
    // Only a piece of "GET" so far: wait for the rest.
    if (request.size() < 3)
        return 0;
    // The path picks the answer; the event stream also reads the headers.
    if (request.size() >= kMaxRequestHead)
        return 200;
    if (!CHttpRequest::HasRequestLine(request))
        return 0;
    if (CHttpRequest(request).target() == CHttpRequest::Target::LiveEvents &&
        !CHttpRequest::IsComplete(request))
        return 0;
    return 200;
}

void CHttpSock::Answer(int socket, Connection &connection)
{
    const CHttpRequest request(connection.request);
    connection.request = QByteArray();
    const CHttpRequest::Target target = request.target();
    if (target == CHttpRequest::Target::ClassicPage) {
        connection.kind = Kind::Classic;
        connection.slot = TakeSlot(socket);
        SendPage(socket, connection);
        return;
    }
    if (target == CHttpRequest::Target::LiveEvents) {
        if (!m_pLive) {
            SendBusy(socket);
            CloseConnection(socket);
            return;
        }
        // Telling the reader what it missed may push a new event to the other readers, and
        // closing one of them moves the connections about.
        const QByteArray missed = m_pLive->catchUp(request.header("Last-Event-ID"));
        const auto found = m_connections.find(socket);
        if (found == m_connections.end())
            return;
        Connection &stream = found.value();
        stream.kind = Kind::Stream;
        m_streams.append(socket);
        if (!m_keepAliveTimer->isActive())
            m_keepAliveTimer->start();
        QueueOut(stream, QByteArray(kStreamHead) + missed);
        // A reader that goes away is noticed at once, not at the next event.
        if (!stream.peerDone)
            WatchRead(socket, stream);
        Flush(socket, stream);
        return;
    }
    const QByteArray &page = target == CHttpRequest::Target::LivePage ? m_livePage : m_overlayPage;
    QByteArray response;
    response.reserve(page.size() + 200);
    response.append(m_text200).append(CurrentDateLine());
    response.append("\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: ");
    response.append(QByteArray::number(page.size())).append("\r\nCache-Control: no-store\r\n\r\n");
    response.append(page);
    connection.kind = Kind::Page;
    QueueOut(connection, response);
    Flush(socket, connection);
}

void CHttpSock::QueueOut(Connection &connection, const QByteArray &bytes)
{
    if (connection.outSent >= connection.out.size()) {
        // Shared, not copied, with every other reader of the same event.
        connection.out = bytes;
        connection.outSent = 0;
    } else {
        connection.out.append(bytes);
    }
    connection.lastQueued = m_clock.elapsed();
}

bool CHttpSock::Flush(int socket, Connection &connection)
{
    while (connection.outSent < connection.out.size()) {
        const qint64 sent = SendBytes(socket, connection.out.constData() + connection.outSent,
                                      connection.out.size() - connection.outSent);
        if (sent >= 0) {
            connection.outSent += sent;
            continue;
        }
        const int error = errno;
        if (error == EINTR)
            continue;
        if (!wouldBlock(error)) {
            // A reader that has gone away; it is nothing to log.
            CloseConnection(socket);
            return false;
        }
        if (connection.kind == Kind::Stream &&
            connection.out.size() - connection.outSent > m_options.maxStreamBacklog) {
            if (m_slowLog.count())
                WriteLog(QStringLiteral("http socket %1 closed: the reader is too slow.").arg(socket));
            CloseConnection(socket);
            return false;
        }
        if (connection.outSent > 0) {
            connection.out.remove(0, connection.outSent);
            connection.outSent = 0;
        }
        WaitWritable(socket, connection);
        return true;
    }
    connection.out = QByteArray();
    connection.outSent = 0;
    if (connection.kind == Kind::Page || connection.peerDone) {
        CloseConnection(socket);
        return false;
    }
    return true;
}

void CHttpSock::WaitWritable(int socket, Connection &connection)
{
    if (!connection.write) {
        connection.write = new QSocketNotifier(socket, QSocketNotifier::Write, this);
        connect(connection.write, &QSocketNotifier::activated, this, [this, socket] { OnWritable(socket); });
    } else {
        connection.write->setEnabled(true);
    }
}

void CHttpSock::OnLiveEvent(const QByteArray &bytes)
{
    // A stream that fails is closed and leaves the list while it is walked.
    const QList<int> streams = m_streams;
    for (const int socket : streams) {
        const auto found = m_connections.find(socket);
        if (found == m_connections.end())
            continue;
        QueueOut(found.value(), bytes);
        Flush(socket, found.value());
    }
}

void CHttpSock::OnKeepAlive()
{
    if (m_pLive)
        m_pLive->Refresh();
    const qint64 now = m_clock.elapsed();
    const QList<int> streams = m_streams;
    for (const int socket : streams) {
        const auto found = m_connections.find(socket);
        if (found == m_connections.end() || now - found->lastQueued < m_options.keepAliveMs)
            continue;
        QueueOut(found.value(), QByteArray::fromRawData(kKeepAlive, sizeof kKeepAlive - 1));
        Flush(socket, found.value());
    }
}

int CHttpSock::TakeSlot(int socket)
{
    for (size_t i = 0; i < m_slots.size(); ++i) {
        if (m_slots[i]->isFree()) {
            m_slots[i]->Assign(socket);
            return static_cast<int>(i);
        }
    }
    const size_t first = m_slots.size();
    for (int i = 0; i < kSlotGrowth; ++i)
        m_slots.push_back(std::make_unique<CHttpResponseSock>());
    m_slots[first]->Assign(socket);
    return static_cast<int>(first);
}

void CHttpSock::SendPage(int socket, Connection &connection)
{
    CHttpResponseSock &slot = *m_slots[static_cast<size_t>(connection.slot)];
    const QByteArray body =
        CHttpPage::FillTemplate(m_pageTemplate, m_style, m_source.HttpPageText()).toUtf8();
    QByteArray response;
    response.reserve(CHttpResponseSock::kBufferSize + CHttpResponseSock::kHeadRoom);
    response.append(m_text200);
    response.append(CurrentDateLine());
    // The limit stays on the response as it was without the length and cache lines, so that no
    // page that was served before is refused now.
    const qsizetype plainSize = response.size() + 4 + body.size();
    response.append("\r\nContent-Length: ").append(QByteArray::number(body.size()));
    response.append("\r\nCache-Control: no-store\r\n\r\n");
    response.append(body);
    if (plainSize > CHttpResponseSock::kBufferSize || !slot.SetResponse(response)) {
        SendShort(socket, m_text503);
        slot.Free();
        connection.slot = -1;
        CloseConnection(socket);
        return;
    }
    slot.setSending(true);
    ContinueSend(socket, connection);
}

void CHttpSock::ContinueSend(int socket, Connection &connection)
{
    CHttpResponseSock &slot = *m_slots[static_cast<size_t>(connection.slot)];
    while (!slot.isDone()) {
        const QByteArrayView pending = slot.Pending();
        const qint64 sent = SendBytes(socket, pending.data(), pending.size());
        if (sent < 0) {
            const int error = errno;
            if (error == EINTR)
                continue;
            if (wouldBlock(error)) {
                WaitWritable(socket, connection);
                return;
            }
            WriteLog(QStringLiteral("socket error in send. No:%1").arg(CSocketError::fromErrno(error)));
            break;
        }
        slot.Advance(static_cast<int>(sent));
    }
    slot.Free();
    connection.slot = -1;
    CloseConnection(socket);
}

void CHttpSock::OnWritable(int socket)
{
    const auto found = m_connections.find(socket);
    if (found == m_connections.end())
        return;
    Connection &connection = found.value();
    if (connection.write)
        connection.write->setEnabled(false);
    if (connection.kind == Kind::Classic && connection.slot >= 0)
        ContinueSend(socket, connection);
    else if (connection.kind == Kind::Page || connection.kind == Kind::Stream)
        Flush(socket, connection);
}

void CHttpSock::SendShort(int socket, const QByteArray &status)
{
    QByteArray response = status;
    response.append(CurrentDateLine());
    // Fits any socket buffer; a send that fails here has nobody left to tell.
    SendBytes(socket, response.constData(), response.size());
}

void CHttpSock::SendBusy(int socket)
{
    // A full status head, so that a browser sees the answer and not a broken connection.
    QByteArray response("HTTP/1.1 503 Service Unavailable\r\n");
    response.append(CurrentDateLine());
    response.append("\r\nRetry-After: 2\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    SendBytes(socket, response.constData(), response.size());
}

qint64 CHttpSock::SendBytes(int socket, const char *data, qint64 size)
{
    if (m_options.send)
        return m_options.send(socket, data, size);
    return ::send(socket, data, static_cast<size_t>(size), MSG_NOSIGNAL);
}

void CHttpSock::WatchRead(int socket, Connection &connection)
{
    if (!connection.read) {
        connection.read = new QSocketNotifier(socket, QSocketNotifier::Read, this);
        connect(connection.read, &QSocketNotifier::activated, this, [this, socket] { OnReadable(socket); });
    }
}

void CHttpSock::CloseConnection(int socket)
{
    const auto found = m_connections.find(socket);
    if (found == m_connections.end())
        return;
    // The notifiers may be the ones whose signal is running now.
    for (QSocketNotifier *notifier : {found->read, found->write}) {
        if (notifier) {
            notifier->setEnabled(false);
            notifier->deleteLater();
        }
    }
    if (found->slot >= 0)
        m_slots[static_cast<size_t>(found->slot)]->Free();
    if (found->kind == Kind::Stream) {
        m_streams.removeOne(socket);
        if (m_streams.isEmpty())
            m_keepAliveTimer->stop();
    }
    m_connections.erase(found);
    drainAndClose(socket);
    if (m_connections.size() < m_options.maxConnections)
        m_bAtLimitLogged = false;
    if (m_bAcceptPaused)
        ResumeAccept();
}

void CHttpSock::ResumeAccept()
{
    if (!m_bAcceptPaused || !m_listenNotifier)
        return;
    m_bAcceptPaused = false;
    m_resumeTimer->stop();
    m_listenNotifier->setEnabled(true);
}

void CHttpSock::ArmTimeout()
{
    // Most connections are gone long before their deadline; forget them from the front so that
    // the queue stays as short as the set of connections held.
    while (!m_deadlines.empty()) {
        const auto found = m_connections.constFind(m_deadlines.front().socket);
        if (found != m_connections.cend() && found->serial == m_deadlines.front().serial)
            break;
        m_deadlines.pop_front();
    }
    if (m_deadlines.empty() || m_timeoutTimer->isActive())
        return;
    m_timeoutTimer->start(static_cast<int>(std::max<qint64>(0, m_deadlines.front().at - m_clock.elapsed())));
}

void CHttpSock::OnTimeout()
{
    const qint64 now = m_clock.elapsed();
    while (!m_deadlines.empty() && m_deadlines.front().at <= now) {
        const Deadline due = m_deadlines.front();
        m_deadlines.pop_front();
        const auto found = m_connections.constFind(due.socket);
        // An open event stream has no idle time: readers hold it for hours.
        if (found == m_connections.cend() || found->serial != due.serial || found->kind == Kind::Stream)
            continue;
        // Anybody can open connections and say nothing, as fast as they like.
        if (m_idleLog.count())
            WriteLog(QStringLiteral("http socket %1 closed: no request in time.").arg(due.socket));
        CloseConnection(due.socket);
    }
    ArmTimeout();
}
