#include "net/CUdpSockMonitor.h"

#include "net/CSharedProtocol.h"

bool CUdpSockMonitor::SendMonitor(const QString &destination, const QString &text)
{
    return SendTo(destination, CSharedProtocol::monitor(bindAddress(), text));
}

bool CUdpSockMonitor::SendLogoff(const QString &destination, const QString &memberName)
{
    return SendTo(destination, CSharedProtocol::logoff(bindAddress(), memberName));
}

int CUdpSockMonitor::TokenizeMessage(int receivedBytes)
{
    m_tokens = CSharedProtocol::split(decodeReceived(receivedBytes), CSharedProtocol::kMonitorHead,
                                      CSharedProtocol::kMonitorTail);
    return static_cast<int>(m_tokens.size());
}
