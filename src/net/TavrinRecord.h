#pragma once

#include <QString>

// One decoded native message: the datagram's own message or one of the records repeated after it.
struct TavrinRecord
{
    qint32 kind = 0; // kind letter
    qint32 flag = 0; // withdrawal bits; 0 for the datagram's own message
    QString address; // author, dotted: the source address for the own message
    QString text;
    quint32 receivedAt = 0;   // limited continuous time at decoding
    quint32 firstTime = 0;    // header send time, or the record's nTimeSent
    quint32 secondTime = 0;   // 0 for the own message, else the record's nTimeReceived
    quint32 receivedTick = 0; // unlimited continuous time at decoding
};
