#pragma once

#include "members/CMemberEntry.h"

#include <QHash>
#include <QList>
#include <QString>

#include <functional>

class IMemberView;

// The members of the group, keyed by dotted address, with the row order in which the member
// monitor shows them. Rows stay 0 ... count - 1 in display order: every removal and move
// renumbers, so a new member always gets the next row.
class CMemberList final
{
public:
    // Current time in whole seconds since 1970.
    using SecondsClock = std::function<qint64()>;

    // What the connection column shows for a member, and whether it makes the list "lost".
    struct ConnectionCell
    {
        QString text;
        bool lost = false;
    };

    // An empty clock reads the system time. A null view is allowed; setView attaches one later.
    explicit CMemberList(SecondsClock clock = {}, IMemberView *view = nullptr);
    CMemberList(const CMemberList &) = delete;
    CMemberList &operator=(const CMemberList &) = delete;

    void setView(IMemberView *view) { m_view = view; }
    qint64 now() const;

    // The member's kind, or CMemberEntry::kKindUnknown (2) when the address is not in the list.
    int lookupMember(const QString &address) const;
    // 1 when the member is new, its kind changed or its name changed to a different non-empty
    // name; else 0. Every update counts as hearing from the member.
    int updateMember(CMemberEntry entry);
    // Last heard = now for a known address; whether the address is known.
    bool touchMember(const QString &address);
    // Whether the address was in the list.
    bool removeMember(const QString &address);
    void removeAllMembers();

    int count() const { return static_cast<int>(m_members.size()); }
    // nullptr when absent; valid until the list next changes.
    const CMemberEntry *find(const QString &address) const;
    QList<CMemberEntry> membersInRowOrder() const;

    // Monitor ordering rule: rejects a monitor datagram overtaken by a newer one. Times are
    // times of day in milliseconds; false for an address that is not a member.
    bool monitorOrderAccepts(const QString &address, qint32 sentTime, qint32 receivedTime) const;
    // Stores the text and both times unconditionally (shared-protocol monitor text).
    bool setMonitorText(const QString &address, const QString &text, qint32 sentTime, qint32 receivedTime);
    // Native monitor text: stored only when the ordering rule accepts it. Whether it was stored.
    bool acceptMonitorText(const QString &address, const QString &text, qint32 sentTime, qint32 receivedTime);

    static ConnectionCell connectionCell(const CMemberEntry &entry, qint64 now);
    // Empty text for an address that is not a member.
    ConnectionCell connectionCell(const QString &address) const;
    // Whether any watched member has been silent for 10 seconds or more.
    bool anyLost() const;

    // Swap the member at row with its neighbour above or below. False (nothing changes) for the
    // top row up, the bottom row down, or a row no member holds.
    bool moveUp(int row);
    bool moveDown(int row);

private:
    bool moveBy(int row, int step);
    // Closes gaps in the rows, keeping their order.
    void renumber();
    CMemberEntry *findMutable(const QString &address);

    SecondsClock m_clock;
    IMemberView *m_view = nullptr;
    QHash<QString, CMemberEntry> m_members;
};
