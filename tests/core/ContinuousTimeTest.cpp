#include "FakeClock.h"
#include "TestHome.h"
#include "core/ContinuousTime.h"

#include <QTest>

namespace {

constexpr quint32 kDay = 86400000u;
constexpr quint32 kLimit = 100000000u;

} // namespace

class ContinuousTimeTest final : public QObject
{
    Q_OBJECT

private slots:
    void initializeLogsCountBase();
    void limitedValue_data();
    void limitedValue();
    void midnightRollOver();
    void severalDays();
    void unlimitedKeepsRising();
    void tickCounterWrap();
};

void ContinuousTimeTest::initializeLogsCountBase()
{
    TestHome home;
    FakeClock clock(86399000u);
    ContinuousTime::Initialize();
    QCOMPARE(ContinuousTime::dayOffset(), 0u);
    QVERIFY(operationLogLines().contains(QStringLiteral("ContinousTime::Initialize() countbase=86399000(05265818)")));
}

void ContinuousTimeTest::limitedValue_data()
{
    QTest::addColumn<quint32>("start");
    QTest::addColumn<quint32>("elapsed");
    QTest::addColumn<quint32>("expected");
    QTest::addColumn<quint32>("offset");

    QTest::newRow("at start") << 86399000u << 0u << 86399000u << 0u;
    QTest::newRow("past midnight keeps rising") << 86399000u << 1000u << 86400000u << 0u;
    QTest::newRow("just below the limit") << 86399000u << 13600999u << 99999999u << 0u;
    QTest::newRow("at the limit a day goes") << 86399000u << 13601000u << 13600000u << kDay;
    QTest::newRow("midnight start") << 0u << 5000u << 5000u << 0u;
    QTest::newRow("noon plus a day") << 43200000u << kDay << 43200000u << kDay;
    // Every whole day goes at once when nothing read the clock for a long time.
    QTest::newRow("noon plus 1.5 days unread") << 43200000u << kDay + kDay / 2 << 0u << 2 * kDay;
}

void ContinuousTimeTest::limitedValue()
{
    QFETCH(quint32, start);
    QFETCH(quint32, elapsed);
    QFETCH(quint32, expected);
    QFETCH(quint32, offset);

    TestHome home;
    FakeClock clock(start);
    ContinuousTime::Initialize();
    clock.advance(elapsed);
    QCOMPARE(ContinuousTime::SystemTimeToIntLimited(), expected);
    QCOMPARE(ContinuousTime::dayOffset(), offset);
}

void ContinuousTimeTest::midnightRollOver()
{
    TestHome home;
    FakeClock clock(86399000u);
    ContinuousTime::Initialize();
    quint32 previous = ContinuousTime::SystemTimeToIntLimited();
    QCOMPARE(previous, 86399000u);
    // Step through midnight and up to the limit: the value never falls before it.
    for (int i = 0; i < 136; ++i) {
        clock.advance(100000u);
        const quint32 now = ContinuousTime::SystemTimeToIntLimited();
        QCOMPARE(now, previous + 100000u);
        previous = now;
    }
    QCOMPARE(previous, 99999000u);
    clock.advance(1000u);
    QCOMPARE(ContinuousTime::SystemTimeToIntLimited(), 13600000u);
    QCOMPARE(ContinuousTime::dayOffset(), kDay);
    QVERIFY(operationLogLines().contains(QStringLiteral("ContinuousTIme::SystemTimeToIntLimited updated offset : 86400000")));
    // Once pulled back it rises again from there.
    clock.advance(1u);
    QCOMPARE(ContinuousTime::SystemTimeToIntLimited(), 13600001u);
}

void ContinuousTimeTest::severalDays()
{
    TestHome home;
    FakeClock clock(3600000u);
    ContinuousTime::Initialize();
    quint32 removals = 0;
    quint32 lastOffset = 0;
    for (int hour = 1; hour <= 24 * 5; ++hour) {
        clock.advance(3600000u);
        const quint32 value = ContinuousTime::SystemTimeToIntLimited();
        QVERIFY(value < kLimit);
        // Still milliseconds since a UTC midnight.
        QCOMPARE(value % kDay, clock.utcMillisecondsOfDay());
        const quint32 offset = ContinuousTime::dayOffset();
        QCOMPARE(offset % kDay, 0u);
        if (offset != lastOffset) {
            QCOMPARE(offset - lastOffset, kDay);
            ++removals;
            lastOffset = offset;
        }
    }
    // Started 01:00 day 0, ends 01:00 day 5: a day is removed at each 03:46:40 from day 1 to 4.
    QCOMPARE(removals, 4u);
    QCOMPARE(ContinuousTime::SystemTimeToIntLimited(), kDay + 3600000u);
}

void ContinuousTimeTest::unlimitedKeepsRising()
{
    TestHome home;
    FakeClock clock(86399000u);
    ContinuousTime::Initialize();
    QCOMPARE(ContinuousTime::SystemTimeToInt(), 86399000u);
    clock.advance(2000u);
    QCOMPARE(ContinuousTime::SystemTimeToInt(), 86401000u);
    clock.advance(kLimit);
    ContinuousTime::SystemTimeToIntLimited();
    // Removing days from the limited value leaves the unlimited one alone.
    QCOMPARE(ContinuousTime::SystemTimeToInt(), 86401000u + kLimit);
}

void ContinuousTimeTest::tickCounterWrap()
{
    TestHome home;
    FakeClock clock(36000000u, 0xFFFFF000u);
    ContinuousTime::Initialize();
    clock.advance(0x2000u);
    QCOMPARE(clock.tickCount(), 0x1000u);
    QCOMPARE(ContinuousTime::SystemTimeToIntLimited(), 36000000u + 0x2000u);
    QCOMPARE(ContinuousTime::SystemTimeToInt(), 36000000u + 0x2000u);
    QCOMPARE(ContinuousTime::dayOffset(), 0u);
}

QTEST_APPLESS_MAIN(ContinuousTimeTest)
#include "ContinuousTimeTest.moc"
