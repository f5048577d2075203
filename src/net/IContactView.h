#pragma once

#include <QString>

// The contact window's log: one line per contact message shown.
class IContactView
{
public:
    virtual ~IContactView() = default;
    // Adds the message at the end of the log (and flashes the window).
    virtual void contactAppendLine(const QString &text) = 0;
};
