#pragma once

#include "net/CNativeCodec.h"
#include "net/CUdpSock.h"
#include "net/TavrinRecord.h"

#include <QList>

#include <optional>

class IRecordHistory;

// The native endpoint: UTF-16LE datagrams with a header, a kind letter, the text and the newest
// caption or contact lines repeated, so a lost datagram is repaired by the next one. The codec it
// owns keeps the message counter, the history caches and the illegal-datagram counts for as long
// as the endpoint lives.
class CUdpSockTavrin final : public CUdpSock
{
    Q_OBJECT

public:
    // The histories (caption store, contact store) must outlive the endpoint; either may be null.
    CUdpSockTavrin(const QString &name, const QString &bindAddress, const QString &broadcastAddress,
                   quint16 port, const IRecordHistory *captionHistory, const IRecordHistory *contactHistory,
                   QObject *parent = nullptr);

    // Builds a native datagram of the given kind and sends it to destination. sendTime receives
    // the time written into the header; the companion text rides along with kinds "A" and "B".
    bool SendTavrin(const QString &destination, QStringView kind, QStringView text,
                    quint32 *sendTime = nullptr, std::optional<QStringView> companion = std::nullopt);

    // Written into every native datagram sent and required of every one received: 1 until login.
    int group() const { return m_nGroup; }
    void setGroup(int group) { m_nGroup = group; }

    // The last received datagram, when RecvFrom() gave a non-zero tokenCount(): its own message
    // first, then the repeated records in arrival order.
    const QList<TavrinRecord> &records() const { return m_records; }
    // The header send time of the last received datagram; 0 when it was dropped.
    quint32 receivedSendTime() const { return m_records.isEmpty() ? 0 : m_records.first().firstTime; }

    CNativeCodec &codec() { return m_codec; }
    const CNativeCodec &codec() const { return m_codec; }

protected:
    int TokenizeMessage(int receivedBytes) override;

private:
    CNativeCodec m_codec;
    QList<TavrinRecord> m_records;
    int m_nGroup = 1;
};
