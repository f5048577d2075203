#pragma once

#include <QString>

#include <deque>

class ReceivedMain;

// Reports every record that appears in the caption store, wherever it was put (appended at the
// end or inserted before lines that overtook it), and every change of a record's withdrawal
// bits. It keeps a shadow of the store's identities and aligns it with the store from the newest
// end: the store only grows by appends and inserts, loses records at the oldest end, and changes
// records in place when they are withdrawn. Changes reach only the newest lines, so the walk stops
// after a run of unchanged records; a scan costs little more than the new records themselves,
// which keeps the watcher out of the latency it is used to measure.
class CStoreWatcher final
{
public:
    explicit CStoreWatcher(const ReceivedMain &store);

    // Compares the store with the shadow; stamp is the time written into the events (taken by
    // the caller when the store told about the change, before the scan itself costs time).
    void scan(qint64 stamp);

private:
    struct Identity
    {
        QString author;
        qint32 timeSent = 0;
        qint32 type = 0;
        QString text;
        qint32 flag = 0;
    };

    static bool sameLine(const Identity &a, const Identity &b)
    {
        return a.timeSent == b.timeSent && a.type == b.type && a.author == b.author && a.text == b.text;
    }

    const ReceivedMain &m_store;
    static constexpr int kSettledRun = 64; // unchanged records in a row that end the walk

    std::deque<Identity> m_shadow;
};
