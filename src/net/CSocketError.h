#pragma once

#include <QString>

// Socket failures are logged with the Winsock names and codes the program has always written, so
// that logs from every platform read alike. errno values are mapped onto that table here.
class CSocketError final
{
public:
    CSocketError() = delete;

    // Standard Winsock codes of the names the log uses.
    static constexpr int WSAEINTR = 10004;
    static constexpr int WSAEACCES = 10013;
    static constexpr int WSAEFAULT = 10014;
    static constexpr int WSAEINVAL = 10022;
    static constexpr int WSAEMFILE = 10024;
    static constexpr int WSAEWOULDBLOCK = 10035;
    static constexpr int WSAEINPROGRESS = 10036;
    static constexpr int WSAEALREADY = 10037;
    static constexpr int WSAENOTSOCK = 10038;
    static constexpr int WSAEDESTADDRREQ = 10039;
    static constexpr int WSAEMSGSIZE = 10040;
    static constexpr int WSAEPROTOTYPE = 10041;
    static constexpr int WSAENOPROTOOPT = 10042;
    static constexpr int WSAEPROTONOSUPPORT = 10043;
    static constexpr int WSAESOCKTNOSUPPORT = 10044;
    static constexpr int WSAEOPNOTSUPP = 10045;
    static constexpr int WSAEPFNOSUPPORT = 10046;
    static constexpr int WSAEAFNOSUPPORT = 10047;
    static constexpr int WSAEADDRINUSE = 10048;
    static constexpr int WSAEADDRNOTAVAIL = 10049;
    static constexpr int WSAENETDOWN = 10050;
    static constexpr int WSAENETUNREACH = 10051;
    static constexpr int WSAENETRESET = 10052;
    static constexpr int WSAECONNABORTED = 10053;
    static constexpr int WSAECONNRESET = 10054;
    static constexpr int WSAENOBUFS = 10055;
    static constexpr int WSAEISCONN = 10056;
    static constexpr int WSAENOTCONN = 10057;
    static constexpr int WSAESHUTDOWN = 10058;
    static constexpr int WSAETIMEDOUT = 10060;
    static constexpr int WSAECONNREFUSED = 10061;
    static constexpr int WSAEHOSTDOWN = 10064;
    static constexpr int WSAEHOSTUNREACH = 10065;
    static constexpr int WSAEPROCLIM = 10067;
    static constexpr int WSASYSNOTREADY = 10091;
    static constexpr int WSAVERNOTSUPPORTED = 10092;
    static constexpr int WSANOTINITIALISED = 10093;
    static constexpr int WSAEDISCON = 10101;
    static constexpr int WSASYSCALLFAILURE = 10107;
    static constexpr int WSATYPE_NOT_FOUND = 10109;
    static constexpr int WSAHOST_NOT_FOUND = 11001;
    static constexpr int WSATRY_AGAIN = 11002;
    static constexpr int WSANO_RECOVERY = 11003;
    static constexpr int WSANO_DATA = 11004;
    static constexpr int WSA_INVALID_HANDLE = 6;
    static constexpr int WSA_NOT_ENOUGH_MEMORY = 8;
    static constexpr int WSA_INVALID_PARAMETER = 87;
    static constexpr int WSA_OPERATION_ABORTED = 995;
    static constexpr int WSA_IO_INCOMPLETE = 996;
    static constexpr int WSA_IO_PENDING = 997;

    // The Winsock code for an errno value; a value with no counterpart is returned unchanged.
    static int fromErrno(int errnoValue);
    // describe() of the mapped code; an unmapped errno is "(unknown) (errno)", even where its
    // number happens to equal one of the small WSA_ codes.
    static QString describeErrno(int errnoValue);
    // "WSAEADDRINUSE" for 10048; empty for a code outside the table.
    static QString name(int code);
    // "WSAEADDRINUSE (10048)", or "(unknown) (%d)" for a code outside the table.
    static QString describe(int code);
};
