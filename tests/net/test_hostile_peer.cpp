// A peer that sends without end what the protocol expects in small amounts: a gross block that
// never ends, a pre-roll that is never cleared, failing datagrams in a row, illegal datagrams
// from ever new addresses. The member must stay bounded in memory and in its operation log.
#include "test_session_fixture.h"

#include "TestHome.h"

#include "core/CodePage932.h"
#include "core/ContinuousTime.h"
#include "net/CFailureLogLimit.h"
#include "net/CNativeCodec.h"
#include "net/CSharedProtocol.h"

#include <QtTest>

// Loopback addresses 127.0.93.x and channel 11 belong to this executable.
namespace {

const int kChannel = 11;
QString addr(int host)
{
    return QStringLiteral("127.0.93.%1").arg(host);
}
QByteArray sjis(const QString &text)
{
    return CCodePage932::encode(text);
}

qsizetype countLines(const QStringList &lines, const QString &line)
{
    return lines.count(line);
}

} // namespace

class TestHostilePeer final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { ContinuousTime::Initialize(); }
    void init() { m_home = std::make_unique<TestHome>(); }
    void cleanup() { m_home.reset(); }

    void failureLogSchedule()
    {
        CFailureLogLimit limit;
        QList<int> logged;
        for (int i = 1; i <= 200; ++i) {
            if (limit.count())
                logged.append(i);
        }
        QCOMPARE(logged, QList<int>({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 20, 40, 80, 160}));
        QCOMPARE(limit.failures(), 200);
    }

    void grossBlockWithoutEndKeepsOnlyWhatTheStoreHolds()
    {
        NetMember alice(QStringLiteral("alice"), addr(1), kChannel);
        QuorelPeer quorel(addr(9), kChannel);
        QVERIFY(alice.login());
        const int capacity = alice.captions.dataMax();
        QCOMPARE(capacity, 200);

        // Far more lines than the store keeps, the end marker only at the very end.
        const int total = capacity + 60;
        for (int i = 0; i < total; ++i) {
            QVERIFY(quorel.send(CPortTable::Kind::MainGross, addr(1), sjis(QStringLiteral("g%1").arg(i))));
            if (i % 50 == 49)
                QTest::qWait(20); // let the member drain its socket
        }
        QVERIFY(quorel.send(CPortTable::Kind::MainGross, addr(1), CSharedProtocol::blockEnd().toByteArray()));
        QTRY_COMPARE(alice.goLasts, 1);

        // The newest lines of the block, as many as the store holds, each logged once.
        QStringList expected;
        for (int i = total - capacity; i < total; ++i)
            expected.append(QStringLiteral("g%1").arg(i));
        QCOMPARE(alice.shown(), expected);
        QCOMPARE(alice.displayLogged, expected);
        const QStringList log = operationLogLines();
        const QString overflow = QStringLiteral("CMainWindow::OnSockMainGross() block longer than the "
                                                "caption store; its oldest lines are dropped. from : ");
        QCOMPARE(countLines(log, overflow + addr(9)), 1);

        // The next block starts afresh.
        QVERIFY(quorel.send(CPortTable::Kind::MainGross, addr(1), "next"));
        QVERIFY(quorel.send(CPortTable::Kind::MainGross, addr(1), CSharedProtocol::blockEnd().toByteArray()));
        QTRY_COMPARE(alice.goLasts, 2);
        QCOMPARE(alice.shown().last(), QStringLiteral("next"));
        QCOMPARE(alice.shown().size(), capacity);
    }

    void prerollNeverClearedStaysBounded_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("former") << int(CPortTable::Kind::PftFormer);
        QTest::newRow("latter") << int(CPortTable::Kind::PftLatter);
    }

    void prerollNeverClearedStaysBounded()
    {
        QFETCH(int, kind);
        const auto port = static_cast<CPortTable::Kind>(kind);
        const bool former = port == CPortTable::Kind::PftFormer;
        NetMember alice(QStringLiteral("alice"), addr(1), kChannel);
        QuorelPeer quorel(addr(9), kChannel);
        QVERIFY(alice.login());
        const auto text = [&] { return former ? alice.pft.former(addr(9)) : alice.pft.latter(addr(9)); };

        const QString line(198, u'x'); // 200 code units with its line end
        QVERIFY(quorel.send(port, addr(1), sjis(QStringLiteral("$消去$"))));
        for (int i = 0; i < 130; ++i) {
            QVERIFY(quorel.send(port, addr(1), sjis(line)));
            if (i % 40 == 39)
                QTest::qWait(20);
        }
        const QString handler =
            former ? QStringLiteral("OnSockPftFormer") : QStringLiteral("OnSockPftLatter");
        const QString dropped = QStringLiteral("CMainWindow::") + handler +
                                QStringLiteral("() pre-roll text too long; line dropped. from : ") + addr(9);
        // 81 lines fit in 16384 code units; the 49 after them are dropped and logged under the
        // rate limit (1 … 11, 20, 40).
        QTRY_COMPARE_WITH_TIMEOUT(text().size(), 81 * 200, 10000);
        QTRY_COMPARE(countLines(operationLogLines(), dropped), 13);
        QVERIFY(text().startsWith(line + QStringLiteral("\r\n")));

        // A clear makes room again: the peer's next pre-roll shows whole.
        QVERIFY(quorel.send(port, addr(1), sjis(QStringLiteral("$消去$"))));
        QVERIFY(quorel.send(port, addr(1), sjis(QStringLiteral("again"))));
        QTRY_COMPARE(text(), QStringLiteral("again\r\n"));
    }

    void failingDatagramsLoggedUnderTheLimit_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("handler");
        QTest::addColumn<QByteArray>("sentinel"); // handled after the empty ones, observably
        QTest::newRow("main") << int(CPortTable::Kind::Main) << QStringLiteral("OnSockMain")
                              << QByteArray("done");
        QTest::newRow("chat") << int(CPortTable::Kind::Chat) << QStringLiteral("OnSockChat")
                              << QByteArray("done");
        QTest::newRow("login") << int(CPortTable::Kind::Login) << QStringLiteral("OnSockLogin")
                               << sjis(addr(9) + QStringLiteral(",q,Req,9"));
        QTest::newRow("response") << int(CPortTable::Kind::Response) << QStringLiteral("OnSockResponse")
                                  << sjis(addr(9) + u',' + addr(1) + QStringLiteral(",q,Ful"));
    }

    void failingDatagramsLoggedUnderTheLimit()
    {
        QFETCH(int, kind);
        QFETCH(QString, handler);
        QFETCH(QByteArray, sentinel);
        NetMember alice(QStringLiteral("alice"), addr(1), kChannel);
        QuorelPeer quorel(addr(9), kChannel);
        QVERIFY(alice.login());
        const auto port = static_cast<CPortTable::Kind>(kind);

        // Empty datagrams fail the receive; 45 of them, then one that is handled.
        for (int i = 0; i < 45; ++i)
            QVERIFY(quorel.send(port, addr(1), QByteArray()));
        QVERIFY(quorel.send(port, addr(1), sentinel));
        const QString rejected =
            QStringLiteral("CMainWindow::OnSockLogin() reject other group member [q] from : ") + addr(9);
        QTRY_VERIFY(alice.countShown(QStringLiteral("done")) == 1 ||
                    alice.contactLines.contains(QStringLiteral("done")) ||
                    operationLogLines().contains(rejected) || alice.net().refusalState() == 1);

        const QString line =
            QStringLiteral("CMainWindow::") + handler + QStringLiteral("() RecvFrom() failed.");
        // Failures 1 to 11, 20 and 40.
        QCOMPARE(countLines(operationLogLines(), line), 13);
    }

    void repeatedDatagramsLoggedUnderTheLimit_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("linesPerDatagram");

        QTest::newRow("login of another group")
            << int(CPortTable::Kind::Login) << sjis(addr(9) + QStringLiteral(",q,Req,7"))
            << QStringLiteral("CMainWindow::OnSockLogin() reject other group member [q] from : ") + addr(9)
            << 1;
        QTest::newRow("login of the own group")
            << int(CPortTable::Kind::Login) << sjis(addr(9) + QStringLiteral(",q,Req,1"))
            << QStringLiteral("CMainWindow::OnSockLogin() accept [q] from : ") + addr(9) << 1;
        QTest::newRow("refusal") << int(CPortTable::Kind::Response)
                                 << sjis(addr(9) + u',' + addr(1) + QStringLiteral(",q,Ful"))
                                 << QStringLiteral("CMainWindow::OnSockResponse() received denial response.")
                                 << 1;
        QTest::newRow("shared logoff")
            << int(CPortTable::Kind::Logoff) << sjis(addr(9) + QStringLiteral(",q,離脱"))
            << QStringLiteral("CMainWindow::OnSockLogoff() received from : ") + addr(9) << 1;
        const QByteArray badTime =
            RawNative::datagram(1, 0, u'H', QStringLiteral("q")).replace(2, 2, QByteArray("x\0", 2));
        QTest::newRow("native send-time error")
            << int(CPortTable::Kind::Native) << badTime
            << QStringLiteral("CUdpSockTavrin::TokenizeMessage() send-time error!") << 2;
        QByteArray badLength = RawNative::datagram(1, 12345678, u'H', QStringLiteral("q"));
        badLength.replace(20, 2, QByteArray("9\0", 2));
        QTest::newRow("native string error")
            << int(CPortTable::Kind::Native) << badLength
            << QStringLiteral("CUdpSockTavrin::TokenizeMessage() string error!") << 2;
        QTest::newRow("native logoff")
            << int(CPortTable::Kind::Native) << RawNative::datagram(1, 12345678, u'F', QString())
            << QStringLiteral("CMainWindow::OnSockTavrin() (logoff) received from : ") + addr(9) << 1;
    }

    void repeatedDatagramsLoggedUnderTheLimit()
    {
        QFETCH(int, kind);
        QFETCH(QByteArray, datagram);
        QFETCH(QString, line);
        QFETCH(int, linesPerDatagram);
        NetMember alice(QStringLiteral("alice"), addr(1), kChannel);
        QVERIFY(alice.login());
        const auto port = static_cast<CPortTable::Kind>(kind);
        QuorelPeer quorel(addr(9), kChannel);
        RawNative native(addr(9), kChannel);
        const auto send = [&](const QByteArray &bytes) {
            return port == CPortTable::Kind::Native ? native.send(addr(1), bytes)
                                                    : quorel.send(port, addr(1), bytes);
        };

        for (int i = 0; i < 45; ++i) {
            QVERIFY(send(datagram));
            if (i % 15 == 14)
                QTest::qWait(10);
        }
        // From another sender: logged on its own count.
        QuorelPeer other(addr(8), kChannel);
        RawNative otherNative(addr(8), kChannel);
        QString otherLine = line;
        otherLine.replace(addr(9), addr(8));
        if (port == CPortTable::Kind::Native)
            QVERIFY(otherNative.send(addr(1), datagram));
        else
            QVERIFY(other.send(port, addr(1), sjis(QString::fromLatin1(datagram).replace(addr(9), addr(8)))));

        // 45 datagrams from one sender: lines for the 1st to 11th, 20th and 40th.
        const qsizetype expected = otherLine == line ? 14 : 13;
        QTRY_COMPARE(countLines(operationLogLines(), line), expected);
        if (otherLine != line)
            QTRY_COMPARE(countLines(operationLogLines(), otherLine), 1);
        if (linesPerDatagram == 2) {
            // Each error line is followed by the datagram's whole text, under the same limit.
            const QStringList log = operationLogLines();
            for (qsizetype i = log.indexOf(line); i >= 0; i = log.indexOf(line, i + 1))
                QVERIFY(i + 1 < log.size() && log.at(i + 1).startsWith(u'A'));
        }
    }

    void memberComingAndGoingLoggedUnderTheLimit()
    {
        // A peer that logs off after every datagram joins anew with the next one.
        NetMember alice(QStringLiteral("alice"), addr(1), kChannel);
        QVERIFY(alice.login());
        RawNative native(addr(9), kChannel);
        QuorelPeer quorel(addr(9), kChannel);
        for (int i = 0; i < 45; ++i) {
            QVERIFY(native.send(addr(1),
                                RawNative::datagram(1, 12345678 + i, u'H', QStringLiteral("n%1").arg(i))));
            QTRY_COMPARE(alice.members.lookupMember(addr(9)), int(CMemberEntry::kKindNative));
            QVERIFY(
                quorel.send(CPortTable::Kind::Logoff, addr(1), sjis(addr(9) + QStringLiteral(",q,離脱"))));
            QTRY_COMPARE(alice.members.lookupMember(addr(9)), int(CMemberEntry::kKindUnknown));
            QVERIFY(quorel.send(CPortTable::Kind::Response, addr(1),
                                sjis(addr(9) + u',' + addr(1) + QStringLiteral(",q,Ans"))));
            QTRY_COMPARE(alice.members.lookupMember(addr(9)), int(CMemberEntry::kKindQuorel));
            QVERIFY(
                quorel.send(CPortTable::Kind::Logoff, addr(1), sjis(addr(9) + QStringLiteral(",q,離脱"))));
            QTRY_COMPARE(alice.members.lookupMember(addr(9)), int(CMemberEntry::kKindUnknown));
        }
        qsizetype accepted = 0;
        qsizetype updated = 0;
        for (const QString &line : operationLogLines()) {
            accepted +=
                line.startsWith(QStringLiteral("CMainWindow::OnSockTavrin() accept message [n")) ? 1 : 0;
            updated +=
                line == QStringLiteral("CMainWindow::OnSockResponse() updated member [[q]] from ") + addr(9);
        }
        // 45 joins of each kind: the 1st to 11th, 20th and 40th are logged.
        QCOMPARE(accepted, 13);
        QCOMPARE(updated, 13);
    }

    void illegalDatagramsFromEverNewAddresses()
    {
        // Forged source addresses: the codec is handed them directly.
        CNativeCodec codec(nullptr, nullptr);
        QList<TavrinRecord> out;
        const QByteArray illegal = RawNative::datagram(1, 12345678, u'x', QStringLiteral("bad"));
        const int senders = int(CNativeCodec::kMaxIllegalSources) + 1000;
        for (int i = 0; i < senders; ++i) {
            const QString from = QStringLiteral("10.%1.%2.1").arg(i / 256).arg(i % 256);
            QCOMPARE(codec.TokenizeMessage(illegal, from, 1, out), 0);
        }
        // A sender in the table still has its own count.
        QCOMPARE(codec.TokenizeMessage(illegal, QStringLiteral("10.0.0.1"), 1, out), 0);

        const QStringList log = operationLogLines();
        const auto illegalLines = [&log](const QString &suffix) {
            qsizetype n = 0;
            for (const QString &l : log)
                n += l.startsWith(QStringLiteral("Illegal packet from ")) && l.endsWith(suffix) ? 1 : 0;
            return n;
        };
        // Each counted sender once with count 0; the 1000 others share one count, logged at
        // 0, 1, 2, 10, 20 … 90; the first sender's second datagram with count 1.
        QCOMPARE(illegalLines(QStringLiteral(" : 0")), CNativeCodec::kMaxIllegalSources + 1);
        QCOMPARE(illegalLines(QStringLiteral(" : 1")), 2);
        QCOMPARE(illegalLines(QString()), CNativeCodec::kMaxIllegalSources + 13);
        QVERIFY(log.contains(QStringLiteral("Illegal packet from 10.0.0.1 : 1")));
        QVERIFY(log.contains(QStringLiteral("Illegal packet from 10.1.90.1 : 90")));
    }

private:
    std::unique_ptr<TestHome> m_home;
};

QTEST_GUILESS_MAIN(TestHostilePeer)
#include "test_hostile_peer.moc"
