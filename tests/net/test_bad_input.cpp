// Broken, hostile and truncated datagrams on every endpoint of a member online on loopback: none
// may crash it, store half a record, or log anything but the lines the receive path defines.
#include "test_session_fixture.h"

#include "TestHome.h"

#include "core/CodePage932.h"
#include "core/ContinuousTime.h"
#include "net/CSharedProtocol.h"
#include "net/CUdpSock.h"

#include <QtTest>

// Loopback addresses 127.0.91.x and channel 10 belong to this executable.
namespace {

const int kChannel = 10;
QString addr(int host) { return QStringLiteral("127.0.91.%1").arg(host); }
quint32 now() { return ContinuousTime::SystemTimeToIntLimited(); }
QByteArray sjis(const QString &text) { return CCodePage932::encode(text); }
QByteArray utf16(const QString &text)
{
    return QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
}

// Counts the datagrams an endpoint has handled from one sender. Connected after the member's own
// handler, so once the count moves the handler is done with the datagram, even when it stored
// and logged nothing.
class HandledFrom final
{
public:
    HandledFrom(CUdpSock *sock, const QString &from)
    {
        m_connection = QObject::connect(sock, &CUdpSock::readyRead, sock, [this, sock, from] {
            if (sock->fromAddress() == from)
                ++count;
        });
    }
    ~HandledFrom() { QObject::disconnect(m_connection); }
    HandledFrom(const HandledFrom &) = delete;
    HandledFrom &operator=(const HandledFrom &) = delete;

    int count = 0;

private:
    QMetaObject::Connection m_connection;
};

// The log lines written since mark lines were there.
QStringList logSince(qsizetype mark)
{
    return operationLogLines().mid(mark);
}

QString wholeText(const QByteArray &datagram)
{
    return QString(reinterpret_cast<const QChar *>(datagram.constData()), datagram.size() / 2);
}

// One serialized repeated record, "\n%02x%02x%02x%02x%08d%08d%c%c%04d%s", without changes.
QString record(const QString &address, quint32 sent, const QString &text)
{
    return wholeText(RawNative::datagram(1, 0, u'D', QString(), {{address, sent, sent, u'D', 0, text}})).mid(14);
}

} // namespace

class TestBadInput final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { ContinuousTime::Initialize(); }
    void init() { m_home = std::make_unique<TestHome>(); }
    void cleanup() { m_home.reset(); }

    void badNativeDatagram_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<int>("errors");

        const QByteArray caption = RawNative::datagram(1, 12345678, u'D', QStringLiteral("caption"));
        const QString illegal = QStringLiteral("Illegal packet from ") + addr(7) + QStringLiteral(" : 0");
        const QString sendTimeError = QStringLiteral("CUdpSockTavrin::TokenizeMessage() send-time error!");
        const QString stringError = QStringLiteral("CUdpSockTavrin::TokenizeMessage() string error!");

        QTest::newRow("empty") << QByteArray() << QStringList{QStringLiteral("CMainWindow::OnSockTavrin() RecvFrom() failed.")}
                               << 0;
        QTest::newRow("one byte") << QByteArray("A") << QStringList() << 0;
        QTest::newRow("27 bytes") << caption.first(27) << QStringList() << 0;
        QByteArray overLong = RawNative::datagram(1, 12345678, u'D', QString(2086, u'x'));
        QCOMPARE(overLong.size(), 4200);
        QTest::newRow("over-long") << overLong
                                   << QStringList{QStringLiteral("[socket error : tavrin] WSAEMSGSIZE (10040) in recvfrom()"),
                                                  QStringLiteral("CMainWindow::OnSockTavrin() RecvFrom() failed.")}
                                   << 1;
        QTest::newRow("other group") << RawNative::datagram(2, 12345678, u'D', QStringLiteral("caption"))
                                     << QStringList() << 0;
        QTest::newRow("lower-case kind") << RawNative::datagram(1, 12345678, u'd', QStringLiteral("caption"))
                                         << QStringList{illegal} << 0;
        QTest::newRow("kind before A") << RawNative::datagram(1, 12345678, u'@', QStringLiteral("caption"))
                                       << QStringList{illegal} << 0;
        QTest::newRow("kind after Z") << RawNative::datagram(1, 12345678, u'[', QStringLiteral("caption"))
                                      << QStringList{illegal} << 0;
        QTest::newRow("NUL kind") << RawNative::datagram(1, 12345678, QChar(0), QStringLiteral("caption"))
                                  << QStringList{illegal} << 0;
        QTest::newRow("letter nobody handles") << RawNative::datagram(1, 12345678, u'Z', QStringLiteral("zz"))
                                               << QStringList() << 0;
        QTest::newRow("NUL in the header") << utf16(QStringLiteral("A1234%1678D0000").arg(QChar(0)))
                                           << QStringList() << 0;

        QString blank = QStringLiteral("A1234 678D0014caption");
        QTest::newRow("blank inside the send time") << utf16(blank) << QStringList{sendTimeError, blank} << 0;
        QString letter = QStringLiteral("A12345x78D0014caption");
        QTest::newRow("letter in the send time") << utf16(letter) << QStringList{sendTimeError, letter} << 0;
        QString length = QStringLiteral("A12345678D00x4caption");
        QTest::newRow("length not decimal") << utf16(length) << QStringList{stringError, length} << 0;
        QString beyond = QStringLiteral("A12345678D0016caption");
        QTest::newRow("length beyond the text") << utf16(beyond) << QStringList{stringError, beyond} << 0;
        QString empty = QStringLiteral("A12345678D0002");
        QTest::newRow("length without text") << utf16(empty) << QStringList{stringError, empty} << 0;
    }
    void badNativeDatagram()
    {
        QFETCH(QByteArray, datagram);
        QFETCH(QStringList, log);
        QFETCH(int, errors);

        NetMember bob(QStringLiteral("bob"), addr(2), kChannel);
        RawNative typist(addr(7), kChannel);
        QVERIFY(bob.login());
        QVERIFY(typist.send(addr(2), RawNative::datagram(1, now(), u'H', QStringLiteral("typist"))));
        QTRY_VERIFY(bob.members.find(addr(7)) && bob.members.find(addr(7))->strName == QStringLiteral("typist"));
        CUdpSock *native = bob.net().endpoint(CPortTable::Kind::Native);
        const int errorsBefore = native->errorCount();
        HandledFrom handled(native, addr(7));
        const qsizetype mark = operationLogLines().size();

        QVERIFY(typist.send(addr(2), datagram));
        QTRY_COMPARE(handled.count, 1);
        QCOMPARE(logSince(mark), log);
        QCOMPARE(native->errorCount() - errorsBefore, errors);
        QCOMPARE(bob.captions.count(), 0);
        QCOMPARE(bob.contacts.count(), 0);
        QVERIFY(bob.contactLines.isEmpty());
        QVERIFY(bob.displayLogged.isEmpty());
        QCOMPARE(bob.members.count(), 1);
        QCOMPARE(bob.members.find(addr(7))->strName, QStringLiteral("typist"));
        QVERIFY(bob.net().isOnline());

        // The endpoint still works.
        QVERIFY(typist.send(addr(2), RawNative::datagram(1, now(), u'D', QStringLiteral("after"))));
        QTRY_COMPARE(bob.shown(), QStringList{QStringLiteral("after")});
    }

    void illegalDatagramsAreLoggedUnderTheLimit()
    {
        NetMember bob(QStringLiteral("bob"), addr(2), kChannel);
        RawNative noisy(addr(7), kChannel);
        RawNative other(addr(8), kChannel);
        QVERIFY(bob.login());
        CUdpSock *native = bob.net().endpoint(CPortTable::Kind::Native);
        HandledFrom fromNoisy(native, addr(7));
        HandledFrom fromOther(native, addr(8));
        const qsizetype mark = operationLogLines().size();

        const QByteArray illegal = RawNative::datagram(1, 12345678, u'x', QStringLiteral("x"));
        for (int i = 0; i < 25; ++i)
            QVERIFY(noisy.send(addr(2), illegal));
        QTRY_COMPARE(fromNoisy.count, 25);
        // Each address is counted on its own.
        QVERIFY(other.send(addr(2), illegal));
        QTRY_COMPARE(fromOther.count, 1);

        QStringList expected;
        for (int n : {0, 1, 2, 10, 20})
            expected << QStringLiteral("Illegal packet from %1 : %2").arg(addr(7)).arg(n);
        expected << QStringLiteral("Illegal packet from %1 : 0").arg(addr(8));
        QCOMPARE(logSince(mark), expected);
        QCOMPARE(bob.members.count(), 0);
        QCOMPARE(bob.captions.count(), 0);
    }

    void malformedRecordEndsTheList_data()
    {
        QTest::addColumn<QString>("tail");
        QTest::addColumn<bool>("goodRecordsFirst");

        // A complete record "\n" + 8 hex + 8 + 8 + kind + flag + 4 + text, then broken in one way.
        const QString bad = record(addr(9), 12345678, QStringLiteral("bad"));
        QTest::newRow("address not hexadecimal") << QString(bad).replace(3, 1, u'g') << true;
        QTest::newRow("blank inside the send time") << QString(bad).replace(12, 1, u' ') << true;
        QTest::newRow("letter in the receive time") << QString(bad).replace(20, 1, u'x') << true;
        QTest::newRow("length not decimal") << QString(bad).replace(29, 1, u'-') << true;
        QTest::newRow("length past the end") << QString(bad).replace(28, 3, QStringLiteral("004")) << true;
        QTest::newRow("header cut short") << bad.first(20) << true;
        QTest::newRow("separator alone") << QStringLiteral("\n") << true;
        QTest::newRow("no separator") << bad.mid(1) << true;
        QTest::newRow("NUL in the text") << QString(bad).replace(32, 1, QChar(0)) << true;
        QTest::newRow("broken first record") << QString(bad).replace(3, 1, u'g') << false;
    }
    void malformedRecordEndsTheList()
    {
        QFETCH(QString, tail);
        QFETCH(bool, goodRecordsFirst);

        NetMember bob(QStringLiteral("bob"), addr(2), kChannel);
        RawNative typist(addr(7), kChannel);
        QVERIFY(bob.login());
        QVERIFY(typist.send(addr(2), RawNative::datagram(1, now(), u'H', QStringLiteral("typist"))));
        QTRY_VERIFY(bob.members.find(addr(7)));
        HandledFrom handled(bob.net().endpoint(CPortTable::Kind::Native), addr(7));
        const qsizetype mark = operationLogLines().size();

        // The newest repeated record comes first; both are older than the datagram's own line,
        // and typed after the member joined (earlier lines are refused whatever their shape).
        QTRY_VERIFY(static_cast<qint32>(ContinuousTime::SystemTimeToInt() - bob.captions.baseTick()) > 300);
        const quint32 t = now();
        QList<RawNative::Record> records;
        if (goodRecordsFirst) {
            records = {{addr(7), t - 100, t - 100, u'D', 0, QStringLiteral("r2")},
                       {addr(7), t - 200, t - 200, u'D', 0, QStringLiteral("r1")}};
        }
        QVERIFY(typist.send(addr(2), RawNative::datagram(1, t, u'D', QStringLiteral("main"), records) + utf16(tail)));
        QTRY_COMPARE(handled.count, 1);

        const QStringList expected = goodRecordsFirst
                                         ? QStringList{QStringLiteral("r1"), QStringLiteral("r2"), QStringLiteral("main")}
                                         : QStringList{QStringLiteral("main")};
        QCOMPARE(bob.shown(), expected);
        QCOMPARE(bob.displayLogged, expected);
        for (int p = 0; p < bob.captions.count(); ++p) {
            const CReceivedMainData *stored = bob.captions.at(p);
            QCOMPARE(stored->strIpAddress, addr(7));
            QCOMPARE(stored->nType, qint32('D'));
            QCOMPARE(stored->nFlag, 0);
        }
        QCOMPARE(logSince(mark), QStringList());
    }

    void badSharedDatagram_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<bool>("introduced");
        QTest::addColumn<QStringList>("log");

        using Kind = CPortTable::Kind;
        const struct
        {
            Kind kind;
            const char *handler;
            const char *endpoint;
        } handlers[] = {
            {Kind::Login, "OnSockLogin", "login"},
            {Kind::Response, "OnSockResponse", "response"},
            {Kind::Main, "OnSockMain", "main"},
            {Kind::Monitor, "OnSockMonitor", "monitor"},
            {Kind::Logoff, "OnSockLogoff", "logoff"},
            {Kind::Chat, "OnSockChat", "chat"},
            {Kind::PftFormer, "OnSockPftFormer", "pft-former"},
            {Kind::PftLatter, "OnSockPftLatter", "pft-latter"},
            {Kind::Undo, "OnSockUndo", "undo"},
            {Kind::MainGross, "OnSockMainGross", "main-gross"},
        };
        const QByteArray overLong(4097, 'x');
        for (const auto &h : handlers) {
            const QString failed =
                QStringLiteral("CMainWindow::%1() RecvFrom() failed.").arg(QLatin1String(h.handler));
            QTest::addRow("empty %s", h.endpoint) << int(h.kind) << QByteArray() << true << QStringList{failed};
            QTest::addRow("over-long %s", h.endpoint)
                << int(h.kind) << overLong << true
                << QStringList{QStringLiteral("[socket error : %1] WSAEMSGSIZE (10040) in recvfrom()")
                                   .arg(QLatin1String(h.endpoint)),
                               failed};
        }

        // Too few fields for the handler: ignored without a word.
        QTest::newRow("login without group") << int(Kind::Login) << sjis(addr(9) + QStringLiteral(",quo,Req")) << false
                                             << QStringList();
        QTest::newRow("login address only") << int(Kind::Login) << sjis(addr(9)) << false << QStringList();
        QTest::newRow("response without Ans") << int(Kind::Response)
                                              << sjis(addr(9) + QLatin1Char(',') + addr(2) + QStringLiteral(",quo"))
                                              << false << QStringList();
        QTest::newRow("monitor without comma") << int(Kind::Monitor) << sjis(QStringLiteral("typing")) << true
                                               << QStringList();
        QTest::newRow("monitor text after NUL") << int(Kind::Monitor)
                                                << (sjis(addr(9)) + QByteArray("\0,typing", 8)) << true
                                                << QStringList();
    }
    void badSharedDatagram()
    {
        QFETCH(int, kind);
        QFETCH(QByteArray, datagram);
        QFETCH(bool, introduced);
        QFETCH(QStringList, log);

        NetMember bob(QStringLiteral("bob"), addr(2), kChannel);
        QuorelPeer quorel(addr(9), kChannel);
        QVERIFY(bob.login());
        if (introduced) {
            QVERIFY(quorel.send(CPortTable::Kind::Login, addr(2),
                                CSharedProtocol::login(addr(9), QStringLiteral("quo"), 1)));
            QTRY_COMPARE(bob.members.lookupMember(addr(9)), int(CMemberEntry::kKindQuorel));
        }
        const int members = bob.members.count();
        CUdpSock *sock = bob.net().endpoint(CPortTable::Kind(kind));
        const int errorsBefore = sock->errorCount();
        HandledFrom handled(sock, addr(9));
        const qsizetype mark = operationLogLines().size();

        QVERIFY(quorel.send(CPortTable::Kind(kind), addr(2), datagram));
        QTRY_COMPARE(handled.count, 1);
        QCOMPARE(logSince(mark), log);
        QCOMPARE(sock->errorCount() - errorsBefore, datagram.size() > CUdpSock::kReceiveBufferSize ? 1 : 0);
        QCOMPARE(bob.members.count(), members);
        QCOMPARE(bob.captions.count(), 0);
        QCOMPARE(bob.contacts.count(), 0);
        QVERIFY(bob.contactLines.isEmpty());
        QVERIFY(bob.pft.former(addr(9)).isEmpty());
        QVERIFY(bob.pft.latter(addr(9)).isEmpty());
        if (const CMemberEntry *peer = bob.members.find(addr(9)))
            QVERIFY(peer->strInput.isEmpty());
        QVERIFY(bob.net().isOnline());
    }

private:
    std::unique_ptr<TestHome> m_home;
};

QTEST_GUILESS_MAIN(TestBadInput)
#include "test_bad_input.moc"
