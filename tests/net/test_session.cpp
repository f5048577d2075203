// The session on loopback: login handshakes with both kinds of peer, groups, ports, logoff and
// the heartbeat.
#include "NetFixture.h"

#include "core/StringTable.h"
#include "net/CUdpSock.h"

#include <QSignalSpy>
#include <QtTest>

// Loopback addresses 127.0.20.x and channel 2 belong to this executable.
namespace {

const int kChannel = 2;
using Kind = CPortTable::Kind;
QString addr(int host)
{
    return u"127.0.20.%1"_qs.arg(host);
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

    void loginHandshakes()
    {
        NetMember alice(u"alice"_qs, addr(1), kChannel);
        NetMember bob(u"bob"_qs, addr(2), kChannel);
        NetPeer quorel(addr(9), kChannel, true);
        NetPeer other(addr(10), kChannel);
        QVERIFY(alice.login());
        QCOMPARE(alice.net().ownAddress(), addr(1));
        QCOMPARE(alice.captions.channel(), kChannel);
        QCOMPARE(alice.captions.group(), 1);
        QCOMPARE(alice.captions.ownAddress(), addr(1));
        QCOMPARE(alice.contacts.channel(), kChannel);
        // The login request is broadcast to everybody on the login port.
        QTRY_COMPARE(quorel.bytes(Kind::Login), QList<QByteArray>{"127.0.20.1,alice,Req,1"});

        // bob's "L" makes him known to alice, and alice's "R" answer makes her known to bob.
        QVERIFY(bob.login());
        QTRY_VERIFY(alice.knows(addr(2)) && bob.knows(addr(1)));
        QCOMPARE(alice.members.find(addr(2))->strName, u"bob"_qs);
        QCOMPARE(bob.members.find(addr(1))->strName, u"alice"_qs);
        QVERIFY(alice.monitorRefreshes > 0);
        // Own broadcasts come back and are never taken for another member.
        QCOMPARE(alice.members.lookupMember(addr(1)), int(CMemberEntry::kKindUnknown));

        // A peer's answer makes it a member, and it gets the own answer back, once.
        const QByteArray answer = CSharedProtocol::response(addr(9), addr(1), u"quo"_qs);
        QVERIFY(quorel.send(Kind::Response, addr(1), answer));
        QTRY_VERIFY(alice.knows(addr(9), CMemberEntry::kKindQuorel));
        QCOMPARE(alice.members.find(addr(9))->strName, u"quo"_qs);
        QVERIFY(quorel.send(Kind::Response, addr(1), answer));
        // A login request from another peer is accepted and answered.
        QVERIFY(other.send(Kind::Login, addr(1), CSharedProtocol::login(addr(10), u"q,2"_qs, 1)));
        QTRY_COMPARE(other.bytes(Kind::Response), QList<QByteArray>{"127.0.20.1,127.0.20.10,alice,Ans"});
        QCOMPARE(alice.members.find(addr(10))->strName, u"q,2"_qs);
        QCOMPARE(quorel.bytes(Kind::Response), QList<QByteArray>{"127.0.20.1,127.0.20.9,alice,Ans"});
    }

    void refusalWarningShownOnce()
    {
        NetMember alice(u"alice"_qs, addr(1), kChannel);
        NetPeer quorel(addr(9), kChannel);
        QSignalSpy pending(alice.controller.get(), &CNetController::refusalWarningPending);
        QVERIFY(alice.login());
        QCOMPARE(alice.net().refusalState(), 0);
        QVERIFY(!alice.net().TakeRefusalWarning());

        const QByteArray full =
            CSharedProtocol::response(addr(9), addr(1), u"quo"_qs, CSharedProtocol::Answer::Full);
        const QString denial = u"CMainWindow::OnSockResponse() received denial response."_qs;
        for (int refusals = 1; refusals <= 3; ++refusals) {
            QVERIFY(quorel.send(Kind::Response, addr(1), full));
            QTRY_COMPARE(countLog(denial), refusals);
            // One warning however often the peers refuse, and the refusing peer is no member.
            QCOMPARE(pending.count(), 1);
            QCOMPARE(alice.members.count(), 0);
            if (refusals == 2) {
                QCOMPARE(alice.net().refusalState(), 1);
                QVERIFY(alice.net().TakeRefusalWarning());
                QVERIFY(!alice.net().TakeRefusalWarning());
            }
        }
        QCOMPARE(alice.net().refusalState(), 2);
        // A new login starts over.
        QVERIFY(alice.login());
        QCOMPARE(alice.net().refusalState(), 0);
    }

    void loginRequestGroupField_data()
    {
        QTest::addColumn<int>("ownGroup");
        QTest::addColumn<QByteArray>("groupField");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("same group") << 1 << QByteArray("1") << true;
        QTest::newRow("other group") << 1 << QByteArray("2") << false;
        QTest::newRow("12 read as 1") << 1 << QByteArray("12") << true;
        QTest::newRow("12 is not group 12") << 12 << QByteArray("12") << false;
        QTest::newRow("empty field") << 1 << QByteArray() << false;
    }

    void loginRequestGroupField()
    {
        QFETCH(int, ownGroup);
        QFETCH(QByteArray, groupField);
        QFETCH(bool, accepted);
        NetMember alice(u"alice"_qs, addr(1), kChannel, ownGroup);
        NetPeer quorel(addr(9), kChannel);
        QVERIFY(alice.login());
        const QString accept = u"CMainWindow::OnSockLogin() accept [quo] from : 127.0.20.9"_qs;
        const QString reject =
            u"CMainWindow::OnSockLogin() reject other group member [quo] from : 127.0.20.9"_qs;
        // Asked twice: a member that rejected sends nothing back, even later.
        for (int asked = 1; asked <= 2; ++asked) {
            QVERIFY(quorel.send(Kind::Login, addr(1), "127.0.20.9,quo,Req," + groupField));
            QTRY_COMPARE(countLog(accepted ? accept : reject), asked);
        }
        QCOMPARE(countLog(accepted ? reject : accept), 0);
        QCOMPARE(alice.knows(addr(9), CMemberEntry::kKindQuorel), accepted);
        if (accepted)
            QTRY_COMPARE(quorel.bytes(Kind::Response).size(), 2);
        else
            QVERIFY(quorel.bytes(Kind::Response).isEmpty());
    }

    void nativeGroupsStayApart()
    {
        NetMember bob(u"bob"_qs, addr(2), kChannel, 1);
        NetMember carol(u"carol"_qs, addr(3), kChannel, 2);
        NetMember dave(u"dave"_qs, addr(4), kChannel, 2);
        NetPeer listener(addr(8), kChannel, true);
        QVERIFY(bob.login());
        QVERIFY(loginAll({&carol, &dave}));
        bob.net().SendCaptionLine(u"group A line"_qs);
        dave.net().SendCaptionLine(u"group B line"_qs);
        QTRY_COMPARE(carol.shown(), QStringList{u"group B line"_qs});
        QTRY_VERIFY(listener.count(addr(2), u'D') == 1 && listener.count(addr(4), u'D') == 1);
        QVERIFY(!carol.knows(addr(2)));
        QVERIFY(!bob.knows(addr(3)));
        // Each datagram carries its sender's group letter.
        for (const NetPeer::Heard &h : listener.heard(Kind::Native))
            QCOMPARE(utf16Text(h.bytes).at(0), h.from == addr(2) ? u'A' : u'B');
    }

    void loginFailures()
    {
        NetMember first(u"alice"_qs, addr(1), kChannel);
        NetMember second(u"alice2"_qs, addr(1), kChannel);
        QVERIFY(first.login());
        // The same address on the same channel: the ports are taken.
        QSignalSpy online(second.controller.get(), &CNetController::onlineChanged);
        QVERIFY(!second.login());
        QVERIFY(!second.net().isOnline());
        QCOMPARE(second.net().errorTitle(), CStringTable::get(116));
        QCOMPARE(second.net().errorMessage(), CStringTable::get(113));
        QVERIFY(operationLogLines().contains(u"CMainWindow::SetOnline() pSockLogin failed."_qs));
        QCOMPARE(second.captions.channel(), -1);
        QCOMPARE(second.contacts.channel(), -1);
        QCOMPARE(second.net().endpoint(Kind::Login), nullptr);
        QVERIFY(!online.isEmpty());
        QCOMPARE(online.last().first().toBool(), false);
        QVERIFY(first.net().isOnline());

        // No such adapter.
        QVERIFY(!second.net().DoLogin(1));
        QVERIFY(!second.net().DoLogin(-1));
        second.adapters.entries.clear();
        QCOMPARE(second.net().EnumerateAdapters(), 0);
        QVERIFY(!second.net().DoLogin(0));
        QCOMPARE(countLog(u"CMainWindow::DoLogin() failed. NIC No. is out of bounds."_qs), 3);
    }

    void logoffRemovesMembers()
    {
        NetMember alice(u"alice"_qs, addr(1), kChannel);
        NetMember bob(u"bob"_qs, addr(2), kChannel);
        NetPeer quorel(addr(9), kChannel);
        QVERIFY(loginAll({&alice, &bob}));
        QVERIFY(quorel.introduceTo(alice));

        // A native member going offline: its "F" and its shared logoff both remove it.
        bob.net().SetOffline();
        QCOMPARE(bob.members.count(), 0);
        QCOMPARE(bob.captions.channel(), -1);
        QCOMPARE(bob.net().endpoint(Kind::Native), nullptr);
        QTRY_VERIFY(!alice.knows(addr(2)));
        // Its ports are free again for the next login.
        QVERIFY(bob.login());
        QTRY_VERIFY(alice.knows(addr(2)));
        bob.net().SetOffline();
        QTRY_VERIFY(!alice.knows(addr(2)));

        // A Quorel peer's logoff.
        QVERIFY(quorel.send(Kind::Logoff, addr(1), CSharedProtocol::logoff(addr(9), u"quo"_qs)));
        QTRY_COMPARE(alice.members.count(), 0);

        // Going offline tells every member, Quorel peers included, on the logoff port; once.
        QVERIFY(quorel.introduceTo(alice));
        alice.net().SetOffline();
        alice.net().SetOffline();
        QTRY_COMPARE(quorel.bytes(Kind::Logoff).size(), 1);
        QCOMPARE(CCodePage932::decode(quorel.bytes(Kind::Logoff).first()), u"127.0.20.1,alice,離脱"_qs);
    }

    void heartbeatMakesAMemberOnce()
    {
        NetMember alice(u"alice"_qs, addr(1), kChannel);
        NetPeer stranger(addr(7), kChannel);
        NetPeer listener(addr(8), kChannel, true);
        QVERIFY(alice.login());
        const quint32 now = limitedNow();
        QVERIFY(stranger.send(Kind::Native, addr(1), NetPeer::native(1, now, u'H', u"xname"_qs)));
        QTRY_VERIFY(alice.knows(addr(7)));
        QCOMPARE(alice.members.find(addr(7))->strName, u"xname"_qs);
        QTRY_COMPARE(listener.count(addr(1), u'R'), 1);

        QVERIFY(stranger.send(Kind::Native, addr(1), NetPeer::native(1, now + 1, u'H', u"xname"_qs)));
        QVERIFY(stranger.send(Kind::Native, addr(1), NetPeer::native(1, now + 2, u'M', u"typing"_qs)));
        QTRY_COMPARE(alice.members.find(addr(7))->strInput, u"typing"_qs);
        QCOMPARE(listener.count(addr(1), u'R'), 1);

        // A heartbeat sends "H" with the name; the timer takes the configured period.
        alice.net().StartHeartbeat();
        QVERIFY(alice.net().heartbeatActive());
        QVERIFY(operationLogLines().contains(u"OnCreate() heartbeat time [sec] : 2"_qs));
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
