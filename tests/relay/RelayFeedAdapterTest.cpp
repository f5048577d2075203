#include "relay/CRelayFeedAdapter.h"
#include "timeline/CCaptionFeed.h"
#include "timeline/ReceivedMain.h"

#include <QtTest>

namespace {

const QDateTime kNow(QDate(2024, 5, 1), QTime(0, 0, 30), Qt::UTC);

// The caption store with its feed, and what the adapter hands the relay as "+ID TEXT" / "-ID".
struct Rig
{
    Rig()
    {
        store.Configure(100, 10);
        QObject::connect(&adapter, &CRelayFeedAdapter::lineShown,
                         [this](qint64 id, const QString &text, const QDateTime &utc) {
                             events.append(u"+%1 %2"_qs.arg(id).arg(text));
                             times.append(utc);
                         });
        QObject::connect(&adapter, &CRelayFeedAdapter::lineWithdrawn,
                         [this](qint64 id) { events.append(u"-%1"_qs.arg(id)); });
    }

    // "D TEXT" typed line (sent at 23:59:50 of the day before), "D! TEXT" one that arrives withdrawn,
    // "G A|B" gross text, "E" screen clear, "i TEXT" a peer's plain line, "I POS TEXT" a line
    // inserted before others, "W" own undo, "Q" a peer's undo.
    void step(const QString &step)
    {
        const QString verb = step.section(u' ', 0, 0);
        const QString text = step.section(u' ', 1);
        CReceivedMainData record;
        record.strIpAddress = u"192.0.2.1"_qs;
        record.nTimeSent = 86390000;
        record.nType = verb == u"G" || verb == u"E" ? verb.at(0).unicode() : 'D';
        record.nFlag = verb == u"D!" ? 1 : 0;
        record.strRaw = QString(text).replace(u'|', u'\n');
        if (verb == u"i") {
            store.AddString(text, u"192.0.2.9"_qs, 'i');
        } else if (verb == u"W") {
            store.RemoveLastString(true);
        } else if (verb == u"Q") {
            store.RemoveLastStringFromQuorel();
        } else if (verb == u"I") {
            record.strRaw = text.section(u' ', 1);
            store.InsertData(text.section(u' ', 0, 0).toInt(), record);
        } else {
            store.AppendData(record);
        }
    }

    ReceivedMain store;
    CCaptionFeed feed{store, [] { return kNow; }};
    CRelayFeedAdapter adapter{feed};
    QStringList events;
    QList<QDateTime> times;
};

} // namespace

class RelayFeedAdapterTest final : public QObject
{
    Q_OBJECT

private slots:
    void linesAsShown_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("events");
        QTest::newRow("typed and peer lines in order, blanks skipped")
            << u"i ; i ; D a; i b; i  ; D c"_qs << u"+1 a|+2 b|+3 c"_qs;
        QTest::newRow("gross text: each line on its own") << u"G x|y||z; D a"_qs << u"+1 x|+2 y|+3 z|+4 a"_qs;
        QTest::newRow("screen clear and a peer's empty lines send nothing")
            << u"D a; E ; i ; i ; D b"_qs << u"+1 a|+2 b"_qs;
        QTest::newRow("withdrawn after it was shown") << u"D a; D b; W"_qs << u"+1 a|+2 b|-2"_qs;
        QTest::newRow("a peer's undo") << u"i a; Q"_qs << u"+1 a|-1"_qs;
        QTest::newRow("arrives withdrawn: skipped") << u"D! a; D b; W"_qs << u"+1 b|-1"_qs;
        QTest::newRow("inserted before others: sent when it arrives")
            << u"D a; D c; I 1 b; D d"_qs << u"+1 a|+2 c|+3 b|+4 d"_qs;
    }

    void linesAsShown()
    {
        QFETCH(QString, steps);
        QFETCH(QString, events);
        Rig rig;
        for (const QString &step : steps.split(u"; "_qs))
            rig.step(step);
        QCOMPARE(rig.events.join(u'|'), events);
    }

    void typingTimeCarriedAcrossMidnight()
    {
        Rig rig;
        rig.step(u"D a"_qs);
        rig.step(u"i b"_qs);
        // Typed ten seconds before midnight, half a minute before now; a peer's line has no time.
        QCOMPARE(rig.times, (QList<QDateTime>{kNow.addSecs(-40), kNow}));
    }
};

QTEST_APPLESS_MAIN(RelayFeedAdapterTest)
#include "RelayFeedAdapterTest.moc"
