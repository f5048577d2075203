#include "contact/CTurnTimer.h"

#include "core/StringTable.h"

#include <QSignalSpy>
#include <QTest>

namespace {

const QTime kNow(9, 5, 7);

} // namespace

class TurnTimerTest final : public QObject
{
    Q_OBJECT

private:
    // A timer with a fixed local time, recording what it sends.
    struct Rig
    {
        CTurnTimer timer{[] { return kNow; }};
        QStringList sent;
        int flashes = 0;
        Rig(int minutes)
        {
            timer.setTurnMinutes(minutes);
            timer.Reset();
            QObject::connect(&timer, &CTurnTimer::messageReady, [this](const QString &m) { sent << m; });
            QObject::connect(&timer, &CTurnTimer::flashRequested, [this] { ++flashes; });
        }
        void ticks(int n)
        {
            for (int i = 0; i < n; ++i)
                timer.Tick();
        }
    };

private slots:
    void oneMinuteTurn()
    {
        Rig rig(1);
        QCOMPARE(rig.timer.remainingText(), QStringLiteral("1：00 "));
        QVERIFY(rig.timer.Start());
        QCOMPARE(rig.sent, QStringList{QStringLiteral("タイマーを開始しました（残り1分0秒）。 (09:05:07)")});

        rig.ticks(29);
        QCOMPARE(rig.sent.size(), 1);
        QCOMPARE(rig.flashes, 0);
        rig.ticks(1);
        QCOMPARE(rig.timer.remainingText(), QStringLiteral("0：30 "));
        QCOMPARE(rig.sent.last(), QStringLiteral("30秒前です。 (09:05:07)"));
        QCOMPARE(rig.flashes, 1);

        rig.ticks(29);
        QCOMPARE(rig.sent.size(), 2);
        rig.ticks(1);
        QCOMPARE(rig.sent.last(), QStringLiteral("交代です。 (09:05:07)"));
        QCOMPARE(rig.flashes, 2);
        QCOMPARE(rig.timer.outgoingMessage(), rig.sent.last());
        // The next turn starts at once and keeps running.
        QCOMPARE(rig.timer.remainingText(), QStringLiteral("1：00 "));
        QVERIFY(rig.timer.isRunning());
        rig.ticks(30);
        QCOMPARE(rig.sent.last(), QStringLiteral("30秒前です。 (09:05:07)"));
    }

    void customTextsAreSent()
    {
        Rig rig(1);
        rig.timer.setNoticeText(QStringLiteral("soon"));
        rig.timer.setChangeText(QStringLiteral("next"));
        rig.timer.Start();
        rig.ticks(60);
        QCOMPARE(rig.sent.mid(1),
                 (QStringList{QStringLiteral("soon (09:05:07)"), QStringLiteral("next (09:05:07)")}));
    }

    void stopKeepsTheRemainingTime()
    {
        Rig rig(2);
        rig.timer.Start();
        rig.ticks(7);
        QVERIFY(rig.timer.Stop());
        QCOMPARE(rig.sent.last(), QStringLiteral("タイマーを停止しました。 (09:05:07)"));
        QCOMPARE(rig.timer.remaining(), 113);
        rig.ticks(5); // a stray tick after the stop counts nothing
        QCOMPARE(rig.timer.remaining(), 113);
        QVERIFY(!rig.timer.Stop());

        QVERIFY(rig.timer.Start());
        QCOMPARE(rig.sent.last(), QStringLiteral("タイマーを開始しました（残り1分53秒）。 (09:05:07)"));
        QCOMPARE(rig.timer.remaining(), 113);
    }

    void resetOnlyWhileStopped()
    {
        Rig rig(3);
        rig.timer.Start();
        rig.ticks(10);
        QVERIFY(!rig.timer.Reset());
        QCOMPARE(rig.timer.remaining(), 170);
        QVERIFY(!rig.timer.Start());
        rig.timer.Stop();
        QVERIFY(rig.timer.Reset());
        QCOMPARE(rig.timer.remaining(), 180);
    }

    void minuteSteps_data()
    {
        QTest::addColumn<int>("minutes");
        QTest::addColumn<bool>("add");
        QTest::addColumn<bool>("changed");
        QTest::addColumn<int>("after");
        QTest::newRow("+1 at 99 stays 99") << 99 << true << false << 99;
        QTest::newRow("+1 at 98") << 98 << true << true << 99;
        QTest::newRow("-1 at 1 stays 1") << 1 << false << false << 1;
        QTest::newRow("-1 at 2") << 2 << false << true << 1;
        QTest::newRow("+1 at 5") << 5 << true << true << 6;
    }
    void minuteSteps()
    {
        QFETCH(int, minutes);
        QFETCH(bool, add);
        QFETCH(bool, changed);
        QFETCH(int, after);
        Rig rig(minutes);
        QCOMPARE(add ? rig.timer.AddMinute() : rig.timer.SubtractMinute(), changed);
        QCOMPARE(rig.timer.turnMinutes(), after);
        // While stopped the remaining time follows the new length.
        QCOMPARE(rig.timer.remaining(), after * 60);
    }

    void minuteStepWhileRunningKeepsTheTurn()
    {
        Rig rig(5);
        rig.timer.Start();
        rig.ticks(1);
        QVERIFY(rig.timer.AddMinute());
        QCOMPARE(rig.timer.turnMinutes(), 6);
        QCOMPARE(rig.timer.remaining(), 299);
        rig.ticks(299);
        QCOMPARE(rig.timer.remaining(), 360);
    }

    void startClampsTheRemainingTime_data()
    {
        QTest::addColumn<int>("minutes");
        QTest::addColumn<QString>("expected");
        QTest::newRow("99 minutes") << 99
                                    << QStringLiteral("タイマーを開始しました（残り99分0秒）。 (09:05:07)");
        QTest::newRow("1 minute") << 1 << QStringLiteral("タイマーを開始しました（残り1分0秒）。 (09:05:07)");
    }
    void startClampsTheRemainingTime()
    {
        QFETCH(int, minutes);
        QFETCH(QString, expected);
        Rig rig(minutes);
        rig.timer.Start();
        QCOMPARE(rig.sent.last(), expected);
    }

    void nothingRemainingStartsAtOneSecond()
    {
        CTurnTimer timer([] { return kNow; });
        QSignalSpy sent(&timer, &CTurnTimer::messageReady);
        timer.Start();
        QCOMPARE(timer.remaining(), 1);
        QCOMPARE(sent.first().first().toString(),
                 QStringLiteral("タイマーを開始しました（残り0分1秒）。 (09:05:07)"));
    }

    void remainingText_data()
    {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("299") << 299 << QStringLiteral("4：59 ");
        QTest::newRow("0") << 0 << QStringLiteral("0：00 ");
        QTest::newRow("5940") << 5940 << QStringLiteral("99：00 ");
        QTest::newRow("61") << 61 << QStringLiteral("1：01 ");
    }
    void remainingText()
    {
        QFETCH(int, seconds);
        QFETCH(QString, text);
        QCOMPARE(CTurnTimer::FormatRemaining(seconds), text);
    }

    void translatedFormatsCannotReadMissingNumbers_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("expected");
        QTest::newRow("two fields") << QStringLiteral("%d min %d s") << QStringLiteral("4 min 59 s");
        QTest::newRow("a third field stays") << QStringLiteral("%d/%d/%d") << QStringLiteral("4/59/%d");
        QTest::newRow("string field stays") << QStringLiteral("%s %d") << QStringLiteral("%s 4");
        QTest::newRow("percent sign") << QStringLiteral("100%% %d") << QStringLiteral("100% 4");
        QTest::newRow("trailing percent") << QStringLiteral("%d%") << QStringLiteral("4%");
    }
    void translatedFormatsCannotReadMissingNumbers()
    {
        QFETCH(QString, format);
        QFETCH(QString, expected);
        QCOMPARE(CTurnTimer::FillNumbers(format, {4, 59}), expected);
    }
};

QTEST_GUILESS_MAIN(TurnTimerTest)
#include "test_turn_timer.moc"
