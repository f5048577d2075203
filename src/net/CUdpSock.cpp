#include "net/CUdpSock.h"

#include "core/CodePage932.h"
#include "core/OperationLog.h"
#include "net/CSharedProtocol.h"
#include "net/CSocketError.h"

#include <QHostAddress>
#include <QNetworkInterface>
#include <QPointer>
#include <QSocketNotifier>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Receives never overlap (everything runs on one thread), so every endpoint shares one buffer.
alignas(4) char g_receiveBuffer[CUdpSock::kReceiveBufferSize + CUdpSock::kReceiveTerminatorSize] = {};

bool toSockAddr(const QString &address, quint16 port, sockaddr_in &out)
{
    std::memset(&out, 0, sizeof out);
    out.sin_family = AF_INET;
    out.sin_port = htons(port);
    return !address.isEmpty() && inet_pton(AF_INET, address.toLatin1().constData(), &out.sin_addr) == 1;
}

QString dotted(const in_addr &address)
{
    char text[INET_ADDRSTRLEN] = {};
    if (!inet_ntop(AF_INET, &address, text, sizeof text))
        return {};
    return QString::fromLatin1(text);
}

struct LocalInterface
{
    int index = 0;
    QByteArray name;
};

// The interface that holds the address. An address of a local range that no interface lists
// (127.0.0.2 and the like) belongs to the loopback interface whose range holds it.
LocalInterface interfaceHolding(const QString &address)
{
    const QHostAddress wanted(address);
    LocalInterface loopbackRange;
    for (const QNetworkInterface &interface : QNetworkInterface::allInterfaces()) {
        for (const QNetworkAddressEntry &entry : interface.addressEntries()) {
            if (entry.ip() == wanted)
                return {interface.index(), interface.name().toLocal8Bit()};
            if (loopbackRange.index == 0 && interface.flags().testFlag(QNetworkInterface::IsLoopBack) &&
                entry.ip().protocol() == QAbstractSocket::IPv4Protocol &&
                wanted.isInSubnet(entry.ip(), entry.prefixLength()))
                loopbackRange = {interface.index(), interface.name().toLocal8Bit()};
        }
    }
    return loopbackRange;
}

} // namespace

CUdpSock::CUdpSock(const QString &name, const QString &bindAddress, const QString &broadcastAddress,
                   quint16 port, QObject *parent)
    : QObject(parent), m_name(name), m_bindAddress(bindAddress), m_broadcastAddress(broadcastAddress),
      m_port(port)
{
    m_socket = openSocket(" in socket()");
    if (m_socket < 0)
        return;
    if (!registerSocket(m_socket)) {
        WriteLog(m_errorText + QStringLiteral(" in WSAAsyncSocket()"));
        closeAll();
        return;
    }
    m_notifier = new QSocketNotifier(m_socket, QSocketNotifier::Read, this);
    const int yes = 1;
    if (::setsockopt(m_socket, SOL_SOCKET, SO_BROADCAST, &yes, sizeof yes) != 0) {
        setError(errno);
        WriteLog(m_errorText + QStringLiteral(" in setsockopt()"));
        closeAll();
        return;
    }
    if (!bindSocket(m_socket, m_bindAddress)) {
        WriteLog(m_errorText + QStringLiteral(" in bind()"));
        closeAll();
        return;
    }

    if (!m_broadcastAddress.isEmpty() && m_broadcastAddress != m_bindAddress) {
        const LocalInterface adapter = interfaceHolding(m_bindAddress);
        m_interfaceIndex = adapter.index;
        m_broadcastSocket = openBroadcastSocket(m_broadcastAddress, adapter.name, m_broadcastNotifier);
        if (m_broadcastSocket < 0) {
            closeAll();
            return;
        }
        const QString limited = QLatin1String(kLimitedBroadcast);
        if (m_broadcastAddress != limited) {
            if (m_interfaceIndex > 0) {
                m_limitedSocket = openBroadcastSocket(limited, adapter.name, m_limitedNotifier);
                if (m_limitedSocket < 0) {
                    closeAll();
                    return;
                }
            } else {
                // Without the interface a limited broadcast from any other network would get in.
                WriteLog(QStringLiteral(
                             "[socket : %1] no interface holds %2; limited broadcasts are not received.")
                             .arg(m_name, m_bindAddress));
            }
        }
    }

    connect(m_notifier, &QSocketNotifier::activated, this, [this] { onReadable(m_socket); });
    if (m_broadcastNotifier) {
        connect(m_broadcastNotifier, &QSocketNotifier::activated, this,
                [this] { onReadable(m_broadcastSocket); });
    }
    if (m_limitedNotifier)
        connect(m_limitedNotifier, &QSocketNotifier::activated, this,
                [this] { onReadable(m_limitedSocket); });
    m_MaxMessageSize = kMaxMessageSize;
    m_isOpen = true;
    receiveBuffer()[0] = 0;
    receiveBuffer()[1] = 0;
}

CUdpSock::~CUdpSock()
{
    Destroy();
}

int CUdpSock::openSocket(const char *where)
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (fd < 0) {
        setError(errno);
        WriteLog(m_errorText + QLatin1String(where));
    }
    return fd;
}

bool CUdpSock::registerSocket(int fd)
{
    // Readiness comes through the event loop, so the socket itself must never block.
    const int flags = ::fcntl(fd, F_GETFL, 0);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0 || ::fcntl(fd, F_SETFD, FD_CLOEXEC) != 0) {
        setError(errno);
        return false;
    }
    return true;
}

int CUdpSock::openBroadcastSocket(const QString &address, const QByteArray &interfaceName,
                                  QSocketNotifier *&notifier)
{
    int fd = openSocket(" in socket()");
    if (fd < 0)
        return -1;
    const auto fail = [&](const char *where) {
        WriteLog(m_errorText + QLatin1String(where));
        if (notifier) {
            notifier->setEnabled(false);
            notifier->deleteLater();
            notifier = nullptr;
        }
        ::close(fd);
        return -1;
    };
    if (!registerSocket(fd))
        return fail(" in WSAAsyncSocket()");
    notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    const int yes = 1;
    // Every member on this host listens to the same broadcast address and port.
    if (::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes) != 0) {
        setError(errno);
        return fail(" in setsockopt()");
    }
    if (m_interfaceIndex > 0) {
        // The arrival interface of each datagram, so that those of other networks are dropped.
        if (::setsockopt(fd, IPPROTO_IP, IP_PKTINFO, &yes, sizeof yes) != 0) {
            setError(errno);
            return fail(" in setsockopt()");
        }
        // The kernel drops them itself when it may; where it refuses, the check above remains.
        (void)::setsockopt(fd, SOL_SOCKET, SO_BINDTODEVICE, interfaceName.constData(),
                           static_cast<socklen_t>(interfaceName.size()));
    }
    if (!bindSocket(fd, address))
        return fail(" in bind()");
    return fd;
}

bool CUdpSock::isFiltered(int fd) const
{
    return m_interfaceIndex > 0 && fd >= 0 && (fd == m_broadcastSocket || fd == m_limitedSocket);
}

bool CUdpSock::dropForeign(int fd)
{
    for (;;) {
        char byte = 0;
        iovec part{&byte, 1};
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
        msghdr message{};
        message.msg_iov = &part;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        if (::recvmsg(fd, &message, MSG_PEEK) < 0)
            return errno != EAGAIN && errno != EWOULDBLOCK; // the receive reports the error
        int arrivedOn = 0;
        for (cmsghdr *c = CMSG_FIRSTHDR(&message); c; c = CMSG_NXTHDR(&message, c)) {
            if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
                in_pktinfo info{};
                std::memcpy(&info, CMSG_DATA(c), sizeof info);
                arrivedOn = info.ipi_ifindex;
            }
        }
        if (arrivedOn == 0 || arrivedOn == m_interfaceIndex)
            return true;
        (void)::recv(fd, &byte, 1, MSG_TRUNC);
    }
}

bool CUdpSock::bindSocket(int fd, const QString &address)
{
    sockaddr_in local{};
    if (!toSockAddr(address, m_port, local)) {
        setError(EINVAL);
        return false;
    }
    if (::bind(fd, reinterpret_cast<const sockaddr *>(&local), sizeof local) != 0) {
        setError(errno);
        return false;
    }
    return true;
}

void CUdpSock::closeAll()
{
    // The notifiers stop first: none may watch a closed descriptor. They are deleted later
    // because a handler may destroy the endpoint while one of them is still emitting.
    for (QSocketNotifier **notifier : {&m_notifier, &m_broadcastNotifier, &m_limitedNotifier}) {
        if (!*notifier)
            continue;
        (*notifier)->setEnabled(false);
        (*notifier)->deleteLater();
        *notifier = nullptr;
    }
    bool failed = false;
    for (int *fd : {&m_socket, &m_broadcastSocket, &m_limitedSocket}) {
        if (*fd < 0)
            continue;
        if (::close(*fd) != 0) {
            setError(errno);
            failed = true;
        }
        *fd = -1;
    }
    if (failed)
        WriteLog(m_errorText + QStringLiteral(" in closesocket()"));
}

void CUdpSock::Destroy()
{
    if (!m_isOpen)
        return;
    m_isOpen = false;
    closeAll();
}

void CUdpSock::setError(int errnoValue)
{
    setErrorCode(CSocketError::fromErrno(errnoValue), errnoValue);
}

void CUdpSock::setErrorCode(int code, int errnoValue)
{
    m_lastError = code;
    m_errorText = QStringLiteral("[socket error : ") + m_name + QStringLiteral("] ") +
                  CSocketError::describeErrno(errnoValue);
}

void CUdpSock::countFailure(const char *where)
{
    ++m_errorCount;
    if (m_errorCount < m_errorLogThreshold)
        return;
    WriteLog(m_errorText + QLatin1String(where));
    if (m_errorCount < 11)
        ++m_errorLogThreshold;
    else
        m_errorLogThreshold *= 2;
}

void CUdpSock::onReadable(int fd)
{
    if (isFiltered(fd) && !dropForeign(fd))
        return; // only datagrams of other networks were waiting
    QPointer<CUdpSock> alive(this);
    m_readyFd = fd;
    m_received = false;
    emit readyRead();
    if (!alive)
        return; // the handler went offline and destroyed this endpoint
    m_readyFd = -1;
    if (!m_received && m_isOpen) {
        // Nobody took the datagram: discard it, or the notifier would fire for it forever.
        char scratch[1];
        (void)::recv(fd, scratch, sizeof scratch, MSG_TRUNC);
    }
}

bool CUdpSock::RecvFrom()
{
    if (!m_isOpen)
        return false;
    m_received = true;

    char *buffer = receiveBuffer();
    sockaddr_in from{};
    socklen_t fromLength = sizeof from;
    const auto receive = [&](int fd) {
        fromLength = sizeof from;
        return ::recvfrom(fd, buffer, kReceiveBufferSize, MSG_TRUNC, reinterpret_cast<sockaddr *>(&from),
                          &fromLength);
    };
    ssize_t received = 0;
    int error = 0;
    if (m_readyFd >= 0) {
        received = receive(m_readyFd);
        error = errno;
    } else {
        // Called outside a notification: whichever socket has a datagram.
        received = -1;
        error = EWOULDBLOCK;
        for (const int fd : {m_socket, m_broadcastSocket, m_limitedSocket}) {
            if (fd < 0 || (isFiltered(fd) && !dropForeign(fd)))
                continue;
            received = receive(fd);
            error = errno;
            if (received >= 0 || (error != EAGAIN && error != EWOULDBLOCK))
                break;
        }
    }

    if (received >= 0 && fromLength >= sizeof from) {
        m_fromAddress = dotted(from.sin_addr);
        m_fromPort = ntohs(from.sin_port);
    }
    if (received > kReceiveBufferSize) {
        // Linux cuts an over-long datagram to the buffer instead of failing the receive; MSG_TRUNC
        // reveals the real length, and such a datagram must not pass for a complete one.
        setErrorCode(CSocketError::WSAEMSGSIZE, EMSGSIZE);
        countFailure(" in recvfrom()");
        received = -1;
    } else if (received < 0) {
        setError(error);
        if (m_lastError != CSocketError::WSAEWOULDBLOCK)
            countFailure(" in recvfrom()");
    }

    // A failed receive leaves an empty datagram behind, so no stale fields survive it.
    const int count = received < 0 ? 0 : static_cast<int>(received);
    std::memset(buffer + count, 0, kReceiveTerminatorSize);
    m_rawDatagram = QByteArray(buffer, count);
    m_tokenCount = TokenizeMessage(count);
    return count > 0;
}

bool CUdpSock::SendTo(const QString &destination, QByteArrayView bytes)
{
    if (!m_isOpen)
        return false;
    sockaddr_in target{};
    if (!toSockAddr(destination, m_port, target)) {
        setError(EINVAL);
        countFailure(" in sendto()");
        return false;
    }
    const ssize_t sent = ::sendto(m_socket, bytes.data(), static_cast<size_t>(bytes.size()), 0,
                                  reinterpret_cast<const sockaddr *>(&target), sizeof target);
    if (sent >= 0)
        return true;
    setError(errno);
    if (m_lastError == CSocketError::WSAEWOULDBLOCK)
        return true; // dropped, never queued: a caption late is worse than a caption lost
    countFailure(" in sendto()");
    return false;
}

bool CUdpSock::SendString(const QString &destination, const QString &text)
{
    return SendTo(destination, CCodePage932::encode(text));
}

int CUdpSock::TokenizeMessage(int receivedBytes)
{
    m_tokens = QStringList{decodeReceived(receivedBytes)};
    return 1;
}

char *CUdpSock::receiveBuffer()
{
    return g_receiveBuffer;
}

QString CUdpSock::decodeReceived(int receivedBytes)
{
    const char *buffer = receiveBuffer();
    const int length = static_cast<int>(qstrnlen(buffer, static_cast<uint>(qMax(receivedBytes, 0))));
    return CSharedProtocol::decode(QByteArrayView(buffer, length));
}
