#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class CNetContext;
class CReceivedMainData;
class CSession;
class QTimer;

// The member's actions turned into datagrams (one native broadcast, a shared-protocol copy to
// each Quorel peer) and into their local effect on the stores and windows. Owns timer 106, which
// resends the monitor text twice after a line so the peers see the emptied input.
class CSendPaths final : public QObject
{
    Q_OBJECT

public:
    static constexpr int kMonitorResendPeriod = 100; // ms
    static constexpr int kMonitorResends = 2;        // after each line
    static constexpr int kMonitorResendCap = 10;
    // The native text limit while no native endpoint exists.
    static constexpr int kOfflineGrossBytes = 1472;

    CSendPaths(CNetContext &context, CSession &session, QObject *parent = nullptr);
    ~CSendPaths() override;

    void SendCaptionLine(const QString &line);
    void SendMonitor(const QString &text, bool timerResend = false);
    void SendContactMessage(const QString &message);
    void SendPreroll(const QStringList &former, const QStringList &latter);
    void Undo();
    void ClearScreen();
    void SendGross(const QStringList &lines);

    // Timer 106.
    void MonitorResendTick();
    bool monitorResendActive() const;
    int monitorResendCount() const { return m_monitorResendCount; }
    void StopMonitorResend();

    // The gross text: the lines joined by LF, cut before the block end marker or before the
    // first line that would make it longer than limitBytes as UTF-16.
    static QString BuildGrossText(const QStringList &lines, int limitBytes);

private:
    // A record of this member's own for the caption store.
    CReceivedMainData ownRecord(const QString &text, qint32 type, quint32 sendTime) const;
    // The own lines are told apart by their send time: never two in one millisecond.
    void waitForFreshMillisecond();
    void noteSendTime(quint32 sendTime);

    CNetContext &m_context;
    CSession &m_session;
    QTimer *m_monitorResend = nullptr;
    int m_monitorResendCount = 0;
    quint32 m_lastSendTime = 0;
    bool m_hasSent = false;
};
