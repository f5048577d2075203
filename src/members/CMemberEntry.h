#pragma once

#include <QString>

// One member of the group as the member list keeps it, keyed by the dotted address.
class CMemberEntry
{
public:
    static constexpr int kKindQuorel = 0;  // known only from the shared protocol; not watched
    static constexpr int kKindNative = 1;  // sends heartbeats, so its silence can be measured
    static constexpr int kKindUnknown = 2; // what a lookup answers for an address not in the list

    qint32 nRow = 0; // row at which the member is shown
    QString strName;
    QString strAddress;
    qint32 nKind = kKindQuorel;
    QString strInput; // the latest monitor text
    QString strSpare;
    qint64 nFirstSeen = 0; // seconds since 1970
    qint64 nLastHeard = 0; // seconds since 1970; 0 in an update means "now"

    // Send time and decoding time (times of day) of the last accepted monitor datagram, which
    // the ordering rule compares the next one with; meaningful only when bMonitorTimesSet.
    qint32 nMonitorSent = 0;
    qint32 nMonitorReceived = 0;
    bool bMonitorTimesSet = false;

    bool isWatched() const { return nKind != kKindQuorel; }
};
