#include "net/CUdpSockResponse.h"

bool CUdpSockResponse::SendResponse(const QString &destination, const QString &requesterAddress,
                                    const QString &memberName, CSharedProtocol::Answer answer)
{
    return SendTo(destination,
                  CSharedProtocol::response(bindAddress(), requesterAddress, memberName, answer));
}

int CUdpSockResponse::TokenizeMessage(int receivedBytes)
{
    m_tokens = CSharedProtocol::split(decodeReceived(receivedBytes), CSharedProtocol::kResponseHead,
                                      CSharedProtocol::kResponseTail);
    return static_cast<int>(m_tokens.size());
}
