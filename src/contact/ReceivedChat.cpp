#include "contact/ReceivedChat.h"

#include "core/ContinuousTime.h"
#include "core/OperationLog.h"
#include "timeline/ReceivedMain.h"

#include <algorithm>

namespace {

// How many of the newest records a new message is compared with.
constexpr int kLookBack = 10;
// A record received this much earlier (ms) than the new message ends the look-back.
constexpr int kLookBackSpan = -300000;

bool g_abnormalResponse = false;

bool sameMessage(const CReceivedMainData &a, const CReceivedMainData &b)
{
    return a.strIpAddress == b.strIpAddress && a.nTimeSent == b.nTimeSent;
}

} // namespace

ReceivedChat::ReceivedChat(int capacity)
    : m_nCapacity(std::max(capacity, 1)), m_nBaseTick(ContinuousTime::SystemTimeToInt())
{
}

bool ReceivedChat::isBeforeBaseTick(const CReceivedMainData &record) const
{
    return static_cast<qint32>(record.nTimeActualReceivedTick - m_nBaseTick) < 0;
}

int ReceivedChat::AppendString(CReceivedMainData &record)
{
    if (!isBeforeBaseTick(record)) {
        int examined = 0;
        for (int i = count() - 1; i >= 0 && examined < kLookBack; --i, ++examined) {
            const CReceivedMainData &stored = m_list[static_cast<size_t>(i)];
            if (sameMessage(stored, record))
                return -1;
            if (ReceivedMain::DiffTimeOfDay(stored.nTimeReceived, record.nTimeReceived) < kLookBackSpan)
                break;
        }
    }
    record.FormatCache();
    listInsert(count(), record);
    counted();
    return m_nCounter - 1;
}

int ReceivedChat::InsertString(CReceivedMainData &record)
{
    if (record.strIpAddress != record.strIpAddressSender)
        return -1;
    record.nTimeReceived = record.nTimeActualReceived -
                           ReceivedMain::DiffTimeOfDay(record.nTimeSenderSent, record.nTimeSenderReceived);
    // The first message a member receives is shown at once, not only when a later datagram
    // repeats it.
    if (m_list.empty())
        return AppendString(record);

    int place = -1;
    int oldestExamined = -1;
    bool stoppedAtBaseTick = false;
    int examined = 0;
    for (int i = count() - 1; i >= 0 && examined < kLookBack; --i, ++examined) {
        const CReceivedMainData &stored = m_list[static_cast<size_t>(i)];
        if (sameMessage(stored, record))
            return -1;
        oldestExamined = i;
        if (isBeforeBaseTick(record)) {
            stoppedAtBaseTick = true;
            break;
        }
        const int d = ReceivedMain::DiffTimeOfDay(stored.nTimeReceived, record.nTimeReceived);
        // Received in the same millisecond as a stored message: it arrived after that one.
        if (d <= 0 && place < 0)
            place = i + 1;
        if (d < kLookBackSpan)
            break;
    }
    if (place < 0) {
        if (stoppedAtBaseTick)
            return -1;
        // Every record looked at is newer: the message overtook nothing we can see, so it goes
        // before the oldest of them rather than being dropped.
        place = oldestExamined;
    }
    if (place == count())
        return AppendString(record);

    record.FormatCache();
    if (!listInsert(place, record)) {
        WriteLogInt(QStringLiteral("ReceivedChat::InsertString set item index:"), place);
        WriteLog(record.dump());
        g_abnormalResponse = true;
    }
    counted();
    return m_nCounter - 1;
}

void ReceivedChat::SetChannelGroup(int channel, int group)
{
    m_nChannel = channel;
    m_nGroup = group;
    m_nBaseTick = ContinuousTime::SystemTimeToInt();
}

const CReceivedMainData *ReceivedChat::at(int pos) const
{
    if (pos < 0 || pos >= count())
        return nullptr;
    return &m_list[static_cast<size_t>(pos)];
}

bool ReceivedChat::GetAt(int pos, CReceivedMainData &out) const
{
    const CReceivedMainData *record = at(pos);
    if (!record)
        return false;
    out = *record;
    return true;
}

void ReceivedChat::newestWireLines(int max, QStringList &out) const
{
    int taken = 0;
    for (auto it = m_list.crbegin(); it != m_list.crend() && taken < max; ++it) {
        if (it->strCache.isEmpty())
            continue;
        out.append(it->strCache);
        ++taken;
    }
}

bool ReceivedChat::abnormalResponse()
{
    return g_abnormalResponse;
}

void ReceivedChat::clearAbnormalResponse()
{
    g_abnormalResponse = false;
}

bool ReceivedChat::listInsert(int pos, CReceivedMainData record)
{
    if (pos < 0 || pos > count())
        return false;
    m_list.insert(m_list.begin() + pos, std::move(record));
    if (count() > m_nCapacity)
        m_list.pop_front();
    return true;
}

void ReceivedChat::counted()
{
    ++m_nCounter;
    // Inserted messages change the version too: the repeated history must include them.
    m_nVersion = static_cast<qint64>(m_nCounter) * 100;
}
