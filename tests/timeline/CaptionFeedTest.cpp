#include "StoreEnvironment.h"
#include "timeline/CCaptionFeed.h"

#include <QtTest>

namespace {

const QString kA = u"192.0.2.1"_qs;
const QString kB = u"192.0.2.2"_qs;
const QDateTime kNow(QDate(2026, 12, 7), QTime(10, 1), Qt::UTC);

// Records what the feed tells, as one text per event.
class Recorder final : public ICaptionFeedListener
{
public:
    void captionAdded(const CaptionFeedLine &line) override
    {
        lines.append(line);
        events.append(u"+%1"_qs.arg(line.text));
    }
    void captionWithdrawn(qint64 id) override
    {
        withdrawn.append(id);
        events.append(u"-%1"_qs.arg(id));
    }
    QList<CaptionFeedLine> lines;
    QList<qint64> withdrawn;
    QStringList events;
};

} // namespace

class CaptionFeedTest final : public QObject
{
    Q_OBJECT

private slots:
    void appendsAndInsertsInStoreOrderWithStableIds()
    {
        StoreEnvironment env(8, 4);
        env.store.AppendData(env.line(kA, 1000, 1010, u"before"_qs));
        CCaptionFeed feed(env.store, [] { return kNow; });
        Recorder heard;
        feed.addListener(&heard);
        feed.addListener(&heard); // a second add must not make it hear everything twice
        feed.addListener(nullptr);

        env.receive(env.line(kA, 2000, 2010, u"A2"_qs));
        env.receive(env.line(kB, 4000, 4010, u"B4"_qs));
        // Typed and received before B4 (a repaired line): the store inserts it, the feed names its place.
        QCOMPARE(env.receive(env.line(kA, 3000, 3010, u"A3"_qs)), ReceivedMain::LOCATE_INSERT);
        QCOMPARE(heard.events, (QStringList{u"+A2"_qs, u"+B4"_qs, u"+A3"_qs}));
        const CaptionFeedLine a2 = heard.lines.at(0), b4 = heard.lines.at(1), a3 = heard.lines.at(2);
        QCOMPARE(a2.beforeId, 0);
        QCOMPARE(b4.afterId, a2.id);
        QCOMPARE(a3.afterId, a2.id);
        QCOMPARE(a3.beforeId, b4.id);
        QVERIFY(a3.id > b4.id);
        QCOMPARE(a2.author, kA);
        QCOMPARE(a2.typedUtc, QDateTime(QDate(2026, 12, 7), QTime(0, 0, 2), Qt::UTC));

        // The record stored before the feed existed is not reported, but is part of the state.
        const QList<CaptionFeedLine> current = feed.currentLines();
        QCOMPARE(current.size(), 4);
        QCOMPARE(current.at(0).text, u"before"_qs);
        QCOMPARE(current.at(2).id, a3.id);

        // Evictions renumber the store's serials but not the ids.
        for (int k = 0; k < 8; ++k)
            env.store.AppendData(env.line(kB, 5000 + k * 100, 5010 + k * 100, QString::number(k)));
        QCOMPARE(heard.lines.size(), 11);
        QCOMPARE(feed.currentLines().constFirst().id, heard.lines.at(3).id);
        QCOMPARE(heard.lines.constLast().id, heard.lines.at(9).id + 1);
        feed.Sync();
        QCOMPARE(heard.lines.size(), 11);
    }

    void withdrawalsAreToldOnce()
    {
        StoreEnvironment env;
        CCaptionFeed feed(env.store, [] { return kNow; });
        Recorder heard;
        feed.addListener(&heard);
        env.store.AppendData(env.line(kA, 1000, 1010, u"own"_qs));
        env.store.AppendData(env.line(kB, 2000, 2010, u"peer"_qs));
        const qint64 own = heard.lines.at(0).id, peer = heard.lines.at(1).id;

        QVERIFY(env.store.RemoveLastString(true) >= 0);
        // The same undo heard again from the peer's repeated datagram changes nothing.
        env.receive(env.line(kB, 2000, 2100, u"peer"_qs, 'D', CReceivedMainData::kFlagWithdrawnLocal));
        feed.Sync();
        QCOMPARE(heard.withdrawn, (QList<qint64>{peer}));
        // A native undo of an older line.
        env.receive(env.line(kA, 1000, 2200, u"own"_qs, 'D', CReceivedMainData::kFlagWithdrawnLocal));
        QCOMPARE(heard.withdrawn, (QList<qint64>{peer, own}));

        // A line that arrives already withdrawn is reported as such, not as a withdrawal.
        env.receive(env.line(kB, 3000, 3010, u"late"_qs, 'D', CReceivedMainData::kFlagWithdrawnLocal));
        QVERIFY(heard.lines.constLast().withdrawn);
        QCOMPARE(heard.withdrawn.size(), 2);

        // A listener that has left hears nothing.
        feed.removeListener(&heard);
        env.store.AppendData(env.line(kA, 4000, 4010));
        QCOMPARE(heard.lines.size(), 3);
    }

    void typedUtcTimeIsTheNearestDay_data()
    {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<qint32>("timeOfDay");
        QTest::addColumn<QDateTime>("typed");
        const QDate day(2026, 12, 7);
        QTest::newRow("same day") << QDateTime(day, QTime(10, 0), Qt::UTC) << 35990000
                                  << QDateTime(day, QTime(9, 59, 50), Qt::UTC);
        QTest::newRow("typed before midnight, read after")
            << QDateTime(day, QTime(0, 0, 5), Qt::UTC) << 86395000
            << QDateTime(day.addDays(-1), QTime(23, 59, 55), Qt::UTC);
        QTest::newRow("clock ahead across midnight") << QDateTime(day, QTime(23, 59, 55), Qt::UTC) << 5000
                                                     << QDateTime(day.addDays(1), QTime(0, 0, 5), Qt::UTC);
        QTest::newRow("limited value past midnight") << QDateTime(day, QTime(0, 0, 10), Qt::UTC) << 86405000
                                                     << QDateTime(day, QTime(0, 0, 5), Qt::UTC);
    }
    void typedUtcTimeIsTheNearestDay()
    {
        QFETCH(QDateTime, now);
        QFETCH(qint32, timeOfDay);
        QFETCH(QDateTime, typed);
        QCOMPARE(CCaptionFeed::typedUtcTime(timeOfDay, now), typed);
    }
};

QTEST_APPLESS_MAIN(CaptionFeedTest)
#include "CaptionFeedTest.moc"
