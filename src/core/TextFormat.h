#pragma once

#include <QString>

// printf-style pieces of the wire formats ("%08d", "%04d", "%02x"), appended without building a
// format string: the codecs call these for every datagram.
class CTextFormat final
{
public:
    CTextFormat() = delete;

    // Like "%0<width>d": a minus sign counts toward the width; wider numbers are not cut.
    static void appendDecimal(QString &out, qint64 value, int width);
    // Like "%0<width>x" in lower case, for non-negative values.
    static void appendHex(QString &out, quint64 value, int width);
};
