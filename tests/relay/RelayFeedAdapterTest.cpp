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
                             events.append(QStringLiteral("+%1 %2").arg(id).arg(text));
                             times.append(utc);
                         });
        QObject::connect(&adapter, &CRelayFeedAdapter::lineWithdrawn,
                         [this](qint64 id) { events.append(QStringLiteral("-%1").arg(id)); });
    }

    // "D TEXT" typed line (sent at 23:59:50 of the day before), "D! TEXT" one that arrives withdrawn,
    // "G A|B" gross text, "E" screen clear, "i TEXT" a peer's plain line, "I POS TEXT" a line
    // inserted before others, "W" own undo, "Q" a peer's undo.
    void step(const QString &step)
    {
        const QString verb = step.section(u' ', 0, 0);
        const QString text = step.section(u' ', 1);
        CReceivedMainData record;
        record.strIpAddress = QStringLiteral("192.0.2.1");
        record.nTimeSent = 86390000;
        record.nType = verb == u"G" || verb == u"E" ? verb.at(0).unicode() : 'D';
        record.nFlag = verb == u"D!" ? 1 : 0;
        record.strRaw = QString(text).replace(u'|', u'\n');
        if (verb == u"i") {
            store.AddString(text, QStringLiteral("192.0.2.9"), 'i');
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
            << QStringLiteral("i ; i ; D a; i b; i  ; D c") << QStringLiteral("+1 a|+2 b|+3 c");
        QTest::newRow("gross text: each line on its own")
            << QStringLiteral("G x|y||z; D a") << QStringLiteral("+1 x|+2 y|+3 z|+4 a");
        QTest::newRow("screen clear and a peer's empty lines send nothing")
            << QStringLiteral("D a; E ; i ; i ; D b") << QStringLiteral("+1 a|+2 b");
        QTest::newRow("withdrawn after it was shown")
            << QStringLiteral("D a; D b; W") << QStringLiteral("+1 a|+2 b|-2");
        QTest::newRow("a peer's undo") << QStringLiteral("i a; Q") << QStringLiteral("+1 a|-1");
        QTest::newRow("arrives withdrawn: skipped")
            << QStringLiteral("D! a; D b; W") << QStringLiteral("+1 b|-1");
        QTest::newRow("inserted before others: sent when it arrives")
            << QStringLiteral("D a; D c; I 1 b; D d") << QStringLiteral("+1 a|+2 c|+3 b|+4 d");
    }

    void linesAsShown()
    {
        QFETCH(QString, steps);
        QFETCH(QString, events);
        Rig rig;
        for (const QString &step : steps.split(QStringLiteral("; ")))
            rig.step(step);
        QCOMPARE(rig.events.join(u'|'), events);
    }

    void typingTimeCarriedAcrossMidnight()
    {
        Rig rig;
        rig.step(QStringLiteral("D a"));
        rig.step(QStringLiteral("i b"));
        // Typed ten seconds before midnight, half a minute before now; a peer's line has no time.
        QCOMPARE(rig.times, (QList<QDateTime>{kNow.addSecs(-40), kNow}));
    }
};

QTEST_APPLESS_MAIN(RelayFeedAdapterTest)
#include "RelayFeedAdapterTest.moc"
