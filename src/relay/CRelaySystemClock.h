#pragma once

#include "relay/IRelayClock.h"

#include <QElapsedTimer>

// The relay's clock in the running program: the system's UTC time, a monotonic counter and
// QTimers on the thread that creates them.
class CRelaySystemClock final : public IRelayClock
{
public:
    CRelaySystemClock();

    QDateTime currentUtc() const override;
    qint64 monotonicMs() const override;
    std::unique_ptr<IRelayTimer> createTimer(std::function<void()> onTimeout) override;

private:
    QElapsedTimer m_elapsed;
};
