// The caption record's wire form, the caption store (where each received line belongs, capacity,
// serials, withdrawal, history) and its line layout, on a fake clock.
#include "StoreEnvironment.h"

#include <QtTest>

namespace {

const QString kA = u"10.0.0.1"_qs;
const QString kB = u"10.0.0.2"_qs;
const QString kC = u"10.0.0.3"_qs;
using RM = ReceivedMain;
constexpr int kIgnore = RM::LOCATE_IGNORE, kDuplicate = RM::LOCATE_DUPLICATE, kUpdate = RM::LOCATE_UPDATE,
              kAppend = RM::LOCATE_APPEND, kInsert = RM::LOCATE_INSERT;

// One stored or incoming line of a scenario.
struct Line
{
    QString who;
    qint32 sent = 0;
    qint32 received = 0;
    qint32 flag = 0;
    char type = 'D';
};

// Where LocateData puts an incoming line among the stored ones. Sent directly by its typist
// unless a forwarder and the two times of its datagram are given.
struct Locate
{
    QList<Line> stored;
    Line incoming;
    int result = 0;
    int pos = 0;
    qint32 received = 0; // the corrected receive time written into the line
    QString forwarder = {};
    qint32 forwarderReceived = 0;
    qint32 forwarderSent = 0;
};

} // namespace

Q_DECLARE_METATYPE(Line)
Q_DECLARE_METATYPE(CReceivedMainData)
Q_DECLARE_METATYPE(Locate)

class TimelineTest final : public QObject
{
    Q_OBJECT

private slots:
    void wireForm_data()
    {
        QTest::addColumn<CReceivedMainData>("r");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *name, const char *address, qint32 sent, qint32 received, qint32 type,
                            qint32 flag, const QString &text, const char *wire) {
            CReceivedMainData r;
            r.strRaw = text;
            r.strIpAddress = QString::fromLatin1(address);
            r.nTimeReceived = received;
            r.nTimeSent = sent;
            r.nType = type;
            r.nFlag = flag;
            r.nStrLength = static_cast<qint32>(text.size());
            QTest::newRow(name) << r << QString::fromLatin1(wire) + text;
        };
        row("caption line", "192.168.1.10", 12345678, 12345699, 'D', 0, u"字幕"_qs,
            "c0a8010a1234567812345699D00002");
        row("withdrawn by both", "10.0.0.1", 1, 2, 'D', 3, {}, "0a0000010000000100000002D30000");
        row("control-character type", "10.0.0.1", 0, 0, 9, 0, u"x"_qs, "0a0000010000000000000000i00001");
        row("unparsable address", "nowhere", 0, 0, 'i', 0, {}, "ffffffff0000000000000000i00000");
        // Peers read eight unsigned digits and compare times within a day.
        row("receive time before midnight", "10.0.0.1", 100, -400, 'D', 0, {},
            "0a0000010000010086399600D00000");
        row("receive time past eight digits", "10.0.0.1", 99999999, 100000500, 'D', 0, {},
            "0a0000019999999913600500D00000");
        row("most negative", "10.0.0.1", 0, INT32_MIN, 'D', 0, {}, "0a0000010000000012516352D00000");
    }

    void wireForm()
    {
        QFETCH(CReceivedMainData, r);
        QFETCH(QString, expected);
        const qint32 received = r.nTimeReceived;
        r.FormatCache();
        QCOMPARE(r.strCache, expected);
        QCOMPARE(r.nTimeReceived, received); // only the wire form is folded
    }

    void diffTimeOfDay_data()
    {
        QTest::addColumn<QList<qint32>>("c"); // a, b, DiffTimeOfDay(a, b)
        QTest::newRow("equal") << QList<qint32>{5000, 5000, 0};
        QTest::newRow("later") << QList<qint32>{1500, 1000, 500};
        QTest::newRow("earlier") << QList<qint32>{1000, 1500, -500};
        QTest::newRow("after midnight vs before") << QList<qint32>{100, 86399900, 200};
        QTest::newRow("before midnight vs after") << QList<qint32>{86399900, 100, -200};
        QTest::newRow("exactly twelve hours") << QList<qint32>{43200000, 0, 43200000};
        QTest::newRow("just over twelve hours") << QList<qint32>{43200001, 0, -43199999};
        QTest::newRow("just over twelve hours back") << QList<qint32>{0, 43200001, 43199999};
        QTest::newRow("more than a day") << QList<qint32>{99999999, 0, 13599999};
        QTest::newRow("32-bit wrap") << QList<qint32>{INT32_MIN, INT32_MAX, 1};
    }

    void diffTimeOfDay()
    {
        QFETCH(QList<qint32>, c);
        QCOMPARE(ReceivedMain::DiffTimeOfDay(c[0], c[1]), c[2]);
    }

    void locate_data()
    {
        QTest::addColumn<Locate>("c");
        const auto row = [](const char *name, const Locate &c) { QTest::newRow(name) << c; };
        row("empty store", {{}, {kA, 1000, 1010}, kAppend, 0, 1010});
        row("duplicate", {{{kA, 1000, 1010}}, {kA, 1000, 1500}, kDuplicate, 0, 1500});
        row("withdrawal update",
            {{{kA, 1000, 1010}, {kB, 2000, 2010}}, {kA, 1000, 3000, 1}, kUpdate, 0, 3000});
        row("shared-protocol bit never propagates",
            {{{kA, 1000, 1010}}, {kA, 1000, 3000, 2}, kDuplicate, 0, 3000});
        row("already withdrawn", {{{kA, 1000, 1010, 1}}, {kA, 1000, 3000, 1}, kDuplicate, 0, 3000});
        row("screen clear cannot be withdrawn",
            {{{kA, 1000, 1010, 0, 'E'}}, {kA, 1000, 3000, 1, 'E'}, kDuplicate, 0, 3000});
        row("next line of the same typist", {{{kA, 1000, 1010}}, {kA, 2000, 2010}, kAppend, 1, 2010});
        row("other typist received earlier", {{{kB, 1500, 1510}}, {kA, 1800, 2000}, kAppend, 1, 2000});
        // A repeated record typed at 500, in a datagram sent at 2600: received at 510, a second
        // before the other typist's line.
        row("two typists, late arrival goes first",
            {{{kB, 1500, 1510}}, {kA, 500, 2610}, kInsert, 0, 510, {}, 500, 2600});
        row("between two other typists",
            {{{kB, 900, 1000}, {kC, 2900, 3000}}, {kA, 1990, 2000}, kInsert, 1, 2000});
        row("after own previous line, before a later one",
            {{{kA, 1000, 1010}, {kB, 2990, 3000}}, {kA, 2000, 2010}, kInsert, 1, 2010});
        row("same typist, overtaken within 20 s", {{{kA, 2000, 2010}}, {kA, 1000, 12010}, kInsert, 0, 12010});
        row("same typist, exactly 20 s", {{{kA, 2000, 2010}}, {kA, 1000, 22010}, kInsert, 0, 22010});
        row("same typist, overtaken more than 20 s before",
            {{{kA, 2000, 2010}}, {kA, 1000, 22011}, kAppend, 1, 22011});
        row("forwarded line not stored",
            {{{kB, 1000, 1010}}, {kA, 1500, 1600}, kIgnore, 0, 1560, kC, 1550, 1590});
        row("forwarded copy of a stored line",
            {{{kA, 1000, 1010}}, {kA, 1000, 1600}, kDuplicate, 0, 1020, kC, 1010, 1590});
        row("plain lines are passed over",
            {{{kB, 1000, 1010}, {kC, 0, 0, 0, 'i'}}, {kA, 500, 900}, kInsert, 0, 900});
        row("only plain lines stored",
            {{{kC, 0, 0, 0, 'i'}, {kC, 0, 0, 0, 'g'}}, {kA, 500, 900}, kAppend, 2, 900});
        // Only the run of later lines at the end counts: an older line received later is no bound.
        row("later run behind a plain line",
            {{{kB, 2900, 3000}, {kC, 900, 1000}, {kC, 0, 0, 0, 'i'}, {kB, 2400, 2500}},
             {kA, 1900, 2000},
             kInsert,
             3,
             2000});
        row("across midnight", {{{kB, 86399000, 86399500}}, {kA, 100, 200}, kAppend, 1, 200});
    }

    void locate()
    {
        QFETCH(Locate, c);
        StoreEnvironment env;
        for (const Line &l : c.stored) {
            if (l.type == 'i' || l.type == 'g')
                env.store.AddString(u"plain"_qs, l.who, l.type);
            else
                env.store.AppendData(env.line(l.who, l.sent, l.received, {}, l.type, l.flag));
        }
        const Line &in = c.incoming;
        CReceivedMainData r = env.line(in.who, in.sent, in.received, {}, in.type, in.flag);
        if (!c.forwarder.isEmpty())
            r.strIpAddressSender = c.forwarder;
        r.nTimeSenderReceived = c.forwarderReceived;
        r.nTimeSenderSent = c.forwarderSent;
        int pos = -99;
        QCOMPARE(env.store.LocateData(r, pos), c.result);
        QCOMPARE(pos, c.pos);
        QCOMPARE(r.nTimeReceived, c.received);
    }

    void channelSwitchRestartsBaseTick()
    {
        StoreEnvironment env;
        const quint32 joined = env.store.baseTick();
        CReceivedMainData early = env.line(kA, 1000, 1010);
        env.clock.advance(500);
        env.store.SetChannelGroup(1, 1); // same channel and group again: nothing to restart
        QCOMPARE(env.store.baseTick(), joined);
        // Either the group or the channel changes.
        env.store.SetChannelGroup(1, 3);
        QCOMPARE(env.store.baseTick(), env.now());
        env.clock.advance(200);
        env.store.SetChannelGroup(2, 3);
        QCOMPARE(env.store.baseTick(), env.now());
        QCOMPARE(env.store.group(), 3);
        env.clock.advance(500);
        CReceivedMainData late = env.line(kA, 2000, 2010);
        // A line typed before the switch is refused before the walk: no position.
        int pos = -99;
        QCOMPARE(env.store.LocateData(early, pos), RM::LOCATE_IGNORE);
        QCOMPARE(pos, -99);
        QCOMPARE(env.store.LocateData(late, pos), RM::LOCATE_APPEND);
        QCOMPARE(pos, 0);
        // A forwarding delay pulls the tick back before the switch as well.
        late.nTimeSenderReceived = 1000;
        late.nTimeSenderSent = 2000;
        pos = -99;
        QCOMPARE(env.store.LocateData(late, pos), RM::LOCATE_IGNORE);
        QCOMPARE(pos, -99);

        env.clock.advance(300);
        env.store.SetOffline();
        QCOMPARE(env.store.channel(), -1);
        QCOMPARE(env.store.group(), -1);
        QCOMPARE(env.store.baseTick(), env.now());
        QCOMPARE(env.store.AddString(u"x"_qs, kA, 'i'), 0);
        QCOMPARE(env.store.at(0)->nChannel, -1);
    }

    void locateTooOldBeyondSearchLimit_data()
    {
        QTest::addColumn<int>("storedLines");
        QTest::addColumn<int>("expectedResult");
        QTest::addColumn<int>("expectedPos");
        // Search limit 30: the walk stops at the 31st lettered record, position 40 - 31 = 9.
        QTest::newRow("beyond the search limit") << 40 << RM::LOCATE_TOO_OLD << 10;
        QTest::newRow("within the search limit") << 20 << RM::LOCATE_INSERT << 0;
        QTest::newRow("limit reached at position 0") << 31 << RM::LOCATE_INSERT << 1;
    }

    void locateTooOldBeyondSearchLimit()
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

    void undoData_data()
    {
        QTest::addColumn<QList<int>>("c"); // position, incoming flag and type; result, stored flag
        QTest::newRow("withdraws") << QList<int>{0, 1, 'D', 0, 1};
        QTest::newRow("shared bit alone changes nothing") << QList<int>{0, 2, 'D', -1, 0};
        QTest::newRow("both bits: only bit 0 taken") << QList<int>{0, 3, 'D', 0, 1};
        QTest::newRow("no bits") << QList<int>{0, 0, 'D', -1, 0};
        QTest::newRow("screen clear") << QList<int>{0, 1, 'E', -1, 0};
        QTest::newRow("gross text") << QList<int>{0, 1, 'G', -1, 0};
        QTest::newRow("plain kind") << QList<int>{0, 1, 'i', -1, 0};
        QTest::newRow("position past the end") << QList<int>{1, 1, 'D', -1, 0};
        QTest::newRow("negative position") << QList<int>{-1, 1, 'D', -1, 0};
    }

    void undoData()
    {
        QFETCH(QList<int>, c);
        StoreEnvironment env;
        env.store.setDisplayClientRect(QRect(0, 0, 200, 100));
        env.store.BumpLayoutGeneration();
        env.store.AppendData(env.line(kA, 1000, 1010, u"A1"_qs));
        QString out;
        QCOMPARE(env.store.GetLine(0, 0, out, env.measurer), RM::LINE_LAST);
        QCOMPARE(env.store.UndoData(c[0], env.line(kA, 1000, 2000, {}, c[2], c[1])), c[3]);
        // A withdrawn line travels again with its new flag digit, and is no longer shown.
        QCOMPARE(env.store.at(0)->nFlag, c[4]);
        QCOMPARE(env.store.at(0)->strCache,
                 u"0a0000010000100000001010D"_qs + QString::number(c[4]) + u"0002A1"_qs);
        QCOMPARE(env.store.at(0)->nMaxLine, 1);
        QCOMPARE(env.store.GetLine(0, 0, out, env.measurer), c[4] ? RM::LINE_SKIP : RM::LINE_LAST);
        QCOMPARE(env.store.changeStamp(), 100);
    }

    void configure_data()
    {
        // keep, lines; then what Configure returns, the capacity, visible span and search limit.
        QTest::addColumn<QList<int>>("c");
        QTest::newRow("defaults") << QList<int>{2000, 50, 2000, 2000, 2000, 50};
        QTest::newRow("keep raised to twice the lines") << QList<int>{40, 30, 60, 60, 100, 30};
        QTest::newRow("search limit at least 30") << QList<int>{1000, 10, 1000, 1000, 1000, 30};
        QTest::newRow("largest") << QList<int>{99999, 200, 99999, 99999, 99999, 200};
        QTest::newRow("keep not positive") << QList<int>{0, 50, 0, 0, 0, 30};
        QTest::newRow("lines not positive") << QList<int>{2000, -1, 2000, 0, 0, 30};
    }

    void configure()
    {
        QFETCH(QList<int>, c);
        TestHome home;
        FakeClock clock;
        ReceivedMain store;
        QCOMPARE(store.dataMax(), 0);
        QCOMPARE(store.Configure(c[0], c[1]), c[2]);
        QCOMPARE(QList<int>({store.dataMax(), store.visibleSpan(), store.searchLimit()}), c.mid(3));
        if (c[3] == 0) {
            // Nothing is kept without a capacity, but serials still count.
            QCOMPARE(store.AppendData(CReceivedMainData()), 0);
            QCOMPARE(store.AddString(u"x"_qs, kA, 'i'), 1);
            QCOMPARE(store.count(), 0);
            QCOMPARE(store.nextSerial(), 2);
            QCOMPARE(store.SerialToPosition(1), -1);
            QCOMPARE(store.RemoveLastString(true), 0);
        }
        // A store that already has a capacity keeps it.
        store.Configure(5000, 50);
        QCOMPARE(store.dataMax(), c[3] > 0 ? c[3] : 5000);
    }

    void capacityAndSerials()
    {
        StoreEnvironment env(4, 1);
        for (int k = 0; k < 6; ++k)
            QCOMPARE(env.store.AppendData(env.line(kA, 1000 + k, 1010 + k, QString::number(k))), k);
        // The oldest records made room; serials stay positional.
        QCOMPARE(env.texts(), QStringList({u"2"_qs, u"3"_qs, u"4"_qs, u"5"_qs}));
        QCOMPARE(env.store.nextSerial(), 6);
        QCOMPARE(env.store.changeStamp(), 600);
        const RM &store = env.store;
        QCOMPARE(QList<int>({store.PositionToSerial(0), store.PositionToSerial(3), store.PositionToSerial(4),
                             store.PositionToSerial(-1)}),
                 QList<int>({2, 5, -1, -1}));
        QCOMPARE(QList<int>({store.SerialToPosition(1), store.SerialToPosition(2), store.SerialToPosition(5),
                             store.SerialToPosition(6)}),
                 QList<int>({-1, 0, 3, -1}));

        // Inserting in a full store discards the oldest and gives every later record the next serial.
        env.store.InsertData(2, env.line(kB, 900, 910, u"X"_qs));
        QCOMPARE(env.texts(), QStringList({u"3"_qs, u"X"_qs, u"4"_qs, u"5"_qs}));
        QCOMPARE(env.store.nextSerial(), 7);
        QCOMPARE(env.store.SerialToPosition(3), 0); // before the insert: serial unchanged
        QCOMPARE(env.store.SerialToPosition(5), 2); // "4" had serial 4, now 5
        QCOMPARE(env.store.changeStamp(), 600);     // an insert leaves the stamp alone
        // At or past the end an insert appends.
        env.store.InsertData(9, env.line(kB, 950, 960, u"Y"_qs));
        QCOMPARE(env.texts(), QStringList({u"X"_qs, u"4"_qs, u"5"_qs, u"Y"_qs}));
        // At position 0 of a full store the new record is itself the oldest and goes at once.
        env.store.InsertData(0, env.line(kB, 100, 110, u"Z"_qs));
        QCOMPARE(env.texts(), QStringList({u"X"_qs, u"4"_qs, u"5"_qs, u"Y"_qs}));
        QCOMPARE(env.store.nextSerial(), 9);
        // A refused insert is logged with the record and still counts.
        env.store.InsertData(-1, env.line(kB, 900, 910, u"lost %1"_qs));
        QCOMPARE(env.store.count(), 4);
        QCOMPARE(env.store.nextSerial(), 10);
        const QStringList log = operationLogLines();
        const qsizetype at = log.indexOf(u"ReceivedMain::InsertData part2 insert-item index: : -1"_qs);
        QVERIFY(at >= 0 && at + 1 < log.size());
        QVERIFY(log.at(at + 1).startsWith(u"[CReceivedMainData] Address="_qs));
        QVERIFY(log.at(at + 1).contains(u"strRaw=[[lost %1]]"_qs));
    }

    void removeLastString()
    {
        StoreEnvironment env;
        QCOMPARE(env.store.RemoveLastString(true), -1); // never held a record
        QCOMPARE(env.store.RemoveLastStringFromQuorel(), -1);
        env.store.setDisplayClientRect(QRect(0, 0, 100, 100));
        env.store.BumpLayoutGeneration();
        env.append({u"-withdrawn"_qs, u"first"_qs, u"second line of text"_qs});
        QString out;
        QCOMPARE(env.store.GetLine(2, 0, out, env.measurer), RM::LINE_MORE);
        const qint64 stamp = env.store.changeStamp();

        CReceivedMainData removed;
        QCOMPARE(env.store.RemoveLastString(true, &removed), 3); // "second", "line of", "text"
        QCOMPARE(removed.strRaw, u"second line of text"_qs);
        QCOMPARE(removed.nFlag, 0); // copied before the change
        QCOMPARE(removed.nMaxLine, 3);
        QCOMPARE(env.store.at(2)->nFlag, 1);
        QCOMPARE(env.store.at(2)->nMaxLine, 0);
        QCOMPARE(env.store.at(2)->strCache.mid(24, 2), u"D1"_qs);
        QCOMPARE(env.store.changeStamp(), stamp + 1);
        QCOMPARE(env.store.GetLine(2, 0, out, env.measurer), RM::LINE_SKIP);

        // The next undo skips the withdrawn line; a remote undo sets bit 1. Then nothing is left.
        QCOMPARE(env.store.GetLine(1, 0, out, env.measurer), RM::LINE_LAST);
        QCOMPARE(env.store.RemoveLastString(false), 1);
        QCOMPARE(env.store.at(1)->nFlag, 2);
        QCOMPARE(env.store.at(1)->strCache.mid(24, 2), u"D2"_qs);
        QCOMPARE(env.store.changeStamp(), stamp + 2);
        QCOMPARE(env.store.RemoveLastString(true), 0);
        QCOMPARE(env.store.RemoveLastStringFromQuorel(), 0);
        QCOMPARE(env.store.changeStamp(), stamp + 2);
    }

    void removeLastStringRefusesClearAndGross()
    {
        for (const char type : {'E', 'G'}) {
            StoreEnvironment env;
            env.store.AppendData(env.line(kA, 1000, 1010, u"before"_qs));
            env.store.AppendData(env.line(kA, 2000, 2010, u"block"_qs, type));
            CReceivedMainData removed;
            removed.strRaw = u"untouched"_qs;
            QCOMPARE(env.store.RemoveLastString(true, &removed), -1);
            QCOMPARE(env.store.RemoveLastStringFromQuorel(), -1);
            QCOMPARE(removed.strRaw, u"untouched"_qs);
            QCOMPARE(env.store.at(1)->nFlag + env.store.at(0)->nFlag, 0);
            QCOMPARE(env.store.changeStamp(), 200);
        }
    }

    void removeLastStringFromQuorel()
    {
        StoreEnvironment env;
        env.store.AppendData(env.line(kA, 1000, 1010));
        env.store.AddString(u"from a peer"_qs, kC, 'i');
        const qint64 stamp = env.store.changeStamp();
        QCOMPARE(env.store.RemoveLastStringFromQuorel(), 1);
        QCOMPARE(env.store.at(1)->nFlag, 1);
        QCOMPARE(env.store.at(1)->nMaxLine, 0);
        QCOMPARE(env.store.changeStamp(), stamp);
        // The newest shown line is now a native one.
        QCOMPARE(env.store.RemoveLastStringFromQuorel(), -1);
        QCOMPARE(env.store.at(0)->nFlag, 0);
        // A second-path line is not a main-port line.
        env.store.AddString(u"gross"_qs, kC, 'g');
        QCOMPARE(env.store.RemoveLastStringFromQuorel(), -1);
    }

    void screenClearStoredAsLineFeeds()
    {
        StoreEnvironment env;
        FixedWidthMeasurer measurer(10, 30);
        env.store.setDisplayClientRect(QRect(0, 0, 300, 100));
        QCOMPARE(env.store.UpdateMetrics(measurer), 3);
        env.store.AppendData(env.line(kA, 1000, 1000, u"\n"_qs, 'E'));
        QCOMPARE(env.store.at(0)->strRaw, u"\n\n\n\n"_qs);
        QCOMPARE(env.store.at(0)->strCache, u"0a0000010000100000001000E00001\n"_qs);
        env.store.InsertData(0, env.line(kB, 500, 500, u"\n"_qs, 'E'));
        QCOMPARE(env.store.at(0)->strRaw, u"\n\n\n\n"_qs);
        QCOMPARE(env.store.at(0)->strCache, u"0a0000020000050000000500E00001\n"_qs);
    }

    void addStringRecord()
    {
        StoreEnvironment env;
        env.store.AppendData(env.line(kA, 1000, 1010));
        const qint64 stamp = env.store.changeStamp();
        QCOMPARE(env.store.AddString(u"peer line"_qs, kC, 'i'), 1);
        const CReceivedMainData *r = env.store.at(1);
        QCOMPARE(QStringList({r->strRaw, r->strIpAddress, r->arrLine.at(0)}),
                 QStringList({u"peer line"_qs, kC, u"peer line"_qs}));
        QCOMPARE(QList<qint32>({r->nType, r->nStrLength, r->nTimeSent, r->nChannel, r->nGroup, r->nMaxLine}),
                 QList<qint32>({'i', 9, 0, 1, 1, 1}));
        QVERIFY(r->strCache.isEmpty());
        QCOMPARE(env.store.changeStamp(), stamp);
    }

    void history()
    {
        StoreEnvironment env;
        QStringList lines;
        env.store.newestWireLines(5, lines);
        QVERIFY(lines.isEmpty());
        env.append({u"0"_qs, u"1"_qs, u"2"_qs, u"3"_qs});
        QCOMPARE(env.store.historyVersion(), 400);
        env.store.AddString(u"peer"_qs, kC, 'i');
        env.store.AddString(QString(), kC, 'i'); // a peer's screen clear
        env.append({u"4"_qs, u"5"_qs}, 1010);
        QCOMPARE(env.store.historyVersion(), 800);

        // Plain peer lines have no wire form: they are skipped and do not count.
        env.store.newestWireLines(5, lines);
        QCOMPARE(lines.size(), 5);
        QCOMPARE(lines.at(0), u"0a0000010000101100001011D000015"_qs);
        for (int i = 1; i < 5; ++i)
            QCOMPARE(lines.at(i).right(1), QString::number(5 - i));

        // Withdrawal travels with the changed flag digit.
        QCOMPARE(env.store.RemoveLastString(true), 0);
        QCOMPARE(env.store.historyVersion(), 801);
        lines.clear();
        env.store.newestWireLines(2, lines);
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines.at(0).mid(24, 2), u"D1"_qs);

        // Lines of another group end the history.
        env.store.SetChannelGroup(1, 2);
        env.store.AppendData(env.line(kA, 2000, 2000, u"new group"_qs));
        lines.clear();
        env.store.newestWireLines(5, lines);
        QVERIFY(lines.isEmpty()); // the record says group 1, the store is in group 2
        CReceivedMainData inGroup = env.line(kA, 2001, 2001, u"g2"_qs);
        inGroup.nGroup = 2;
        env.store.AppendData(inGroup);
        env.store.newestWireLines(5, lines);
        QCOMPARE(lines.size(), 1);
        QVERIFY(lines.at(0).endsWith(u"g2"_qs));
    }

    void getAndSetAtPosition()
    {
        StoreEnvironment env;
        env.store.AppendData(env.line(kA, 1000, 1010, u"one"_qs));
        CReceivedMainData copy;
        QVERIFY(env.store.GetAt(0, copy));
        QCOMPARE(copy.strRaw, u"one"_qs);
        QVERIFY(!env.store.GetAt(1, copy));
        QVERIFY(!env.store.GetAt(-1, copy));
        QVERIFY(!env.store.at(1));
        copy.strRaw = u"changed"_qs;
        QVERIFY(env.store.SetAt(0, copy));
        QCOMPARE(env.store.at(0)->strRaw, u"changed"_qs);
        QVERIFY(!env.store.SetAt(1, copy));
        // A stored line turned into a plain one is passed over by the search from then on.
        copy.nType = 'i';
        QVERIFY(env.store.SetAt(0, copy));
        CReceivedMainData again = env.line(kA, 1000, 1010);
        int pos = -1;
        QCOMPARE(env.store.LocateData(again, pos), RM::LOCATE_APPEND);
    }

    void searchFindsEveryLineAmongPlainOnes()
    {
        // Native lines among peer lines, through evictions, inserts and a replaced record: every
        // kept native line must still be found where it is.
        StoreEnvironment env(12, 1);
        for (int k = 0; k < 20; ++k) {
            if (k % 3 == 0)
                env.store.AddString(u"peer %1"_qs.arg(k), kC, 'i');
            else
                env.store.AppendData(env.line(k % 2 ? kA : kB, 1000 + k * 100, 1010 + k * 100));
        }
        env.store.InsertData(5, env.line(kC, 1, 2, u"late"_qs));
        env.store.InsertData(2, env.line(kC, 3, 4, u"plain late"_qs, 'g'));
        CReceivedMainData replaced = *env.store.at(7);
        replaced.nType = replaced.nType == 'i' ? 'D' : 'i';
        replaced.strIpAddress = replaced.strIpAddressSender = u"10.0.0.4"_qs; // a typist of its own
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
            QCOMPARE(env.store.LocateData(copy, pos), RM::LOCATE_DUPLICATE);
            QCOMPARE(pos, p);
        }
        QVERIFY(lettered >= 6);
    }

    void wrap_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("width"); // pixels; every character is 10 wide
        QTest::addColumn<QStringList>("expected");
        // The expected rows joined by "|".
        const auto row = [](const char *name, const QString &text, int width, QStringView expected) {
            QTest::newRow(name) << text << width << expected.toString().split(u'|');
        };
        row("fits", u"abc"_qs, 100, u"abc");
        row("exactly fits", u"abc"_qs, 30, u"abc");
        row("empty text", {}, 100, u"");
        row("trailing line feed", u"abc\n"_qs, 100, u"abc|");
        row("trailing CR LF", u"abc\r\n"_qs, 100, u"abc|");
        row("CR LF", u"A\r\nB"_qs, 100, u"A|B");
        row("lone CR", u"A\rB"_qs, 100, u"A|B");
        row("two line feeds", u"A\n\nB"_qs, 100, u"A|\n|B");
        row("leading line feed", u"\nA"_qs, 100, u"\n|A");
        row("only a line feed", u"\n"_qs, 100, u"\n|");
        row("soft break", u"abcdef"_qs, 30, u"abc|def");
        row("soft then hard break", u"abcd\nef"_qs, 30, u"abc|d|ef");
        row("full stop may not start a line", u"abc。"_qs, 30, u"ab|c。");
        row("full stop that fits", u"ab。"_qs, 30, u"ab。");
        row("closing bracket moves down too", u"ab」c"_qs, 20, u"a|b」|c");
        row("full stop and closing bracket move down together", u"あいう。」"_qs, 40, u"あい|う。」");
        row("no-line-start at the line's first character", u"a。"_qs, 10, u"a|。");
        row("character wider than the line", u"ab"_qs, 5, u"a|b");
        row("no room at all", u"ab"_qs, -10, u"a|b");
        // Words: rows end at spaces, and the spaces at a break go with it.
        row("breaks at the last space that fits", u"accessible events."_qs, 130, u"accessible|events.");
        row("several words a row", u"the quick brown fox"_qs, 100, u"the quick|brown fox");
        row("space exactly at the boundary", u"abc def"_qs, 30, u"abc|def");
        row("space that fits at the row's end", u"abc def"_qs, 40, u"abc|def");
        row("several spaces at the break", u"ab   cd"_qs, 30, u"ab|cd");
        row("spaces inside a row stay", u"a  b c"_qs, 100, u"a  b c");
        row("spaces at the end of the text", u"abc   "_qs, 30, u"abc");
        row("leading spaces of the text stay", u"  ab cd"_qs, 50, u"  ab|cd");
        row("word longer than the row breaks inside", u"a verylongword"_qs, 50, u"a|veryl|ongwo|rd");
        row("word goes down with its full stop", u"abc def."_qs, 70, u"abc|def.");
        row("no-break space holds words together", u"x ab\u00A0cd"_qs, 50, u"x|ab\u00A0cd");
        row("line feed after a row of words", u"ab cd\nef"_qs, 30, u"ab|cd|ef");
        // Japanese breaks between any two characters; words written in it stay whole.
        row("Japanese wraps at any character", u"あいうえおかきくけこ"_qs, 40, u"あいうえ|おかきく|けこ");
        row("English word inside Japanese", u"今日はZoomです"_qs, 50, u"今日は|Zoomで|す");
        row("Japanese and English with spaces", u"会議は Zoom です"_qs, 60, u"会議は|Zoom で|す");
        row("number inside Japanese stays whole", u"締切は2026年"_qs, 50, u"締切は|2026年");
        row("ideographic space at the boundary is dropped", u"あいうえお\u3000かきくけこ"_qs, 50,
            u"あいうえお|かきくけこ");
        row("ideographic space between English words", u"Hello\u3000World"_qs, 60, u"Hello|World");
        row("ideograph outside the basic plane", u"abc𠀋"_qs, 40, u"abc|𠀋");
        row("word wider than the row ends in an emoji", u"abc😀"_qs, 40, u"abc|😀");
        row("emoji wider than the row", u"😀😀"_qs, 10, u"😀|😀");
        QStringList letters;
        for (char ch = 'a'; ch <= 'y'; ++ch)
            letters.append(QString(QLatin1Char(ch)));
        row("more lines than the first line array holds", letters.join(QString()), 10, letters.join(u'|'));
    }

    void wrap()
    {
        QFETCH(QString, text);
        QFETCH(int, width);
        QFETCH(QStringList, expected);
        StoreEnvironment env;
        env.store.setDisplayClientRect(QRect(0, 0, width, 200));
        CReceivedMainData record;
        record.strRaw = text;
        QCOMPARE(env.store.LayoutData(record, env.measurer), expected.size());
        QCOMPARE(record.arrLine.mid(0, record.nMaxLine), expected);
        QVERIFY(env.store.metricsValid()); // layout brought the metrics up to date first
    }

    void availableWidth_data()
    {
        // Margin, outline, borderless; then the characters of 10 px on a line of a 100 px display.
        QTest::addColumn<QList<int>>("c");
        QTest::newRow("plain") << QList<int>{0, 0, false, 10};
        QTest::newRow("margins") << QList<int>{5, 0, false, 9};
        QTest::newRow("outline") << QList<int>{5, 5, false, 8};
        QTest::newRow("frame insets while borderless") << QList<int>{0, 0, true, 7};
        QTest::newRow("all together") << QList<int>{5, 5, true, 5};
    }

    void availableWidth()
    {
        QFETCH(QList<int>, c);
        StoreEnvironment env;
        env.store.setDisplayClientRect(QRect(0, 0, 100, 200));
        env.store.setMargins(c[0], 0);
        env.store.setOutlineWidth(c[1]);
        env.store.setBorderless(c[2], 12, 0, 18, 0);
        CReceivedMainData record;
        record.strRaw = QString(30, QLatin1Char('x'));
        env.store.LayoutData(record, env.measurer);
        QCOMPARE(record.arrLine.at(0).size(), c[3]);
    }

    void metrics_data()
    {
        // Display height, font height, line height percent, vertical margin, outline, borderless;
        // then the lines per screen and the line pitch.
        QTest::addColumn<QList<int>>("m");
        QTest::newRow("spare pixels shared out") << QList<int>{100, 30, 100, 0, 0, false, 3, 35};
        QTest::newRow("exact fit") << QList<int>{90, 30, 100, 0, 0, false, 3, 30};
        QTest::newRow("single line") << QList<int>{40, 30, 100, 0, 0, false, 1, 32};
        QTest::newRow("too small for a line") << QList<int>{10, 30, 100, 0, 0, false, 1, 32};
        QTest::newRow("line height percent") << QList<int>{100, 20, 150, 0, 0, false, 3, 35};
        QTest::newRow("percent truncates") << QList<int>{100, 21, 70, 0, 0, false, 7, 14}; // 14 px lines
        QTest::newRow("vertical margins") << QList<int>{110, 30, 100, 5, 0, false, 3, 35};
        QTest::newRow("outline") << QList<int>{108, 26, 100, 0, 2, false, 3, 37};
        QTest::newRow("frame insets while borderless") << QList<int>{110, 30, 100, 0, 0, true, 3, 35};
        QTest::newRow("frame insets ignored with a frame") << QList<int>{110, 30, 100, 0, 0, false, 3, 40};
        QTest::newRow("zero font height") << QList<int>{10, 0, 100, 0, 0, false, 10, 1};
    }

    void metrics()
    {
        QFETCH(QList<int>, m);
        StoreEnvironment env;
        FixedWidthMeasurer measurer(10, m[1]);
        env.store.setDisplayClientRect(QRect(0, 0, 300, m[0]));
        env.store.setLineHeightPercent(m[2]);
        env.store.setMargins(0, m[3]);
        env.store.setOutlineWidth(m[4]);
        env.store.setBorderless(m[5], 0, 4, 0, 6);
        QVERIFY(!env.store.metricsValid());
        QCOMPARE(env.store.UpdateMetrics(measurer), m[6]);
        QCOMPARE(env.store.linesPerScreen(), m[6]);
        QCOMPARE(env.store.linePitch(), m[7]);
        QVERIFY(env.store.metricsValid());
        QCOMPARE(env.store.clientRect(), QRect(0, 0, 300, m[0]));
    }

    void displaySettingsBounds()
    {
        StoreEnvironment env;
        env.store.setMargins(20, 20);
        env.store.setMargins(3, 21); // both or neither
        QCOMPARE(env.store.marginX(), 20);
        QCOMPARE(env.store.marginY(), 20);
        env.store.setOutlineWidth(99);
        env.store.setOutlineWidth(100);
        QCOMPARE(env.store.outlineWidth(), 99);
        env.store.UpdateMetrics(env.measurer);
        QVERIFY(env.store.metricsValid());
        const int generation = env.store.layoutGeneration();
        env.store.BumpLayoutGeneration();
        QCOMPARE(env.store.layoutGeneration(), generation + 1);
        QVERIFY(!env.store.metricsValid());
    }

    void getLine()
    {
        StoreEnvironment env;
        QString out = u"unchanged"_qs;
        QCOMPARE(env.store.GetLine(0, 0, out, env.measurer), RM::LINE_END); // empty store
        // Before the first generation change a plain line keeps the single line it was made
        // with, and a line built field by field has none.
        env.store.setDisplayClientRect(QRect(0, 0, 50, 200));
        env.store.AddString(u"abcdefgh"_qs, kA, 'i');
        env.append({u"xyz"_qs, u"-withdrawn"_qs});
        QCOMPARE(env.store.GetLine(0, 0, out, env.measurer), RM::LINE_LAST);
        QCOMPARE(out, u"abcdefgh"_qs);
        QCOMPARE(env.store.GetLine(1, 0, out, env.measurer), RM::LINE_SKIP);

        env.store.BumpLayoutGeneration();
        QCOMPARE(env.store.GetLine(0, 0, out, env.measurer), RM::LINE_MORE);
        QCOMPARE(out, u"abcde"_qs);
        QCOMPARE(env.store.GetLine(0, 1, out, env.measurer), RM::LINE_LAST);
        QCOMPARE(out, u"fgh"_qs);
        out = u"unchanged"_qs;
        QCOMPARE(env.store.GetLine(0, 2, out, env.measurer), RM::LINE_SKIP);
        QCOMPARE(env.store.GetLine(0, -1, out, env.measurer), RM::LINE_SKIP);
        for (int index = 0; index < 3; ++index)
            QCOMPARE(env.store.GetLine(2, index, out, env.measurer), RM::LINE_SKIP); // withdrawn
        QCOMPARE(out, u"unchanged"_qs);
        QCOMPARE(env.store.GetLine(1, 0, out, env.measurer), RM::LINE_LAST);
        QCOMPARE(env.store.GetLine(3, 0, out, env.measurer), RM::LINE_END); // serial == next
        QCOMPARE(env.store.at(0)->nDisplayStatus, env.store.layoutGeneration());

        // A wider window without a new generation keeps the cached wrapping.
        env.store.setDisplayClientRect(QRect(0, 0, 200, 200));
        QCOMPARE(env.store.GetLine(0, 0, out, env.measurer), RM::LINE_MORE);
        env.store.BumpLayoutGeneration();
        QCOMPARE(env.store.GetLine(0, 0, out, env.measurer), RM::LINE_LAST);
        QCOMPARE(out, u"abcdefgh"_qs);
    }

    void getLineLogsEvictedSerial()
    {
        StoreEnvironment env(4, 1); // capacity 4, but the display may reach back 100 serials
        for (int k = 0; k < 6; ++k)
            env.store.AddString(QString::number(k), kA, 'i');
        QString out;
        QCOMPARE(env.store.GetLine(0, 0, out, env.measurer), RM::LINE_SKIP);
        QCOMPARE(env.store.GetLine(2, 0, out, env.measurer), RM::LINE_LAST);
        QCOMPARE(out, u"2"_qs);
        QVERIFY(operationLogLines().contains(u"ReceivedMain::GetLine : get index: : -1"_qs));
    }

    void goLast_data()
    {
        QTest::addColumn<QStringList>("texts"); // oldest first; "-" marks a withdrawn line
        QTest::addColumn<int>("topSerial");
        QTest::addColumn<int>("topLine");
        // Three lines per screen; lines of five characters.
        QTest::newRow("two records of two lines") << QStringList{u"aaaaabb"_qs, u"cccccdd"_qs} << 0 << 1;
        QTest::newRow("exactly full") << QStringList{u"x"_qs, u"aaaaabb"_qs, u"y"_qs} << 1 << 0;
        QTest::newRow("withdrawn lines are skipped")
            << QStringList{u"aaaaabb"_qs, u"c"_qs, u"-dd"_qs, u"e"_qs} << 0 << 1;
        QTest::newRow("fewer lines than the screen") << QStringList{u"a"_qs, u"b"_qs} << 0 << 0;
        QTest::newRow("empty store") << QStringList() << 0 << 0;
        QTest::newRow("one record taller than the screen")
            << QStringList{u"a"_qs, QString(25, u'z')} << 1 << 2;
    }

    void goLast()
    {
        QFETCH(QStringList, texts);
        QFETCH(int, topSerial);
        QFETCH(int, topLine);
        StoreEnvironment env;
        FixedWidthMeasurer measurer(10, 30);
        env.store.setDisplayClientRect(QRect(0, 0, 50, 100));
        env.store.BumpLayoutGeneration();
        env.append(texts);
        int serial = -1;
        int line = -1;
        QCOMPARE(env.store.GoLast(measurer, serial, line), 1);
        // Nothing to place, nothing measured.
        QCOMPARE(env.store.linesPerScreen(), texts.isEmpty() ? 0 : 3);
        QCOMPARE(serial, topSerial);
        QCOMPARE(line, topLine);
    }

    void goLastWithoutDisplay()
    {
        StoreEnvironment env;
        env.store.AppendData(env.line(kA, 1000, 1010));
        int serial = 7;
        int line = 7;
        QCOMPARE(env.store.GoLast(env.measurer, serial, line), 0);
        QCOMPARE(serial, 7);
        QCOMPARE(line, 7);
        env.store.setDisplayClientRect(QRect(0, 0, 100, 100));
        env.store.detachDisplay();
        QCOMPARE(env.store.GoLast(env.measurer, serial, line), 0);
    }

    void goLastStopsAtEvictedSerials()
    {
        StoreEnvironment env(4, 1);
        FixedWidthMeasurer measurer(10, 10);
        env.store.setDisplayClientRect(QRect(0, 0, 100, 1000)); // 100 lines per screen
        env.store.BumpLayoutGeneration();
        for (int k = 0; k < 50; ++k)
            env.store.AppendData(env.line(kA, 1000 + k, 1000 + k));
        int serial = -1;
        int line = -1;
        QCOMPARE(env.store.GoLast(measurer, serial, line), 1);
        QCOMPARE(serial, 0);
        QCOMPARE(line, 0);
        // One line for the first evicted serial, not one for each of the 46.
        QCOMPARE(operationLogLines().count(u"ReceivedMain::GoLast get index: : -1"_qs), 1);
    }
};

QTEST_APPLESS_MAIN(TimelineTest)
#include "test_timeline.moc"
