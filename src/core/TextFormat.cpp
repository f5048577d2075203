#include "core/TextFormat.h"

void CTextFormat::appendDecimal(QString &out, qint64 value, int width)
{
    char16_t digits[24];
    int n = 0;
    const bool negative = value < 0;
    // Work in unsigned so the most negative value does not overflow.
    quint64 magnitude = negative ? 0 - static_cast<quint64>(value) : static_cast<quint64>(value);
    do {
        digits[n++] = static_cast<char16_t>(u'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (negative)
        out.append(QLatin1Char('-'));
    for (int pad = width - n - (negative ? 1 : 0); pad > 0; --pad)
        out.append(QLatin1Char('0'));
    while (n > 0)
        out.append(QChar(digits[--n]));
}

void CTextFormat::appendHex(QString &out, quint64 value, int width)
{
    static constexpr char16_t hex[] = u"0123456789abcdef";
    char16_t digits[20];
    int n = 0;
    do {
        digits[n++] = hex[value & 0xF];
        value >>= 4;
    } while (value != 0);
    for (int pad = width - n; pad > 0; --pad)
        out.append(QLatin1Char('0'));
    while (n > 0)
        out.append(QChar(digits[--n]));
}
