#pragma once

#include <QString>

class CReceivedMainData;

// The display log and the contact log. The controller calls them only while the matching switch
// is on (CNetController::setDisplayLogEnabled / setContactLogEnabled); the log decides how and
// when it writes.
class ICaptionLog
{
public:
    virtual ~ICaptionLog() = default;
    // A caption record that reached the display (typed here or received).
    virtual void displayLogRecord(const CReceivedMainData &record) = 0;
    // A contact message that reached the contact window.
    virtual void contactLogLine(const QString &text) = 0;
};
