// Broken, truncated and endless input from a peer on every endpoint of a member online on
// loopback: the member must not crash, store half a record, grow without bound, or log more
// than the receive path defines and its limits allow.
#include "NetFixture.h"

#include "net/CUdpSock.h"

#include <QtTest>

// Loopback addresses 127.0.91.x and channel 10 belong to this executable.
namespace {

const int kChannel = 10;
using Kind = CPortTable::Kind;
QString addr(int host)
{
    return u"127.0.91.%1"_qs.arg(host);
}

// Counts the datagrams an endpoint has handled from one sender. Connected after the member's own
// handler, so once the count moves the handler is done with the datagram, even when it stored
// and logged nothing.
class HandledFrom final
{
public:
    HandledFrom(CUdpSock *sock, const QString &from)
    {
        m_connection = QObject::connect(sock, &CUdpSock::readyRead, sock,
                                        [this, sock, from] { count += sock->fromAddress() == from ? 1 : 0; });
    }
    ~HandledFrom() { QObject::disconnect(m_connection); }
    Q_DISABLE_COPY_MOVE(HandledFrom)
    int count = 0;

private:
    QMetaObject::Connection m_connection;
};

} // namespace

class TestHostilePeer final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { ContinuousTime::Initialize(); }
    void init() { m_home = std::make_unique<TestHome>(); }
    void cleanup() { m_home.reset(); }

    void badSharedDatagram_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<bool>("introduced");
        QTest::addColumn<QStringList>("log");

        const struct
        {
            Kind kind;
            const char *handler;
        } handlers[] = {{Kind::Login, "OnSockLogin"},         {Kind::Response, "OnSockResponse"},
                        {Kind::Main, "OnSockMain"},           {Kind::Monitor, "OnSockMonitor"},
                        {Kind::Logoff, "OnSockLogoff"},       {Kind::Chat, "OnSockChat"},
                        {Kind::PftFormer, "OnSockPftFormer"}, {Kind::PftLatter, "OnSockPftLatter"},
                        {Kind::Undo, "OnSockUndo"},           {Kind::MainGross, "OnSockMainGross"},
                        {Kind::Native, "OnSockTavrin"}};
        for (const auto &h : handlers) {
            const QString endpoint = QString(CEndpointTable::endpoint(h.kind).name);
            const QString failed = u"CMainWindow::%1() RecvFrom() failed."_qs.arg(QLatin1String(h.handler));
            QTest::addRow("empty %s", h.handler)
                << int(h.kind) << QByteArray() << true << QStringList{failed};
            QTest::addRow("over-long %s", h.handler)
                << int(h.kind) << QByteArray(4097, 'x') << true
                << QStringList{u"[socket error : %1] WSAEMSGSIZE (10040) in recvfrom()"_qs.arg(endpoint),
                               failed};
        }
        QTest::newRow("native lower-case kind")
            << int(Kind::Native) << NetPeer::native(1, 12345678, u'd', u"caption"_qs) << true
            << QStringList{u"Illegal packet from 127.0.91.9 : 0"_qs};
        QTest::newRow("native letter nobody handles")
            << int(Kind::Native) << NetPeer::native(1, 12345678, u'Z', u"zz"_qs) << true << QStringList();
        // Too few fields for the handler: ignored without a word.
        QTest::newRow("login without group")
            << int(Kind::Login) << sjis(addr(9) + u",quo,Req"_qs) << false << QStringList();
        QTest::newRow("response without Ans")
            << int(Kind::Response) << sjis(addr(9) + QLatin1Char(',') + addr(2) + u",quo"_qs) << false
            << QStringList();
        QTest::newRow("monitor without comma")
            << int(Kind::Monitor) << sjis(u"typing"_qs) << true << QStringList();
        QTest::newRow("monitor text after NUL")
            << int(Kind::Monitor) << (sjis(addr(9)) + QByteArray("\0,typing", 8)) << true << QStringList();
    }

    void badSharedDatagram()
    {
        QFETCH(int, kind);
        QFETCH(QByteArray, datagram);
        QFETCH(bool, introduced);
        QFETCH(QStringList, log);
        NetMember bob(u"bob"_qs, addr(2), kChannel);
        NetPeer quorel(addr(9), kChannel);
        QVERIFY(bob.login());
        if (introduced)
            QVERIFY(quorel.introduceTo(bob));
        const int members = bob.members.count();
        CUdpSock *sock = bob.net().endpoint(Kind(kind));
        const int errorsBefore = sock->errorCount();
        HandledFrom handled(sock, addr(9));
        const qsizetype mark = operationLogLines().size();

        QVERIFY(quorel.send(Kind(kind), addr(2), datagram));
        QTRY_COMPARE(handled.count, 1);
        QCOMPARE(operationLogLines().mid(mark), log);
        QCOMPARE(sock->errorCount() - errorsBefore, datagram.size() > CUdpSock::kReceiveBufferSize ? 1 : 0);
        QCOMPARE(bob.members.count(), members);
        QCOMPARE(bob.captions.count() + bob.contacts.count() + bob.contactLines.size(), 0);
        QVERIFY(bob.pft.former(addr(9)).isEmpty() && bob.pft.latter(addr(9)).isEmpty());
        if (const CMemberEntry *peer = bob.members.find(addr(9)))
            QVERIFY(peer->strInput.isEmpty());
    }

    void grossBlockWithoutEndKeepsOnlyWhatTheStoreHolds()
    {
        NetMember alice(u"alice"_qs, addr(1), kChannel);
        NetPeer quorel(addr(9), kChannel);
        QVERIFY(alice.login());
        const int capacity = alice.captions.dataMax();
        QCOMPARE(capacity, 200);

        // Far more lines than the store keeps, the end marker only at the very end.
        const int total = capacity + 60;
        for (int i = 0; i < total; ++i) {
            QVERIFY(quorel.send(Kind::MainGross, addr(1), sjis(u"g%1"_qs.arg(i))));
            if (i % 50 == 49)
                QTest::qWait(20); // let the member drain its socket
        }
        QVERIFY(quorel.send(Kind::MainGross, addr(1), CSharedProtocol::blockEnd().toByteArray()));
        QTRY_COMPARE(alice.goLasts, 1);

        // The newest lines of the block, as many as the store holds, each logged once.
        QStringList expected;
        for (int i = total - capacity; i < total; ++i)
            expected.append(u"g%1"_qs.arg(i));
        QCOMPARE(alice.shown(), expected);
        QCOMPARE(alice.displayLogged, expected);
        QCOMPARE(
            countLog(QStringLiteral("CMainWindow::OnSockMainGross() block longer than the caption store; its "
                                    "oldest lines are dropped. from : ") +
                     addr(9)),
            1);

        // The next block starts afresh.
        QVERIFY(quorel.send(Kind::MainGross, addr(1), "next"));
        QVERIFY(quorel.send(Kind::MainGross, addr(1), CSharedProtocol::blockEnd().toByteArray()));
        QTRY_COMPARE(alice.goLasts, 2);
        QCOMPARE(alice.shown().last(), u"next"_qs);
        QCOMPARE(alice.shown().size(), capacity);
    }

    void prerollNeverClearedStaysBounded_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("former") << int(Kind::PftFormer);
        QTest::newRow("latter") << int(Kind::PftLatter);
    }

    void prerollNeverClearedStaysBounded()
    {
        QFETCH(int, kind);
        const bool former = Kind(kind) == Kind::PftFormer;
        NetMember alice(u"alice"_qs, addr(1), kChannel);
        NetPeer quorel(addr(9), kChannel);
        QVERIFY(alice.login());
        const auto text = [&] { return former ? alice.pft.former(addr(9)) : alice.pft.latter(addr(9)); };

        const QString line(198, u'x'); // 200 code units with its line end
        QVERIFY(quorel.send(Kind(kind), addr(1), CSharedProtocol::eraseMarker().toByteArray()));
        for (int i = 0; i < 130; ++i) {
            QVERIFY(quorel.send(Kind(kind), addr(1), sjis(line)));
            if (i % 40 == 39)
                QTest::qWait(20);
        }
        const QString dropped =
            u"CMainWindow::OnSockPft%1() pre-roll text too long; line dropped. from : "_qs.arg(
                former ? u"Former"_qs : u"Latter"_qs) +
            addr(9);
        // 81 lines fit in 16384 code units; the 49 after them are dropped and logged under the
        // limit (1 … 11, 20, 40).
        QTRY_COMPARE_WITH_TIMEOUT(text().size(), 81 * 200, 10000);
        QTRY_COMPARE(countLog(dropped), 13);
        QVERIFY(text().startsWith(line + u"\r\n"_qs));

        // A clear makes room again: the peer's next pre-roll shows whole.
        QVERIFY(quorel.send(Kind(kind), addr(1), CSharedProtocol::eraseMarker().toByteArray()));
        QVERIFY(quorel.send(Kind(kind), addr(1), "again"));
        QTRY_COMPARE(text(), u"again\r\n"_qs);
    }

    void repeatedDatagramsLoggedUnderTheLimit_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("logged"); // after 45 datagrams from one sender and one from another

        // The 1st to 11th, 20th and 40th of one sender; a line that names no sender counts the
        // other sender's on its own when the limit is kept per sender.
        const auto row = [](const char *name, Kind kind, const QByteArray &datagram, const QString &line,
                            int logged) { QTest::newRow(name) << int(kind) << datagram << line << logged; };
        const QString from = u" from : "_qs + addr(9);
        const QString main = u"CMainWindow::"_qs;
        row("failing main", Kind::Main, {}, main + u"OnSockMain() RecvFrom() failed."_qs, 13);
        row("login of another group", Kind::Login, sjis(addr(9) + u",q,Req,7"_qs),
            main + u"OnSockLogin() reject other group member [q]"_qs + from, 13);
        row("refusal", Kind::Response, sjis(addr(9) + u',' + addr(1) + u",q,Ful"_qs),
            main + u"OnSockResponse() received denial response."_qs, 14);
        row("shared logoff", Kind::Logoff, sjis(addr(9) + u",q,離脱"_qs),
            main + u"OnSockLogoff() received"_qs + from, 13);
        row("native send-time error", Kind::Native,
            NetPeer::native(1, 0, u'H', u"q"_qs).replace(2, 2, QByteArray("x\0", 2)),
            u"CUdpSockTavrin::TokenizeMessage() send-time error!"_qs, 14);
        row("native logoff", Kind::Native, NetPeer::native(1, 12345678, u'F', QString()),
            main + u"OnSockTavrin() (logoff) received"_qs + from, 13);
    }

    void repeatedDatagramsLoggedUnderTheLimit()
    {
        QFETCH(int, kind);
        QFETCH(QByteArray, datagram);
        QFETCH(QString, line);
        QFETCH(int, logged);
        NetMember alice(u"alice"_qs, addr(1), kChannel);
        NetPeer noisy(addr(9), kChannel);
        NetPeer other(addr(8), kChannel);
        QVERIFY(alice.login());
        for (int i = 0; i < 45; ++i) {
            QVERIFY(noisy.send(Kind(kind), addr(1), datagram));
            if (i % 15 == 14)
                QTest::qWait(10);
        }
        QByteArray fromOther = datagram;
        QVERIFY(other.send(Kind(kind), addr(1), fromOther.replace("127.0.91.9", "127.0.91.8")));
        QString otherLine = line;
        QTRY_COMPARE(countLog(line), logged);
        if (otherLine.replace(addr(9), addr(8)) != line)
            QTRY_COMPARE(countLog(otherLine), 1);
        // A decoding error line is followed by the datagram's whole text, under the same limit.
        const QStringList log = operationLogLines();
        for (qsizetype i = log.indexOf(line); line.endsWith(u'!') && i >= 0; i = log.indexOf(line, i + 1))
            QVERIFY(i + 1 < log.size() && log.at(i + 1).startsWith(u'A'));
    }

    void memberComingAndGoingLoggedUnderTheLimit()
    {
        // A peer that logs off after every datagram joins anew with the next one.
        NetMember alice(u"alice"_qs, addr(1), kChannel);
        NetPeer peer(addr(9), kChannel);
        QVERIFY(alice.login());
        const QByteArray logoff = sjis(addr(9) + u",q,離脱"_qs);
        for (int i = 0; i < 45; ++i) {
            QVERIFY(
                peer.send(Kind::Native, addr(1), NetPeer::native(1, 12345678 + i, u'H', u"n%1"_qs.arg(i))));
            QTRY_VERIFY(alice.knows(addr(9)));
            QVERIFY(peer.send(Kind::Logoff, addr(1), logoff));
            QTRY_VERIFY(!alice.knows(addr(9)));
            QVERIFY(peer.send(Kind::Response, addr(1), sjis(addr(9) + u',' + addr(1) + u",q,Ans"_qs)));
            QTRY_VERIFY(alice.knows(addr(9), CMemberEntry::kKindQuorel));
            QVERIFY(peer.send(Kind::Logoff, addr(1), logoff));
            QTRY_VERIFY(!alice.knows(addr(9), CMemberEntry::kKindQuorel));
        }
        const QStringList log = operationLogLines();
        // 45 joins of each kind: the 1st to 11th, 20th and 40th are logged.
        QCOMPARE(log.filter(u"CMainWindow::OnSockTavrin() accept message [n"_qs).size(), 13);
        QCOMPARE(log.count(u"CMainWindow::OnSockResponse() updated member [[q]] from "_qs + addr(9)), 13);
    }

private:
    std::unique_ptr<TestHome> m_home;
};

QTEST_GUILESS_MAIN(TestHostilePeer)
#include "test_hostile_peer.moc"
