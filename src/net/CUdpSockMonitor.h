#pragma once

#include "net/CUdpSock.h"

// The monitor and logoff endpoints: "address,text", where the text (typed text, or the name
// followed by ",離脱") keeps its commas.
class CUdpSockMonitor final : public CUdpSock
{
    Q_OBJECT

public:
    using CUdpSock::CUdpSock;

    // "%s,%s" over this endpoint's bindAddress and the text being typed.
    bool SendMonitor(const QString &destination, const QString &text);
    // "%s,%s" over this endpoint's bindAddress and the member name followed by ",離脱".
    bool SendLogoff(const QString &destination, const QString &memberName);

protected:
    int TokenizeMessage(int receivedBytes) override;
};
