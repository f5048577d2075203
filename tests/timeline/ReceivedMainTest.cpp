#include "FixedWidthMeasurer.h"
#include "StoreEnvironment.h"

#include <QtTest>

namespace {

const QString kA = QStringLiteral("10.0.0.1");
const QString kB = QStringLiteral("10.0.0.2");
const QString kC = QStringLiteral("10.0.0.3");

// One stored or incoming line of a scenario.
struct Line
{
    QString who;
    qint32 sent = 0;
    qint32 received = 0;
    qint32 flag = 0;
    char type = 'D';
};

} // namespace

Q_DECLARE_METATYPE(Line)

class ReceivedMainTest final : public QObject
{
    Q_OBJECT

private slots:
    void diffTimeOfDay_data();
    void diffTimeOfDay();
    void locate_data();
    void locate();
    void locateIgnoresLineTypedBeforeChannelSwitch();
    void channelSwitchAndLogoffRestartBaseTick();
    void locateTooOldBeyondSearchLimit_data();
    void locateTooOldBeyondSearchLimit();
    void repairedLineGoesBeforeOtherTypistsNewerLine();
    void duplicateFromRepeatedRecordIsStoredOnce();
    void withdrawalUpdateHidesStoredLine();
    void undoDataRefusals_data();
    void undoDataRefusals();
    void configure_data();
    void configure();
    void appendAtCapacityEvictsOldest();
    void insertAtCapacityShiftsLaterSerials();
    void refusedInsertIsLoggedAndStillCounts();
    void nothingIsKeptWithoutCapacity();
    void removeLastString();
    void removeLastStringRefusesClearAndGross_data();
    void removeLastStringRefusesClearAndGross();
    void removeLastStringOnEmptyOrWithdrawnStore();
    void removeLastStringFromQuorel();
    void screenClearStoredAsLineFeeds();
    void addStringRecord();
    void history();
    void getAndSetAtPosition();
    void searchFindsEveryLineAmongPlainOnes();
};

void ReceivedMainTest::diffTimeOfDay_data()
{
    QTest::addColumn<qint32>("a");
    QTest::addColumn<qint32>("b");
    QTest::addColumn<int>("expected");
    QTest::newRow("equal") << 5000 << 5000 << 0;
    QTest::newRow("later") << 1500 << 1000 << 500;
    QTest::newRow("earlier") << 1000 << 1500 << -500;
    QTest::newRow("after midnight vs before") << 100 << 86399900 << 200;
    QTest::newRow("before midnight vs after") << 86399900 << 100 << -200;
    QTest::newRow("exactly twelve hours") << 43200000 << 0 << 43200000;
    QTest::newRow("just over twelve hours") << 43200001 << 0 << -43199999;
    QTest::newRow("just over twelve hours back") << 0 << 43200001 << 43199999;
    QTest::newRow("more than a day") << 99999999 << 0 << 13599999;
    QTest::newRow("32-bit wrap") << std::numeric_limits<qint32>::min() << std::numeric_limits<qint32>::max()
                                 << 1;
}

void ReceivedMainTest::diffTimeOfDay()
{
    QFETCH(qint32, a);
    QFETCH(qint32, b);
    QFETCH(int, expected);
    QCOMPARE(ReceivedMain::DiffTimeOfDay(a, b), expected);
}

void ReceivedMainTest::locate_data()
{
    QTest::addColumn<QList<Line>>("stored");
    QTest::addColumn<Line>("incoming");
    QTest::addColumn<QString>("sender");
    QTest::addColumn<qint32>("senderReceived");
    QTest::addColumn<qint32>("senderSent");
    QTest::addColumn<int>("expectedResult");
    QTest::addColumn<int>("expectedPos");
    QTest::addColumn<qint32>("expectedReceived");

    const QString direct;
    QTest::newRow("empty store") << QList<Line>{} << Line{kA, 1000, 1010} << direct << 0 << 0
                                 << ReceivedMain::LOCATE_APPEND << 0 << 1010;
    QTest::newRow("duplicate") << QList<Line>{{kA, 1000, 1010}} << Line{kA, 1000, 1500} << direct << 0 << 0
                               << ReceivedMain::LOCATE_DUPLICATE << 0 << 1500;
    QTest::newRow("withdrawal update")
        << QList<Line>{{kA, 1000, 1010}, {kB, 2000, 2010}} << Line{kA, 1000, 3000, 1} << direct << 0 << 0
        << ReceivedMain::LOCATE_UPDATE << 0 << 3000;
    QTest::newRow("shared-protocol bit never propagates")
        << QList<Line>{{kA, 1000, 1010}} << Line{kA, 1000, 3000, 2} << direct << 0 << 0
        << ReceivedMain::LOCATE_DUPLICATE << 0 << 3000;
    QTest::newRow("already withdrawn") << QList<Line>{{kA, 1000, 1010, 1}} << Line{kA, 1000, 3000, 1}
                                       << direct << 0 << 0 << ReceivedMain::LOCATE_DUPLICATE << 0 << 3000;
    QTest::newRow("screen clear cannot be withdrawn")
        << QList<Line>{{kA, 1000, 1010, 0, 'E'}} << Line{kA, 1000, 3000, 1, 'E'} << direct << 0 << 0
        << ReceivedMain::LOCATE_DUPLICATE << 0 << 3000;
    QTest::newRow("next line of the same typist")
        << QList<Line>{{kA, 1000, 1010}} << Line{kA, 2000, 2010} << direct << 0 << 0
        << ReceivedMain::LOCATE_APPEND << 1 << 2010;
    QTest::newRow("other typist received earlier")
        << QList<Line>{{kB, 1500, 1510}} << Line{kA, 1800, 2000} << direct << 0 << 0
        << ReceivedMain::LOCATE_APPEND << 1 << 2000;
    // Repeated record: typed at 500, the datagram carrying it was sent at 2600, so it counts
    // as received at 510, a second before the other typist's line.
    QTest::newRow("two typists, late arrival goes first")
        << QList<Line>{{kB, 1500, 1510}} << Line{kA, 500, 2610} << direct << 500 << 2600
        << ReceivedMain::LOCATE_INSERT << 0 << 510;
    QTest::newRow("between two other typists")
        << QList<Line>{{kB, 900, 1000}, {kC, 2900, 3000}} << Line{kA, 1990, 2000} << direct << 0 << 0
        << ReceivedMain::LOCATE_INSERT << 1 << 2000;
    QTest::newRow("after own previous line, before a later one")
        << QList<Line>{{kA, 1000, 1010}, {kB, 2990, 3000}} << Line{kA, 2000, 2010} << direct << 0 << 0
        << ReceivedMain::LOCATE_INSERT << 1 << 2010;
    QTest::newRow("same typist, overtaken within 20 s")
        << QList<Line>{{kA, 2000, 2010}} << Line{kA, 1000, 12010} << direct << 0 << 0
        << ReceivedMain::LOCATE_INSERT << 0 << 12010;
    QTest::newRow("same typist, exactly 20 s")
        << QList<Line>{{kA, 2000, 2010}} << Line{kA, 1000, 22010} << direct << 0 << 0
        << ReceivedMain::LOCATE_INSERT << 0 << 22010;
    QTest::newRow("same typist, overtaken more than 20 s before")
        << QList<Line>{{kA, 2000, 2010}} << Line{kA, 1000, 22011} << direct << 0 << 0
        << ReceivedMain::LOCATE_APPEND << 1 << 22011;
    QTest::newRow("forwarded line not stored") << QList<Line>{{kB, 1000, 1010}} << Line{kA, 1500, 1600} << kC
                                               << 1550 << 1590 << ReceivedMain::LOCATE_IGNORE << 0 << 1560;
    QTest::newRow("forwarded copy of a stored line")
        << QList<Line>{{kA, 1000, 1010}} << Line{kA, 1000, 1600} << kC << 1010 << 1590
        << ReceivedMain::LOCATE_DUPLICATE << 0 << 1020;
    QTest::newRow("plain lines are passed over")
        << QList<Line>{{kB, 1000, 1010}, {kC, 0, 0, 0, 'i'}} << Line{kA, 500, 900} << direct << 0 << 0
        << ReceivedMain::LOCATE_INSERT << 0 << 900;
    QTest::newRow("only plain lines stored")
        << QList<Line>{{kC, 0, 0, 0, 'i'}, {kC, 0, 0, 0, 'g'}} << Line{kA, 500, 900} << direct << 0 << 0
        << ReceivedMain::LOCATE_APPEND << 2 << 900;
    QTest::newRow("across midnight") << QList<Line>{{kB, 86399000, 86399500}} << Line{kA, 100, 200} << direct
                                     << 0 << 0 << ReceivedMain::LOCATE_APPEND << 1 << 200;
}

void ReceivedMainTest::locate()
{
    QFETCH(QList<Line>, stored);
    QFETCH(Line, incoming);
    QFETCH(QString, sender);
    QFETCH(qint32, senderReceived);
    QFETCH(qint32, senderSent);
    QFETCH(int, expectedResult);
    QFETCH(int, expectedPos);
    QFETCH(qint32, expectedReceived);

    StoreEnvironment env;
    for (const Line &l : stored) {
        if (l.type == 'i' || l.type == 'g')
            env.store.AddString(QStringLiteral("plain"), l.who, l.type);
        else
            env.store.AppendData(env.line(l.who, l.sent, l.received, {}, l.type, l.flag));
    }
    CReceivedMainData r =
        env.line(incoming.who, incoming.sent, incoming.received, {}, incoming.type, incoming.flag);
    if (!sender.isEmpty())
        r.strIpAddressSender = sender;
    r.nTimeSenderReceived = senderReceived;
    r.nTimeSenderSent = senderSent;

    int pos = -99;
    QCOMPARE(env.store.LocateData(r, pos), expectedResult);
    QCOMPARE(pos, expectedPos);
    QCOMPARE(r.nTimeReceived, expectedReceived);
}

void ReceivedMainTest::locateIgnoresLineTypedBeforeChannelSwitch()
{
    StoreEnvironment env;
    CReceivedMainData early = env.line(kA, 1000, 1010);
    env.clock.advance(500);
    env.store.SetChannelGroup(2, 1);
    env.clock.advance(500);
    CReceivedMainData late = env.line(kA, 2000, 2010);

    int pos = -99;
    QCOMPARE(env.store.LocateData(early, pos), ReceivedMain::LOCATE_IGNORE);
    QCOMPARE(pos, -99); // refused before the walk: no position
    QCOMPARE(env.store.LocateData(late, pos), ReceivedMain::LOCATE_APPEND);
    QCOMPARE(pos, 0);

    // A forwarding delay pulls the tick back before the switch as well.
    late.nTimeSenderReceived = 1000;
    late.nTimeSenderSent = 2000;
    pos = -99;
    QCOMPARE(env.store.LocateData(late, pos), ReceivedMain::LOCATE_IGNORE);
    QCOMPARE(pos, -99);
}

void ReceivedMainTest::channelSwitchAndLogoffRestartBaseTick()
{
    StoreEnvironment env;
    const quint32 joined = env.store.baseTick();
    env.clock.advance(700);
    env.store.SetChannelGroup(1, 1); // same channel and group again: nothing to restart
    QCOMPARE(env.store.baseTick(), joined);
    env.store.SetChannelGroup(1, 3);
    QCOMPARE(env.store.baseTick(), env.now());
    QVERIFY(env.store.baseTick() != joined);
    QCOMPARE(env.store.group(), 3);
    env.clock.advance(300);
    env.store.SetOffline();
    QCOMPARE(env.store.channel(), -1);
    QCOMPARE(env.store.group(), -1);
    QCOMPARE(env.store.baseTick(), env.now());
    QCOMPARE(env.store.AddString(QStringLiteral("x"), kA, 'i'), 0);
    QCOMPARE(env.store.at(0)->nChannel, -1);
}

void ReceivedMainTest::locateTooOldBeyondSearchLimit_data()
{
    QTest::addColumn<int>("storedLines");
    QTest::addColumn<int>("expectedResult");
    QTest::addColumn<int>("expectedPos");
    // Search limit 30: the walk stops at the 31st lettered record, position 40 - 31 = 9.
    QTest::newRow("beyond the search limit") << 40 << ReceivedMain::LOCATE_TOO_OLD << 10;
    QTest::newRow("within the search limit") << 20 << ReceivedMain::LOCATE_INSERT << 0;
    QTest::newRow("limit reached at position 0") << 31 << ReceivedMain::LOCATE_INSERT << 1;
}

void ReceivedMainTest::locateTooOldBeyondSearchLimit()
{
    QFETCH(int, storedLines);
    QFETCH(int, expectedResult);
    QFETCH(int, expectedPos);
    StoreEnvironment env(2000, 30);
    for (int k = 0; k < storedLines; ++k)
        env.store.AppendData(env.line(kB, 10000 + k * 100, 10010 + k * 100));
    CReceivedMainData r = env.line(kA, 4000, 5000);
    int pos = -99;
    QCOMPARE(env.store.LocateData(r, pos), expectedResult);
    QCOMPARE(pos, expectedPos);
}

void ReceivedMainTest::repairedLineGoesBeforeOtherTypistsNewerLine()
{
    StoreEnvironment env;
    // A's first line (typed at 1000) is lost; B's line arrives; A's next datagram repeats it.
    QCOMPARE(env.receive(env.line(kB, 1500, 1510, QStringLiteral("B1"))), ReceivedMain::LOCATE_APPEND);

    CReceivedMainData repeated = env.line(kA, 1000, 3010, QStringLiteral("A1"));
    repeated.nTimeSenderReceived = 1000;
    repeated.nTimeSenderSent = 3000;
    QCOMPARE(env.receive(repeated), ReceivedMain::LOCATE_INSERT);
    QCOMPARE(env.receive(env.line(kA, 3000, 3010, QStringLiteral("A2"))), ReceivedMain::LOCATE_APPEND);

    QCOMPARE(env.texts(), (QStringList{QStringLiteral("A1"), QStringLiteral("B1"), QStringLiteral("A2")}));
    QCOMPARE(env.store.at(0)->nTimeReceived, 1010);
    QCOMPARE(env.store.nextSerial(), 3);
}

void ReceivedMainTest::duplicateFromRepeatedRecordIsStoredOnce()
{
    StoreEnvironment env;
    QCOMPARE(env.receive(env.line(kA, 1000, 1010, QStringLiteral("A1"))), ReceivedMain::LOCATE_APPEND);
    CReceivedMainData repeated = env.line(kA, 1000, 2010, QStringLiteral("A1"));
    repeated.nTimeSenderReceived = 1000;
    repeated.nTimeSenderSent = 2000;
    QCOMPARE(env.receive(repeated), ReceivedMain::LOCATE_DUPLICATE);
    QCOMPARE(env.store.count(), 1);
    QCOMPARE(env.store.changeStamp(), 100);
}

void ReceivedMainTest::withdrawalUpdateHidesStoredLine()
{
    StoreEnvironment env;
    env.store.setDisplayClientRect(QRect(0, 0, 200, 100));
    env.store.BumpLayoutGeneration();
    FixedWidthMeasurer measurer;
    env.receive(env.line(kA, 1000, 1010, QStringLiteral("A1")));
    env.receive(env.line(kB, 1100, 1110, QStringLiteral("B1")));
    QString out;
    QCOMPARE(env.store.GetLine(0, 0, out, measurer), ReceivedMain::LINE_LAST);
    QCOMPARE(out, QStringLiteral("A1"));

    CReceivedMainData withdrawn = env.line(kA, 1000, 4000, QStringLiteral("A1"), 'D', 1);
    int pos = -1;
    QCOMPARE(env.store.LocateData(withdrawn, pos), ReceivedMain::LOCATE_UPDATE);
    QCOMPARE(env.store.UndoData(pos, withdrawn), 0);
    QCOMPARE(env.store.at(0)->nFlag, 1);
    QVERIFY(env.store.at(0)->strCache.startsWith(QStringLiteral("0a00000100001000")));
    QCOMPARE(env.store.at(0)->strCache.mid(24, 2), QStringLiteral("D1"));
    QCOMPARE(env.store.GetLine(0, 0, out, measurer), ReceivedMain::LINE_SKIP);
    // The update itself is a duplicate now.
    QCOMPARE(env.store.LocateData(withdrawn, pos), ReceivedMain::LOCATE_DUPLICATE);
}

void ReceivedMainTest::undoDataRefusals_data()
{
    QTest::addColumn<int>("pos");
    QTest::addColumn<qint32>("flag");
    QTest::addColumn<char>("type");
    QTest::addColumn<int>("expected");
    QTest::addColumn<qint32>("storedFlag");
    QTest::newRow("withdraws") << 0 << 1 << 'D' << 0 << 1;
    QTest::newRow("shared bit alone changes nothing") << 0 << 2 << 'D' << -1 << 0;
    QTest::newRow("both bits: only bit 0 taken") << 0 << 3 << 'D' << 0 << 1;
    QTest::newRow("no bits") << 0 << 0 << 'D' << -1 << 0;
    QTest::newRow("screen clear") << 0 << 1 << 'E' << -1 << 0;
    QTest::newRow("gross text") << 0 << 1 << 'G' << -1 << 0;
    QTest::newRow("plain kind") << 0 << 1 << 'i' << -1 << 0;
    QTest::newRow("position past the end") << 1 << 1 << 'D' << -1 << 0;
    QTest::newRow("negative position") << -1 << 1 << 'D' << -1 << 0;
}

void ReceivedMainTest::undoDataRefusals()
{
    QFETCH(int, pos);
    QFETCH(qint32, flag);
    QFETCH(char, type);
    QFETCH(int, expected);
    QFETCH(qint32, storedFlag);
    StoreEnvironment env;
    CReceivedMainData stored = env.line(kA, 1000, 1010);
    stored.nMaxLine = 2;
    env.store.AppendData(stored);
    QCOMPARE(env.store.UndoData(pos, env.line(kA, 1000, 2000, {}, type, flag)), expected);
    QCOMPARE(env.store.at(0)->nFlag, storedFlag);
    QCOMPARE(env.store.at(0)->nMaxLine, 2);
    QCOMPARE(env.store.changeStamp(), 100);
}

void ReceivedMainTest::configure_data()
{
    QTest::addColumn<int>("keep");
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("returned");
    QTest::addColumn<int>("dataMax");
    QTest::addColumn<int>("visibleSpan");
    QTest::addColumn<int>("searchLimit");
    QTest::newRow("defaults") << 2000 << 50 << 2000 << 2000 << 2000 << 50;
    QTest::newRow("keep raised to twice the lines") << 40 << 30 << 60 << 60 << 100 << 30;
    QTest::newRow("search limit at least 30") << 1000 << 10 << 1000 << 1000 << 1000 << 30;
    QTest::newRow("largest") << 99999 << 200 << 99999 << 99999 << 99999 << 200;
    QTest::newRow("keep not positive") << 0 << 50 << 0 << 0 << 0 << 30;
    QTest::newRow("lines not positive") << 2000 << -1 << 2000 << 0 << 0 << 30;
}

void ReceivedMainTest::configure()
{
    QFETCH(int, keep);
    QFETCH(int, lines);
    QFETCH(int, returned);
    QFETCH(int, dataMax);
    QFETCH(int, visibleSpan);
    QFETCH(int, searchLimit);
    TestHome home;
    FakeClock clock;
    ReceivedMain store;
    QCOMPARE(store.dataMax(), 0);
    QCOMPARE(store.Configure(keep, lines), returned);
    QCOMPARE(store.dataMax(), dataMax);
    QCOMPARE(store.visibleSpan(), visibleSpan);
    QCOMPARE(store.searchLimit(), searchLimit);
    // A store that already has a capacity keeps it.
    store.Configure(5000, 50);
    QCOMPARE(store.dataMax(), dataMax > 0 ? dataMax : 5000);
}

void ReceivedMainTest::appendAtCapacityEvictsOldest()
{
    StoreEnvironment env(4, 1);
    for (int k = 0; k < 6; ++k)
        QCOMPARE(env.store.AppendData(env.line(kA, 1000 + k, 1010 + k, QString::number(k))), k);
    QCOMPARE(env.texts(), (QStringList{QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"),
                                       QStringLiteral("5")}));
    QCOMPARE(env.store.nextSerial(), 6);
    QCOMPARE(env.store.changeStamp(), 600);
    QCOMPARE(env.store.PositionToSerial(0), 2);
    QCOMPARE(env.store.PositionToSerial(3), 5);
    QCOMPARE(env.store.PositionToSerial(4), -1);
    QCOMPARE(env.store.PositionToSerial(-1), -1);
    QCOMPARE(env.store.SerialToPosition(1), -1);
    QCOMPARE(env.store.SerialToPosition(2), 0);
    QCOMPARE(env.store.SerialToPosition(5), 3);
    QCOMPARE(env.store.SerialToPosition(6), -1);
}

void ReceivedMainTest::insertAtCapacityShiftsLaterSerials()
{
    StoreEnvironment env(4, 1);
    for (int k = 0; k < 4; ++k)
        env.store.AppendData(env.line(kA, 1000 + k, 1010 + k, QString::number(k)));
    QCOMPARE(env.store.at(2)->strRaw, QStringLiteral("2"));
    QCOMPARE(env.store.PositionToSerial(2), 2);

    env.store.InsertData(2, env.line(kB, 900, 910, QStringLiteral("X")));
    QCOMPARE(env.texts(), (QStringList{QStringLiteral("1"), QStringLiteral("X"), QStringLiteral("2"),
                                       QStringLiteral("3")}));
    QCOMPARE(env.store.nextSerial(), 5);
    QCOMPARE(env.store.SerialToPosition(1), 0); // before the insert: serial unchanged
    QCOMPARE(env.store.SerialToPosition(3), 2); // "2" had serial 2, now 3
    QCOMPARE(env.store.changeStamp(), 400);     // an insert leaves the stamp alone

    // At or past the end an insert appends.
    env.store.InsertData(9, env.line(kB, 950, 960, QStringLiteral("Y")));
    QCOMPARE(env.texts(), (QStringList{QStringLiteral("X"), QStringLiteral("2"), QStringLiteral("3"),
                                       QStringLiteral("Y")}));
    // At position 0 of a full store the new record is itself the oldest and goes at once.
    env.store.InsertData(0, env.line(kB, 100, 110, QStringLiteral("Z")));
    QCOMPARE(env.store.count(), 4);
    QCOMPARE(env.store.at(0)->strRaw, QStringLiteral("X"));
    QCOMPARE(env.store.nextSerial(), 7);
}

void ReceivedMainTest::refusedInsertIsLoggedAndStillCounts()
{
    StoreEnvironment env;
    env.store.AppendData(env.line(kA, 1000, 1010));
    env.store.InsertData(-1, env.line(kB, 900, 910, QStringLiteral("lost")));
    QCOMPARE(env.store.count(), 1);
    QCOMPARE(env.store.nextSerial(), 2);
    const QStringList log = operationLogLines();
    const int at = static_cast<int>(
        log.indexOf(QStringLiteral("ReceivedMain::InsertData part2 insert-item index: : -1")));
    QVERIFY(at >= 0);
    QVERIFY(at + 1 < log.size());
    QVERIFY(log.at(at + 1).startsWith(QStringLiteral("[CReceivedMainData] Address=")));
    QVERIFY(log.at(at + 1).contains(QStringLiteral("strRaw=[[lost]]")));
    QVERIFY(log.at(at + 1).endsWith(QStringLiteral("  (CReceivedMainData dump finish)")));
}

void ReceivedMainTest::nothingIsKeptWithoutCapacity()
{
    TestHome home;
    FakeClock clock;
    ReceivedMain store;
    CReceivedMainData r;
    QCOMPARE(store.AppendData(r), 0);
    QCOMPARE(store.AddString(QStringLiteral("x"), kA, 'i'), 1);
    QCOMPARE(store.count(), 0);
    QCOMPARE(store.nextSerial(), 2);
    QCOMPARE(store.SerialToPosition(1), -1);
    QCOMPARE(store.RemoveLastString(true), 0);
}

void ReceivedMainTest::removeLastString()
{
    StoreEnvironment env;
    env.store.setDisplayClientRect(QRect(0, 0, 100, 100));
    env.store.BumpLayoutGeneration();
    FixedWidthMeasurer measurer; // 10 characters a line
    env.store.AppendData(env.line(kA, 1000, 1010, QStringLiteral("first")));
    env.store.AppendData(env.line(kA, 2000, 2010, QStringLiteral("second line of text")));
    QString out;
    QCOMPARE(env.store.GetLine(1, 0, out, measurer), ReceivedMain::LINE_MORE);
    QCOMPARE(env.store.GetLine(0, 0, out, measurer), ReceivedMain::LINE_LAST);
    const qint64 stamp = env.store.changeStamp();

    CReceivedMainData removed;
    QCOMPARE(env.store.RemoveLastString(true, &removed), 2);
    QCOMPARE(removed.strRaw, QStringLiteral("second line of text"));
    QCOMPARE(removed.nFlag, 0); // copied before the change
    QCOMPARE(removed.nMaxLine, 2);
    QCOMPARE(env.store.at(1)->nFlag, 1);
    QCOMPARE(env.store.at(1)->nMaxLine, 0);
    QCOMPARE(env.store.at(1)->strCache.mid(24, 2), QStringLiteral("D1"));
    QCOMPARE(env.store.changeStamp(), stamp + 1);
    QCOMPARE(env.store.GetLine(1, 0, out, measurer), ReceivedMain::LINE_SKIP);

    // The next undo skips the withdrawn line; a remote undo sets bit 1.
    QCOMPARE(env.store.RemoveLastString(false), 1);
    QCOMPARE(env.store.at(0)->nFlag, 2);
    QCOMPARE(env.store.at(0)->strCache.mid(24, 2), QStringLiteral("D2"));
    QCOMPARE(env.store.changeStamp(), stamp + 2);
}

void ReceivedMainTest::removeLastStringRefusesClearAndGross_data()
{
    QTest::addColumn<char>("type");
    QTest::newRow("screen clear") << 'E';
    QTest::newRow("gross text") << 'G';
}

void ReceivedMainTest::removeLastStringRefusesClearAndGross()
{
    QFETCH(char, type);
    StoreEnvironment env;
    env.store.AppendData(env.line(kA, 1000, 1010, QStringLiteral("before")));
    env.store.AppendData(env.line(kA, 2000, 2010, QStringLiteral("block"), type));
    const qint64 stamp = env.store.changeStamp();
    CReceivedMainData removed;
    removed.strRaw = QStringLiteral("untouched");
    QCOMPARE(env.store.RemoveLastString(true, &removed), -1);
    QCOMPARE(removed.strRaw, QStringLiteral("untouched"));
    QCOMPARE(env.store.at(1)->nFlag, 0);
    QCOMPARE(env.store.at(0)->nFlag, 0);
    QCOMPARE(env.store.changeStamp(), stamp);
    QCOMPARE(env.store.RemoveLastStringFromQuorel(), -1);
}

void ReceivedMainTest::removeLastStringOnEmptyOrWithdrawnStore()
{
    StoreEnvironment env;
    QCOMPARE(env.store.RemoveLastString(true), -1); // never held a record
    QCOMPARE(env.store.RemoveLastStringFromQuorel(), -1);
    env.store.AppendData(env.line(kA, 1000, 1010, {}, 'D', 1));
    const qint64 stamp = env.store.changeStamp();
    QCOMPARE(env.store.RemoveLastString(true), 0);
    QCOMPARE(env.store.RemoveLastStringFromQuorel(), 0);
    QCOMPARE(env.store.changeStamp(), stamp);
}

void ReceivedMainTest::removeLastStringFromQuorel()
{
    StoreEnvironment env;
    env.store.AppendData(env.line(kA, 1000, 1010));
    env.store.AddString(QStringLiteral("from a peer"), kC, 'i');
    const qint64 stamp = env.store.changeStamp();
    QCOMPARE(env.store.RemoveLastStringFromQuorel(), 1);
    QCOMPARE(env.store.at(1)->nFlag, 1);
    QCOMPARE(env.store.at(1)->nMaxLine, 0);
    QCOMPARE(env.store.changeStamp(), stamp);
    // The newest shown line is now a native one.
    QCOMPARE(env.store.RemoveLastStringFromQuorel(), -1);
    QCOMPARE(env.store.at(0)->nFlag, 0);
    // A second-path line is not a main-port line.
    env.store.AddString(QStringLiteral("gross"), kC, 'g');
    QCOMPARE(env.store.RemoveLastStringFromQuorel(), -1);
}

void ReceivedMainTest::screenClearStoredAsLineFeeds()
{
    StoreEnvironment env;
    FixedWidthMeasurer measurer(10, 30);
    env.store.setDisplayClientRect(QRect(0, 0, 300, 100));
    QCOMPARE(env.store.UpdateMetrics(measurer), 3);

    CReceivedMainData clear = env.line(kA, 1000, 1000, QStringLiteral("\n"), 'E');
    env.store.AppendData(clear);
    QCOMPARE(env.store.at(0)->strRaw, QStringLiteral("\n\n\n\n"));
    QCOMPARE(env.store.at(0)->strCache, QStringLiteral("0a0000010000100000001000E00001\n"));

    CReceivedMainData inserted = env.line(kB, 500, 500, QStringLiteral("\n"), 'E');
    env.store.InsertData(0, inserted);
    QCOMPARE(env.store.at(0)->strRaw, QStringLiteral("\n\n\n\n"));
    QCOMPARE(env.store.at(0)->strCache, QStringLiteral("0a0000020000050000000500E00001\n"));
}

void ReceivedMainTest::addStringRecord()
{
    StoreEnvironment env;
    env.store.AppendData(env.line(kA, 1000, 1010));
    const qint64 stamp = env.store.changeStamp();
    QCOMPARE(env.store.AddString(QStringLiteral("peer line"), kC, 'i'), 1);
    const CReceivedMainData *r = env.store.at(1);
    QVERIFY(r);
    QCOMPARE(r->strRaw, QStringLiteral("peer line"));
    QCOMPARE(r->strIpAddress, kC);
    QCOMPARE(r->nType, qint32('i'));
    QCOMPARE(r->nStrLength, 9);
    QCOMPARE(r->nTimeSent, 0);
    QCOMPARE(r->nChannel, 1);
    QCOMPARE(r->nGroup, 1);
    QCOMPARE(r->nMaxLine, 1);
    QCOMPARE(r->arrLine.at(0), QStringLiteral("peer line"));
    QVERIFY(r->strCache.isEmpty());
    QCOMPARE(env.store.changeStamp(), stamp);
}

void ReceivedMainTest::history()
{
    StoreEnvironment env;
    QStringList lines;
    env.store.newestWireLines(5, lines);
    QVERIFY(lines.isEmpty());

    for (int k = 0; k < 4; ++k)
        env.store.AppendData(env.line(kA, 1000 + k, 1000 + k, QString::number(k)));
    QCOMPARE(env.store.historyVersion(), 400);
    env.store.AddString(QStringLiteral("peer"), kC, 'i');
    env.store.AddString(QString(), kC, 'i'); // a peer's screen clear
    env.store.AppendData(env.line(kA, 1010, 1010, QStringLiteral("4")));
    env.store.AppendData(env.line(kA, 1011, 1011, QStringLiteral("5")));
    QCOMPARE(env.store.historyVersion(), 800);

    // Plain peer lines have no wire form: they are skipped and do not count.
    env.store.newestWireLines(5, lines);
    QCOMPARE(lines.size(), 5);
    QCOMPARE(lines.at(0), QStringLiteral("0a0000010000101100001011D00001") + QStringLiteral("5"));
    QCOMPARE(lines.at(1).right(1), QStringLiteral("4"));
    QCOMPARE(lines.at(2).right(1), QStringLiteral("3"));
    QCOMPARE(lines.at(4).right(1), QStringLiteral("1"));
    for (const QString &line : lines)
        QVERIFY(!line.contains(u'\n'));

    // Withdrawal travels with the changed flag digit.
    QCOMPARE(env.store.RemoveLastString(true), 0);
    QCOMPARE(env.store.historyVersion(), 801);
    lines.clear();
    env.store.newestWireLines(2, lines);
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines.at(0).mid(24, 2), QStringLiteral("D1"));

    // Lines of another group end the history.
    env.store.SetChannelGroup(1, 2);
    env.store.AppendData(env.line(kA, 2000, 2000, QStringLiteral("new group")));
    lines.clear();
    env.store.newestWireLines(5, lines);
    QVERIFY(lines.isEmpty()); // the record says group 1, the store is in group 2
    CReceivedMainData inGroup = env.line(kA, 2001, 2001, QStringLiteral("g2"));
    inGroup.nGroup = 2;
    env.store.AppendData(inGroup);
    env.store.newestWireLines(5, lines);
    QCOMPARE(lines.size(), 1);
    QVERIFY(lines.at(0).endsWith(QStringLiteral("g2")));
}

void ReceivedMainTest::getAndSetAtPosition()
{
    StoreEnvironment env;
    env.store.AppendData(env.line(kA, 1000, 1010, QStringLiteral("one")));
    CReceivedMainData copy;
    QVERIFY(env.store.GetAt(0, copy));
    QCOMPARE(copy.strRaw, QStringLiteral("one"));
    QVERIFY(!env.store.GetAt(1, copy));
    QVERIFY(!env.store.GetAt(-1, copy));
    QVERIFY(!env.store.at(1));

    copy.strRaw = QStringLiteral("changed");
    QVERIFY(env.store.SetAt(0, copy));
    QCOMPARE(env.store.at(0)->strRaw, QStringLiteral("changed"));
    QVERIFY(!env.store.SetAt(1, copy));

    // A stored line turned into a plain one is passed over by the search from then on.
    copy.nType = 'i';
    QVERIFY(env.store.SetAt(0, copy));
    CReceivedMainData again = env.line(kA, 1000, 1010);
    int pos = -1;
    QCOMPARE(env.store.LocateData(again, pos), ReceivedMain::LOCATE_APPEND);
}

void ReceivedMainTest::searchFindsEveryLineAmongPlainOnes()
{
    // Native lines among peer lines, through evictions, inserts and a replaced record: every
    // kept native line must still be found where it is.
    StoreEnvironment env(12, 1);
    for (int k = 0; k < 20; ++k) {
        if (k % 3 == 0)
            env.store.AddString(QStringLiteral("peer %1").arg(k), kC, 'i');
        else
            env.store.AppendData(env.line(k % 2 ? kA : kB, 1000 + k * 100, 1010 + k * 100));
    }
    env.store.InsertData(5, env.line(kC, 1, 2, QStringLiteral("late")));
    env.store.InsertData(2, env.line(kC, 3, 4, QStringLiteral("plain late"), 'g'));
    CReceivedMainData replaced = *env.store.at(7);
    replaced.nType = replaced.nType == 'i' ? 'D' : 'i';
    replaced.strIpAddress = QStringLiteral("10.0.0.4"); // a typist of its own
    replaced.strIpAddressSender = replaced.strIpAddress;
    replaced.nTimeActualReceivedTick = env.now();
    env.store.SetAt(7, replaced);
    QCOMPARE(env.store.count(), 12);

    int lettered = 0;
    for (int p = 0; p < env.store.count(); ++p) {
        CReceivedMainData copy = *env.store.at(p);
        if (!CReceivedMainData::isLetteredType(copy.nType))
            continue;
        ++lettered;
        int pos = -1;
        QCOMPARE(env.store.LocateData(copy, pos), ReceivedMain::LOCATE_DUPLICATE);
        QCOMPARE(pos, p);
    }
    QVERIFY(lettered >= 6);
}

QTEST_APPLESS_MAIN(ReceivedMainTest)
#include "ReceivedMainTest.moc"
