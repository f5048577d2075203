#pragma once

#include <QString>

class CMemberEntry;

// What the member list tells the window that shows it. Every call comes after the list changed,
// so the view may read the list from inside it.
class IMemberView
{
public:
    virtual ~IMemberView() = default;
    virtual void memberAdded(const CMemberEntry &entry) = 0;
    virtual void memberNameChanged(const CMemberEntry &entry) = 0;
    virtual void memberInputChanged(const CMemberEntry &entry) = 0;
    virtual void memberRemoved(const QString &address) = 0;
    virtual void allMembersRemoved() = 0;
    // Stored rows changed order (a move); the view re-sorts its rows by them.
    virtual void membersReordered() = 0;
};
