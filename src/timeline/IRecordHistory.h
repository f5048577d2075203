#pragma once

#include <QStringList>

// What the native codec repeats at the end of a datagram: the newest lines of a store in wire
// form. The caption store and the contact store both offer it, so the codec needs neither.
class IRecordHistory
{
public:
    virtual ~IRecordHistory() = default;
    // Changes whenever the lines to repeat may have changed; the codec caches its block per value.
    virtual qint64 historyVersion() const = 0;
    // Appends the wire forms (strCache) of at most max lines to repeat, newest first.
    virtual void newestWireLines(int max, QStringList &out) const = 0;
};
