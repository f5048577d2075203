#pragma once

#include "relay/IRelayClock.h"

#include <vector>

// A relay clock that stands still until the test moves it. Timers fire during advance(), in the
// order they fall due, so holds, backoffs and timeouts pass without waiting.
class FakeRelayClock final : public IRelayClock
{
public:
    explicit FakeRelayClock(QDateTime startUtc = QDateTime(QDate(2024, 5, 1), QTime(12, 0), Qt::UTC));
    FakeRelayClock(const FakeRelayClock &) = delete;
    FakeRelayClock &operator=(const FakeRelayClock &) = delete;

    QDateTime currentUtc() const override { return m_startUtc.addMSecs(m_nowMs); }
    qint64 monotonicMs() const override { return m_nowMs; }
    std::unique_ptr<IRelayTimer> createTimer(std::function<void()> onTimeout) override;

    void advance(qint64 ms);

private:
    class Timer;
    friend class Timer;

    QDateTime m_startUtc;
    qint64 m_nowMs = 0;
    std::vector<Timer *> m_timers;
};
