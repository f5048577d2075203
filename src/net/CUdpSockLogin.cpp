#include "net/CUdpSockLogin.h"

#include "net/CSharedProtocol.h"

bool CUdpSockLogin::SendLogin(const QString &destination, const QString &memberName, int group)
{
    return SendTo(destination, CSharedProtocol::login(bindAddress(), memberName, group));
}

int CUdpSockLogin::TokenizeMessage(int receivedBytes)
{
    m_tokens = CSharedProtocol::split(decodeReceived(receivedBytes), CSharedProtocol::kLoginHead,
                                      CSharedProtocol::kLoginTail);
    return static_cast<int>(m_tokens.size());
}
