#pragma once

#include "timeline/CReceivedMainData.h"
#include "timeline/IRecordHistory.h"

#include <QStringList>

#include <deque>

// The contact messages of the group, oldest first, bounded like the caption store. The receive
// side uses it to drop messages it already showed; the native codec repeats its newest lines.
class ReceivedChat final : public IRecordHistory
{
public:
    // What the main window configures the contact store with.
    static constexpr int kDefaultCapacity = 100;

    // A capacity below 1 is taken as 1.
    explicit ReceivedChat(int capacity = kDefaultCapacity);
    ReceivedChat(const ReceivedChat &) = delete;
    ReceivedChat &operator=(const ReceivedChat &) = delete;

    // Own sent messages and lines taken from contact history. The record's cache is rebuilt.
    // Returns the record's number (counter before the increase), or -1 for a duplicate.
    int AppendString(CReceivedMainData &record);
    // Contact messages received live; writes record.nTimeReceived. Returns the record's number,
    // or -1 when it is a duplicate, was forwarded, or predates the current channel and group.
    int InsertString(CReceivedMainData &record);

    // Login to another channel or group, or logoff (-1, -1): restarts the base tick, so messages
    // received before it are not searched for a place.
    void SetChannelGroup(int channel, int group);

    int capacity() const { return m_nCapacity; }
    int count() const { return static_cast<int>(m_list.size()); }
    // nullptr when pos is not a kept position. Valid until the store next changes.
    const CReceivedMainData *at(int pos) const;
    bool GetAt(int pos, CReceivedMainData &out) const;
    qint32 counter() const { return m_nCounter; }
    qint64 version() const { return m_nVersion; }
    quint32 baseTick() const { return m_nBaseTick; }
    int channel() const { return m_nChannel; }
    int group() const { return m_nGroup; }

    // IRecordHistory
    qint64 historyVersion() const override { return m_nVersion; }
    void newestWireLines(int max, QStringList &out) const override;

    // Set, for the whole process, when a store access was refused; read at exit to keep the log.
    static bool abnormalResponse();
    static void clearAbnormalResponse();

private:
    bool isBeforeBaseTick(const CReceivedMainData &record) const;
    // The bounded list: false when it refused (position beyond the end).
    bool listInsert(int pos, CReceivedMainData record);
    void counted();

    std::deque<CReceivedMainData> m_list;
    int m_nCapacity = kDefaultCapacity;
    qint32 m_nCounter = 0;
    qint64 m_nVersion = 0;
    quint32 m_nBaseTick = 0;
    int m_nChannel = -1;
    int m_nGroup = -1;
};
