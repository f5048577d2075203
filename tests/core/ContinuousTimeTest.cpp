#include "core/ContinuousTime.h"
#include "FakeClock.h"
#include "TestHome.h"

#include <QTest>

namespace {

constexpr quint32 kDay = 86400000u;

} // namespace

class ContinuousTimeTest final : public QObject
{
    Q_OBJECT

private slots:
    void limitedValue_data()
    {
        QTest::addColumn<quint32>("start"); // UTC milliseconds of the day at Initialize
        QTest::addColumn<quint32>("tick");
        QTest::addColumn<quint32>("elapsed");
        QTest::addColumn<quint32>("expected");
        QTest::addColumn<quint32>("offset");
        QTest::newRow("at start") << 86399000u << 1000u << 0u << 86399000u << 0u;
        QTest::newRow("past midnight keeps rising") << 86399000u << 1000u << 1000u << 86400000u << 0u;
        QTest::newRow("just below the limit") << 86399000u << 1000u << 13600999u << 99999999u << 0u;
        QTest::newRow("at the limit a day goes") << 86399000u << 1000u << 13601000u << 13600000u << kDay;
        QTest::newRow("midnight start") << 0u << 1000u << 5000u << 5000u << 0u;
        QTest::newRow("noon plus a day") << 43200000u << 1000u << kDay << 43200000u << kDay;
        // Every whole day goes at once when nothing read the clock for a long time.
        QTest::newRow("noon plus 1.5 days unread") << 43200000u << 1000u << kDay + kDay / 2 << 0u << 2 * kDay;
        QTest::newRow("tick counter wraps") << 36000000u << 0xFFFFF000u << 0x2000u << 36008192u << 0u;
    }

    void limitedValue()
    {
        QFETCH(quint32, start);
        QFETCH(quint32, tick);
        QFETCH(quint32, elapsed);
        QFETCH(quint32, expected);
        QFETCH(quint32, offset);
        TestHome home;
        FakeClock clock(start, tick);
        ContinuousTime::Initialize();
        clock.advance(elapsed);
        QCOMPARE(ContinuousTime::SystemTimeToIntLimited(), expected);
        QCOMPARE(ContinuousTime::dayOffset(), offset);
        // The unlimited value never loses a day.
        QCOMPARE(ContinuousTime::SystemTimeToInt(), start + elapsed);
        const QString updated = QStringLiteral("ContinuousTIme::SystemTimeToIntLimited updated offset : %1");
        QCOMPARE(operationLogLines().contains(updated.arg(offset)), offset != 0);
    }

    void severalDays()
    {
        TestHome home;
        FakeClock clock(3600000u);
        ContinuousTime::Initialize();
        for (int hour = 1; hour <= 24 * 5; ++hour) {
            clock.advance(3600000u);
            const quint32 value = ContinuousTime::SystemTimeToIntLimited();
            // Below the limit, still milliseconds since a UTC midnight, pulled back by whole days.
            QVERIFY(value < 100000000u);
            QCOMPARE(value % kDay, clock.utcMillisecondsOfDay());
            QCOMPARE(ContinuousTime::SystemTimeToInt() - value, ContinuousTime::dayOffset());
            QCOMPARE(ContinuousTime::dayOffset() % kDay, 0u);
        }
        // Started 01:00 day 0, ends 01:00 day 5: a day is removed at each 03:46:40 from day 1 to 4.
        QCOMPARE(ContinuousTime::dayOffset(), 4 * kDay);
        QCOMPARE(ContinuousTime::SystemTimeToIntLimited(), kDay + 3600000u);
    }
};

QTEST_APPLESS_MAIN(ContinuousTimeTest)
#include "ContinuousTimeTest.moc"
