#include "LoopbackMembers.h"
#include "TestHome.h"

#include "core/CodePage932.h"
#include "net/CSocketError.h"
#include "net/CUdpSock.h"

#include <QList>
#include <QtTest>

#include <cerrno>

using namespace LoopbackMembers;

namespace {

// What a handler saw of one datagram.
struct Received
{
    bool ok = false;
    QString from;
    QStringList tokens;
    QByteArray raw;
};

// Connects the endpoint as the owner's handler would: one RecvFrom per notification.
void listen(CUdpSock &sock, QList<Received> &into)
{
    QObject::connect(&sock, &CUdpSock::readyRead, &sock, [&sock, &into] {
        Received r;
        r.ok = sock.RecvFrom();
        r.from = sock.fromAddress();
        r.tokens = sock.tokens();
        r.raw = sock.rawDatagram();
        into.append(r);
    });
}

int countLines(const QString &line)
{
    return static_cast<int>(operationLogLines().count(line));
}

} // namespace

class TestUdpSock final : public QObject
{
    Q_OBJECT

private slots:
    void unicastAndBroadcastReachTheHandler();
    void everyMemberHearsABroadcast();
    void secondInstanceOnTheSamePortStaysClosed();
    void closedEndpointTouchesNoSocket();
    void overlongDatagramIsDropped();
    void emptyDatagram();
    void codePage932RoundTrip();
    void invalidDestinationFails();
    void rateLimit_data();
    void rateLimit();
    void maxMessageSize();
    void errorNames_data();
    void errorNames();
};

void TestUdpSock::unicastAndBroadcastReachTheHandler()
{
    const quint16 port = 47211;
    CUdpSock a(QStringLiteral("main"), memberA(), broadcast(), port);
    CUdpSock b(QStringLiteral("main"), memberB(), broadcast(), port);
    QVERIFY(a.isOpen());
    QVERIFY(b.isOpen());
    QList<Received> atB;
    listen(b, atB);

    QVERIFY(a.SendTo(memberB(), "to b"));
    QTRY_COMPARE(atB.size(), 1);
    QVERIFY(atB[0].ok);
    QCOMPARE(atB[0].from, memberA());
    QCOMPARE(atB[0].tokens, QStringList{QStringLiteral("to b")});
    QCOMPARE(b.fromPort(), port);

    QVERIFY(a.SendTo(broadcast(), "to all"));
    QTRY_COMPARE(atB.size(), 2);
    QVERIFY(atB[1].ok);
    QCOMPARE(atB[1].from, memberA());
    QCOMPARE(atB[1].raw, QByteArray("to all"));
}

void TestUdpSock::everyMemberHearsABroadcast()
{
    const quint16 port = 47212;
    CUdpSock a(QStringLiteral("chat"), memberA(), broadcast(), port);
    CUdpSock b(QStringLiteral("chat"), memberB(), broadcast(), port);
    CUdpSock c(QStringLiteral("chat"), memberC(), broadcast(), port);
    QList<Received> atA, atB, atC;
    listen(a, atA);
    listen(b, atB);
    listen(c, atC);

    QVERIFY(a.SendString(broadcast(), QStringLiteral("全員へ")));
    QTRY_COMPARE(atB.size(), 1);
    QTRY_COMPARE(atC.size(), 1);
    // The sender hears its own broadcast too; only the source address tells it apart.
    QTRY_COMPARE(atA.size(), 1);
    for (const QList<Received> *got : {&atA, &atB, &atC}) {
        QCOMPARE(got->first().from, memberA());
        QCOMPARE(got->first().tokens, QStringList{QStringLiteral("全員へ")});
    }
}

void TestUdpSock::secondInstanceOnTheSamePortStaysClosed()
{
    TestHome home;
    const quint16 port = 47213;
    CUdpSock first(QStringLiteral("login"), memberA(), broadcast(), port);
    QVERIFY(first.isOpen());
    CUdpSock second(QStringLiteral("login"), memberA(), broadcast(), port);
    QVERIFY(!second.isOpen());
    QCOMPARE(second.lastError(), CSocketError::WSAEADDRINUSE);
    QCOMPARE(second.errorText(), QStringLiteral("[socket error : login] WSAEADDRINUSE (10048)"));
    QCOMPARE(countLines(QStringLiteral("[socket error : login] WSAEADDRINUSE (10048) in bind()")), 1);
    QVERIFY(!second.SendTo(memberB(), "x"));
    QVERIFY(!second.RecvFrom());
    // The first one is undisturbed and still hears broadcasts.
    QList<Received> atFirst;
    listen(first, atFirst);
    CUdpSock other(QStringLiteral("login"), memberB(), broadcast(), port);
    QVERIFY(other.SendTo(broadcast(), "hello"));
    QTRY_COMPARE(atFirst.size(), 1);
    QCOMPARE(atFirst[0].from, memberB());
}

void TestUdpSock::closedEndpointTouchesNoSocket()
{
    TestHome home;
    CUdpSock sock(QStringLiteral("undo"), memberA(), broadcast(), 47214);
    QVERIFY(sock.isOpen());
    sock.Destroy();
    QVERIFY(!sock.isOpen());
    QVERIFY(!sock.RecvFrom());
    QVERIFY(!sock.SendTo(memberB(), "x"));
    QVERIFY(!sock.SendString(memberB(), QStringLiteral("x")));
    QCOMPARE(sock.errorCount(), 0);
    QCOMPARE(sock.lastError(), 0);
    sock.Destroy(); // a second destroy is harmless
    QVERIFY(operationLogLines().isEmpty());

    // The port is free again for the next login.
    CUdpSock again(QStringLiteral("undo"), memberA(), broadcast(), 47214);
    QVERIFY(again.isOpen());
}

void TestUdpSock::overlongDatagramIsDropped()
{
    TestHome home;
    const quint16 port = 47215;
    CUdpSock a(QStringLiteral("main"), memberA(), broadcast(), port);
    CUdpSock b(QStringLiteral("main"), memberB(), broadcast(), port);
    QList<Received> atB;
    listen(b, atB);

    QVERIFY(a.SendTo(memberB(), QByteArray(5000, 'x')));
    QTRY_COMPARE(atB.size(), 1);
    QVERIFY(!atB[0].ok);
    QVERIFY(atB[0].raw.isEmpty());
    QCOMPARE(b.lastError(), CSocketError::WSAEMSGSIZE);
    QCOMPARE(b.errorCount(), 1);
    QCOMPARE(countLines(QStringLiteral("[socket error : main] WSAEMSGSIZE (10040) in recvfrom()")), 1);

    // Exactly the buffer's size still arrives whole, and the endpoint stays open.
    const QByteArray full(CUdpSock::kReceiveBufferSize, 'y');
    QVERIFY(a.SendTo(memberB(), full));
    QTRY_COMPARE(atB.size(), 2);
    QVERIFY(atB[1].ok);
    QCOMPARE(atB[1].raw, full);
    QVERIFY(b.isOpen());
}

void TestUdpSock::emptyDatagram()
{
    const quint16 port = 47216;
    CUdpSock a(QStringLiteral("main"), memberA(), broadcast(), port);
    CUdpSock b(QStringLiteral("main"), memberB(), broadcast(), port);
    QList<Received> atB;
    listen(b, atB);

    QVERIFY(a.SendTo(memberB(), QByteArray()));
    QTRY_COMPARE(atB.size(), 1);
    QVERIFY(!atB[0].ok); // nothing to handle
    QCOMPARE(b.tokenCount(), 1);
    QCOMPARE(atB[0].tokens, QStringList{QString()});
    QCOMPARE(b.errorCount(), 0);
}

void TestUdpSock::codePage932RoundTrip()
{
    const quint16 port = 47217;
    CUdpSock a(QStringLiteral("pft-former"), memberA(), broadcast(), port);
    CUdpSock b(QStringLiteral("pft-former"), memberB(), broadcast(), port);
    QList<Received> atB;
    listen(b, atB);

    const QString text = QStringLiteral("要約筆記、ＡＢＣ,ｶﾅ,~\\");
    QVERIFY(a.SendString(memberB(), text));
    QVERIFY(a.SendString(memberB(), QStringLiteral("$消去$")));
    QTRY_COMPARE(atB.size(), 2);
    QCOMPARE(atB[0].tokens, QStringList{text});
    QCOMPARE(atB[0].raw, CCodePage932::encode(text));
    // Pre-roll receivers compare the marker as raw bytes.
    QCOMPARE(atB[1].raw, QByteArray("\x24\x8F\xC1\x8B\x8E\x24"));
}

void TestUdpSock::invalidDestinationFails()
{
    TestHome home;
    CUdpSock a(QStringLiteral("monitor"), memberA(), broadcast(), 47218);
    QVERIFY(!a.SendTo(QStringLiteral("not-an-address"), "x"));
    QCOMPARE(a.lastError(), CSocketError::WSAEINVAL);
    QCOMPARE(countLines(QStringLiteral("[socket error : monitor] WSAEINVAL (10022) in sendto()")), 1);
    QVERIFY(a.isOpen());
}

void TestUdpSock::rateLimit_data()
{
    QTest::addColumn<int>("failures");
    QTest::addColumn<int>("logged");
    QTest::addColumn<int>("threshold");
    QTest::newRow("first") << 1 << 1 << 1;
    QTest::newRow("every one up to 11") << 11 << 11 << 20;
    QTest::newRow("12 to 19 are quiet") << 19 << 11 << 20;
    QTest::newRow("20th") << 20 << 12 << 40;
    QTest::newRow("25") << 25 << 12 << 40;
    QTest::newRow("40th") << 40 << 13 << 80;
    QTest::newRow("80th") << 80 << 14 << 160;
}

void TestUdpSock::rateLimit()
{
    QFETCH(int, failures);
    QFETCH(int, logged);
    QFETCH(int, threshold);
    TestHome home;
    CUdpSock a(QStringLiteral("main"), memberA(), broadcast(), 47219);
    QVERIFY(a.isOpen());
    // Larger than any UDP datagram: the kernel refuses it before anything is sent.
    const QByteArray tooLong(70000, 'z');
    for (int i = 0; i < failures; ++i)
        QVERIFY(!a.SendTo(memberB(), tooLong));
    QCOMPARE(a.errorCount(), failures);
    QCOMPARE(a.errorLogThreshold(), threshold);
    QCOMPARE(countLines(QStringLiteral("[socket error : main] WSAEMSGSIZE (10040) in sendto()")), logged);
    QVERIFY(a.isOpen());
}

void TestUdpSock::maxMessageSize()
{
    CUdpSock a(QStringLiteral("main-gross"), memberA(), QString(), 47220);
    QVERIFY(a.isOpen());
    QCOMPARE(a.MaxMessageSize(), 1500u);
    QCOMPARE(a.name(), QStringLiteral("main-gross"));
    QCOMPARE(a.bindAddress(), memberA());
    QCOMPARE(a.port(), quint16(47220));
}

void TestUdpSock::errorNames_data()
{
    QTest::addColumn<int>("errnoValue");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("EADDRINUSE") << EADDRINUSE << 10048 << QStringLiteral("WSAEADDRINUSE (10048)");
    QTest::newRow("EWOULDBLOCK") << EWOULDBLOCK << 10035 << QStringLiteral("WSAEWOULDBLOCK (10035)");
    QTest::newRow("EAGAIN") << EAGAIN << 10035 << QStringLiteral("WSAEWOULDBLOCK (10035)");
    QTest::newRow("EACCES") << EACCES << 10013 << QStringLiteral("WSAEACCES (10013)");
    QTest::newRow("EMSGSIZE") << EMSGSIZE << 10040 << QStringLiteral("WSAEMSGSIZE (10040)");
    QTest::newRow("EADDRNOTAVAIL") << EADDRNOTAVAIL << 10049 << QStringLiteral("WSAEADDRNOTAVAIL (10049)");
    QTest::newRow("ENETUNREACH") << ENETUNREACH << 10051 << QStringLiteral("WSAENETUNREACH (10051)");
    QTest::newRow("EHOSTUNREACH") << EHOSTUNREACH << 10065 << QStringLiteral("WSAEHOSTUNREACH (10065)");
    QTest::newRow("ECONNREFUSED") << ECONNREFUSED << 10061 << QStringLiteral("WSAECONNREFUSED (10061)");
    QTest::newRow("EINVAL") << EINVAL << 10022 << QStringLiteral("WSAEINVAL (10022)");
    QTest::newRow("EBADF") << EBADF << 10038 << QStringLiteral("WSAENOTSOCK (10038)");
    QTest::newRow("ENOTSOCK") << ENOTSOCK << 10038 << QStringLiteral("WSAENOTSOCK (10038)");
    QTest::newRow("ENOBUFS") << ENOBUFS << 10055 << QStringLiteral("WSAENOBUFS (10055)");
    QTest::newRow("EINTR") << EINTR << 10004 << QStringLiteral("WSAEINTR (10004)");
    QTest::newRow("EFAULT") << EFAULT << 10014 << QStringLiteral("WSAEFAULT (10014)");
    QTest::newRow("EMFILE") << EMFILE << 10024 << QStringLiteral("WSAEMFILE (10024)");
    QTest::newRow("unmapped") << ENOENT << ENOENT << QStringLiteral("(unknown) (%1)").arg(ENOENT);
    // errno 6 must not pass for the Winsock code 6 (WSA_INVALID_HANDLE).
    QTest::newRow("unmapped small") << ENXIO << ENXIO << QStringLiteral("(unknown) (%1)").arg(ENXIO);
}

void TestUdpSock::errorNames()
{
    QFETCH(int, errnoValue);
    QFETCH(int, code);
    QFETCH(QString, text);
    QCOMPARE(CSocketError::fromErrno(errnoValue), code);
    QCOMPARE(CSocketError::describeErrno(errnoValue), text);
    QCOMPARE(CSocketError::describe(12345), QStringLiteral("(unknown) (12345)"));
    QCOMPARE(CSocketError::describe(6), QStringLiteral("WSA_INVALID_HANDLE (6)"));
}

QTEST_GUILESS_MAIN(TestUdpSock)
#include "test_udp_sock.moc"
