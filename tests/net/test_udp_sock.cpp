// The datagram endpoints on loopback addresses of their own, each class's field split, and the
// choice of adapters.
#include "TestHome.h"

#include "core/CodePage932.h"
#include "net/CNetworkInterfaceAdapters.h"
#include "net/CSocketError.h"
#include "net/CUdpSockResponse.h"
#include "net/CUdpSockTavrin.h"

#include <QNetworkInterface>
#include <QtTest>

#include <cerrno>

using Info = CNetworkInterfaceAdapters::InterfaceInfo;
Q_DECLARE_METATYPE(Info)

namespace {

const QString kA = u"127.0.0.2"_qs;
const QString kB = u"127.0.0.3"_qs;
const QString kC = u"127.0.0.4"_qs;
const QString kBroadcast = u"127.255.255.255"_qs;
const QString kLimited = u"255.255.255.255"_qs;

// What a handler saw of one datagram.
struct Received
{
    bool ok = false;
    QString from;
    QStringList tokens;
    QByteArray raw;
};

// Everything an endpoint's handler saw, connected as the owner's handler would be: one RecvFrom
// per notification.
class Heard final : public QList<Received>
{
public:
    explicit Heard(CUdpSock &sock)
    {
        QObject::connect(&sock, &CUdpSock::readyRead, &sock, [this, &sock] {
            const bool ok = sock.RecvFrom();
            append({ok, sock.fromAddress(), sock.tokens().mid(0, sock.tokenCount()), sock.rawDatagram()});
        });
    }
    Q_DISABLE_COPY_MOVE(Heard)
};

qsizetype countLog(const QString &line)
{
    return operationLogLines().count(line);
}

Info::Address ipv4(const char *ip, const char *mask, const char *bcast = nullptr)
{
    return {QHostAddress(QLatin1String(ip)), QHostAddress(QLatin1String(mask)),
            bcast ? QHostAddress(QLatin1String(bcast)) : QHostAddress()};
}

Info interface(int index, const char *name, bool running, bool loopback, QList<Info::Address> addresses)
{
    Info info;
    info.index = index;
    info.humanReadableName = QLatin1String(name);
    info.isRunning = running;
    info.isLoopback = loopback;
    info.addresses = addresses;
    return info;
}

} // namespace

class TestUdpSock final : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_home = std::make_unique<TestHome>(); }
    void cleanup() { m_home.reset(); }

    void eachDestinationHeardOnce_data()
    {
        QTest::addColumn<QString>("destination");
        QTest::addColumn<QString>("receiverBroadcast");
        QTest::addColumn<int>("heardBack"); // copies of its own datagram the sender receives

        QTest::newRow("own address") << kB << kBroadcast << 0;
        QTest::newRow("subnet broadcast") << kBroadcast << kBroadcast << 1;
        QTest::newRow("limited broadcast") << kLimited << kBroadcast << 1;
        QTest::newRow("limited broadcast to an adapter whose broadcast it is") << kLimited << kLimited << 1;
    }

    void eachDestinationHeardOnce()
    {
        QFETCH(QString, destination);
        QFETCH(QString, receiverBroadcast);
        QFETCH(int, heardBack);
        const quint16 port = m_nextPort++;
        CUdpSock a(u"main"_qs, kA, kBroadcast, port);
        CUdpSock b(u"main"_qs, kB, receiverBroadcast, port);
        QVERIFY(a.isOpen() && b.isOpen());
        QCOMPARE(a.MaxMessageSize(), 1500u);
        Heard atA(a), atB(b);

        QVERIFY(a.SendString(destination, u"一度だけ"_qs));
        QTRY_COMPARE(atB.size(), 1);
        QCOMPARE(atB[0].from, kA);
        QCOMPARE(b.fromPort(), port);
        QCOMPARE(atB[0].tokens, QStringList{u"一度だけ"_qs});
        // A second copy would come right behind the first.
        QTest::qWait(150);
        QCOMPARE(atB.size(), 1);
        QCOMPARE(atA.size(), heardBack);
        for (const Received &r : std::as_const(atA))
            QCOMPARE(r.from, kA); // the handlers drop it by its source
        QVERIFY(operationLogLines().isEmpty());
    }

    void limitedBroadcastReachesEveryListeningEndpoint()
    {
        // Members on one host share the broadcast port; an endpoint that takes no broadcasts at
        // all does not take limited ones either.
        const quint16 port = 47229;
        CUdpSock sender(u"login"_qs, kA, QString(), port);
        CUdpSock b(u"login"_qs, kB, kBroadcast, port);
        CUdpSock c(u"login"_qs, kC, kBroadcast, port);
        Heard atSender(sender), atB(b), atC(c);
        QVERIFY(sender.SendTo(kLimited, "req"));
        QTRY_VERIFY(atB.size() == 1 && atC.size() == 1);
        QTest::qWait(150);
        QCOMPARE(atB.size(), 1);
        QCOMPARE(atC.size(), 1);
        QVERIFY(atSender.isEmpty());
        // Offline again: nothing of the endpoint listens any more, so a later login opens anew.
        b.Destroy();
        c.Destroy();
        QVERIFY(sender.SendTo(kLimited, "late"));
        QTest::qWait(150);
        QCOMPARE(atB.size(), 1);
        CUdpSock again(u"login"_qs, kB, kBroadcast, port);
        QVERIFY(again.isOpen());
    }

    void secondInstanceOnTheSamePortStaysClosed()
    {
        const quint16 port = 47213;
        CUdpSockTavrin first(u"tavrin"_qs, kA, kBroadcast, port, nullptr, nullptr);
        QVERIFY(first.isOpen());
        CUdpSockTavrin second(u"tavrin"_qs, kA, kBroadcast, port, nullptr, nullptr);
        QVERIFY(!second.isOpen());
        QCOMPARE(second.lastError(), CSocketError::WSAEADDRINUSE);
        QCOMPARE(second.errorText(), u"[socket error : tavrin] WSAEADDRINUSE (10048)"_qs);
        QCOMPARE(countLog(u"[socket error : tavrin] WSAEADDRINUSE (10048) in bind()"_qs), 1);
        QVERIFY(!second.SendTavrin(kB, u"H", u"x"));
        QCOMPARE(second.codec().messageCounter(), 0); // nothing was built
        // The first one is undisturbed and still hears broadcasts.
        Heard atFirst(first);
        CUdpSock other(u"tavrin"_qs, kB, kBroadcast, port);
        QVERIFY(other.SendTo(kBroadcast, QByteArray(28, 'x')));
        QTRY_COMPARE(atFirst.size(), 1);
        QCOMPARE(atFirst[0].from, kB);
    }

    void closedEndpointTouchesNoSocket()
    {
        CUdpSock sock(u"undo"_qs, kA, kBroadcast, 47214);
        QVERIFY(sock.isOpen());
        sock.Destroy();
        QVERIFY(!sock.isOpen());
        QVERIFY(!sock.RecvFrom());
        QVERIFY(!sock.SendTo(kB, "x"));
        QVERIFY(!sock.SendString(kB, u"x"_qs));
        QCOMPARE(sock.errorCount(), 0);
        sock.Destroy(); // a second destroy is harmless
        QVERIFY(operationLogLines().isEmpty());
        // The port is free again for the next login.
        CUdpSock again(u"undo"_qs, kA, kBroadcast, 47214);
        QVERIFY(again.isOpen());
    }

    void receiveBounds()
    {
        const quint16 port = 47215;
        CUdpSock a(u"main"_qs, kA, kBroadcast, port);
        CUdpSock b(u"main"_qs, kB, kBroadcast, port);
        Heard atB(b);
        // Over the buffer: dropped and counted. Exactly the buffer: whole. Empty: nothing to handle.
        QVERIFY(a.SendTo(kB, QByteArray(CUdpSock::kReceiveBufferSize + 1, 'x')));
        QVERIFY(a.SendTo(kB, QByteArray(CUdpSock::kReceiveBufferSize, 'y')));
        QVERIFY(a.SendTo(kB, QByteArray()));
        QTRY_COMPARE(atB.size(), 3);
        QVERIFY(!atB[0].ok);
        QVERIFY(atB[0].raw.isEmpty());
        QCOMPARE(countLog(u"[socket error : main] WSAEMSGSIZE (10040) in recvfrom()"_qs), 1);
        QVERIFY(atB[1].ok);
        QCOMPARE(atB[1].raw, QByteArray(CUdpSock::kReceiveBufferSize, 'y'));
        QVERIFY(!atB[2].ok);
        QCOMPARE(atB[2].tokens, QStringList{QString()});
        QCOMPARE(b.errorCount(), 1);
        QVERIFY(b.isOpen());
    }

    void sendFailuresLoggedUnderTheLimit()
    {
        CUdpSock a(u"monitor"_qs, kA, kBroadcast, 47218);
        QVERIFY(!a.SendTo(u"not-an-address"_qs, "x"));
        QCOMPARE(a.lastError(), CSocketError::WSAEINVAL);
        QCOMPARE(countLog(u"[socket error : monitor] WSAEINVAL (10022) in sendto()"_qs), 1);
        // Larger than any UDP datagram: the kernel refuses it before anything is sent.
        CUdpSock b(u"main"_qs, kA, kBroadcast, 47219);
        for (int failures = 1; failures <= 20; ++failures) {
            QVERIFY(!b.SendTo(kB, QByteArray(70000, 'z')));
            // Every failure up to the 11th is logged, then the 20th, 40th, 80th ...
            QCOMPARE(b.errorLogThreshold(), failures <= 10 ? failures : failures < 20 ? 20 : 40);
        }
        QCOMPARE(b.errorCount(), 20);
        QCOMPARE(countLog(u"[socket error : main] WSAEMSGSIZE (10040) in sendto()"_qs), 12);
        QVERIFY(b.isOpen());
    }

    void errorNames()
    {
        QCOMPARE(CSocketError::describeErrno(EAGAIN), u"WSAEWOULDBLOCK (10035)"_qs);
        // errno 6 must not pass for the Winsock code 6 (WSA_INVALID_HANDLE).
        QCOMPARE(CSocketError::describeErrno(ENXIO), u"(unknown) (%1)"_qs.arg(ENXIO));
        QCOMPARE(CSocketError::describe(6), u"WSA_INVALID_HANDLE (6)"_qs);
    }

    void fieldsOfEachClass()
    {
        // Each endpoint splits its datagrams as its message kind needs; commas inside a name or
        // a typed text survive in the middle field.
        const quint16 port = 47301;
        CUdpSock sender(u"sender"_qs, kA, QString(), port);
        CUdpSockResponse response(u"response"_qs, kB, kBroadcast, port);
        CUdpSock plain(u"main"_qs, kC, kBroadcast, port);
        Heard atResponse(response), atPlain(plain);
        const QByteArray name = CCodePage932::encode(u"山田,花子");
        QVERIFY(sender.SendTo(kB, "10.0.0.1,10.0.0.2," + name + ",Ful"));
        QVERIFY(sender.SendTo(kC, QByteArray("a,b,c\0def", 9)));
        QTRY_VERIFY(atResponse.size() == 1 && atPlain.size() == 1);
        QCOMPARE(atResponse[0].tokens,
                 (QStringList{u"10.0.0.1"_qs, u"10.0.0.2"_qs, u"山田,花子"_qs, u"Ful"_qs}));
        QCOMPARE(atPlain[0].tokens, QStringList{u"a,b,c"_qs});
        QCOMPARE(atPlain[0].raw, QByteArray("a,b,c\0def", 9));
    }

    void selectAdapters_data()
    {
        QTest::addColumn<QList<Info>>("interfaces");
        QTest::addColumn<QStringList>("expected"); // index|description|address|broadcast

        QTest::newRow("broadcast computed from the mask")
            << QList<Info>{interface(3, "wlan0", true, false, {ipv4("198.18.1.130", "255.255.255.192")})}
            << QStringList{u"3|wlan0|198.18.1.130|198.18.1.191"_qs};
        QTest::newRow("two addresses, the broadcast given or computed")
            << QList<Info>{interface(
                   2, "eth0", true, false,
                   {ipv4("198.18.0.5", "255.255.0.0", "198.18.0.255"), ipv4("198.19.7.1", "255.255.0.0")})}
            << QStringList{u"2|eth0|198.18.0.5|198.18.0.255"_qs, u"2|eth0|198.19.7.1|198.19.255.255"_qs};
        QTest::newRow("loopback, disconnected and IPv6 left out")
            << QList<Info>{interface(1, "lo", true, true, {ipv4("127.0.0.1", "255.0.0.0")}),
                           interface(4, "eth1", false, false, {ipv4("198.18.2.5", "255.255.255.0")}),
                           interface(2, "eth0", true, false,
                                     {{QHostAddress(u"fe80::1"_qs), QHostAddress(), QHostAddress()},
                                      ipv4("198.18.0.5", "255.255.255.0")})}
            << QStringList{u"2|eth0|198.18.0.5|198.18.0.255"_qs};
        QTest::newRow("no interfaces") << QList<Info>{} << QStringList{};
    }

    void selectAdapters()
    {
        QFETCH(QList<Info>, interfaces);
        QFETCH(QStringList, expected);
        QStringList got;
        for (const AdapterEntry &e : CNetworkInterfaceAdapters::select(interfaces))
            got << u"%1|%2|%3|%4"_qs.arg(e.interfaceIndex).arg(e.description, e.address, e.broadcastAddress);
        QCOMPARE(got, expected);
    }

    void realAdaptersNeverIncludeLoopback()
    {
        // Only reads the list; nothing here binds to or sends through an adapter.
        for (const AdapterEntry &entry : CNetworkInterfaceAdapters().adapters()) {
            const QHostAddress address(entry.address);
            QCOMPARE(address.protocol(), QAbstractSocket::IPv4Protocol);
            QVERIFY2(!address.isLoopback(), qPrintable(entry.address));
            QVERIFY(QNetworkInterface::interfaceFromIndex(entry.interfaceIndex)
                        .flags()
                        .testFlag(QNetworkInterface::IsRunning));
            QVERIFY(!QHostAddress(entry.broadcastAddress).isNull());
        }
    }

private:
    std::unique_ptr<TestHome> m_home;
    quint16 m_nextPort = 47221;
};

QTEST_GUILESS_MAIN(TestUdpSock)
#include "test_udp_sock.moc"
