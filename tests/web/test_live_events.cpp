// The live pages' events from the caption store's changes: what a reader gets when it joins,
// when it comes back with the last id it saw, and as lines are stored, inserted and withdrawn.
#include "SseEvents.h"
#include "StoreEnvironment.h"

#include "timeline/CCaptionFeed.h"
#include "web/CLiveEvents.h"

#include <QJsonArray>
#include <QSignalSpy>
#include <QtTest>

namespace {

const QString kA = QStringLiteral("192.0.2.1");
const QString kB = QStringLiteral("192.0.2.2");
const QDateTime kNow(QDate(2026, 12, 7), QTime(10, 1), Qt::UTC);
const QByteArray kRun("0badcafe");

// The store, its feed and the events, with the events each change pushed.
struct Live
{
    explicit Live(int keep = 2000) : env(keep, 50) {}
    StoreEnvironment env;
    CCaptionFeed feed{env.store, [] { return kNow; }};
    CLiveEvents events{feed, env.store, kRun};
    QByteArray pushed;
    QMetaObject::Connection hear = QObject::connect(&events, &CLiveEvents::eventAppended,
                                                    [this](const QByteArray &bytes) { pushed += bytes; });
    qint32 sent = 1000;

    void type(const QString &text, const QString &author = kA, qint32 kind = 'D', int channel = 1,
              int group = 1)
    {
        sent += 10;
        CReceivedMainData record = env.line(author, sent, sent + 5, text, kind);
        record.strRaw = text;
        record.nStrLength = static_cast<qint32>(text.size());
        record.nChannel = channel;
        record.nGroup = group;
        env.store.AppendData(record);
    }
    QList<SseEvent> events_() const { return parseSse(pushed); }
};

QStringList texts(const QJsonArray &lines)
{
    QStringList out;
    for (const QJsonValue &line : lines)
        out.append(line.toObject().value(u"text").toString());
    return out;
}

QStringList stateTexts(CLiveEvents &events)
{
    const QList<SseEvent> reset = parseSse(events.resetEvent());
    return reset.size() == 1 ? texts(reset.first().json().value(u"lines").toArray()) : QStringList{u"?"_qs};
}

QByteArray idOf(qint64 n)
{
    return kRun + '-' + QByteArray::number(n);
}

} // namespace

class TestLiveEvents final : public QObject
{
    Q_OBJECT

private slots:
    void eachChangeIsOneNumberedEvent()
    {
        Live live;
        live.type(u"one"_qs);
        live.type(u"two\nlines"_qs, kB, 'G');
        live.type(u"three"_qs);
        QVERIFY(live.env.store.RemoveLastString(true) >= 0);
        const QList<SseEvent> events = live.events_();
        QCOMPARE(events.size(), 4);
        QCOMPARE(events.at(0).type, QByteArray("add"));
        QCOMPARE(events.at(0).id, idOf(1));
        const QJsonObject two = events.at(1).json();
        QCOMPARE(two.value(u"text").toString(), u"two\nlines"_qs);
        QCOMPARE(two.value(u"type").toString(), u"G"_qs);
        QCOMPARE(two.value(u"after").toInteger(), events.at(0).json().value(u"id").toInteger());
        QCOMPARE(two.value(u"before").toInteger(), 0);
        // Typed 1020 ms after midnight UTC on the feed's day.
        QCOMPARE(two.value(u"t").toInteger(),
                 QDateTime(kNow.date(), QTime(0, 0, 1, 20), Qt::UTC).toMSecsSinceEpoch());
        QCOMPARE(events.at(3).type, QByteArray("withdraw"));
        QCOMPARE(events.at(3).id, idOf(4));
        QCOMPARE(events.at(3).json(), (QJsonObject{{u"id"_qs, events.at(2).json().value(u"id")}}));
        QCOMPARE(live.events.lastEvent(), 4);
        QCOMPARE(stateTexts(live.events), (QStringList{u"one"_qs, u"two\nlines"_qs}));
    }

    void catchUp_data()
    {
        QTest::addColumn<QByteArray>("lastId");
        QTest::addColumn<int>("firstMissed"); // 0: the state, as a reset
        QTest::newRow("before the first event") << idOf(0) << 1;
        QTest::newRow("in the middle") << idOf(4) << 5;
        QTest::newRow("spaces around the id") << (" " + idOf(6) + " ") << 7;
        QTest::newRow("up to date") << idOf(9) << 10;
        QTest::newRow("none") << QByteArray() << 0;
        QTest::newRow("another run") << QByteArray("12345678-3") << 0;
        QTest::newRow("the run alone") << kRun << 0;
        QTest::newRow("no number") << (kRun + '-') << 0;
        QTest::newRow("ahead of the server") << idOf(10) << 0;
        QTest::newRow("negative") << (kRun + "--1") << 0;
        QTest::newRow("not a number") << (kRun + "-3x") << 0;
        QTest::newRow("sign") << (kRun + "-+3") << 0;
        QTest::newRow("overflowing") << (kRun + "-99999999999999999999999") << 0;
        QTest::newRow("garbage") << QByteArray("\xff\x00\r", 3) << 0;
    }

    void catchUp()
    {
        QFETCH(QByteArray, lastId);
        QFETCH(int, firstMissed);
        Live live;
        for (int i = 1; i <= 9; ++i)
            live.type(QString::number(i));
        const QList<SseEvent> all = live.events_();
        const QList<SseEvent> answer = parseSse(live.events.catchUp(lastId));
        if (firstMissed == 0) {
            QCOMPARE(answer.size(), 1);
            QCOMPARE(answer.first().type, QByteArray("reset"));
            QCOMPARE(answer.first().id, idOf(9));
            QCOMPARE(texts(answer.first().json().value(u"lines").toArray()),
                     (QStringList{u"1"_qs, u"2"_qs, u"3"_qs, u"4"_qs, u"5"_qs, u"6"_qs, u"7"_qs, u"8"_qs,
                                  u"9"_qs}));
            return;
        }
        QCOMPARE(answer.size(), 10 - firstMissed);
        for (int k = 0; k < answer.size(); ++k) {
            QCOMPARE(answer.at(k).id, all.at(firstMissed - 1 + k).id);
            QCOMPARE(answer.at(k).data, all.at(firstMissed - 1 + k).data);
        }
    }

    void idsOlderThanRememberedGetTheState()
    {
        Live live(300);
        const int total = CLiveEvents::kRememberedEvents + 10;
        for (int i = 1; i <= total; ++i)
            live.type(QString::number(i));
        QCOMPARE(live.events.lastEvent(), total);
        // The oldest remembered event is number 11: a reader that saw 10 misses nothing.
        const QList<SseEvent> fromTen = parseSse(live.events.catchUp(idOf(10)));
        QCOMPARE(fromTen.size(), CLiveEvents::kRememberedEvents);
        QCOMPARE(fromTen.first().id, idOf(11));
        const QList<SseEvent> fromNine = parseSse(live.events.catchUp(idOf(9)));
        QCOMPARE(fromNine.size(), 1);
        QCOMPARE(fromNine.first().type, QByteArray("reset"));
        // The state is the newest lines only, oldest first.
        const QStringList state = texts(fromNine.first().json().value(u"lines").toArray());
        QCOMPARE(state.size(), CLiveEvents::kStateLines);
        QCOMPARE(state.first(), QString::number(total - CLiveEvents::kStateLines + 1));
        QCOMPARE(state.last(), QString::number(total));
    }

    void insertedLineNamesItsPlace()
    {
        Live live;
        StoreEnvironment &env = live.env;
        env.receive(env.line(kA, 2000, 2010, u"A2"_qs));
        env.receive(env.line(kB, 4000, 4010, u"B4"_qs));
        // Typed before B4 but heard after it: a repaired line.
        QCOMPARE(env.receive(env.line(kA, 3000, 3010, u"A3"_qs)), ReceivedMain::LOCATE_INSERT);
        const QList<SseEvent> events = live.events_();
        QCOMPARE(events.size(), 3);
        const QJsonObject a3 = events.at(2).json();
        QCOMPARE(a3.value(u"after").toInteger(), events.at(0).json().value(u"id").toInteger());
        QCOMPARE(a3.value(u"before").toInteger(), events.at(1).json().value(u"id").toInteger());
        // The state is in typing order, as the store holds it.
        QCOMPARE(stateTexts(live.events), (QStringList{u"A2"_qs, u"A3"_qs, u"B4"_qs}));
    }

    void withdrawnLinesLeaveTheState()
    {
        Live live;
        live.type(u"one"_qs);
        live.type(u"two"_qs, kB);
        live.type(u"three"_qs);
        // The own undo takes back "three", the peer's own takes back "two".
        QVERIFY(live.env.store.RemoveLastString(true) >= 0);
        live.env.receive(
            live.env.line(kB, 1020, 1100, u"two"_qs, 'D', CReceivedMainData::kFlagWithdrawnLocal));
        QCOMPARE(stateTexts(live.events), QStringList{u"one"_qs});
        const QList<SseEvent> events = live.events_();
        QCOMPARE(events.size(), 5);
        QCOMPARE(events.at(3).type, QByteArray("withdraw"));
        QCOMPARE(events.at(4).type, QByteArray("withdraw"));
        QCOMPARE(events.at(4).json().value(u"id"), events.at(1).json().value(u"id"));
        // A line that arrives withdrawn was never shown: no event at all.
        live.env.store.AppendData(
            live.env.line(kA, 5000, 5010, u"late"_qs, 'D', CReceivedMainData::kFlagWithdrawnLocal));
        QCOMPARE(live.events_().size(), 5);
    }

    void otherChannelsAndGroupsNeverAppear()
    {
        Live live;
        live.type(u"ours"_qs);
        live.type(u"other group"_qs, kB, 'D', 1, 2);
        live.type(u"other channel"_qs, kB, 'D', 2, 1);
        QCOMPARE(live.events_().size(), 1);
        QVERIFY(!live.pushed.contains("other"));
        QCOMPARE(stateTexts(live.events), QStringList{u"ours"_qs});

        // Joining another group empties every reader's view.
        live.env.store.SetChannelGroup(1, 2);
        live.events.Refresh();
        QList<SseEvent> events = live.events_();
        QCOMPARE(events.size(), 2);
        QCOMPARE(events.last().type, QByteArray("reset"));
        QCOMPARE(events.last().json().value(u"lines").toArray().size(), 0);
        QCOMPARE(stateTexts(live.events), QStringList{});
        live.type(u"new group"_qs, kB, 'D', 1, 2);
        QCOMPARE(stateTexts(live.events), QStringList{u"new group"_qs});
        // Back in the first group, its old lines do not come back.
        live.env.store.SetChannelGroup(1, 1);
        live.type(u"back"_qs);
        events = live.events_();
        QCOMPARE(events.at(events.size() - 2).type, QByteArray("reset"));
        QCOMPARE(stateTexts(live.events), QStringList{u"back"_qs});
        QVERIFY(!live.pushed.contains("other"));
    }

    void storedLinesMakeTheFirstState()
    {
        StoreEnvironment env;
        env.append({u"old"_qs, u"-undone"_qs, u"kept"_qs});
        CCaptionFeed feed(env.store, [] { return kNow; });
        CLiveEvents events(feed, env.store, kRun);
        QCOMPARE(events.lastEvent(), 0);
        QCOMPARE(stateTexts(events), (QStringList{u"old"_qs, u"kept"_qs}));
        QCOMPARE(parseSse(events.resetEvent()).first().id, idOf(0));
        // Every run draws its own token.
        CLiveEvents other(feed, env.store);
        CLiveEvents third(feed, env.store);
        QCOMPARE(other.run().size(), 8);
        QVERIFY(other.run() != third.run());
    }

    void eventCostsAboutTheLineItself_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << QString();
        QTest::newRow("japanese") << u"要約筆記の字幕です。"_qs;
        QTest::newRow("quotes and backslashes") << u"\"\\\"\\\"\\"_qs;
        QTest::newRow("gross block") << u"一行目\n二行目\n三行目"_qs;
        QTest::newRow("markup") << u"<script>alert('x')</script>&amp;"_qs;
        QTest::newRow("long") << QString(2000, u'字');
    }

    void eventCostsAboutTheLineItself()
    {
        QFETCH(QString, text);
        Live live;
        live.type(text);
        const QList<SseEvent> events = live.events_();
        QCOMPARE(events.size(), 1);
        QCOMPARE(events.first().json().value(u"text").toString(), text);
        QVERIFY2(live.pushed.size() <= 2 * text.toUtf8().size() + 200, live.pushed.constData());
        // One data line: a line feed in the text cannot end the event early.
        QCOMPARE(live.pushed.count('\n'), 4);
    }
};

QTEST_GUILESS_MAIN(TestLiveEvents)
#include "test_live_events.moc"
