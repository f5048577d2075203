#pragma once

#include <QList>

struct CHttpSockOptions;

// Which port a web server started now would take: the first of its ports that can be bound at
// this moment. Nothing is kept bound, so the answer holds only until another program takes it.
class CHttpPortProbe final
{
public:
    CHttpPortProbe() = delete;

    // The port number (80 for the standard port), or 0 when none can be bound or the system
    // would choose one.
    static int FirstFreePort(const CHttpSockOptions &options);
    // The ports tried, as numbers (80 for the standard port; the system's choice left out).
    static QList<int> PortNumbers(const CHttpSockOptions &options);
};
