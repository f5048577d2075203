#include "net/CUdpSockTavrin.h"

CUdpSockTavrin::CUdpSockTavrin(const QString &name, const QString &bindAddress,
                               const QString &broadcastAddress, quint16 port,
                               const IRecordHistory *captionHistory, const IRecordHistory *contactHistory,
                               QObject *parent)
    : CUdpSock(name, bindAddress, broadcastAddress, port, parent), m_codec(captionHistory, contactHistory)
{
    if (isOpen())
        m_codec.setMaxMessageSize(static_cast<int>(MaxMessageSize()));
}

bool CUdpSockTavrin::SendTavrin(const QString &destination, QStringView kind, QStringView text,
                                quint32 *sendTime, std::optional<QStringView> companion)
{
    if (!isOpen())
        return false;
    return SendTo(destination, m_codec.build(m_nGroup, kind, text, bindAddress(), sendTime, companion));
}

int CUdpSockTavrin::TokenizeMessage(int receivedBytes)
{
    m_tokens.clear();
    return m_codec.TokenizeMessage(QByteArrayView(receiveBuffer(), qMax(receivedBytes, 0)), fromAddress(),
                                   m_nGroup, m_records);
}
