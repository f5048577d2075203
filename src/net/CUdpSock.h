#pragma once

#include "net/CFailureLogLimit.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>
#include <QString>
#include <QStringList>

class QSocketNotifier;

// One datagram endpoint of the program: a bound UDP port on the member's adapter. It reports a
// waiting datagram with readyRead(); the owner's handler then calls RecvFrom() exactly once,
// which receives into the process-wide buffer and splits the datagram (TokenizeMessage, one way
// per class). Sends go to the same port number on the destination. Failures are never thrown:
// they are counted, logged with Winsock names, and reported by the boolean results.
//
// Linux does not hand broadcasts to a socket bound to a unicast address, so an endpoint holds up
// to three sockets feeding the same receive path: one on the own address (exclusive, so a second
// instance on the same channel fails with WSAEADDRINUSE), one shared on the subnet's broadcast
// address, and one shared on the limited broadcast address 255.255.255.255, which peers may send
// to instead. Each datagram reaches exactly one of them: the kernel matches a socket's address
// against the destination. The two broadcast sockets listen on the adapter's interface only, as a
// socket bound to the adapter's address would. Own broadcasts come back to the sender through
// them; the handlers tell them apart by source.
class CUdpSock : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CUdpSock)

public:
    static constexpr int kReceiveBufferSize = 4096; // longer datagrams are never delivered
    static constexpr int kReceiveTerminatorSize = 4;
    static constexpr quint32 kMaxMessageSize = 1500; // no SO_MAX_MSG_SIZE here: the cap itself

    static constexpr const char *kLimitedBroadcast = "255.255.255.255";

    // Creates the sockets, registers them for readiness and binds them to bindAddress:port; unless
    // broadcastAddress is empty or the same address, also to broadcastAddress:port and to the
    // limited broadcast address on the port. isOpen() tells success; a failed step is logged as
    // errorText() + " in bind()" and the like.
    CUdpSock(const QString &name, const QString &bindAddress, const QString &broadcastAddress, quint16 port,
             QObject *parent = nullptr);
    ~CUdpSock() override;

    // Receives one datagram. True when it held at least one byte; tokenCount() then holds the
    // result of TokenizeMessage, and tokens(), rawDatagram() and fromAddress() describe it.
    // False on a closed endpoint (the socket is not touched), on failure and on an empty datagram.
    bool RecvFrom();
    // Sends bytes to destination (dotted IPv4) on this endpoint's port. A send that would block
    // counts as success (the datagram is dropped, not queued). False when closed or on failure.
    bool SendTo(const QString &destination, QByteArrayView bytes);
    // The text in code page 932, without terminator, through SendTo.
    bool SendString(const QString &destination, const QString &text);
    // Closes the sockets if open. The destructor calls it; there is no reopening.
    void Destroy();

    bool isOpen() const { return m_isOpen; }
    const QString &name() const { return m_name; }
    const QString &bindAddress() const { return m_bindAddress; }
    const QString &broadcastAddress() const { return m_broadcastAddress; }
    quint16 port() const { return m_port; }
    quint32 MaxMessageSize() const { return m_MaxMessageSize; }

    // The last received datagram.
    const QStringList &tokens() const { return m_tokens; }
    int tokenCount() const { return m_tokenCount; }
    const QByteArray &rawDatagram() const { return m_rawDatagram; }
    const QString &fromAddress() const { return m_fromAddress; } // dotted; empty before any
    quint16 fromPort() const { return m_fromPort; }

    // Failures: the Winsock code (an unmapped errno stays as it is), the text logged for it
    // ("[socket error : login] WSAEADDRINUSE (10048)"), and the rate limit's state.
    int lastError() const { return m_lastError; }
    const QString &errorText() const { return m_errorText; }
    int errorCount() const { return m_errorCount; }
    int errorLogThreshold() const { return m_errorLogThreshold; }
    // The handler's own "RecvFrom() failed." lines: an empty or over-long datagram is one too,
    // and a sender can make every datagram fail.
    CFailureLogLimit &handlerFailures() { return m_handlerFailures; }

signals:
    // A datagram waits; the receiver calls RecvFrom() once. Delivered on the owner's thread.
    void readyRead();

protected:
    // Splits the datagram of receivedBytes bytes now in the shared buffer; returns the number of
    // fields or records, 0 to drop it. This class keeps the whole text as the only field.
    virtual int TokenizeMessage(int receivedBytes);

    // The shared receive buffer: kReceiveBufferSize bytes and kReceiveTerminatorSize zero bytes.
    static char *receiveBuffer();
    // The received bytes converted from code page 932, up to the first NUL.
    static QString decodeReceived(int receivedBytes);

    QStringList m_tokens;

private:
    void onReadable(int fd);
    int openSocket(const char *where);
    // A shared socket on a broadcast address, tied to the adapter's interface. -1 on failure
    // (logged); the socket is then already closed.
    int openBroadcastSocket(const QString &address, const QByteArray &interfaceName,
                            QSocketNotifier *&notifier);
    // Discards the waiting datagrams that came in through another interface than the adapter's;
    // true when one from the adapter's interface (or a receive error) is next in the queue.
    bool dropForeign(int fd);
    bool isFiltered(int fd) const;
    bool bindSocket(int fd, const QString &address);
    bool registerSocket(int fd);
    void closeAll();
    void setError(int errnoValue);
    void setErrorCode(int code, int errnoValue);
    // The rate limit: failures 1 … 11, 20, 40, 80 … are logged.
    void countFailure(const char *where);

    QString m_fromAddress;
    quint16 m_fromPort = 0;
    int m_lastError = 0;
    QString m_errorText;
    int m_tokenCount = 0;
    bool m_isOpen = false;
    QString m_name;
    int m_socket = -1;          // own address: receives unicast, sends everything
    int m_broadcastSocket = -1; // subnet broadcast address: receives broadcasts only
    int m_limitedSocket = -1;   // 255.255.255.255: receives limited broadcasts only
    int m_interfaceIndex = 0;   // the adapter's interface; 0 when no interface holds bindAddress
    QString m_bindAddress;
    QString m_broadcastAddress;
    quint16 m_port = 0;
    quint32 m_MaxMessageSize = 0;
    int m_errorCount = 0;
    int m_errorLogThreshold = 0;
    QByteArray m_rawDatagram;
    CFailureLogLimit m_handlerFailures;
    QSocketNotifier *m_notifier = nullptr;
    QSocketNotifier *m_broadcastNotifier = nullptr;
    QSocketNotifier *m_limitedNotifier = nullptr;
    int m_readyFd = -1;      // the socket whose notification is being handled
    bool m_received = false; // whether the handler called RecvFrom during the notification
};
