#include "FakeClock.h"
#include "FakeRecordHistory.h"
#include "LoopbackMembers.h"
#include "TestHome.h"

#include "core/CodePage932.h"
#include "net/CEndpointTable.h"
#include "net/CUdpSock.h"
#include "net/CUdpSockLogin.h"
#include "net/CUdpSockMonitor.h"
#include "net/CUdpSockResponse.h"
#include "net/CUdpSockTavrin.h"

#include <QtTest>

#include <memory>

using namespace LoopbackMembers;

namespace {

std::unique_ptr<CUdpSock> makeEndpoint(CEndpointTable::Class socketClass, const QString &address, quint16 port)
{
    const QString bcast = broadcast();
    switch (socketClass) {
    case CEndpointTable::Class::Login:
        return std::make_unique<CUdpSockLogin>(QStringLiteral("login"), address, bcast, port);
    case CEndpointTable::Class::Response:
        return std::make_unique<CUdpSockResponse>(QStringLiteral("response"), address, bcast, port);
    case CEndpointTable::Class::Monitor:
        return std::make_unique<CUdpSockMonitor>(QStringLiteral("monitor"), address, bcast, port);
    case CEndpointTable::Class::Tavrin:
        return std::make_unique<CUdpSockTavrin>(QStringLiteral("tavrin"), address, bcast, port, nullptr, nullptr);
    case CEndpointTable::Class::Plain:
        break;
    }
    return std::make_unique<CUdpSock>(QStringLiteral("main"), address, bcast, port);
}

// Receives on sock until `count` datagrams were handled; each handled datagram's fields go to into.
void collect(CUdpSock &sock, QList<QStringList> &into)
{
    QObject::connect(&sock, &CUdpSock::readyRead, &sock, [&sock, &into] {
        if (sock.RecvFrom())
            into.append(sock.tokens().mid(0, sock.tokenCount()));
    });
}

} // namespace

class TestUdpSockClasses final : public QObject
{
    Q_OBJECT

private slots:
    void tokenize_data();
    void tokenize();
    void formattedSends();
    void nativeRoundTrip();
    void nativeOtherGroupIsDropped();
    void nativeClosedEndpoint();
    void endpointTable();

private:
    quint16 m_nextPort = 47301;
};

void TestUdpSockClasses::tokenize_data()
{
    using C = CEndpointTable::Class;
    QTest::addColumn<C>("socketClass");
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QStringList>("expected");

    const QString name = QStringLiteral("山田,花子");
    const QByteArray nameBytes = CCodePage932::encode(name);
    QTest::newRow("login, name with a comma")
        << C::Login << QByteArray("127.0.0.2," + nameBytes + ",Req,1")
        << QStringList{QStringLiteral("127.0.0.2"), name, QStringLiteral("Req"), QStringLiteral("1")};
    QTest::newRow("login, too few commas") << C::Login << QByteArray("a,b")
                                           << QStringList{QStringLiteral("a"), QStringLiteral("b")};
    QTest::newRow("response Ans")
        << C::Response << QByteArray("10.0.0.1,10.0.0.2," + nameBytes + ",Ans")
        << QStringList{QStringLiteral("10.0.0.1"), QStringLiteral("10.0.0.2"), name, QStringLiteral("Ans")};
    QTest::newRow("response Ful") << C::Response << QByteArray("a,b,c,Ful")
                                  << QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
                                                 QStringLiteral("Ful")};
    QTest::newRow("monitor text with commas")
        << C::Monitor << QByteArray("127.0.0.2,one, two,,three")
        << QStringList{QStringLiteral("127.0.0.2"), QStringLiteral("one, two,,three")};
    QTest::newRow("logoff") << C::Monitor << QByteArray("127.0.0.2," + nameBytes + "," + CCodePage932::encode(u"離脱"))
                            << QStringList{QStringLiteral("127.0.0.2"), name + QStringLiteral(",離脱")};
    QTest::newRow("monitor, no comma") << C::Monitor << QByteArray("abc") << QStringList{QStringLiteral("abc")};
    QTest::newRow("plain keeps commas") << C::Plain << QByteArray("a,b,c") << QStringList{QStringLiteral("a,b,c")};
    QTest::newRow("plain ends at NUL") << C::Plain << QByteArray("abc\0def", 7) << QStringList{QStringLiteral("abc")};
}

void TestUdpSockClasses::tokenize()
{
    QFETCH(CEndpointTable::Class, socketClass);
    QFETCH(QByteArray, payload);
    QFETCH(QStringList, expected);
    const quint16 port = m_nextPort++;
    CUdpSock sender(QStringLiteral("sender"), memberA(), QString(), port);
    const std::unique_ptr<CUdpSock> receiver = makeEndpoint(socketClass, memberB(), port);
    QVERIFY(receiver->isOpen());
    QList<QStringList> got;
    collect(*receiver, got);

    QVERIFY(sender.SendTo(memberB(), payload));
    QTRY_COMPARE(got.size(), 1);
    QCOMPARE(got.first(), expected);
    QCOMPARE(receiver->tokenCount(), expected.size());
    QCOMPARE(receiver->rawDatagram(), payload);
}

void TestUdpSockClasses::formattedSends()
{
    const quint16 base = 47331;
    CUdpSockLogin loginA(QStringLiteral("login"), memberA(), broadcast(), base);
    CUdpSockLogin loginB(QStringLiteral("login"), memberB(), broadcast(), base);
    CUdpSockResponse responseA(QStringLiteral("response"), memberA(), broadcast(), base + 1);
    CUdpSockResponse responseB(QStringLiteral("response"), memberB(), broadcast(), base + 1);
    CUdpSockMonitor monitorA(QStringLiteral("logoff"), memberA(), broadcast(), base + 2);
    CUdpSockMonitor monitorB(QStringLiteral("logoff"), memberB(), broadcast(), base + 2);
    QList<QStringList> logins, responses, monitors;
    collect(loginB, logins);
    collect(responseB, responses);
    collect(monitorB, monitors);

    QVERIFY(loginA.SendLogin(broadcast(), QStringLiteral("鈴木, 一郎"), 3));
    QTRY_COMPARE(logins.size(), 1);
    QCOMPARE(logins[0], (QStringList{memberA(), QStringLiteral("鈴木, 一郎"), QStringLiteral("Req"), QStringLiteral("3")}));

    QVERIFY(responseA.SendResponse(memberB(), memberB(), QStringLiteral("a,b")));
    QVERIFY(responseA.SendResponse(memberB(), memberB(), QStringLiteral("c"), CSharedProtocol::Answer::Full));
    QTRY_COMPARE(responses.size(), 2);
    QCOMPARE(responses[0], (QStringList{memberA(), memberB(), QStringLiteral("a,b"), QStringLiteral("Ans")}));
    QCOMPARE(responses[1], (QStringList{memberA(), memberB(), QStringLiteral("c"), QStringLiteral("Ful")}));

    QVERIFY(monitorA.SendMonitor(memberB(), QStringLiteral("入力中,です")));
    QVERIFY(monitorA.SendLogoff(memberB(), QStringLiteral("佐藤")));
    QTRY_COMPARE(monitors.size(), 2);
    QCOMPARE(monitors[0], (QStringList{memberA(), QStringLiteral("入力中,です")}));
    QCOMPARE(monitors[1], (QStringList{memberA(), QStringLiteral("佐藤,離脱")}));
}

void TestUdpSockClasses::nativeRoundTrip()
{
    FakeClock clock(12 * 3600 * 1000);
    FakeRecordHistory captions;
    const quint16 port = 47341;
    CUdpSockTavrin a(QStringLiteral("tavrin"), memberA(), broadcast(), port, &captions, nullptr);
    CUdpSockTavrin b(QStringLiteral("tavrin"), memberB(), broadcast(), port, nullptr, nullptr);
    QVERIFY(a.isOpen());
    QCOMPARE(a.group(), 1);
    QList<QList<TavrinRecord>> got;
    QList<quint32> sendTimes;
    QObject::connect(&b, &CUdpSock::readyRead, &b, [&] {
        if (b.RecvFrom() && b.tokenCount() > 0) {
            got.append(b.records());
            sendTimes.append(b.receivedSendTime());
        }
    });

    quint32 sent = 0;
    QVERIFY(a.SendTavrin(broadcast(), u"D", u"字幕の一行", &sent));
    QTRY_COMPARE(got.size(), 1);
    QCOMPARE(sendTimes[0], sent);
    QCOMPARE(got[0].size(), 1);
    QCOMPARE(got[0][0].kind, qint32('D'));
    QCOMPARE(got[0][0].text, QStringLiteral("字幕の一行"));
    QCOMPARE(got[0][0].address, memberA());
    QCOMPARE(b.tokens(), QStringList());
    // UTF-16LE on the wire: the group letter comes first.
    QCOMPARE(b.rawDatagram().left(2), QByteArray("A\0", 2));

    // A pre-roll datagram carries the other half as a companion record.
    QVERIFY(a.SendTavrin(memberB(), u"A", u"前半\r\n", nullptr, QStringView(u"後半\r\n")));
    QTRY_COMPARE(got.size(), 2);
    QCOMPARE(got[1].size(), 2);
    QCOMPARE(got[1][1].kind, qint32('B'));
    QCOMPARE(got[1][1].text, QStringLiteral("後半\r\n"));
    QCOMPARE(got[1][1].address, memberA());
}

void TestUdpSockClasses::nativeOtherGroupIsDropped()
{
    const quint16 port = 47342;
    CUdpSockTavrin a(QStringLiteral("tavrin"), memberA(), broadcast(), port, nullptr, nullptr);
    CUdpSockTavrin b(QStringLiteral("tavrin"), memberB(), broadcast(), port, nullptr, nullptr);
    a.setGroup(2);
    QList<int> counts;
    QObject::connect(&b, &CUdpSock::readyRead, &b, [&] {
        QVERIFY(b.RecvFrom()); // bytes arrived, ...
        counts.append(b.tokenCount());
    });
    QVERIFY(a.SendTavrin(memberB(), u"H", u"name"));
    QTRY_COMPARE(counts.size(), 1);
    QCOMPARE(counts[0], 0); // ... but not for this group
    QVERIFY(b.records().isEmpty());

    b.setGroup(2);
    QVERIFY(a.SendTavrin(memberB(), u"H", u"name"));
    QTRY_COMPARE(counts.size(), 2);
    QCOMPARE(counts[1], 1);
    QCOMPARE(b.rawDatagram().left(2), QByteArray("B\0", 2));
}

void TestUdpSockClasses::nativeClosedEndpoint()
{
    TestHome home;
    const quint16 port = 47343;
    CUdpSockTavrin a(QStringLiteral("tavrin"), memberA(), broadcast(), port, nullptr, nullptr);
    CUdpSockTavrin clash(QStringLiteral("tavrin"), memberA(), broadcast(), port, nullptr, nullptr);
    QVERIFY(!clash.isOpen());
    QVERIFY(operationLogLines().contains(QStringLiteral("[socket error : tavrin] WSAEADDRINUSE (10048) in bind()")));
    QVERIFY(!clash.SendTavrin(memberB(), u"H", u"x"));
    QCOMPARE(clash.codec().messageCounter(), 0); // nothing was built
}

void TestUdpSockClasses::endpointTable()
{
    QCOMPARE(CEndpointTable::kCount, 11);
    QCOMPARE(CEndpointTable::endpoint(CPortTable::Kind::Login).name, QLatin1String("login"));
    QCOMPARE(CEndpointTable::endpoint(CPortTable::Kind::Native).referenceName, QLatin1String("pSockTavrin"));
    QCOMPARE(CEndpointTable::endpoint(CPortTable::Kind::Logoff).socketClass, CEndpointTable::Class::Monitor);
    // Creation order of going online: login first, the native endpoint last.
    QCOMPARE(CEndpointTable::kEndpoints[0].kind, CPortTable::Kind::Login);
    QCOMPARE(CEndpointTable::kEndpoints[4].name, QLatin1String("chat"));
    QCOMPARE(CEndpointTable::kEndpoints[5].name, QLatin1String("logoff"));
    QCOMPARE(CEndpointTable::kEndpoints[10].kind, CPortTable::Kind::Native);
    QCOMPARE(CEndpointTable::port(CPortTable::Kind::Main, 3), quint16(6911));
    QCOMPARE(CEndpointTable::port(CPortTable::Kind::PftFormer, 3), quint16(6935));
    QCOMPARE(CEndpointTable::port(CPortTable::Kind::Native, 3), quint16(6635));
}

QTEST_GUILESS_MAIN(TestUdpSockClasses)
#include "test_udp_sock_classes.moc"
