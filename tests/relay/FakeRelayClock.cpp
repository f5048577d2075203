#include "FakeRelayClock.h"

#include <algorithm>

class FakeRelayClock::Timer final : public IRelayTimer
{
public:
    Timer(FakeRelayClock &clock, std::function<void()> onTimeout)
        : m_clock(clock), m_onTimeout(std::move(onTimeout))
    {
        m_clock.m_timers.push_back(this);
    }
    ~Timer() override { std::erase(m_clock.m_timers, this); }

    void start(qint64 delayMs) override
    {
        m_dueMs = m_clock.m_nowMs + std::max<qint64>(0, delayMs);
        m_bActive = true;
    }
    void stop() override { m_bActive = false; }
    bool isActive() const override { return m_bActive; }

    FakeRelayClock &m_clock;
    std::function<void()> m_onTimeout;
    qint64 m_dueMs = 0;
    bool m_bActive = false;
};

FakeRelayClock::FakeRelayClock(QDateTime startUtc) : m_startUtc(std::move(startUtc)) {}

std::unique_ptr<IRelayTimer> FakeRelayClock::createTimer(std::function<void()> onTimeout)
{
    return std::make_unique<Timer>(*this, std::move(onTimeout));
}

void FakeRelayClock::advance(qint64 ms)
{
    const qint64 end = m_nowMs + ms;
    for (;;) {
        // A callback may start, stop or delete timers, so look again after each one.
        Timer *next = nullptr;
        for (Timer *timer : m_timers) {
            if (timer->m_bActive && timer->m_dueMs <= end && (!next || timer->m_dueMs < next->m_dueMs))
                next = timer;
        }
        if (!next)
            break;
        m_nowMs = std::max(m_nowMs, next->m_dueMs);
        next->m_bActive = false;
        next->m_onTimeout();
    }
    m_nowMs = end;
}
