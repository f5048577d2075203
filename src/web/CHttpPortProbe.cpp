#include "web/CHttpPortProbe.h"

#include "web/CHttpSock.h"

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kStandardPort = 80;

bool canBind(const QByteArray &address, int port)
{
    addrinfo hints = {};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    if (!address.isEmpty())
        hints.ai_flags |= AI_NUMERICHOST;
    addrinfo *found = nullptr;
    const QByteArray service = QByteArray::number(port);
    if (::getaddrinfo(address.isEmpty() ? nullptr : address.constData(), service.constData(), &hints,
                      &found) != 0 ||
        !found)
        return false;
    bool bound = false;
    const int socket = ::socket(found->ai_family, SOCK_STREAM | SOCK_CLOEXEC, found->ai_protocol);
    if (socket >= 0) {
        // As the server binds: connections of an earlier run in TIME_WAIT do not count as busy.
        const int yes = 1;
        ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        bound = ::bind(socket, found->ai_addr, found->ai_addrlen) == 0;
        ::close(socket);
    }
    ::freeaddrinfo(found);
    return bound;
}

} // namespace

QList<int> CHttpPortProbe::PortNumbers(const CHttpSockOptions &options)
{
    QList<int> numbers;
    for (const int port : options.ports) {
        if (port == 0)
            numbers.append(kStandardPort);
        else if (port > 0)
            numbers.append(port);
    }
    return numbers;
}

int CHttpPortProbe::FirstFreePort(const CHttpSockOptions &options)
{
    const QByteArray address = options.bindAddress.toLatin1();
    for (const int port : options.ports) {
        // The system's choice cannot be foretold.
        if (port == CHttpSockOptions::kAnyPort)
            return 0;
        const int number = port == 0 ? kStandardPort : port;
        if (canBind(address, number))
            return number;
    }
    return 0;
}
