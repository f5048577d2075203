#pragma once

#include <QtGlobal>

// Where the time base reads the system: the tick counter and the UTC time of day.
// Tests hand in their own clock to run day roll-overs without waiting for them.
class IClock
{
public:
    virtual ~IClock() = default;
    // Milliseconds since an arbitrary start, wrapping modulo 2^32 like a tick counter.
    virtual quint32 tickCount() const = 0;
    // Milliseconds since the last UTC midnight (0 … 86399999).
    virtual quint32 utcMillisecondsOfDay() const = 0;
};

// The process-wide millisecond clock written into every datagram and record.
// All arithmetic is unsigned 32-bit and wraps, so a tick counter wrap does not disturb differences.
class ContinuousTime final
{
public:
    ContinuousTime() = delete;

    // Takes the UTC time of day and the tick count as the base; removes no days yet.
    static void Initialize();
    // Milliseconds since a UTC midnight, pulled back by whole days so that it stays below 100000000.
    static quint32 SystemTimeToIntLimited();
    // countBase + elapsed ticks, without removing days: for local durations.
    static quint32 SystemTimeToInt();

    // nullptr restores the system clock. The clock must outlive its use.
    static void setClock(const IClock *clock);
    static quint32 dayOffset();
};
