#pragma once

#include <QDateTime>

#include <functional>
#include <memory>

// A single-shot timer handed out by the relay's clock.
class IRelayTimer
{
public:
    virtual ~IRelayTimer() = default;
    // (Re)arms the timer; the callback runs once, delayMs after now.
    virtual void start(qint64 delayMs) = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
};

// Time as the relay sees it: the wall clock for caption times and delays, a monotonic clock for
// holds and backoff, and timers. Tests hand in a clock they move by hand, so a 30-second backoff
// or a 10-second timeout passes without waiting for it.
class IRelayClock
{
public:
    virtual ~IRelayClock() = default;
    virtual QDateTime currentUtc() const = 0;
    // Milliseconds from an arbitrary start; never goes back.
    virtual qint64 monotonicMs() const = 0;
    virtual std::unique_ptr<IRelayTimer> createTimer(std::function<void()> onTimeout) = 0;
};
