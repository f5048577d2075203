#include "members/CMemberList.h"

#include "members/IMemberView.h"
#include "timeline/ReceivedMain.h"

#include <QDateTime>

#include <algorithm>

namespace {

// A watched member silent this long (seconds) counts as lost.
constexpr qint64 kLostAfter = 10;
// The column is narrow: longer silences all show as the largest step below 1000.
constexpr qint64 kLargestSilence = 999;
// A monitor datagram sent up to this long (ms) before the stored one and arriving within this
// long after it was overtaken by the stored one.
constexpr int kOvertakeWindow = 2000;

bool rowOrder(const CMemberEntry &a, const CMemberEntry &b)
{
    if (a.nRow != b.nRow)
        return a.nRow < b.nRow;
    return a.strAddress < b.strAddress;
}

} // namespace

CMemberList::CMemberList(SecondsClock clock, IMemberView *view) : m_clock(std::move(clock)), m_view(view) {}

qint64 CMemberList::now() const
{
    return m_clock ? m_clock() : QDateTime::currentSecsSinceEpoch();
}

int CMemberList::lookupMember(const QString &address) const
{
    const auto it = m_members.constFind(address);
    return it == m_members.cend() ? CMemberEntry::kKindUnknown : it->nKind;
}

int CMemberList::updateMember(CMemberEntry entry)
{
    const qint64 current = now();
    if (entry.nLastHeard == 0)
        entry.nLastHeard = current;

    const auto it = m_members.find(entry.strAddress);
    if (it == m_members.end()) {
        entry.nRow = count();
        if (entry.strName.isEmpty())
            entry.strName = entry.strAddress;
        const CMemberEntry &stored = *m_members.insert(entry.strAddress, entry);
        if (m_view)
            m_view->memberAdded(stored);
        return 1;
    }

    CMemberEntry &stored = *it;
    stored.nLastHeard = current;
    bool changed = false;
    if (entry.nKind != stored.nKind) {
        stored.nKind = entry.nKind;
        changed = true;
    }
    if (!entry.strName.isEmpty() && entry.strName != stored.strName) {
        // The entry is replaced, but what the list keeps per address survives a rename: the row,
        // the first-seen time when the update carries none, and the monitor ordering state (an
        // overtaken monitor datagram must stay rejected after a rename).
        entry.nRow = stored.nRow;
        if (entry.nFirstSeen == 0)
            entry.nFirstSeen = stored.nFirstSeen;
        entry.nMonitorSent = stored.nMonitorSent;
        entry.nMonitorReceived = stored.nMonitorReceived;
        entry.bMonitorTimesSet = stored.bMonitorTimesSet;
        stored = entry;
        if (m_view)
            m_view->memberNameChanged(stored);
        changed = true;
    }
    return changed ? 1 : 0;
}

bool CMemberList::touchMember(const QString &address)
{
    CMemberEntry *entry = findMutable(address);
    if (!entry)
        return false;
    entry->nLastHeard = now();
    return true;
}

bool CMemberList::removeMember(const QString &address)
{
    if (m_members.remove(address) == 0)
        return false;
    renumber();
    if (m_view)
        m_view->memberRemoved(address);
    return true;
}

void CMemberList::removeAllMembers()
{
    m_members.clear();
    if (m_view)
        m_view->allMembersRemoved();
}

const CMemberEntry *CMemberList::find(const QString &address) const
{
    const auto it = m_members.constFind(address);
    return it == m_members.cend() ? nullptr : &*it;
}

CMemberEntry *CMemberList::findMutable(const QString &address)
{
    const auto it = m_members.find(address);
    return it == m_members.end() ? nullptr : &*it;
}

QList<CMemberEntry> CMemberList::membersInRowOrder() const
{
    QList<CMemberEntry> members = m_members.values();
    std::sort(members.begin(), members.end(), rowOrder);
    return members;
}

bool CMemberList::monitorOrderAccepts(const QString &address, qint32 sentTime, qint32 receivedTime) const
{
    const CMemberEntry *entry = find(address);
    if (!entry)
        return false;
    if (!entry->bMonitorTimesSet)
        return true;
    const int r = ReceivedMain::DiffTimeOfDay(receivedTime, entry->nMonitorReceived);
    const int s = ReceivedMain::DiffTimeOfDay(sentTime, entry->nMonitorSent);
    if (r < 0)
        return false;
    return !(r < kOvertakeWindow && -kOvertakeWindow < s && s < 0);
}

bool CMemberList::setMonitorText(const QString &address, const QString &text, qint32 sentTime,
                                 qint32 receivedTime)
{
    CMemberEntry *entry = findMutable(address);
    if (!entry)
        return false;
    entry->strInput = text;
    entry->nMonitorSent = sentTime;
    entry->nMonitorReceived = receivedTime;
    entry->bMonitorTimesSet = true;
    if (m_view)
        m_view->memberInputChanged(*entry);
    return true;
}

bool CMemberList::acceptMonitorText(const QString &address, const QString &text, qint32 sentTime,
                                    qint32 receivedTime)
{
    if (!monitorOrderAccepts(address, sentTime, receivedTime))
        return false;
    return setMonitorText(address, text, sentTime, receivedTime);
}

CMemberList::ConnectionCell CMemberList::connectionCell(const CMemberEntry &entry, qint64 now)
{
    if (!entry.isWatched())
        return {QStringLiteral(" "), false};
    // A last-heard time in the future (the clock was set back) reads as just heard.
    qint64 silence = now - entry.nLastHeard;
    if (silence < kLostAfter)
        return {QStringLiteral("OK"), false};
    silence = std::min(silence, kLargestSilence);
    return {QString::number(silence - silence % 5), true};
}

CMemberList::ConnectionCell CMemberList::connectionCell(const QString &address) const
{
    const CMemberEntry *entry = find(address);
    if (!entry)
        return {};
    return connectionCell(*entry, now());
}

bool CMemberList::anyLost() const
{
    const qint64 current = now();
    return std::any_of(m_members.cbegin(), m_members.cend(),
                       [current](const CMemberEntry &entry) { return connectionCell(entry, current).lost; });
}

bool CMemberList::moveUp(int row)
{
    return moveBy(row, -1);
}

bool CMemberList::moveDown(int row)
{
    return moveBy(row, +1);
}

bool CMemberList::moveBy(int row, int step)
{
    const int target = row + step;
    if (row < 0 || row >= count() || target < 0 || target >= count())
        return false;
    CMemberEntry *chosen = nullptr;
    CMemberEntry *other = nullptr;
    for (CMemberEntry &entry : m_members) {
        if (entry.nRow == row)
            chosen = &entry;
        else if (entry.nRow == target)
            other = &entry;
    }
    if (!chosen)
        return false;
    chosen->nRow = target;
    if (other)
        other->nRow = row;
    renumber();
    if (m_view)
        m_view->membersReordered();
    return true;
}

void CMemberList::renumber()
{
    QList<CMemberEntry *> ordered;
    ordered.reserve(m_members.size());
    for (CMemberEntry &entry : m_members)
        ordered.append(&entry);
    std::sort(ordered.begin(), ordered.end(),
              [](const CMemberEntry *a, const CMemberEntry *b) { return rowOrder(*a, *b); });
    for (qsizetype i = 0; i < ordered.size(); ++i)
        ordered[i]->nRow = static_cast<qint32>(i);
}
