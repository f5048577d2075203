#include "core/ContinuousTime.h"

#include "core/OperationLog.h"

#include <QDateTime>
#include <QElapsedTimer>

namespace {

constexpr quint32 kLimit = 100000000u;
constexpr quint32 kDay = 86400000u;

class SystemClock final : public IClock
{
public:
    quint32 tickCount() const override
    {
        // Monotonic milliseconds since boot, cut to 32 bits like the platform's tick counter.
        QElapsedTimer timer;
        timer.start();
        return static_cast<quint32>(timer.msecsSinceReference());
    }
    quint32 utcMillisecondsOfDay() const override
    {
        return static_cast<quint32>(QDateTime::currentDateTimeUtc().time().msecsSinceStartOfDay());
    }
};

const SystemClock g_systemClock;
const IClock *g_clock = &g_systemClock;
quint32 g_countBase = 0;
quint32 g_tickBase = 0;
quint32 g_dayOffset = 0;

} // namespace

void ContinuousTime::Initialize()
{
    g_countBase = g_clock->utcMillisecondsOfDay();
    g_tickBase = g_clock->tickCount();
    g_dayOffset = 0;
    WriteLog(QStringLiteral("ContinousTime::Initialize() countbase=%1(%2)")
                 .arg(g_countBase)
                 .arg(g_countBase, 8, 16, QLatin1Char('0')));
}

quint32 ContinuousTime::SystemTimeToIntLimited()
{
    const quint32 tick = g_clock->tickCount();
    const quint32 value = g_countBase - g_dayOffset - g_tickBase + tick;
    if (value < kLimit)
        return value;
    g_dayOffset += (value / kDay) * kDay;
    WriteLog(QStringLiteral("ContinuousTIme::SystemTimeToIntLimited updated offset : %1").arg(g_dayOffset));
    return g_countBase - g_dayOffset - g_tickBase + tick;
}

quint32 ContinuousTime::SystemTimeToInt()
{
    return g_countBase + (g_clock->tickCount() - g_tickBase);
}

void ContinuousTime::setClock(const IClock *clock)
{
    g_clock = clock ? clock : &g_systemClock;
}

quint32 ContinuousTime::dayOffset()
{
    return g_dayOffset;
}
