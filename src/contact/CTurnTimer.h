#pragma once

#include <QObject>
#include <QString>
#include <QTime>

#include <functional>

// The contact window's turn countdown, without its window: the window's one-second timer calls
// Tick(), and the messages it wants sent to everybody come out of messageReady already stamped.
// A turn end reloads the turn length and keeps counting, so turns repeat until stopped.
class CTurnTimer final : public QObject
{
    Q_OBJECT

public:
    // The turn length's range until the window sets the settings' bounds.
    static constexpr int kMinMinutes = 1;
    static constexpr int kMaxMinutes = 99;
    // Seconds before a turn's end at which the notice goes out.
    static constexpr int kNoticeAt = 30;

    // The local time the messages are stamped with; an empty source reads the clock.
    using LocalTimeSource = std::function<QTime()>;

    explicit CTurnTimer(LocalTimeSource localTime = {}, QObject *parent = nullptr);

    void setNoticeText(const QString &text) { m_strNotice = text; }
    void setChangeText(const QString &text) { m_strChange = text; }
    QString noticeText() const { return m_strNotice; }
    QString changeText() const { return m_strChange; }

    int turnMinutes() const { return m_nTurnMinutes; }
    // Clamped to the minute range; the remaining time is untouched until the next reset.
    void setTurnMinutes(int minutes);
    // The turn length's bounds; a start never counts down from more than the longest turn.
    void setMinuteRange(int lowest, int highest);
    int minMinutes() const { return m_nMinMinutes; }
    int maxMinutes() const { return m_nMaxMinutes; }
    int remaining() const { return m_nRemaining; }
    bool isRunning() const { return m_bRunning; }
    // The last stamped message handed on.
    QString outgoingMessage() const { return m_strOutgoing; }

    // Each returns whether it did anything: start only while stopped, stop only while running,
    // reset only while stopped.
    bool Start();
    bool Stop();
    bool Reset();
    // ±1 minute within the range; while stopped the remaining time follows. False at a bound.
    bool AddMinute();
    bool SubtractMinute();
    // One second of the running countdown; ignored while stopped.
    void Tick();

    // "4：59 " for 299 seconds, with the separator and trailing text of the string table.
    QString remainingText() const { return FormatRemaining(m_nRemaining); }
    static QString FormatRemaining(int seconds);
    // "text (hh:mm:ss)".
    static QString Stamp(const QString &text, const QTime &time);
    // Fills the "%d" fields of a translated text in order; anything else stays as it stands, so a
    // translation cannot make the formatting read arguments that are not there.
    static QString FillNumbers(const QString &format, std::initializer_list<int> numbers);

signals:
    void remainingChanged(int seconds);
    void runningChanged(bool running);
    void turnMinutesChanged(int minutes);
    // A stamped message for every member of the group.
    void messageReady(const QString &message);
    // A notice or a turn end: the window flashes.
    void flashRequested();

private:
    void reload();
    void send(const QString &text);
    bool changeMinutes(int step);

    LocalTimeSource m_localTime;
    QString m_strNotice;
    QString m_strChange;
    QString m_strOutgoing;
    int m_nMinMinutes = kMinMinutes;
    int m_nMaxMinutes = kMaxMinutes;
    int m_nTurnMinutes = 5;
    int m_nRemaining = 0;
    bool m_bRunning = false;
};
