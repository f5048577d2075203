#include "contact/CTurnTimer.h"

#include <QTest>

// The turn timer at a fixed local time (09:05:07), recording what it sends and its flashes.
class TurnTimerTest final : public QObject
{
    Q_OBJECT

    std::unique_ptr<CTurnTimer> m_timer;
    QStringList m_sent;
    int m_flashes = 0;

    CTurnTimer &timer(int minutes, bool reset = true)
    {
        m_timer = std::make_unique<CTurnTimer>([] { return QTime(9, 5, 7); });
        m_sent.clear();
        m_flashes = 0;
        connect(m_timer.get(), &CTurnTimer::messageReady, this, [this](const QString &m) { m_sent << m; });
        connect(m_timer.get(), &CTurnTimer::flashRequested, this, [this] { ++m_flashes; });
        m_timer->setTurnMinutes(minutes);
        if (reset)
            m_timer->Reset();
        return *m_timer;
    }
    void ticks(int n)
    {
        for (int i = 0; i < n; ++i)
            m_timer->Tick();
    }
    static QString started(int minutes, int seconds)
    {
        return u"タイマーを開始しました（残り%1分%2秒）。 (09:05:07)"_qs.arg(minutes).arg(seconds);
    }

private slots:
    void turnsRepeatWithTheirAnnouncements()
    {
        CTurnTimer &t = timer(1);
        QCOMPARE(t.remainingText(), u"1：00 "_qs);
        QVERIFY(t.Start());
        QCOMPARE(m_sent, QStringList{started(1, 0)});
        ticks(29);
        QCOMPARE(m_sent.size(), 1);
        QCOMPARE(m_flashes, 0);
        ticks(1);
        QCOMPARE(t.remainingText(), u"0：30 "_qs);
        QCOMPARE(m_sent.last(), u"30秒前です。 (09:05:07)"_qs);
        QCOMPARE(m_flashes, 1);
        ticks(29);
        QCOMPARE(m_sent.size(), 2);
        ticks(1);
        QCOMPARE(m_sent.last(), u"交代です。 (09:05:07)"_qs);
        QCOMPARE(m_flashes, 2);
        QCOMPARE(t.outgoingMessage(), m_sent.last());
        // The next turn starts at once and keeps running, with the texts of the settings.
        QCOMPARE(t.remainingText(), u"1：00 "_qs);
        QVERIFY(t.isRunning());
        t.setNoticeText(u"soon"_qs);
        t.setChangeText(u"next"_qs);
        ticks(60);
        QCOMPARE(m_sent.mid(3), (QStringList{u"soon (09:05:07)"_qs, u"next (09:05:07)"_qs}));
    }

    void stopKeepsTheRemainingTimeAndResetWaitsForIt()
    {
        CTurnTimer &t = timer(2);
        t.Start();
        ticks(7);
        QVERIFY(!t.Reset());
        QVERIFY(!t.Start());
        QCOMPARE(t.remaining(), 113);
        QVERIFY(t.Stop());
        QCOMPARE(m_sent.last(), u"タイマーを停止しました。 (09:05:07)"_qs);
        ticks(5); // a stray tick after the stop counts nothing
        QCOMPARE(t.remaining(), 113);
        QVERIFY(!t.Stop());
        QVERIFY(t.Start());
        QCOMPARE(m_sent.last(), started(1, 53));
        t.Stop();
        QVERIFY(t.Reset());
        QCOMPARE(t.remaining(), 120);
    }

    void minuteSteps_data()
    {
        QTest::addColumn<int>("minutes");
        QTest::addColumn<int>("step");
        QTest::addColumn<bool>("running");
        QTest::addColumn<int>("after");
        QTest::addColumn<int>("remaining");
        QTest::newRow("+1 at 99 stays 99") << 99 << 1 << false << 99 << 5940;
        QTest::newRow("+1 at 98") << 98 << 1 << false << 99 << 5940;
        QTest::newRow("-1 at 1 stays 1") << 1 << -1 << false << 1 << 60;
        QTest::newRow("-1 at 2") << 2 << -1 << false << 1 << 60;
        QTest::newRow("+1 while running keeps the turn") << 5 << 1 << true << 6 << 299;
    }

    void minuteSteps()
    {
        QFETCH(int, minutes);
        QFETCH(int, step);
        QFETCH(bool, running);
        QFETCH(int, after);
        QFETCH(int, remaining);
        CTurnTimer &t = timer(minutes);
        if (running) {
            t.Start();
            t.Tick();
        }
        QCOMPARE(step > 0 ? t.AddMinute() : t.SubtractMinute(), after != minutes);
        QCOMPARE(t.turnMinutes(), after);
        QCOMPARE(t.remaining(), remaining);
    }

    void startClampsTheRemainingTime()
    {
        // Nothing remaining: one second.
        CTurnTimer &fresh = timer(5, false);
        fresh.Start();
        QCOMPARE(fresh.remaining(), 1);
        QCOMPARE(m_sent.last(), started(0, 1));
        // The range of the settings: never more than the longest turn.
        CTurnTimer &t = timer(10);
        t.setMinuteRange(2, 5);
        QCOMPARE(t.turnMinutes(), 5);
        t.setTurnMinutes(1);
        QCOMPARE(t.turnMinutes(), 2);
        QVERIFY(!t.SubtractMinute());
        t.Start();
        QCOMPARE(m_sent.last(), started(5, 0));
    }

    void texts_data()
    {
        QTest::addColumn<int>("seconds"); // -1: the format is filled with 4 and 59
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("text");
        QTest::newRow("299 s") << 299 << QString() << u"4：59 "_qs;
        QTest::newRow("5940 s") << 5940 << QString() << u"99：00 "_qs;
        // A translation cannot make the formatting read numbers that are not there.
        QTest::newRow("two fields") << -1 << u"%d min %d s"_qs << u"4 min 59 s"_qs;
        QTest::newRow("a third field stays") << -1 << u"%d/%d/%d"_qs << u"4/59/%d"_qs;
        QTest::newRow("string field stays") << -1 << u"%s %d"_qs << u"%s 4"_qs;
        QTest::newRow("percent sign") << -1 << u"100%% %d"_qs << u"100% 4"_qs;
        QTest::newRow("trailing percent") << -1 << u"%d%"_qs << u"4%"_qs;
    }

    void texts()
    {
        QFETCH(int, seconds);
        QFETCH(QString, format);
        QFETCH(QString, text);
        QCOMPARE(seconds < 0 ? CTurnTimer::FillNumbers(format, {4, 59})
                             : CTurnTimer::FormatRemaining(seconds),
                 text);
    }
};

QTEST_GUILESS_MAIN(TurnTimerTest)
#include "test_turn_timer.moc"
