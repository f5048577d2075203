#pragma once

#include "core/ContinuousTime.h"

// A clock the test sets by hand; installs itself into ContinuousTime for its lifetime.
class FakeClock final : public IClock
{
public:
    explicit FakeClock(quint32 utcMillisecondsOfDay = 0, quint32 tick = 1000)
        : m_utc(utcMillisecondsOfDay), m_tick(tick)
    {
        ContinuousTime::setClock(this);
    }
    ~FakeClock() override { ContinuousTime::setClock(nullptr); }
    FakeClock(const FakeClock &) = delete;
    FakeClock &operator=(const FakeClock &) = delete;

    quint32 tickCount() const override { return m_tick; }
    quint32 utcMillisecondsOfDay() const override { return m_utc; }

    // Moves both the tick and the UTC time of day forward.
    void advance(quint32 milliseconds)
    {
        m_tick += milliseconds;
        m_utc = static_cast<quint32>((static_cast<quint64>(m_utc) + milliseconds) % 86400000u);
    }
    void setTick(quint32 tick) { m_tick = tick; }

private:
    quint32 m_utc;
    quint32 m_tick;
};
