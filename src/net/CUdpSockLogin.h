#pragma once

#include "net/CUdpSock.h"

// The login endpoint: login requests "address,name,Req,group", split so that a name with commas
// stays one field.
class CUdpSockLogin final : public CUdpSock
{
    Q_OBJECT

public:
    using CUdpSock::CUdpSock;

    // "%s,%s,Req,%d" over this endpoint's bindAddress, the member name and the group number.
    bool SendLogin(const QString &destination, const QString &memberName, int group);

protected:
    int TokenizeMessage(int receivedBytes) override;
};
