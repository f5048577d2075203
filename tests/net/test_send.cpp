#include "test_session_fixture.h"

#include "TestHome.h"

#include "core/CodePage932.h"
#include "core/ContinuousTime.h"
#include "net/CSendPaths.h"
#include "net/CSharedProtocol.h"

#include <QtTest>

// Loopback addresses 127.0.24.x and channel 6 belong to this executable.
namespace {

const int kChannel = 6;
QString addr(int host) { return QStringLiteral("127.0.24.%1").arg(host); }

bool introduce(QuorelPeer &peer, NetMember &member)
{
    if (!peer.send(CPortTable::Kind::Login, member.address(),
                   CSharedProtocol::login(peer.address(), QStringLiteral("quo"), 1)))
        return false;
    return QTest::qWaitFor([&] { return member.members.lookupMember(peer.address()) == CMemberEntry::kKindQuorel; });
}

// Monitor datagrams heard from a member after its first caption datagram.
int monitorsAfterLine(const RawNative &listener, const QString &from)
{
    int count = 0;
    bool afterLine = false;
    for (const RawNative::Heard &h : listener.heard) {
        if (h.from != from || h.text.size() < 10)
            continue;
        if (h.text.at(9) == QLatin1Char('D'))
            afterLine = true;
        else if (afterLine && h.text.at(9) == QLatin1Char('M'))
            ++count;
    }
    return count;
}

} // namespace

class TestSend final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { ContinuousTime::Initialize(); }
    void init() { m_home = std::make_unique<TestHome>(); }
    void cleanup() { m_home.reset(); }

    void offlineOnlyStoresWithTimeZero()
    {
        NetMember alice(QStringLiteral("alice"), addr(1), kChannel);
        alice.net().SendCaptionLine(QStringLiteral("offline"));
        alice.net().SendMonitor(QStringLiteral("typing"));
        QCOMPARE(alice.captions.count(), 1);
        const CReceivedMainData *record = alice.captions.at(0);
        QCOMPARE(record->strRaw, QStringLiteral("offline"));
        QCOMPARE(record->nType, qint32('D'));
        QCOMPARE(record->nTimeSent, 0);
        QCOMPARE(record->nTimeReceived, 0);
        QVERIFY(!alice.net().monitorResendActive());
        QCOMPARE(alice.refreshes, 1);
        QCOMPARE(alice.displayLogged, QStringList{QStringLiteral("offline")});

        alice.net().SendContactMessage(QStringLiteral("memo"));
        QCOMPARE(alice.contactLines, QStringList{QStringLiteral("alice／memo")});
        QCOMPARE(alice.contacts.count(), 1);
        QCOMPARE(alice.contacts.at(0)->nTimeSent, 0);

        alice.net().ClearScreen();
        QCOMPARE(alice.captions.at(1)->nType, qint32('E'));
        QCOMPARE(alice.goLasts, 1);
        alice.net().SendPreroll({QStringLiteral("f")}, {QStringLiteral("l")});
        QCOMPARE(alice.pft.former(QString(CPftMonitorModel::kOwnAddress)), QStringLiteral("f\r\n"));
        QCOMPARE(alice.pft.latter(QString(CPftMonitorModel::kOwnAddress)), QStringLiteral("l\r\n"));

        // The offline gross text stops at 1472 bytes.
        alice.net().SendGross({QString(700, QLatin1Char('a')), QString(100, QLatin1Char('b'))});
        QCOMPARE(alice.captions.at(2)->strRaw, QString(700, QLatin1Char('a')));
        QCOMPARE(alice.captions.at(2)->nTimeSent, 0);
    }

    void speakerDelimiter_data()
    {
        QTest::addColumn<QString>("delimiter");
        QTest::addColumn<QString>("expected");
        QTest::newRow("default") << QString() << QStringLiteral("alice／hi");
        QTest::newRow("configured") << QStringLiteral(": ") << QStringLiteral("alice: hi");
    }

    void speakerDelimiter()
    {
        QFETCH(QString, delimiter);
        QFETCH(QString, expected);
        NetMember alice(QStringLiteral("alice"), addr(1), kChannel);
        alice.config.SetString(QStringLiteral("miscellaneous.delimiter.speaker"), delimiter);
        alice.net().SendContactMessage(QStringLiteral("hi"));
        QCOMPARE(alice.contactLines, QStringList{expected});
        QCOMPARE(alice.contactLogged, QStringList{expected});
        alice.net().setContactLogEnabled(false);
        alice.net().SendContactMessage(QStringLiteral("hi"));
        QCOMPARE(alice.contactLogged.size(), 1);
    }

    void grossText_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("limit");
        QTest::addColumn<QString>("expected");
        QTest::newRow("all lines") << QStringList{QStringLiteral("a"), QString(), QStringLiteral("c")} << 1472
                                   << QStringLiteral("a\n\nc");
        QTest::newRow("end marker second") << QStringList{QStringLiteral("a"), QStringLiteral("`@"), QStringLiteral("c")}
                                           << 1472 << QStringLiteral("a");
        QTest::newRow("exactly at the limit") << QStringList{QStringLiteral("ab"), QStringLiteral("c")} << 8
                                              << QStringLiteral("ab\nc");
        QTest::newRow("one byte over") << QStringList{QStringLiteral("ab"), QStringLiteral("cd")} << 8
                                       << QStringLiteral("ab");
        QTest::newRow("first line too long") << QStringList{QStringLiteral("abcde")} << 8 << QString();
        QTest::newRow("empty list") << QStringList{} << 1472 << QString();
    }

    void grossText()
    {
        QFETCH(QStringList, lines);
        QFETCH(int, limit);
        QFETCH(QString, expected);
        QCOMPARE(CSendPaths::BuildGrossText(lines, limit), expected);
    }

    void emptyLineOnline()
    {
        NetMember alice(QStringLiteral("alice"), addr(1), kChannel);
        NetMember bob(QStringLiteral("bob"), addr(2), kChannel);
        QuorelPeer quorel(addr(9), kChannel);
        RawNative listener(addr(8), kChannel, true);
        QVERIFY(alice.login());
        QVERIFY(bob.login());
        QVERIFY(introduce(quorel, alice));
        alice.net().SendCaptionLine(QString());
        QTRY_COMPARE(listener.count(addr(1), u'D'), 1);
        for (const RawNative::Heard &h : listener.heard) {
            if (h.from == addr(1) && h.text.at(9) == QLatin1Char('D'))
                QCOMPARE(h.text.mid(10, 4), QStringLiteral("0000"));
        }
        QTRY_COMPARE(quorel.bytes(CPortTable::Kind::Main), QList<QByteArray>{CSharedProtocol::newlineMarker().toByteArray()});
        QTRY_COMPARE(bob.captions.count(), 1);
        QCOMPARE(bob.captions.at(0)->strRaw, QString());
        QCOMPARE(alice.captions.at(0)->strRaw, QString());
    }

    void monitorTextAndItsResend()
    {
        NetMember alice(QStringLiteral("alice"), addr(1), kChannel);
        QuorelPeer quorel(addr(9), kChannel);
        RawNative listener(addr(8), kChannel, true);
        QVERIFY(alice.login());
        QVERIFY(introduce(quorel, alice));

        alice.net().SendMonitor(QStringLiteral("typ,ing"));
        QTRY_COMPARE(listener.count(addr(1), u'M'), 1);
        QTRY_COMPARE(quorel.bytes(CPortTable::Kind::Monitor), QList<QByteArray>{QByteArray("127.0.24.1,typ,ing")});

        // After a line the emptied input goes out twice more, natively only.
        alice.focusedText = QStringLiteral("next");
        alice.net().SendCaptionLine(QStringLiteral("l1"));
        QVERIFY(alice.net().monitorResendActive());
        QCOMPARE(alice.net().monitorResendCount(), 2);
        // A second line restarts the count.
        alice.net().SendCaptionLine(QStringLiteral("l2"));
        QCOMPARE(alice.net().monitorResendCount(), 2);
        QTRY_VERIFY(!alice.net().monitorResendActive());
        QCOMPARE(alice.net().monitorResendCount(), 0);
        QTRY_COMPARE(monitorsAfterLine(listener, addr(1)), 2);
        for (const RawNative::Heard &h : listener.heard) {
            if (h.from == addr(1) && h.text.at(9) == QLatin1Char('M') && h.text.contains(QStringLiteral("next")))
                QVERIFY(h.text.mid(14).startsWith(QStringLiteral("next")));
        }
        QCOMPARE(quorel.bytes(CPortTable::Kind::Monitor).size(), 1);

        // Offline the resend sends nothing and stops.
        alice.net().SendCaptionLine(QStringLiteral("l3"));
        alice.net().SetOffline();
        QTRY_VERIFY(!alice.net().monitorResendActive());
    }

    void undoUpToTheLimit()
    {
        NetMember alice(QStringLiteral("alice"), addr(1), kChannel);
        QuorelPeer quorel(addr(9), kChannel);
        RawNative listener(addr(8), kChannel, true);
        QVERIFY(alice.login());
        QVERIFY(introduce(quorel, alice));
        for (int i = 1; i <= 6; ++i)
            alice.net().SendCaptionLine(QStringLiteral("line %1").arg(i));
        for (int i = 0; i < 5; ++i)
            alice.net().Undo();
        QCOMPARE(alice.net().undoCount(), 5);
        QCOMPARE(alice.shown(), QStringList{QStringLiteral("line 1")});
        QCOMPARE(alice.putBack.size(), 5);
        QCOMPARE(alice.putBack.first(), QStringLiteral("line 6"));
        QTRY_COMPARE(listener.count(addr(1), u'U'), 5);

        // The "U" text names the undone line: time, group letter, kind letter, author.
        const CReceivedMainData *undone = alice.captions.at(1);
        const QString expectedText = QStringLiteral("%1,A,D,127.0.24.1").arg(undone->nTimeSent, 8);
        bool found = false;
        for (const RawNative::Heard &h : listener.heard) {
            if (h.from == addr(1) && h.text.at(9) == QLatin1Char('U'))
                found = found || h.text.mid(14, expectedText.size()) == expectedText;
        }
        QVERIFY(found);

        // At the limit: nothing changes and nothing is sent.
        alice.net().Undo();
        QCOMPARE(alice.shown(), QStringList{QStringLiteral("line 1")});
        QCOMPARE(alice.putBack.size(), 5);
        alice.net().SendMonitor(QStringLiteral("sentinel"));
        QTRY_COMPARE(listener.count(addr(1), u'M'), 1);
        QCOMPARE(listener.count(addr(1), u'U'), 5);
        QTRY_COMPARE(quorel.bytes(CPortTable::Kind::Undo).size(), 5);
        QCOMPARE(quorel.bytes(CPortTable::Kind::Undo).first(), QByteArray("undo"));

        // A new line frees one step.
        alice.net().SendCaptionLine(QStringLiteral("line 7"));
        QCOMPARE(alice.net().undoCount(), 4);
        alice.net().Undo();
        QCOMPARE(alice.putBack.last(), QStringLiteral("line 7"));
    }

    void undoStopsAtAClearOrBlock()
    {
        NetMember alice(QStringLiteral("alice"), addr(1), kChannel);
        alice.net().SendCaptionLine(QStringLiteral("before"));
        alice.net().ClearScreen();
        alice.net().Undo();
        QVERIFY(alice.putBack.isEmpty());
        QCOMPARE(alice.countShown(QStringLiteral("before")), 1);
        alice.net().SendGross({QStringLiteral("g")});
        alice.net().Undo();
        QVERIFY(alice.putBack.isEmpty());
        QCOMPARE(alice.countShown(QStringLiteral("g")), 1);
    }

    void ownLinesInOneMillisecondStayApart()
    {
        NetMember alice(QStringLiteral("alice"), addr(1), kChannel);
        NetMember bob(QStringLiteral("bob"), addr(2), kChannel);
        QVERIFY(alice.login());
        QVERIFY(bob.login());
        for (int i = 0; i < 5; ++i)
            alice.net().SendCaptionLine(QStringLiteral("burst %1").arg(i));
        QTRY_COMPARE(bob.captions.count(), 5);
        QCOMPARE(bob.shown(), alice.shown());
    }

private:
    std::unique_ptr<TestHome> m_home;
};

QTEST_GUILESS_MAIN(TestSend)
#include "test_send.moc"
