#include "net/CSocketError.h"

#include <cerrno>
#include <iterator>

namespace {

struct NamedCode
{
    int code;
    const char *name;
};

constexpr NamedCode kNames[] = {
    {CSocketError::WSAEINTR, "WSAEINTR"},
    {CSocketError::WSAEACCES, "WSAEACCES"},
    {CSocketError::WSAEFAULT, "WSAEFAULT"},
    {CSocketError::WSAEINVAL, "WSAEINVAL"},
    {CSocketError::WSAEMFILE, "WSAEMFILE"},
    {CSocketError::WSAEWOULDBLOCK, "WSAEWOULDBLOCK"},
    {CSocketError::WSAEINPROGRESS, "WSAEINPROGRESS"},
    {CSocketError::WSAEALREADY, "WSAEALREADY"},
    {CSocketError::WSAENOTSOCK, "WSAENOTSOCK"},
    {CSocketError::WSAEDESTADDRREQ, "WSAEDESTADDRREQ"},
    {CSocketError::WSAEMSGSIZE, "WSAEMSGSIZE"},
    {CSocketError::WSAEPROTOTYPE, "WSAEPROTOTYPE"},
    {CSocketError::WSAENOPROTOOPT, "WSAENOPROTOOPT"},
    {CSocketError::WSAEPROTONOSUPPORT, "WSAEPROTONOSUPPORT"},
    {CSocketError::WSAESOCKTNOSUPPORT, "WSAESOCKTNOSUPPORT"},
    {CSocketError::WSAEOPNOTSUPP, "WSAEOPNOTSUPP"},
    {CSocketError::WSAEPFNOSUPPORT, "WSAEPFNOSUPPORT"},
    {CSocketError::WSAEAFNOSUPPORT, "WSAEAFNOSUPPORT"},
    {CSocketError::WSAEADDRINUSE, "WSAEADDRINUSE"},
    {CSocketError::WSAEADDRNOTAVAIL, "WSAEADDRNOTAVAIL"},
    {CSocketError::WSAENETDOWN, "WSAENETDOWN"},
    {CSocketError::WSAENETUNREACH, "WSAENETUNREACH"},
    {CSocketError::WSAENETRESET, "WSAENETRESET"},
    {CSocketError::WSAECONNABORTED, "WSAECONNABORTED"},
    {CSocketError::WSAECONNRESET, "WSAECONNRESET"},
    {CSocketError::WSAENOBUFS, "WSAENOBUFS"},
    {CSocketError::WSAEISCONN, "WSAEISCONN"},
    {CSocketError::WSAENOTCONN, "WSAENOTCONN"},
    {CSocketError::WSAESHUTDOWN, "WSAESHUTDOWN"},
    {CSocketError::WSAETIMEDOUT, "WSAETIMEDOUT"},
    {CSocketError::WSAECONNREFUSED, "WSAECONNREFUSED"},
    {CSocketError::WSAEHOSTDOWN, "WSAEHOSTDOWN"},
    {CSocketError::WSAEHOSTUNREACH, "WSAEHOSTUNREACH"},
    {CSocketError::WSAEPROCLIM, "WSAEPROCLIM"},
    {CSocketError::WSASYSNOTREADY, "WSASYSNOTREADY"},
    {CSocketError::WSAVERNOTSUPPORTED, "WSAVERNOTSUPPORTED"},
    {CSocketError::WSANOTINITIALISED, "WSANOTINITIALISED"},
    {CSocketError::WSAEDISCON, "WSAEDISCON"},
    {CSocketError::WSATYPE_NOT_FOUND, "WSATYPE_NOT_FOUND"},
    {CSocketError::WSAHOST_NOT_FOUND, "WSAHOST_NOT_FOUND"},
    {CSocketError::WSATRY_AGAIN, "WSATRY_AGAIN"},
    {CSocketError::WSANO_RECOVERY, "WSANO_RECOVERY"},
    {CSocketError::WSANO_DATA, "WSANO_DATA"},
    {CSocketError::WSA_INVALID_HANDLE, "WSA_INVALID_HANDLE"},
    {CSocketError::WSA_INVALID_PARAMETER, "WSA_INVALID_PARAMETER"},
    {CSocketError::WSA_IO_INCOMPLETE, "WSA_IO_INCOMPLETE"},
    {CSocketError::WSA_IO_PENDING, "WSA_IO_PENDING"},
    {CSocketError::WSA_NOT_ENOUGH_MEMORY, "WSA_NOT_ENOUGH_MEMORY"},
    {CSocketError::WSA_OPERATION_ABORTED, "WSA_OPERATION_ABORTED"},
    {CSocketError::WSASYSCALLFAILURE, "WSASYSCALLFAILURE"},
};

struct ErrnoCode
{
    int errnoValue;
    int code;
};

// A table rather than a switch: several errno names share a value on Linux (EAGAIN and
// EWOULDBLOCK, EOPNOTSUPP and ENOTSUP), which a switch would reject as duplicate labels.
constexpr ErrnoCode kErrnoCodes[] = {
    {EINTR, CSocketError::WSAEINTR},
    {EACCES, CSocketError::WSAEACCES},
    {EPERM, CSocketError::WSAEACCES},
    {EFAULT, CSocketError::WSAEFAULT},
    {EINVAL, CSocketError::WSAEINVAL},
    {EMFILE, CSocketError::WSAEMFILE},
    {ENFILE, CSocketError::WSAEMFILE},
    {EWOULDBLOCK, CSocketError::WSAEWOULDBLOCK},
    {EAGAIN, CSocketError::WSAEWOULDBLOCK},
    {EINPROGRESS, CSocketError::WSAEINPROGRESS},
    {EALREADY, CSocketError::WSAEALREADY},
    {ENOTSOCK, CSocketError::WSAENOTSOCK},
    {EBADF, CSocketError::WSAENOTSOCK},
    {EDESTADDRREQ, CSocketError::WSAEDESTADDRREQ},
    {EMSGSIZE, CSocketError::WSAEMSGSIZE},
    {EPROTOTYPE, CSocketError::WSAEPROTOTYPE},
    {ENOPROTOOPT, CSocketError::WSAENOPROTOOPT},
    {EPROTONOSUPPORT, CSocketError::WSAEPROTONOSUPPORT},
    {ESOCKTNOSUPPORT, CSocketError::WSAESOCKTNOSUPPORT},
    {EOPNOTSUPP, CSocketError::WSAEOPNOTSUPP},
    {EPFNOSUPPORT, CSocketError::WSAEPFNOSUPPORT},
    {EAFNOSUPPORT, CSocketError::WSAEAFNOSUPPORT},
    {EADDRINUSE, CSocketError::WSAEADDRINUSE},
    {EADDRNOTAVAIL, CSocketError::WSAEADDRNOTAVAIL},
    {ENETDOWN, CSocketError::WSAENETDOWN},
    {ENETUNREACH, CSocketError::WSAENETUNREACH},
    {ENETRESET, CSocketError::WSAENETRESET},
    {ECONNABORTED, CSocketError::WSAECONNABORTED},
    {ECONNRESET, CSocketError::WSAECONNRESET},
    {ENOBUFS, CSocketError::WSAENOBUFS},
    {ENOMEM, CSocketError::WSAENOBUFS},
    {EISCONN, CSocketError::WSAEISCONN},
    {ENOTCONN, CSocketError::WSAENOTCONN},
    {ESHUTDOWN, CSocketError::WSAESHUTDOWN},
    {EPIPE, CSocketError::WSAESHUTDOWN},
    {ETIMEDOUT, CSocketError::WSAETIMEDOUT},
    {ECONNREFUSED, CSocketError::WSAECONNREFUSED},
    {EHOSTDOWN, CSocketError::WSAEHOSTDOWN},
    {EHOSTUNREACH, CSocketError::WSAEHOSTUNREACH},
    {ECANCELED, CSocketError::WSA_OPERATION_ABORTED},
};

} // namespace

int CSocketError::fromErrno(int errnoValue)
{
    for (const ErrnoCode &entry : kErrnoCodes) {
        if (entry.errnoValue == errnoValue)
            return entry.code;
    }
    return errnoValue;
}

QString CSocketError::describeErrno(int errnoValue)
{
    for (const ErrnoCode &entry : kErrnoCodes) {
        if (entry.errnoValue == errnoValue)
            return describe(entry.code);
    }
    return QStringLiteral("(unknown) (%1)").arg(errnoValue);
}

QString CSocketError::name(int code)
{
    for (const NamedCode &entry : kNames) {
        if (entry.code == code)
            return QLatin1String(entry.name);
    }
    return {};
}

QString CSocketError::describe(int code)
{
    const QString known = name(code);
    const QString shown = known.isEmpty() ? QStringLiteral("(unknown)") : known;
    return QStringLiteral("%1 (%2)").arg(shown).arg(code);
}
