#include "FakeClock.h"

FakeClock::FakeClock(quint32 utcMillisecondsOfDay, quint32 tick) : m_utc(utcMillisecondsOfDay), m_tick(tick)
{
    ContinuousTime::setClock(this);
}

FakeClock::~FakeClock()
{
    ContinuousTime::setClock(nullptr);
}

void FakeClock::advance(quint32 milliseconds)
{
    m_tick += milliseconds;
    m_utc = static_cast<quint32>((static_cast<quint64>(m_utc) + milliseconds) % 86400000u);
}
