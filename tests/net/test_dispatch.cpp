// Members on loopback sending to one another: every send path and what each receiver makes of
// it, for members of this program and for Quorel peers.
#include "NetFixture.h"

#include "net/CSendPaths.h"

#include <QtTest>

// Loopback addresses 127.0.22.x and channel 4 belong to this executable.
namespace {

const int kChannel = 4;
using Kind = CPortTable::Kind;
QString addr(int host)
{
    return u"127.0.22.%1"_qs.arg(host);
}

// alice and bob online and known to each other, a Quorel peer known to alice, and a listener
// that hears every broadcast.
struct Group
{
    NetMember alice{u"alice"_qs, addr(1), kChannel};
    NetMember bob{u"bob"_qs, addr(2), kChannel};
    NetPeer quorel{addr(9), kChannel};
    NetPeer listener{addr(8), kChannel, true};
    bool online() { return loginAll({&alice, &bob}) && quorel.introduceTo(alice); }
};

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
        Group group;
        QVERIFY(group.online());
        auto &[alice, bob, quorel, listener] = group;
        QVERIFY(quorel.introduceTo(bob));

        alice.net().SendCaptionLine(u"a1"_qs);
        QTRY_COMPARE(bob.countShown(u"a1"_qs), 1);
        bob.net().SendCaptionLine(QString());
        QTRY_COMPARE(alice.countShown(QString()), 1);
        QVERIFY(quorel.send(Kind::Main, addr(1), sjis(u"q1"_qs)));
        QVERIFY(quorel.send(Kind::Main, addr(2), sjis(u"q1"_qs)));
        QTRY_VERIFY(alice.countShown(u"q1"_qs) == 1 && bob.countShown(u"q1"_qs) == 1);
        // Own lines in one millisecond are still told apart.
        for (const char *line : {"a2", "a3", "a4"})
            alice.net().SendCaptionLine(QString::fromLatin1(line));
        QTRY_COMPARE(bob.countShown(u"a4"_qs), 1);

        for (const NetMember *member : {&alice, &bob}) {
            QCOMPARE(member->shown(), lines("a1||q1|a2|a3|a4"));
            QCOMPARE(member->displayLogged, lines("a1||q1|a2|a3|a4"));
        }
        QVERIFY(bob.refreshes >= 3);
        QCOMPARE(alice.captions.at(2)->nType, qint32('i'));

        // An empty line is a native "D" of length 0 and "$改行$" to the peer, which got every
        // native member's own lines on the main port.
        QTRY_COMPARE(listener.count(addr(2), u'D'), 1);
        for (const NetPeer::Heard &h : listener.heard(Kind::Native)) {
            if (h.from == addr(2) && utf16Text(h.bytes).at(9) == u'D')
                QCOMPARE(utf16Text(h.bytes).mid(9, 5), u"D0000"_qs);
        }
        QTRY_COMPARE(quorel.heard(Kind::Main).size(), 5);
        QStringList atPeer;
        for (const NetPeer::Heard &h : quorel.heard(Kind::Main))
            atPeer.append(h.from.right(1) + QLatin1Char(' ') + CCodePage932::decode(h.bytes));
        QCOMPARE(atPeer, lines("1 a1|2 $改行$|1 a2|1 a3|1 a4"));
    }

    void lostLineIsRepairedBeforeANewerLine()
    {
        NetMember bob(u"bob"_qs, addr(2), kChannel);
        NetMember carol(u"carol"_qs, addr(3), kChannel);
        NetPeer typist(addr(7), kChannel);
        QVERIFY(loginAll({&bob, &carol}));

        // The typist's first line never arrives.
        const quint32 lost = limitedNow();
        QTest::qWait(20);
        carol.net().SendCaptionLine(u"c1"_qs);
        QTRY_COMPARE(bob.countShown(u"c1"_qs), 1);
        const int redraws = bob.redraws;

        // Its next datagram repeats the lost line after its own.
        const NetPeer::Record repeated{addr(7), lost, lost, u'D', 0, u"x1"_qs};
        const quint32 next = limitedNow();
        QVERIFY(typist.send(Kind::Native, addr(2), NetPeer::native(1, next, u'D', u"x2"_qs, {repeated})));
        QTRY_COMPARE(bob.countShown(u"x2"_qs), 1);
        QCOMPARE(bob.shown(), lines("x1|c1|x2"));
        QCOMPARE(bob.displayLogged, lines("c1|x1|x2"));
        QVERIFY(bob.redraws > redraws);

        // The same datagram again, and its lines repeated once more: all already here.
        QVERIFY(typist.send(Kind::Native, addr(2), NetPeer::native(1, lost, u'D', u"x1"_qs)));
        QVERIFY(typist.send(Kind::Native, addr(2),
                            NetPeer::native(1, next + 1, u'D', u"x3"_qs, {repeated, repeated})));
        QTRY_COMPARE(bob.countShown(u"x3"_qs), 1);
        QCOMPARE(bob.shown(), lines("x1|c1|x2|x3"));
        QCOMPARE(bob.displayLogged, lines("c1|x1|x2|x3"));
    }

    void undoAcrossMembers()
    {
        Group group;
        QVERIFY(group.online());
        auto &[alice, bob, quorel, listener] = group;
        alice.net().SendCaptionLine(u"a1"_qs);
        QTRY_COMPARE(bob.countShown(u"a1"_qs), 1);
        QVERIFY(quorel.send(Kind::Main, addr(1), sjis(u"q1"_qs)));
        QVERIFY(quorel.send(Kind::Main, addr(2), sjis(u"q1"_qs)));
        QTRY_VERIFY(alice.countShown(u"q1"_qs) == 1 && bob.countShown(u"q1"_qs) == 1);

        // A Quorel line undone here is undone at the other members through the "U" text.
        alice.net().Undo();
        QCOMPARE(alice.putBack, lines("q1"));
        QTRY_COMPARE(bob.shown(), lines("a1"));
        QTRY_COMPARE(quorel.bytes(Kind::Undo), QList<QByteArray>{"undo"});
        // A Quorel peer's own undo withdraws the newest line shown here.
        QVERIFY(quorel.send(Kind::Undo, addr(2), CSharedProtocol::undo()));
        QTRY_COMPARE(bob.shown(), QStringList());
        QCOMPARE(bob.captions.at(0)->nFlag, 2);

        // Native lines: the withdrawal travels with the history; the record stays, flagged.
        for (int i = 2; i <= 6; ++i)
            alice.net().SendCaptionLine(u"a%1"_qs.arg(i));
        QTRY_COMPARE(bob.countShown(u"a6"_qs), 1);
        const int redraws = bob.redraws;
        for (int i = 0; i < 6; ++i)
            alice.net().Undo();
        // The limit is 5: the sixth changes nothing and sends nothing.
        QCOMPARE(alice.net().undoCount(), 5);
        QCOMPARE(alice.putBack, lines("q1|a6|a5|a4|a3|a2"));
        QCOMPARE(alice.shown(), lines("a1"));
        QTRY_COMPARE(bob.shown(), QStringList());
        QVERIFY(bob.redraws > redraws);
        QCOMPARE(bob.net().undoCount(), 5);
        QCOMPARE(bob.captions.count(), 7);
        QCOMPARE(bob.newest().nFlag, 1);
        QTRY_COMPARE(quorel.bytes(Kind::Undo).size(), 6);
        QTRY_COMPARE(listener.count(addr(1), u'U'), 6);

        // The "U" text names the undone line: time, group letter, kind letter, author.
        const QString named = u"%1,A,D,127.0.22.1"_qs.arg(alice.newest().nTimeSent, 8);
        QStringList undoTexts;
        for (const QByteArray &bytes : listener.bytes(Kind::Native))
            undoTexts.append(utf16Text(bytes).mid(9, 5 + named.size()));
        QVERIFY(undoTexts.contains(u"U0046"_qs + named));

        // A new line frees one step.
        alice.net().SendCaptionLine(u"a7"_qs);
        QCOMPARE(alice.net().undoCount(), 4);
        alice.net().Undo();
        QCOMPARE(alice.putBack.last(), u"a7"_qs);
    }

    void screenClearBothWays()
    {
        Group group;
        QVERIFY(group.online());
        auto &[alice, bob, quorel, listener] = group;
        alice.net().SendCaptionLine(u"a1"_qs);
        QTRY_COMPARE(bob.countShown(u"a1"_qs), 1);
        const int goLasts = bob.goLasts;

        alice.net().ClearScreen();
        QCOMPARE(alice.newest().nType, qint32('E'));
        QCOMPARE(alice.goLasts, 1);
        QTRY_COMPARE(bob.captions.count(), 2);
        QCOMPARE(bob.newest().nType, qint32('E'));
        QCOMPARE(bob.goLasts, goLasts + 1);
        QCOMPARE(bob.net().undoCount(), 5);
        QTRY_COMPARE(quorel.bytes(Kind::Undo), QList<QByteArray>{"cls"});
        // The clear repeated in later datagrams is not stored again and moves nothing.
        alice.net().SendCaptionLine(u"a2"_qs);
        QTRY_COMPARE(bob.countShown(u"a2"_qs), 1);
        QCOMPARE(bob.captions.count(), 3);
        QCOMPARE(bob.goLasts, goLasts + 1);

        // A Quorel peer's clear: blank lines from the peer, no undo behind it.
        const int before = alice.captions.count();
        QVERIFY(quorel.send(Kind::Undo, addr(1), CSharedProtocol::clearScreen()));
        QTRY_VERIFY(alice.captions.count() > before);
        QCOMPARE(alice.newest().strIpAddress, addr(9));
        QCOMPARE(alice.newest().strRaw, QString());
        QCOMPARE(alice.net().undoCount(), 5);
        alice.net().Undo();
        QVERIFY(alice.putBack.isEmpty());
    }

    void grossBlocksBothWays()
    {
        Group group;
        QVERIFY(group.online());
        auto &[alice, bob, quorel, listener] = group;
        NetPeer intruder(addr(10), kChannel);

        alice.net().SendGross({u"g1"_qs, QString(), u"g3"_qs, CSharedProtocol::blockEndLine()});
        QTRY_COMPARE(bob.countShown(u"g1\n\ng3"_qs), 1);
        QCOMPARE(bob.newest().nType, qint32('G'));
        QCOMPARE(alice.shown(), QStringList{u"g1\n\ng3"_qs});
        QVERIFY(bob.goLasts > 0);
        QTRY_COMPARE(quorel.bytes(Kind::MainGross), QList<QByteArray>({"g1", "$null$", "g3", "`@"}));

        // A block from a peer, interrupted by another peer: only the second one's lines count.
        QVERIFY(quorel.send(Kind::MainGross, addr(1), "q1"));
        QVERIFY(intruder.send(Kind::MainGross, addr(1), "z1"));
        QVERIFY(intruder.send(Kind::MainGross, addr(1), CSharedProtocol::nullLine().toByteArray()));
        QVERIFY(intruder.send(Kind::MainGross, addr(1), CSharedProtocol::blockEnd().toByteArray()));
        QTRY_COMPARE(alice.countShown(u"z1"_qs), 1);
        QCOMPARE(alice.countShown(u"q1"_qs), 0);
        QCOMPARE(alice.newest().strRaw, QString());
        QCOMPARE(alice.newest().nType, qint32('g'));
        QCOMPARE(alice.newest().strIpAddress, addr(10));
        QCOMPARE(alice.net().undoCount(), 5);
    }

    void contactMessagesShownOnce()
    {
        Group group;
        QVERIFY(group.online());
        auto &[alice, bob, quorel, listener] = group;

        alice.net().SendContactMessage(u"hello"_qs);
        QCOMPARE(alice.contactLines, lines("alice／hello"));
        QTRY_COMPARE(bob.contactLines, lines("alice／hello"));
        // The next contact datagram repeats the first message: still shown once.
        alice.net().SendContactMessage(u"again"_qs);
        QTRY_COMPARE(bob.contactLines, lines("alice／hello|alice／again"));
        QCOMPARE(bob.contactLogged, bob.contactLines);
        QCOMPARE(bob.contacts.count(), 2);
        QTRY_COMPARE(quorel.bytes(Kind::Chat).size(), 2);
        QCOMPARE(CCodePage932::decode(quorel.bytes(Kind::Chat).first()), u"alice／hello"_qs);

        // A message from the peer goes to the contact window only.
        QVERIFY(quorel.send(Kind::Chat, addr(1), sjis(u"quo／やあ"_qs)));
        QTRY_COMPARE(alice.contactLines.size(), 3);
        QCOMPARE(alice.contactLines.last(), u"quo／やあ"_qs);
        QCOMPARE(alice.contacts.count(), 2);

        // A message missed earlier arrives with another member's contact history.
        NetPeer typist(addr(7), kChannel);
        const quint32 t = limitedNow();
        const NetPeer::Record missed{addr(7), t, t, u'C', 0, u"x／missed"_qs};
        QVERIFY(typist.send(Kind::Native, addr(2), NetPeer::native(1, t + 10, u'C', u"x／new"_qs, {missed})));
        QTRY_COMPARE(bob.contactLines, lines("alice／hello|alice／again|x／missed|x／new"));
        // Received when the typist had it, less the time its datagram took to come.
        QCOMPARE(bob.contacts.at(2)->nTimeReceived, bob.contacts.at(3)->nTimeActualReceived - 10);
    }

    void prerollReachesEveryMonitor()
    {
        Group group;
        QVERIFY(group.online());
        auto &[alice, bob, quorel, listener] = group;

        alice.net().SendPreroll({u"f1"_qs, u"f2"_qs}, {});
        const QString own = QString(CPftMonitorModel::kOwnAddress);
        QCOMPARE(alice.pft.former(own), u"f1\r\nf2\r\n"_qs);
        QCOMPARE(alice.pft.latter(own), QString());
        QTRY_COMPARE(bob.pft.former(addr(1)), u"f1\r\nf2\r\n"_qs);
        QCOMPARE(bob.pft.latter(addr(1)), QString());
        QCOMPARE(bob.pft.currentMember(), addr(1));
        const QByteArray erase = CSharedProtocol::eraseMarker().toByteArray();
        QTRY_COMPARE(quorel.bytes(Kind::PftFormer), QList<QByteArray>({erase, "f1", "f2"}));
        QCOMPARE(quorel.bytes(Kind::PftLatter), QList<QByteArray>{erase});

        // One "A" datagram alone sets both texts through its companion record.
        NetPeer typist(addr(7), kChannel);
        const quint32 t = limitedNow();
        const NetPeer::Record companion{addr(7), t, t, u'B', 0, u"L\r\n"_qs};
        QVERIFY(typist.send(Kind::Native, addr(2), NetPeer::native(1, t, u'A', u"F\r\n"_qs, {companion})));
        QTRY_COMPARE(bob.pft.former(addr(7)), u"F\r\n"_qs);
        QCOMPARE(bob.pft.latter(addr(7)), u"L\r\n"_qs);

        // A Quorel peer's pre-roll, line by line.
        for (const QByteArray &datagram :
             {erase, QByteArray("l1"), CSharedProtocol::newlineMarker().toByteArray(), QByteArray("l3")})
            QVERIFY(quorel.send(Kind::PftLatter, addr(1), datagram));
        QTRY_COMPARE(alice.pft.latter(addr(9)), u"l1\r\n\r\nl3\r\n"_qs);
    }

    void monitorOrdering()
    {
        NetMember bob(u"bob"_qs, addr(2), kChannel);
        NetPeer typist(addr(7), kChannel);
        NetPeer quorel(addr(9), kChannel);
        QVERIFY(bob.login());
        const auto typed = [&] {
            return bob.members.find(addr(7)) ? bob.members.find(addr(7))->strInput : QString();
        };
        const quint32 t = limitedNow();
        QVERIFY(typist.send(Kind::Native, addr(2), NetPeer::native(1, t, u'M', u"newer"_qs)));
        QTRY_COMPARE(typed(), u"newer"_qs);
        // Sent a second earlier, arriving afterwards: overtaken, dropped.
        QVERIFY(typist.send(Kind::Native, addr(2), NetPeer::native(1, t - 1000, u'M', u"older"_qs)));
        QVERIFY(typist.send(Kind::Native, addr(2), NetPeer::native(1, t - 900, u'H', u"typist"_qs)));
        QTRY_COMPARE(bob.members.find(addr(7))->strName, u"typist"_qs);
        QCOMPARE(typed(), u"newer"_qs);
        QVERIFY(typist.send(Kind::Native, addr(2), NetPeer::native(1, t + 10, u'M', u"newest"_qs)));
        QTRY_COMPARE(typed(), u"newest"_qs);

        // Shared monitor text of a Quorel member.
        QVERIFY(quorel.introduceTo(bob));
        QVERIFY(quorel.send(Kind::Monitor, addr(2), sjis(u"127.0.22.9,a,b"_qs)));
        QTRY_COMPARE(bob.members.find(addr(9))->strInput, u"a,b"_qs);
    }

    void offlineOnlyStoresWithTimeZero()
    {
        NetMember alice(u"alice"_qs, addr(1), kChannel);
        alice.net().SendCaptionLine(u"offline"_qs);
        alice.net().SendMonitor(u"typing"_qs);
        QCOMPARE(alice.shown(), lines("offline"));
        QCOMPARE(alice.newest().nType, qint32('D'));
        QCOMPARE(alice.newest().nTimeSent, 0);
        QCOMPARE(alice.newest().nTimeReceived, 0);
        QVERIFY(!alice.net().monitorResendActive());
        QCOMPARE(alice.refreshes, 1);
        QCOMPARE(alice.displayLogged, lines("offline"));

        alice.net().SendContactMessage(u"memo"_qs);
        QCOMPARE(alice.contacts.count(), 1);
        QCOMPARE(alice.contacts.at(0)->nTimeSent, 0);
        alice.config.SetString(u"miscellaneous.delimiter.speaker"_qs, u": "_qs);
        alice.net().setContactLogEnabled(false);
        alice.net().SendContactMessage(u"hi"_qs);
        QCOMPARE(alice.contactLines, lines("alice／memo|alice: hi"));
        QCOMPARE(alice.contactLogged, lines("alice／memo"));
        alice.net().SendPreroll({u"f"_qs}, {u"l"_qs});
        QCOMPARE(alice.pft.former(QString(CPftMonitorModel::kOwnAddress)), u"f\r\n"_qs);
        QCOMPARE(alice.pft.latter(QString(CPftMonitorModel::kOwnAddress)), u"l\r\n"_qs);

        // No undo reaches behind a clear or a block.
        alice.net().ClearScreen();
        QCOMPARE(alice.newest().nType, qint32('E'));
        QCOMPARE(alice.goLasts, 1);
        alice.net().Undo();
        // The offline gross text stops at 1472 bytes.
        alice.net().SendGross({QString(700, u'a'), QString(100, u'b')});
        QCOMPARE(alice.newest().strRaw, QString(700, u'a'));
        QCOMPARE(alice.newest().nTimeSent, 0);
        alice.net().Undo();
        QVERIFY(alice.putBack.isEmpty());
        QCOMPARE(alice.countShown(u"offline"_qs), 1);
    }

    void grossText_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("limit");
        QTest::addColumn<QString>("expected");
        QTest::newRow("all lines") << lines("a||c") << 1472 << u"a\n\nc"_qs;
        QTest::newRow("end marker second") << lines("a|`@|c") << 1472 << u"a"_qs;
        QTest::newRow("exactly at the limit") << lines("ab|c") << 8 << u"ab\nc"_qs;
        QTest::newRow("one byte over") << lines("ab|cd") << 8 << u"ab"_qs;
        QTest::newRow("first line too long") << lines("abcde") << 8 << QString();
        QTest::newRow("empty list") << QStringList() << 1472 << QString();
    }

    void grossText()
    {
        QFETCH(QStringList, lines);
        QFETCH(int, limit);
        QFETCH(QString, expected);
        QCOMPARE(CSendPaths::BuildGrossText(lines, limit), expected);
    }

    void monitorTextAndItsResend()
    {
        Group group;
        QVERIFY(group.online());
        auto &[alice, bob, quorel, listener] = group;
        alice.net().SendMonitor(u"typ,ing"_qs);
        QTRY_COMPARE(listener.count(addr(1), u'M'), 1);
        QTRY_COMPARE(quorel.bytes(Kind::Monitor), QList<QByteArray>{"127.0.22.1,typ,ing"});

        // After a line the input goes out twice more, natively only; a second line restarts it.
        alice.focusedText = u"next"_qs;
        alice.net().SendCaptionLine(u"l1"_qs);
        QVERIFY(alice.net().monitorResendActive());
        QCOMPARE(alice.net().monitorResendCount(), 2);
        alice.net().SendCaptionLine(u"l2"_qs);
        QCOMPARE(alice.net().monitorResendCount(), 2);
        QTRY_VERIFY(!alice.net().monitorResendActive());
        QCOMPARE(alice.net().monitorResendCount(), 0);
        QTRY_COMPARE(listener.count(addr(1), u'M'), 3);
        const QByteArray last = listener.bytes(Kind::Native).last();
        QCOMPARE(utf16Text(last).mid(9, 9), u"M0008next"_qs);
        QCOMPARE(quorel.bytes(Kind::Monitor).size(), 1);

        // Offline the resend sends nothing and stops.
        alice.net().SendCaptionLine(u"l3"_qs);
        alice.net().SetOffline();
        QTRY_VERIFY(!alice.net().monitorResendActive());
    }

private:
    std::unique_ptr<TestHome> m_home;
};

QTEST_GUILESS_MAIN(TestDispatch)
#include "test_dispatch.moc"
