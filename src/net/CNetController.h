#pragma once

#include "net/CPortTable.h"
#include "net/IAdapterSource.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class CConfig;
class CMemberList;
class CNetContext;
class CPftMonitorModel;
class CReceiveDispatch;
class CSendPaths;
class CSession;
class CUdpSock;
class ICaptionLog;
class ICaptionView;
class IContactView;
class IInputSource;
class IMemberMonitorView;
class ReceivedChat;
class ReceivedMain;

// The member's network side, without any window: the session (adapter, login, heartbeat,
// logoff), the handling of every received datagram and the sending of every member action.
// The main window owns the stores and hands them in; the windows are told through the optional
// view interfaces. Everything runs on the thread that owns the controller.
class CNetController final : public QObject
{
    Q_OBJECT

public:
    // The stores, the member list and the pre-roll monitor model must outlive the controller.
    CNetController(CConfig &config, IAdapterSource &adapterSource, ReceivedMain &captions,
                   ReceivedChat &contacts, CMemberList &members, CPftMonitorModel &pftMonitor,
                   QObject *parent = nullptr);
    ~CNetController() override;

    // Windows to tell; nullptr (the default) means there is nobody to tell.
    void setCaptionView(ICaptionView *view);
    void setContactView(IContactView *view);
    void setLog(ICaptionLog *log);
    void setInputSource(IInputSource *input);
    void setMemberMonitorView(IMemberMonitorView *view);
    // The display and contact log switches ("miscellaneous.log.display_i", "…chat_i").
    void setDisplayLogEnabled(bool enabled);
    void setContactLogEnabled(bool enabled);
    bool displayLogEnabled() const;
    bool contactLogEnabled() const;

    // Session.
    // Rebuilds the adapter list; returns the number of entries.
    int EnumerateAdapters();
    const QList<AdapterEntry> &adapters() const;
    // Goes online on adapter entry index with the configured name, channel and group; goes
    // offline first when already online. On failure errorTitle()/errorMessage() say why.
    bool DoLogin(int adapterIndex);
    // Logs off everybody and closes the endpoints; nothing happens while offline.
    void SetOffline();
    bool isOnline() const;
    QString memberName() const;
    int channel() const;
    int group() const;
    QString adapterName() const;
    QString ownAddress() const;
    QString broadcastAddress() const;
    QString errorTitle() const;
    QString errorMessage() const;
    // 0 after login, 1 when a peer refused the login (group full), 2 once the warning was shown.
    int refusalState() const;
    // For the idle handler: true exactly once per refusal (state 1 becomes 2); show the warning
    // (strings 128 and 129) when it returns true.
    bool TakeRefusalWarning();

    // Timer 104: starts with "communication.heartbeat.period_i" seconds (logged), stops.
    void StartHeartbeat();
    void StopHeartbeat();
    bool heartbeatActive() const;
    // One heartbeat now ("H" with the member name); nothing while offline.
    void SendHeartbeat();

    // The endpoint of a kind while online, else nullptr (diagnostics and tests).
    CUdpSock *endpoint(CPortTable::Kind kind) const;

    // Send paths: the member's actions.
    void SendCaptionLine(const QString &line);
    // What the member is typing now; ignored while offline.
    void SendMonitor(const QString &text);
    void SendContactMessage(const QString &message);
    void SendPreroll(const QStringList &former, const QStringList &latter);
    void Undo();
    void ClearScreen();
    void SendGross(const QStringList &lines);
    // Timer 106 (monitor resend after a line).
    bool monitorResendActive() const;
    int monitorResendCount() const;
    void StopMonitorResend();

    int undoCount() const;

signals:
    // Going online or offline completed (title, menu state).
    void onlineChanged(bool online);
    // refusalState became 1: the idle handler should call TakeRefusalWarning().
    void refusalWarningPending();

private:
    void connectEndpoints();

    std::unique_ptr<CNetContext> m_context;
    CSession *m_session = nullptr;
    std::unique_ptr<CReceiveDispatch> m_dispatch;
    CSendPaths *m_sendPaths = nullptr;
};
