#pragma once

#include "net/CAddressLogLimit.h"
#include "net/CPortTable.h"
#include "net/IAdapterSource.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>
#include <optional>

class CNetContext;
class CUdpSock;
class CUdpSockLogin;
class CUdpSockMonitor;
class CUdpSockResponse;
class CUdpSockTavrin;
class QTimer;

// The member's session: the adapter list, going online (the eleven endpoints) and offline, the
// login request and response handshake, the refusal notice and the heartbeat (timer 104).
class CSession final : public QObject
{
    Q_OBJECT

public:
    CSession(CNetContext &context, IAdapterSource &adapterSource, QObject *parent = nullptr);
    ~CSession() override;

    int EnumerateAdapters();
    const QList<AdapterEntry> &adapters() const { return m_adapters; }
    bool DoLogin(int adapterIndex);
    bool SetOnline();
    void SetOffline();

    // Handlers of the login and response endpoints.
    void OnSockLogin();
    void OnSockResponse();

    void StartHeartbeat();
    void StopHeartbeat();
    bool heartbeatActive() const;
    void Heartbeat();

    bool isOnline() const { return m_online; }
    const QString &memberName() const { return m_memberName; }
    int channel() const { return m_channel; }
    int group() const { return m_group; }
    const QString &adapterName() const { return m_adapterName; }
    const QString &ownAddress() const { return m_ownAddress; }
    const QString &broadcastAddress() const { return m_broadcastAddress; }
    int refusalState() const { return m_refusalState; }
    bool TakeRefusalWarning();
    const QString &errorTitle() const { return m_errorTitle; }
    const QString &errorMessage() const { return m_errorMessage; }

    // Endpoints while online, else nullptr.
    CUdpSock *endpoint(CPortTable::Kind kind) const;
    CUdpSockLogin *sockLogin() const;
    CUdpSockResponse *sockResponse() const;
    CUdpSockMonitor *sockMonitor() const;
    CUdpSockMonitor *sockLogoff() const;
    CUdpSockTavrin *sockTavrin() const;

    // A native datagram to the broadcast address; false when offline or the send failed.
    bool SendNative(QStringView kind, QStringView text, quint32 *sendTime = nullptr,
                    std::optional<QStringView> companion = std::nullopt);
    // The addresses of every Quorel peer (member kind 0).
    QStringList quorelPeers() const;
    // The same bytes to every Quorel peer on the endpoint of kind.
    void SendToQuorelPeers(CPortTable::Kind kind, const QByteArray &bytes);

signals:
    // The endpoints exist (before the first datagram is sent): connect their handlers now.
    void endpointsCreated();
    void onlineChanged(bool online);
    void refusalWarningPending();

private:
    static int slotOf(CPortTable::Kind kind);
    void destroyEndpoints();
    // The stores take the login's channel and group (base ticks restart on a change).
    void setStoresChannelGroup(int channel, int group);

    CNetContext &m_context;
    IAdapterSource &m_adapterSource;
    QList<AdapterEntry> m_adapters;
    std::array<CUdpSock *, 11> m_endpoints{};
    QTimer *m_heartbeat = nullptr;

    bool m_online = false;
    QString m_memberName;
    int m_channel = 0;
    int m_group = 0;
    QString m_adapterName;
    QString m_ownAddress;
    QString m_broadcastAddress;
    int m_refusalState = 0;
    // Requests and refusals come as often as anybody sends them; their log lines are limited.
    CAddressLogLimit m_handshakeLog;
    QString m_errorTitle;
    QString m_errorMessage;
};
