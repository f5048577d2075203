#include "contact/CTurnTimer.h"

#include "core/StringTable.h"

#include <algorithm>

namespace {

constexpr int kStartFormat = 111;
constexpr int kStopText = 112;
constexpr int kMinuteSeparator = 104;
constexpr int kTimeTrailer = 105;

QString twoDigits(int value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

} // namespace

CTurnTimer::CTurnTimer(LocalTimeSource localTime, QObject *parent)
    : QObject(parent), m_localTime(std::move(localTime)), m_strNotice(CStringTable::get(106)),
      m_strChange(CStringTable::get(108))
{
}

void CTurnTimer::setMinuteRange(int lowest, int highest)
{
    m_nMinMinutes = std::max(lowest, 1);
    m_nMaxMinutes = std::max(highest, m_nMinMinutes);
    setTurnMinutes(m_nTurnMinutes);
}

void CTurnTimer::setTurnMinutes(int minutes)
{
    const int clamped = std::clamp(minutes, m_nMinMinutes, m_nMaxMinutes);
    if (clamped == m_nTurnMinutes)
        return;
    m_nTurnMinutes = clamped;
    emit turnMinutesChanged(m_nTurnMinutes);
}

bool CTurnTimer::Start()
{
    if (m_bRunning)
        return false;
    m_bRunning = true;
    emit runningChanged(true);
    const int clamped = std::clamp(m_nRemaining, 1, m_nMaxMinutes * 60);
    if (clamped != m_nRemaining) {
        m_nRemaining = clamped;
        emit remainingChanged(m_nRemaining);
    }
    send(FillNumbers(CStringTable::get(kStartFormat), {m_nRemaining / 60, m_nRemaining % 60}));
    return true;
}

bool CTurnTimer::Stop()
{
    if (!m_bRunning)
        return false;
    m_bRunning = false;
    emit runningChanged(false);
    send(CStringTable::get(kStopText));
    return true;
}

bool CTurnTimer::Reset()
{
    if (m_bRunning)
        return false;
    reload();
    return true;
}

bool CTurnTimer::AddMinute()
{
    return changeMinutes(+1);
}

bool CTurnTimer::SubtractMinute()
{
    return changeMinutes(-1);
}

bool CTurnTimer::changeMinutes(int step)
{
    const int minutes = m_nTurnMinutes + step;
    if (minutes < m_nMinMinutes || minutes > m_nMaxMinutes)
        return false;
    setTurnMinutes(minutes);
    if (!m_bRunning)
        reload();
    return true;
}

void CTurnTimer::Tick()
{
    if (!m_bRunning)
        return;
    --m_nRemaining;
    emit remainingChanged(m_nRemaining);
    if (m_nRemaining < 1) {
        emit flashRequested();
        send(m_strChange);
        reload();
    } else if (m_nRemaining == kNoticeAt) {
        emit flashRequested();
        send(m_strNotice);
    }
}

void CTurnTimer::reload()
{
    m_nRemaining = m_nTurnMinutes * 60;
    emit remainingChanged(m_nRemaining);
}

void CTurnTimer::send(const QString &text)
{
    m_strOutgoing = Stamp(text, m_localTime ? m_localTime() : QTime::currentTime());
    emit messageReady(m_strOutgoing);
}

QString CTurnTimer::FormatRemaining(int seconds)
{
    // A negative remainder would print as "-0：-5"; the countdown never shows one, but the sign
    // belongs in front of the whole time.
    const QString sign = seconds < 0 ? QStringLiteral("-") : QString();
    const int magnitude = seconds < 0 ? -seconds : seconds;
    return sign + QString::number(magnitude / 60) + CStringTable::get(kMinuteSeparator) +
           twoDigits(magnitude % 60) + CStringTable::get(kTimeTrailer);
}

QString CTurnTimer::Stamp(const QString &text, const QTime &time)
{
    return QStringLiteral("%1 (%2:%3:%4)")
        .arg(text, twoDigits(time.hour()), twoDigits(time.minute()), twoDigits(time.second()));
}

QString CTurnTimer::FillNumbers(const QString &format, std::initializer_list<int> numbers)
{
    QString out;
    out.reserve(format.size() + 8);
    auto next = numbers.begin();
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c == u'%' && i + 1 < format.size()) {
            const QChar field = format.at(i + 1);
            if (field == u'%') {
                out += u'%';
                ++i;
                continue;
            }
            if (field == u'd' && next != numbers.end()) {
                out += QString::number(*next++);
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}
