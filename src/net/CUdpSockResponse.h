#pragma once

#include "net/CSharedProtocol.h"
#include "net/CUdpSock.h"

// The response endpoint: answers to a login request, "responder,requester,name,Ans" (or "Ful"
// from a peer whose group is full), split so that a name with commas stays one field.
class CUdpSockResponse final : public CUdpSock
{
    Q_OBJECT

public:
    using CUdpSock::CUdpSock;

    // "%s,%s,%s,Ans" over this endpoint's bindAddress, the requester's address and the own name.
    bool SendResponse(const QString &destination, const QString &requesterAddress, const QString &memberName,
                      CSharedProtocol::Answer answer = CSharedProtocol::Answer::Accept);

protected:
    int TokenizeMessage(int receivedBytes) override;
};
