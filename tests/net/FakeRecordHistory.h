#pragma once

#include "timeline/IRecordHistory.h"

#include <QStringList>

// A history whose lines and version the test sets by hand; the two change independently, so a
// test can tell a cached block from a rebuilt one by the bytes sent.
class FakeRecordHistory final : public IRecordHistory
{
public:
    qint64 version = 0;
    QStringList lines; // wire forms, newest first

    qint64 historyVersion() const override { return version; }
    void newestWireLines(int max, QStringList &out) const override
    {
        for (int i = 0; i < lines.size() && i < max; ++i)
            out.append(lines.at(i));
    }
};
