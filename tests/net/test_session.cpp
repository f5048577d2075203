#include "test_session_fixture.h"

#include "TestHome.h"

#include "core/CodePage932.h"
#include "core/ContinuousTime.h"
#include "core/StringTable.h"
#include "net/CSharedProtocol.h"
#include "net/CUdpSock.h"

#include <QSignalSpy>
#include <QtTest>

// Loopback addresses 127.0.20.x / 127.0.21.x and channels 2 and 3 belong to this executable.
namespace {

const int kChannel = 2;
QString addr(int host) { return QStringLiteral("127.0.20.%1").arg(host); }

int countLog(const QString &line)
{
    return static_cast<int>(operationLogLines().count(line));
}

bool logHas(const QString &line)
{
    return operationLogLines().contains(line);
}

} // namespace

class TestSession final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { ContinuousTime::Initialize(); }
    // A fresh operation log per case, so each reads only its own lines.
    void init() { m_home = std::make_unique<TestHome>(); }
    void cleanup() { m_home.reset(); }

    void nativeLoginHandshake()
    {
        NetMember alice(QStringLiteral("alice"), addr(1), kChannel);
        NetMember bob(QStringLiteral("bob"), addr(2), kChannel);
        QSignalSpy online(alice.controller.get(), &CNetController::onlineChanged);
        QVERIFY(alice.login());
        QCOMPARE(online.count(), 1);
        QVERIFY(alice.net().isOnline());
        QCOMPARE(alice.net().ownAddress(), addr(1));
        QCOMPARE(alice.net().broadcastAddress(), QStringLiteral("127.255.255.255"));
        QCOMPARE(alice.net().memberName(), QStringLiteral("alice"));
        QCOMPARE(alice.captions.channel(), kChannel);
        QCOMPARE(alice.captions.group(), 1);
        QCOMPARE(alice.captions.ownAddress(), addr(1));
        QCOMPARE(alice.contacts.channel(), kChannel);

        QVERIFY(bob.login());
        // bob's "L" makes him known to alice, and alice's "R" answer makes her known to bob.
        QTRY_COMPARE(alice.members.lookupMember(addr(2)), int(CMemberEntry::kKindNative));
        QTRY_COMPARE(bob.members.lookupMember(addr(1)), int(CMemberEntry::kKindNative));
        QCOMPARE(alice.members.find(addr(2))->strName, QStringLiteral("bob"));
        QCOMPARE(bob.members.find(addr(1))->strName, QStringLiteral("alice"));
        QVERIFY(logHas(QStringLiteral("CMainWindow::OnSockTavrin() accept message [bob] from : ") + addr(2)));
        QVERIFY(logHas(QStringLiteral("CMainWindow::OnSockTavrin() accept message [alice] from : ") + addr(1)));
        QVERIFY(alice.monitorRefreshes > 0);

        for (const char *line : {"CMainWindow::DoLogin() begins.", "CMainWindow::DoLogin() NIC,IP,Broadcast",
                                 "loopback member", "CUdpSockLogin MTU size : 1500", "CMainWindow::SetOnline() begins.",
                                 "CMainWindow::SetOnline() finishes.", "CMainWindow::DoLogin() finished."})
            QVERIFY2(logHas(QString::fromUtf8(line)), line);

        // Own broadcasts come back and are never taken for another member.
        QCOMPARE(alice.members.lookupMember(addr(1)), int(CMemberEntry::kKindUnknown));
    }

    void quorelHandshake()
    {
        NetMember alice(QStringLiteral("alice"), addr(1), kChannel);
        QuorelPeer quorel(addr(9), kChannel, true);
        QuorelPeer other(addr(10), kChannel);
        QVERIFY(alice.login());

        // The login request is broadcast to everybody on the login port.
        QTRY_COMPARE(quorel.bytes(CPortTable::Kind::Login).size(), 1);
        QCOMPARE(quorel.bytes(CPortTable::Kind::Login).first(), QByteArray("127.0.20.1,alice,Req,1"));

        // A peer's answer makes it a member, and it gets the own answer back.
        QVERIFY(quorel.send(CPortTable::Kind::Response, addr(1),
                            CSharedProtocol::response(addr(9), addr(1), QStringLiteral("quo"))));
        QTRY_COMPARE(alice.members.lookupMember(addr(9)), int(CMemberEntry::kKindQuorel));
        QCOMPARE(alice.members.find(addr(9))->strName, QStringLiteral("quo"));
        QTRY_COMPARE(quorel.bytes(CPortTable::Kind::Response).size(), 1);
        QCOMPARE(quorel.bytes(CPortTable::Kind::Response).first(), QByteArray("127.0.20.1,127.0.20.9,alice,Ans"));
        QVERIFY(logHas(QStringLiteral("CMainWindow::OnSockResponse() updated member [[quo]] from 127.0.20.9")));

        // A second answer from a known member changes nothing and is not answered.
        QVERIFY(quorel.send(CPortTable::Kind::Response, addr(1),
                            CSharedProtocol::response(addr(9), addr(1), QStringLiteral("quo"))));
        // A login request from another peer is accepted and answered.
        QVERIFY(other.send(CPortTable::Kind::Login, addr(1),
                           CSharedProtocol::login(addr(10), QStringLiteral("q,2"), 1)));
        QTRY_COMPARE(other.bytes(CPortTable::Kind::Response).size(), 1);
        QCOMPARE(other.bytes(CPortTable::Kind::Response).first(), QByteArray("127.0.20.1,127.0.20.10,alice,Ans"));
        QCOMPARE(alice.members.find(addr(10))->strName, QStringLiteral("q,2"));
        QVERIFY(logHas(QStringLiteral("CMainWindow::OnSockLogin() accept [q,2] from : 127.0.20.10")));
        QCOMPARE(quorel.bytes(CPortTable::Kind::Response).size(), 1);
    }

    void refusalWarningShownOnce()
    {
        NetMember alice(QStringLiteral("alice"), addr(1), kChannel);
        QuorelPeer quorel(addr(9), kChannel);
        QSignalSpy pending(alice.controller.get(), &CNetController::refusalWarningPending);
        QVERIFY(alice.login());
        QCOMPARE(alice.net().refusalState(), 0);
        QVERIFY(!alice.net().TakeRefusalWarning());

        const QByteArray full = CSharedProtocol::response(addr(9), addr(1), QStringLiteral("quo"),
                                                          CSharedProtocol::Answer::Full);
        QVERIFY(quorel.send(CPortTable::Kind::Response, addr(1), full));
        QVERIFY(quorel.send(CPortTable::Kind::Response, addr(1), full));
        QTRY_COMPARE(countLog(QStringLiteral("CMainWindow::OnSockResponse() received denial response.")), 2);
        QCOMPARE(alice.net().refusalState(), 1);
        QCOMPARE(pending.count(), 1);
        // A refusing peer does not become a member.
        QCOMPARE(alice.members.count(), 0);

        QVERIFY(alice.net().TakeRefusalWarning());
        QCOMPARE(alice.net().refusalState(), 2);
        QVERIFY(!alice.net().TakeRefusalWarning());
        QVERIFY(quorel.send(CPortTable::Kind::Response, addr(1), full));
        QTRY_COMPARE(countLog(QStringLiteral("CMainWindow::OnSockResponse() received denial response.")), 3);
        QCOMPARE(alice.net().refusalState(), 2);
        QCOMPARE(pending.count(), 1);

        // A new login starts over.
        QVERIFY(alice.login());
        QCOMPARE(alice.net().refusalState(), 0);
    }

    void loginRequestGroupField_data()
    {
        QTest::addColumn<int>("ownGroup");
        QTest::addColumn<QString>("groupField");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("same group") << 1 << QStringLiteral("1") << true;
        QTest::newRow("other group") << 1 << QStringLiteral("2") << false;
        QTest::newRow("12 read as 1") << 1 << QStringLiteral("12") << true;
        QTest::newRow("12 is not group 12") << 12 << QStringLiteral("12") << false;
        QTest::newRow("empty field") << 1 << QString() << false;
    }

    void loginRequestGroupField()
    {
        QFETCH(int, ownGroup);
        QFETCH(QString, groupField);
        QFETCH(bool, accepted);
        NetMember alice(QStringLiteral("alice"), addr(1), kChannel, ownGroup);
        QuorelPeer quorel(addr(9), kChannel);
        QVERIFY(alice.login());
        const QByteArray request = "127.0.20.9,quo,Req," + groupField.toLatin1();
        QVERIFY(quorel.send(CPortTable::Kind::Login, addr(1), request));
        const QString accept = QStringLiteral("CMainWindow::OnSockLogin() accept [quo] from : 127.0.20.9");
        const QString reject =
            QStringLiteral("CMainWindow::OnSockLogin() reject other group member [quo] from : 127.0.20.9");
        QTRY_VERIFY(logHas(accept) || logHas(reject));
        QCOMPARE(logHas(accept), accepted);
        QCOMPARE(alice.members.lookupMember(addr(9)),
                 accepted ? int(CMemberEntry::kKindQuorel) : int(CMemberEntry::kKindUnknown));
        if (accepted)
            QTRY_COMPARE(quorel.bytes(CPortTable::Kind::Response).size(), 1);
        // A member that rejected sends nothing back, even later.
        QVERIFY(quorel.send(CPortTable::Kind::Login, addr(1), "127.0.20.9,quo,Req," + groupField.toLatin1()));
        QTRY_COMPARE(countLog(accepted ? accept : reject), 2);
        if (!accepted)
            QVERIFY(quorel.bytes(CPortTable::Kind::Response).isEmpty());
    }

    void nativeGroupsStayApart()
    {
        NetMember bob(QStringLiteral("bob"), addr(2), kChannel, 1);
        NetMember carol(QStringLiteral("carol"), addr(3), kChannel, 2);
        NetMember dave(QStringLiteral("dave"), addr(4), kChannel, 2);
        RawNative listener(addr(8), kChannel, true);
        QVERIFY(bob.login());
        QVERIFY(carol.login());
        QVERIFY(dave.login());
        bob.net().SendCaptionLine(QStringLiteral("group A line"));
        dave.net().SendCaptionLine(QStringLiteral("group B line"));
        QTRY_COMPARE(carol.countShown(QStringLiteral("group B line")), 1);
        QTRY_COMPARE(listener.count(addr(2), u'D'), 1);
        QTRY_COMPARE(listener.count(addr(4), u'D'), 1);
        // Only the shared protocol crosses groups (and only where the group field allows).
        QCOMPARE(carol.countShown(QStringLiteral("group A line")), 0);
        QCOMPARE(carol.members.lookupMember(addr(2)), int(CMemberEntry::kKindUnknown));
        QCOMPARE(bob.members.lookupMember(addr(3)), int(CMemberEntry::kKindUnknown));
        for (const RawNative::Heard &h : listener.heard) {
            if (h.from == addr(3) || h.from == addr(4))
                QCOMPARE(h.text.at(0), QLatin1Char('B'));
            if (h.from == addr(2))
                QCOMPARE(h.text.at(0), QLatin1Char('A'));
        }
    }

    void channelSelectsPorts_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("name");
        QTest::newRow("login") << int(CPortTable::Kind::Login) << 6922 << QStringLiteral("login");
        QTest::newRow("response") << int(CPortTable::Kind::Response) << 6918 << QStringLiteral("response");
        QTest::newRow("main") << int(CPortTable::Kind::Main) << 6911 << QStringLiteral("main");
        QTest::newRow("monitor") << int(CPortTable::Kind::Monitor) << 6921 << QStringLiteral("monitor");
        QTest::newRow("logoff") << int(CPortTable::Kind::Logoff) << 6924 << QStringLiteral("logoff");
        QTest::newRow("chat") << int(CPortTable::Kind::Chat) << 6927 << QStringLiteral("chat");
        QTest::newRow("pft-former") << int(CPortTable::Kind::PftFormer) << 6935 << QStringLiteral("pft-former");
        QTest::newRow("pft-latter") << int(CPortTable::Kind::PftLatter) << 6934 << QStringLiteral("pft-latter");
        QTest::newRow("undo") << int(CPortTable::Kind::Undo) << 6923 << QStringLiteral("undo");
        QTest::newRow("main-gross") << int(CPortTable::Kind::MainGross) << 6913 << QStringLiteral("main-gross");
        QTest::newRow("native") << int(CPortTable::Kind::Native) << 6635 << QStringLiteral("tavrin");
    }

    void channelSelectsPorts()
    {
        QFETCH(int, kind);
        QFETCH(int, port);
        QFETCH(QString, name);
        NetMember alice(QStringLiteral("alice"), QStringLiteral("127.0.21.1"), 3);
        QCOMPARE(alice.net().endpoint(CPortTable::Kind(kind)), nullptr);
        QVERIFY(alice.login());
        const CUdpSock *sock = alice.net().endpoint(CPortTable::Kind(kind));
        QVERIFY(sock);
        QVERIFY(sock->isOpen());
        QCOMPARE(int(sock->port()), port);
        QCOMPARE(sock->name(), name);
        QCOMPARE(sock->bindAddress(), QStringLiteral("127.0.21.1"));
        alice.net().SetOffline();
        QCOMPARE(alice.net().endpoint(CPortTable::Kind(kind)), nullptr);
    }

    void portInUse()
    {
        NetMember first(QStringLiteral("alice"), addr(1), kChannel);
        NetMember second(QStringLiteral("alice2"), addr(1), kChannel);
        QVERIFY(first.login());
        QSignalSpy online(second.controller.get(), &CNetController::onlineChanged);
        QVERIFY(!second.login());
        QVERIFY(!second.net().isOnline());
        QCOMPARE(second.net().errorTitle(), CStringTable::get(116));
        QCOMPARE(second.net().errorMessage(), CStringTable::get(113));
        QCOMPARE(second.net().errorTitle(), QStringLiteral("エラー"));
        QVERIFY(logHas(QStringLiteral("CMainWindow::SetOnline() pSockLogin failed.")));
        QVERIFY(logHas(QStringLiteral("CMainWindow::DoLogin() SetOnline() failed.")));
        QCOMPARE(second.captions.channel(), -1);
        QCOMPARE(second.contacts.channel(), -1);
        QCOMPARE(second.net().endpoint(CPortTable::Kind::Login), nullptr);
        QVERIFY(!online.isEmpty());
        QCOMPARE(online.last().first().toBool(), false);
        QVERIFY(first.net().isOnline());
    }

    void adapterOutOfBounds()
    {
        NetMember alice(QStringLiteral("alice"), addr(1), kChannel);
        QCOMPARE(alice.net().adapters().size(), 1);
        QVERIFY(!alice.net().DoLogin(1));
        QVERIFY(logHas(QStringLiteral("CMainWindow::DoLogin() failed. NIC No. is out of bounds.")));
        alice.adapters.entries.clear();
        QCOMPARE(alice.net().EnumerateAdapters(), 0);
        QVERIFY(!alice.net().DoLogin(0));
        QVERIFY(!alice.net().isOnline());
    }

    void logoffRemovesMembers()
    {
        NetMember alice(QStringLiteral("alice"), addr(1), kChannel);
        NetMember bob(QStringLiteral("bob"), addr(2), kChannel);
        QuorelPeer quorel(addr(9), kChannel);
        QVERIFY(alice.login());
        QVERIFY(bob.login());
        QVERIFY(quorel.send(CPortTable::Kind::Login, addr(1), CSharedProtocol::login(addr(9), QStringLiteral("quo"), 1)));
        QTRY_COMPARE(alice.members.count(), 2);
        QTRY_COMPARE(bob.members.count(), 1);

        // A native member going offline: its "F" and its shared logoff both remove it.
        bob.net().SetOffline();
        QVERIFY(!bob.net().isOnline());
        QCOMPARE(bob.members.count(), 0);
        QCOMPARE(bob.captions.channel(), -1);
        QTRY_COMPARE(alice.members.lookupMember(addr(2)), int(CMemberEntry::kKindUnknown));
        QVERIFY(logHas(QStringLiteral("CMainWindow::OnSockTavrin() (logoff) received from : ") + addr(2)) ||
                logHas(QStringLiteral("CMainWindow::OnSockLogoff() received from : ") + addr(2)));

        // A Quorel peer's logoff.
        QVERIFY(quorel.send(CPortTable::Kind::Logoff, addr(1), CSharedProtocol::logoff(addr(9), QStringLiteral("quo"))));
        QTRY_COMPARE(alice.members.count(), 0);
        QVERIFY(logHas(QStringLiteral("CMainWindow::OnSockLogoff() received from : ") + addr(9)));

        // Going offline tells every member, Quorel peers included, on the logoff port.
        QVERIFY(quorel.send(CPortTable::Kind::Login, addr(1), CSharedProtocol::login(addr(9), QStringLiteral("quo"), 1)));
        QTRY_COMPARE(alice.members.count(), 1);
        alice.net().SetOffline();
        QTRY_COMPARE(quorel.bytes(CPortTable::Kind::Logoff).size(), 1);
        QCOMPARE(CCodePage932::decode(quorel.bytes(CPortTable::Kind::Logoff).first()),
                 QStringLiteral("127.0.20.1,alice,離脱"));
        QVERIFY(logHas(QStringLiteral("CMainWindow::SetOffline() finishes.")));
        // Offline twice: nothing more.
        alice.net().SetOffline();
        QCOMPARE(quorel.bytes(CPortTable::Kind::Logoff).size(), 1);
    }

    void heartbeatMakesAMemberOnce()
    {
        NetMember alice(QStringLiteral("alice"), addr(1), kChannel);
        RawNative stranger(addr(7), kChannel);
        RawNative listener(addr(8), kChannel, true);
        QVERIFY(alice.login());
        const quint32 now = ContinuousTime::SystemTimeToIntLimited();
        QVERIFY(stranger.send(addr(1), RawNative::datagram(1, now, u'H', QStringLiteral("xname"))));
        QTRY_COMPARE(alice.members.lookupMember(addr(7)), int(CMemberEntry::kKindNative));
        QCOMPARE(alice.members.find(addr(7))->strName, QStringLiteral("xname"));
        QTRY_COMPARE(listener.count(addr(1), u'R'), 1);

        QVERIFY(stranger.send(addr(1), RawNative::datagram(1, now + 1, u'H', QStringLiteral("xname"))));
        QVERIFY(stranger.send(addr(1), RawNative::datagram(1, now + 2, u'M', QStringLiteral("typing"))));
        QTRY_COMPARE(alice.members.find(addr(7))->strInput, QStringLiteral("typing"));
        QCOMPARE(countLog(QStringLiteral("CMainWindow::OnSockTavrin() accept message [xname] from : ") + addr(7)), 1);

        // The heartbeat timer carries the configured period; a tick sends "H" with the name.
        alice.net().StartHeartbeat();
        QVERIFY(alice.net().heartbeatActive());
        QVERIFY(logHas(QStringLiteral("OnCreate() heartbeat time [sec] : 2")));
        alice.net().SendHeartbeat();
        QTRY_VERIFY(listener.count(addr(1), u'H') >= 1);
        alice.net().StopHeartbeat();
        QVERIFY(!alice.net().heartbeatActive());
    }

private:
    std::unique_ptr<TestHome> m_home;
};

QTEST_GUILESS_MAIN(TestSession)
#include "test_session.moc"
