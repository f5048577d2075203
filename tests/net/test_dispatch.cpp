#include "test_session_fixture.h"

#include "TestHome.h"

#include "core/CodePage932.h"
#include "core/ContinuousTime.h"
#include "net/CSharedProtocol.h"

#include <QtTest>

// Loopback addresses 127.0.22.x and channel 4 belong to this executable.
namespace {

const int kChannel = 4;
QString addr(int host) { return QStringLiteral("127.0.22.%1").arg(host); }
quint32 now() { return ContinuousTime::SystemTimeToIntLimited(); }
QByteArray sjis(const QString &text) { return CCodePage932::encode(text); }

// The peer introduces itself to the member with a login request and is answered.
bool introduce(QuorelPeer &peer, NetMember &member)
{
    if (!peer.send(CPortTable::Kind::Login, member.address(),
                   CSharedProtocol::login(peer.address(), QStringLiteral("quo"), 1)))
        return false;
    return QTest::qWaitFor([&] { return member.members.lookupMember(peer.address()) == CMemberEntry::kKindQuorel; });
}

} // namespace

class TestDispatch final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { ContinuousTime::Initialize(); }
    void init() { m_home = std::make_unique<TestHome>(); }
    void cleanup() { m_home.reset(); }

    void linesKeepTypingOrderEverywhere()
    {
        NetMember alice(QStringLiteral("alice"), addr(1), kChannel);
        NetMember bob(QStringLiteral("bob"), addr(2), kChannel);
        QuorelPeer quorel(addr(9), kChannel);
        QVERIFY(alice.login());
        QVERIFY(bob.login());
        QTRY_COMPARE(alice.members.lookupMember(addr(2)), int(CMemberEntry::kKindNative));
        QTRY_COMPARE(bob.members.lookupMember(addr(1)), int(CMemberEntry::kKindNative));
        QVERIFY(introduce(quorel, alice));
        QVERIFY(introduce(quorel, bob));

        alice.net().SendCaptionLine(QStringLiteral("a1"));
        QTRY_COMPARE(bob.countShown(QStringLiteral("a1")), 1);
        bob.net().SendCaptionLine(QStringLiteral("b1"));
        QTRY_COMPARE(alice.countShown(QStringLiteral("b1")), 1);
        QVERIFY(quorel.send(CPortTable::Kind::Main, addr(1), sjis(QStringLiteral("q1"))));
        QVERIFY(quorel.send(CPortTable::Kind::Main, addr(2), sjis(QStringLiteral("q1"))));
        QTRY_COMPARE(alice.countShown(QStringLiteral("q1")), 1);
        QTRY_COMPARE(bob.countShown(QStringLiteral("q1")), 1);
        alice.net().SendCaptionLine(QStringLiteral("a2"));
        QTRY_COMPARE(bob.countShown(QStringLiteral("a2")), 1);

        const QStringList expected = {QStringLiteral("a1"), QStringLiteral("b1"), QStringLiteral("q1"),
                                      QStringLiteral("a2")};
        QCOMPARE(alice.shown(), expected);
        QCOMPARE(bob.shown(), expected);
        QCOMPARE(alice.displayLogged, expected);
        QCOMPARE(bob.displayLogged, expected);
        QVERIFY(bob.refreshes >= 3);

        // The Quorel peer got every native member's own lines on the main port.
        QTRY_COMPARE(quorel.heard(CPortTable::Kind::Main).size(), 3);
        QStringList atPeer;
        for (const QuorelPeer::Heard &h : quorel.heard(CPortTable::Kind::Main))
            atPeer.append(h.from + QLatin1Char(' ') + QString::fromLatin1(h.bytes));
        QCOMPARE(atPeer, QStringList({addr(1) + QStringLiteral(" a1"), addr(2) + QStringLiteral(" b1"),
                                      addr(1) + QStringLiteral(" a2")}));
        // A native member's shared copies are ignored: the same line arrives natively.
        QVERIFY(quorel.send(CPortTable::Kind::Main, addr(1), sjis(QStringLiteral("q2"))));
        QTRY_COMPARE(alice.countShown(QStringLiteral("q2")), 1);
        QCOMPARE(alice.captions.at(alice.captions.count() - 1)->nType, qint32('i'));
    }

    void lostLineIsRepairedBeforeANewerLine()
    {
        NetMember bob(QStringLiteral("bob"), addr(2), kChannel);
        NetMember carol(QStringLiteral("carol"), addr(3), kChannel);
        RawNative typist(addr(7), kChannel);
        QVERIFY(bob.login());
        QVERIFY(carol.login());

        // The typist's first line never arrives.
        const quint32 lost = now();
        QTest::qWait(20);
        carol.net().SendCaptionLine(QStringLiteral("c1"));
        QTRY_COMPARE(bob.countShown(QStringLiteral("c1")), 1);
        const int redraws = bob.redraws;

        // Its next datagram repeats the lost line after its own.
        const RawNative::Record repeated{addr(7), lost, lost, u'D', 0, QStringLiteral("x1")};
        QVERIFY(typist.send(addr(2), RawNative::datagram(1, now(), u'D', QStringLiteral("x2"), {repeated})));
        QTRY_COMPARE(bob.countShown(QStringLiteral("x2")), 1);
        QCOMPARE(bob.shown(), QStringList({QStringLiteral("x1"), QStringLiteral("c1"), QStringLiteral("x2")}));
        QVERIFY(bob.redraws > redraws);
    }

    void duplicatesAreStoredOnce()
    {
        NetMember bob(QStringLiteral("bob"), addr(2), kChannel);
        RawNative typist(addr(7), kChannel);
        QVERIFY(bob.login());
        const quint32 t1 = now();
        const QByteArray first = RawNative::datagram(1, t1, u'D', QStringLiteral("x1"));
        QVERIFY(typist.send(addr(2), first));
        QVERIFY(typist.send(addr(2), first));
        const quint32 t2 = t1 + 5;
        const RawNative::Record again{addr(7), t1, t1, u'D', 0, QStringLiteral("x1")};
        QVERIFY(typist.send(addr(2), RawNative::datagram(1, t2, u'D', QStringLiteral("x2"), {again})));
        QVERIFY(typist.send(addr(2), RawNative::datagram(1, t2 + 5, u'H', QStringLiteral("typist"))));
        QTRY_COMPARE(bob.members.find(addr(7)) ? bob.members.find(addr(7))->strName : QString(),
                     QStringLiteral("typist"));
        QCOMPARE(bob.shown(), QStringList({QStringLiteral("x1"), QStringLiteral("x2")}));
        QCOMPARE(bob.displayLogged, QStringList({QStringLiteral("x1"), QStringLiteral("x2")}));
    }

    void nativeUndoTravelsWithTheHistory()
    {
        NetMember alice(QStringLiteral("alice"), addr(1), kChannel);
        NetMember bob(QStringLiteral("bob"), addr(2), kChannel);
        QVERIFY(alice.login());
        QVERIFY(bob.login());
        alice.net().SendCaptionLine(QStringLiteral("a1"));
        alice.net().SendCaptionLine(QStringLiteral("a2"));
        QTRY_COMPARE(bob.countShown(QStringLiteral("a2")), 1);
        const int redraws = bob.redraws;

        alice.net().Undo();
        QCOMPARE(alice.putBack, QStringList{QStringLiteral("a2")});
        QCOMPARE(alice.shown(), QStringList{QStringLiteral("a1")});
        QCOMPARE(alice.net().undoCount(), 1);
        QTRY_COMPARE(bob.countShown(QStringLiteral("a2")), 0);
        QCOMPARE(bob.shown(), QStringList{QStringLiteral("a1")});
        QVERIFY(bob.redraws > redraws);
        QCOMPARE(bob.net().undoCount(), 1);
        // The record stays, only its flag changed.
        QCOMPARE(bob.captions.count(), 2);
        QCOMPARE(bob.captions.at(1)->nFlag, 1);
    }

    void quorelLineUndoneByANativeMember()
    {
        NetMember alice(QStringLiteral("alice"), addr(1), kChannel);
        NetMember bob(QStringLiteral("bob"), addr(2), kChannel);
        QuorelPeer quorel(addr(9), kChannel);
        QVERIFY(alice.login());
        QVERIFY(bob.login());
        QVERIFY(introduce(quorel, alice));
        alice.net().SendCaptionLine(QStringLiteral("a1"));
        QTRY_COMPARE(bob.countShown(QStringLiteral("a1")), 1);
        QVERIFY(quorel.send(CPortTable::Kind::Main, addr(1), sjis(QStringLiteral("q1"))));
        QVERIFY(quorel.send(CPortTable::Kind::Main, addr(2), sjis(QStringLiteral("q1"))));
        QTRY_COMPARE(alice.countShown(QStringLiteral("q1")), 1);
        QTRY_COMPARE(bob.countShown(QStringLiteral("q1")), 1);

        alice.net().Undo();
        QCOMPARE(alice.putBack, QStringList{QStringLiteral("q1")});
        QTRY_COMPARE(bob.countShown(QStringLiteral("q1")), 0);
        QCOMPARE(bob.shown(), QStringList{QStringLiteral("a1")});
        QTRY_COMPARE(quorel.bytes(CPortTable::Kind::Undo), QList<QByteArray>{QByteArray("undo")});

        // A Quorel peer's own undo withdraws the newest line shown here.
        QVERIFY(quorel.send(CPortTable::Kind::Undo, addr(2), CSharedProtocol::undo()));
        QTRY_COMPARE(bob.countShown(QStringLiteral("a1")), 0);
        QCOMPARE(bob.captions.at(0)->nFlag, 2);
    }

    void screenClearBothWays()
    {
        NetMember alice(QStringLiteral("alice"), addr(1), kChannel);
        NetMember bob(QStringLiteral("bob"), addr(2), kChannel);
        QuorelPeer quorel(addr(9), kChannel);
        QVERIFY(alice.login());
        QVERIFY(bob.login());
        QVERIFY(introduce(quorel, alice));
        alice.net().SendCaptionLine(QStringLiteral("a1"));
        QTRY_COMPARE(bob.countShown(QStringLiteral("a1")), 1);
        const int goLasts = bob.goLasts;

        alice.net().ClearScreen();
        QCOMPARE(alice.captions.at(alice.captions.count() - 1)->nType, qint32('E'));
        QVERIFY(alice.goLasts > 0);
        QTRY_COMPARE(bob.captions.count(), 2);
        QCOMPARE(bob.captions.at(1)->nType, qint32('E'));
        QCOMPARE(bob.goLasts, goLasts + 1);
        QCOMPARE(bob.net().undoCount(), 5);
        QTRY_COMPARE(quorel.bytes(CPortTable::Kind::Undo), QList<QByteArray>{QByteArray("cls")});
        // The clear repeated in later datagrams is not stored again and moves nothing.
        alice.net().SendCaptionLine(QStringLiteral("a2"));
        QTRY_COMPARE(bob.countShown(QStringLiteral("a2")), 1);
        QCOMPARE(bob.captions.count(), 3);
        QCOMPARE(bob.goLasts, goLasts + 1);

        // A Quorel peer's clear: blank lines from the peer, no undo behind it.
        const int before = alice.captions.count();
        QVERIFY(quorel.send(CPortTable::Kind::Undo, addr(1), CSharedProtocol::clearScreen()));
        QTRY_VERIFY(alice.captions.count() > before);
        QCOMPARE(alice.captions.at(alice.captions.count() - 1)->strIpAddress, addr(9));
        QCOMPARE(alice.captions.at(alice.captions.count() - 1)->strRaw, QString());
        QCOMPARE(alice.net().undoCount(), 5);
        alice.net().Undo();
        QVERIFY(alice.putBack.isEmpty());
    }

    void grossBlocksBothWays()
    {
        NetMember alice(QStringLiteral("alice"), addr(1), kChannel);
        NetMember bob(QStringLiteral("bob"), addr(2), kChannel);
        QuorelPeer quorel(addr(9), kChannel);
        QuorelPeer intruder(addr(10), kChannel);
        QVERIFY(alice.login());
        QVERIFY(bob.login());
        QVERIFY(introduce(quorel, alice));

        alice.net().SendGross({QStringLiteral("g1"), QString(), QStringLiteral("g3"), CSharedProtocol::blockEndLine()});
        QTRY_COMPARE(bob.countShown(QStringLiteral("g1\n\ng3")), 1);
        QCOMPARE(bob.captions.at(bob.captions.count() - 1)->nType, qint32('G'));
        QCOMPARE(alice.countShown(QStringLiteral("g1\n\ng3")), 1);
        QVERIFY(bob.goLasts > 0);
        QTRY_COMPARE(quorel.bytes(CPortTable::Kind::MainGross).size(), 4);
        QCOMPARE(quorel.bytes(CPortTable::Kind::MainGross),
                 QList<QByteArray>({"g1", "$null$", "g3", "`@"}));

        // A block from a peer, interrupted by another peer: only the second one's lines count.
        QVERIFY(quorel.send(CPortTable::Kind::MainGross, addr(1), "q1"));
        QTRY_COMPARE(alice.members.find(addr(9)) != nullptr, true);
        QVERIFY(intruder.send(CPortTable::Kind::MainGross, addr(1), "z1"));
        QVERIFY(intruder.send(CPortTable::Kind::MainGross, addr(1), CSharedProtocol::nullLine().toByteArray()));
        QVERIFY(intruder.send(CPortTable::Kind::MainGross, addr(1), CSharedProtocol::blockEnd().toByteArray()));
        QTRY_COMPARE(alice.countShown(QStringLiteral("z1")), 1);
        QCOMPARE(alice.countShown(QStringLiteral("q1")), 0);
        const CReceivedMainData *last = alice.captions.at(alice.captions.count() - 1);
        QCOMPARE(last->strRaw, QString());
        QCOMPARE(last->nType, qint32('g'));
        QCOMPARE(last->strIpAddress, addr(10));
        QCOMPARE(alice.net().undoCount(), 5);
    }

    void contactMessagesShownOnce()
    {
        NetMember alice(QStringLiteral("alice"), addr(1), kChannel);
        NetMember bob(QStringLiteral("bob"), addr(2), kChannel);
        QuorelPeer quorel(addr(9), kChannel);
        QVERIFY(alice.login());
        QVERIFY(bob.login());
        QVERIFY(introduce(quorel, alice));

        alice.net().SendContactMessage(QStringLiteral("hello"));
        QCOMPARE(alice.contactLines, QStringList{QStringLiteral("alice／hello")});
        QTRY_COMPARE(bob.contactLines, QStringList{QStringLiteral("alice／hello")});
        // The next contact datagram repeats the first message: still shown once.
        alice.net().SendContactMessage(QStringLiteral("again"));
        QTRY_COMPARE(bob.contactLines.size(), 2);
        QCOMPARE(bob.contactLines, QStringList({QStringLiteral("alice／hello"), QStringLiteral("alice／again")}));
        QCOMPARE(bob.contactLogged, bob.contactLines);
        QCOMPARE(bob.contacts.count(), 2);
        QTRY_COMPARE(quorel.heard(CPortTable::Kind::Chat).size(), 2);
        QCOMPARE(CCodePage932::decode(quorel.bytes(CPortTable::Kind::Chat).first()), QStringLiteral("alice／hello"));

        // A message from the peer goes to the contact window only.
        QVERIFY(quorel.send(CPortTable::Kind::Chat, addr(1), sjis(QStringLiteral("quo／やあ"))));
        QTRY_COMPARE(alice.contactLines.size(), 3);
        QCOMPARE(alice.contactLines.last(), QStringLiteral("quo／やあ"));
    }

    void contactHistoryRepairsAMissedMessage()
    {
        NetMember bob(QStringLiteral("bob"), addr(2), kChannel);
        RawNative typist(addr(7), kChannel);
        QVERIFY(bob.login());
        const quint32 t = now();
        const RawNative::Record missed{addr(7), t, t, u'C', 0, QStringLiteral("x／missed")};
        QVERIFY(typist.send(addr(2), RawNative::datagram(1, t + 10, u'C', QStringLiteral("x／new"), {missed})));
        QTRY_COMPARE(bob.contactLines.size(), 2);
        QCOMPARE(bob.contactLines, QStringList({QStringLiteral("x／missed"), QStringLiteral("x／new")}));
    }

    void prerollReachesEveryMonitor()
    {
        NetMember alice(QStringLiteral("alice"), addr(1), kChannel);
        NetMember bob(QStringLiteral("bob"), addr(2), kChannel);
        QuorelPeer quorel(addr(9), kChannel);
        QVERIFY(alice.login());
        QVERIFY(bob.login());
        QVERIFY(introduce(quorel, alice));

        alice.net().SendPreroll({QStringLiteral("f1"), QStringLiteral("f2")}, {});
        const QString own = QString(CPftMonitorModel::kOwnAddress);
        QCOMPARE(alice.pft.former(own), QStringLiteral("f1\r\nf2\r\n"));
        QCOMPARE(alice.pft.latter(own), QString());
        QTRY_COMPARE(bob.pft.former(addr(1)), QStringLiteral("f1\r\nf2\r\n"));
        QCOMPARE(bob.pft.latter(addr(1)), QString());
        QCOMPARE(bob.pft.currentMember(), addr(1));
        QTRY_COMPARE(quorel.bytes(CPortTable::Kind::PftFormer).size(), 3);
        QCOMPARE(quorel.bytes(CPortTable::Kind::PftLatter),
                 QList<QByteArray>{CSharedProtocol::eraseMarker().toByteArray()});
        QCOMPARE(quorel.bytes(CPortTable::Kind::PftFormer),
                 QList<QByteArray>({CSharedProtocol::eraseMarker().toByteArray(), "f1", "f2"}));

        // One "A" datagram alone sets both texts through its companion record.
        RawNative typist(addr(7), kChannel);
        const quint32 t = now();
        const RawNative::Record companion{addr(7), t, t, u'B', 0, QStringLiteral("L\r\n")};
        QVERIFY(typist.send(addr(2), RawNative::datagram(1, t, u'A', QStringLiteral("F\r\n"), {companion})));
        QTRY_COMPARE(bob.pft.former(addr(7)), QStringLiteral("F\r\n"));
        QCOMPARE(bob.pft.latter(addr(7)), QStringLiteral("L\r\n"));

        // A Quorel peer's pre-roll, line by line.
        QVERIFY(quorel.send(CPortTable::Kind::PftLatter, addr(1), CSharedProtocol::eraseMarker().toByteArray()));
        QVERIFY(quorel.send(CPortTable::Kind::PftLatter, addr(1), "l1"));
        QVERIFY(quorel.send(CPortTable::Kind::PftLatter, addr(1), CSharedProtocol::newlineMarker().toByteArray()));
        QVERIFY(quorel.send(CPortTable::Kind::PftLatter, addr(1), "l3"));
        QTRY_COMPARE(alice.pft.latter(addr(9)), QStringLiteral("l1\r\n\r\nl3\r\n"));
    }

    void monitorOrdering()
    {
        NetMember bob(QStringLiteral("bob"), addr(2), kChannel);
        RawNative typist(addr(7), kChannel);
        QVERIFY(bob.login());
        const quint32 t = now();
        QVERIFY(typist.send(addr(2), RawNative::datagram(1, t, u'M', QStringLiteral("newer"))));
        QTRY_COMPARE(bob.members.find(addr(7)) ? bob.members.find(addr(7))->strInput : QString(),
                     QStringLiteral("newer"));
        // Sent a second earlier, arriving afterwards: overtaken, dropped.
        QVERIFY(typist.send(addr(2), RawNative::datagram(1, t - 1000, u'M', QStringLiteral("older"))));
        QVERIFY(typist.send(addr(2), RawNative::datagram(1, t - 900, u'H', QStringLiteral("typist"))));
        QTRY_COMPARE(bob.members.find(addr(7))->strName, QStringLiteral("typist"));
        QCOMPARE(bob.members.find(addr(7))->strInput, QStringLiteral("newer"));
        QVERIFY(typist.send(addr(2), RawNative::datagram(1, t + 10, u'M', QStringLiteral("newest"))));
        QTRY_COMPARE(bob.members.find(addr(7))->strInput, QStringLiteral("newest"));

        // Shared monitor text of a Quorel member.
        QuorelPeer quorel(addr(9), kChannel);
        QVERIFY(introduce(quorel, bob));
        QVERIFY(quorel.send(CPortTable::Kind::Monitor, addr(2), sjis(QStringLiteral("127.0.22.9,a,b"))));
        QTRY_COMPARE(bob.members.find(addr(9))->strInput, QStringLiteral("a,b"));
    }

    void nativeSendersAreIgnoredOnSharedPorts()
    {
        NetMember bob(QStringLiteral("bob"), addr(2), kChannel);
        RawNative typist(addr(7), kChannel);
        QuorelPeer sameAddress(addr(7), kChannel);
        QVERIFY(bob.login());
        QVERIFY(typist.send(addr(2), RawNative::datagram(1, now(), u'H', QStringLiteral("typist"))));
        QTRY_VERIFY(bob.members.find(addr(7)) != nullptr);
        QVERIFY(sameAddress.send(CPortTable::Kind::Main, addr(2), "shared copy"));
        QVERIFY(typist.send(addr(2), RawNative::datagram(1, now(), u'D', QStringLiteral("native"))));
        QTRY_COMPARE(bob.countShown(QStringLiteral("native")), 1);
        QCOMPARE(bob.countShown(QStringLiteral("shared copy")), 0);
    }

private:
    std::unique_ptr<TestHome> m_home;
};

QTEST_GUILESS_MAIN(TestDispatch)
#include "test_dispatch.moc"
