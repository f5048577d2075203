#pragma once

#include <QString>
#include <QStringList>

// One caption or contact line: what was typed, by whom, the four message times, and the
// wrapped display lines cached for the current layout generation.
class CReceivedMainData
{
public:
    QString strRaw;
    QString strIpAddress;       // the typist's address
    QString strIpAddressSender; // where the datagram came from; differs when forwarded
    qint32 nTimeReceived = 0;   // nTimeActualReceived less the forwarding delay
    qint32 nTimeSent = 0;       // with strIpAddress, identifies the line
    qint32 nTimeSenderReceived = 0;
    qint32 nTimeSenderSent = 0;
    qint32 nTimeActualReceived = 0;
    quint32 nTimeActualReceivedTick = 0;
    qint32 nType = 'i';
    qint32 nFlag = 0; // bit 0: withdrawn by a native or own undo; bit 1: by a shared-protocol undo
    qint32 nStrLength = 0;
    qint32 nChannel = 0;
    qint32 nGroup = 0;
    QString strCache; // the wire form, rebuilt by FormatCache
    QStringList arrLine = QStringList(10);
    qint32 nMaxLine = 0;
    qint32 nDisplayStatus = 0;
    // Given by the caption store when the record is stored, never reused within a run; not part
    // of the wire form.
    qint64 nUid = 0;

    static constexpr int kFlagWithdrawnLocal = 1;
    static constexpr int kFlagWithdrawnShared = 2;

    bool isWithdrawn() const { return (nFlag & (kFlagWithdrawnLocal | kFlagWithdrawnShared)) != 0; }
    static bool isLetteredType(qint32 type) { return type >= 'A' && type <= 'Z'; }

    // Sets strCache to the wire form "%02x%02x%02x%02x%08d%08d%c%c%04d%s".
    void FormatCache();
    // The multi-line diagnostic text written to the operation log when a store access fails.
    QString dump() const;
};
