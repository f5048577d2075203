#pragma once

#include <QString>

class CReceivedMainData;
struct TavrinRecord;

// The one place where a line becomes the record the caption and contact stores take: a line this
// member typed, the own message of a native datagram, or a line repeated in a datagram's history.
class CLineRecord final
{
public:
    // Who a line is from and when it travelled: what the stores place and identify it by.
    struct Origin
    {
        QString author;             // the typist
        QString sender;             // whose datagram brought it; another member when forwarded
        quint32 sent = 0;           // the typist's send time
        quint32 senderSent = 0;     // a forwarded line: when the forwarding datagram was sent ...
        quint32 senderReceived = 0; // ... and when its sender had received the line
        quint32 received = 0;       // when it reached this member
        quint32 receivedTick = 0;
    };

    // The record for a line; its receive time is corrected by the time a forwarder held it.
    static CReceivedMainData make(const QString &text, qint32 type, qint32 flag, const Origin &origin,
                                  int channel, int group);

    // A line repeated in the history of a datagram that source sent at datagramSent.
    static CReceivedMainData repeated(const TavrinRecord &record, const QString &source, quint32 datagramSent,
                                      int channel, int group);
    // The datagram's own message, straight from its typist.
    static CReceivedMainData direct(const TavrinRecord &message, const QString &text, int channel, int group);
    // A line this member typed and sent at sendTime (0 while offline).
    static CReceivedMainData own(const QString &text, qint32 type, const QString &ownAddress,
                                 quint32 sendTime, int channel, int group);
};
