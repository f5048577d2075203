#include "timeline/CReceivedMainData.h"

#include "core/TextFormat.h"

#include <QHostAddress>

namespace {

// The typist's address as four bytes, first octet first. An address that does not parse is sent
// as ffffffff, the value the platform's parser reports for "no address".
quint32 addressValue(const QString &dotted)
{
    bool ok = false;
    const quint32 value = QHostAddress(dotted).toIPv4Address(&ok);
    return ok ? value : 0xFFFFFFFFu;
}

// A corrected receive time can fall before midnight (a line received just after the time base
// started, less its forwarding delay) or past eight digits. Peers read the field as eight
// unsigned digits and compare times modulo a day, so the same time of day is sent instead; a
// minus sign or a ninth digit would end their record list at this line.
qint64 wireTimeOfDay(qint32 value)
{
    constexpr qint64 kDay = 86400000;
    constexpr qint64 kLimit = 100000000;
    qint64 t = value;
    if (t < 0)
        t += ((-t + kDay - 1) / kDay) * kDay;
    if (t >= kLimit)
        t -= ((t - kLimit) / kDay + 1) * kDay;
    return t;
}

} // namespace

void CReceivedMainData::FormatCache()
{
    QString out;
    out.reserve(31 + strRaw.size());
    CTextFormat::appendHex(out, addressValue(strIpAddress), 8);
    CTextFormat::appendDecimal(out, wireTimeOfDay(nTimeSent), 8);
    CTextFormat::appendDecimal(out, wireTimeOfDay(nTimeReceived), 8);
    out.append(QChar(static_cast<char16_t>(nType < 0x20 ? 'i' : nType)));
    out.append(QChar(static_cast<char16_t>('0' + nFlag)));
    CTextFormat::appendDecimal(out, nStrLength, 4);
    out.append(strRaw);
    strCache = out;
}

QString CReceivedMainData::dump() const
{
    const QChar type = QChar(static_cast<char16_t>(nType < 32 ? '-' : nType));
    return QStringLiteral(
               "[CReceivedMainData] Address=%1\n strRaw=[[%2]]\n strIpAddress=%3 strIpAddressSender=%4\n"
               " nTimeReceived=%5\n nTimeSent=%6\n nTimeSenderReceived=%7\n nTimeSenderSent=%8\n"
               " nTimeActualReceived=%9\n")
               .arg(QStringLiteral("%1").arg(reinterpret_cast<quintptr>(this) & 0xFFFFFFFFu, 8, 16,
                                             QLatin1Char('0')),
                    strRaw, strIpAddress, strIpAddressSender, QString::number(nTimeReceived),
                    QString::number(nTimeSent), QString::number(nTimeSenderReceived),
                    QString::number(nTimeSenderSent), QString::number(nTimeActualReceived)) +
           QStringLiteral(" nTimeActualReceivedTick=%1\n nType=%2 , nFlag=%3\n nStrLength=%4\n"
                          " nChannel=%5 , nGroup=%6\n nMaxLine=%7 , nDisplayStatus=%8\n strCache=%9\n")
               .arg(QString::number(static_cast<qint32>(nTimeActualReceivedTick)), QString(type),
                    QString::number(nFlag), QString::number(nStrLength), QString::number(nChannel),
                    QString::number(nGroup), QString::number(nMaxLine), QString::number(nDisplayStatus),
                    strCache) +
           QStringLiteral("  (CReceivedMainData dump finish)");
}
