#include "net/CSession.h"

#include "config/CConfig.h"
#include "contact/ReceivedChat.h"
#include "core/OperationLog.h"
#include "core/StringTable.h"
#include "members/CMemberList.h"
#include "net/CEndpointTable.h"
#include "net/CNetContext.h"
#include "net/CSocketError.h"
#include "net/CUdpSock.h"
#include "net/CUdpSockLogin.h"
#include "net/CUdpSockMonitor.h"
#include "net/CUdpSockResponse.h"
#include "net/CUdpSockTavrin.h"
#include "timeline/ReceivedMain.h"

#include <QTimer>

namespace {

constexpr int kStringPortInUse = 113;
constexpr int kStringNetworkError = 114;
constexpr int kStringErrorTitle = 116;

const QString kRequest = QStringLiteral("Req");
const QString kFull = QStringLiteral("Ful");

} // namespace

CSession::CSession(CNetContext &context, IAdapterSource &adapterSource, QObject *parent)
    : QObject(parent), m_context(context), m_adapterSource(adapterSource), m_heartbeat(new QTimer(this))
{
    connect(m_heartbeat, &QTimer::timeout, this, &CSession::Heartbeat);
}

CSession::~CSession()
{
    // Endpoints are children: closing them here only avoids sending anything on the way out.
    for (CUdpSock *&sock : m_endpoints) {
        delete sock;
        sock = nullptr;
    }
}

int CSession::EnumerateAdapters()
{
    m_adapters = m_adapterSource.adapters();
    return static_cast<int>(m_adapters.size());
}

int CSession::slotOf(CPortTable::Kind kind)
{
    for (int i = 0; i < CEndpointTable::kCount; ++i) {
        if (CEndpointTable::kEndpoints[i].kind == kind)
            return i;
    }
    return 0;
}

CUdpSock *CSession::endpoint(CPortTable::Kind kind) const
{
    return m_endpoints[static_cast<size_t>(slotOf(kind))];
}

CUdpSockLogin *CSession::sockLogin() const
{
    return static_cast<CUdpSockLogin *>(endpoint(CPortTable::Kind::Login));
}

CUdpSockResponse *CSession::sockResponse() const
{
    return static_cast<CUdpSockResponse *>(endpoint(CPortTable::Kind::Response));
}

CUdpSockMonitor *CSession::sockMonitor() const
{
    return static_cast<CUdpSockMonitor *>(endpoint(CPortTable::Kind::Monitor));
}

CUdpSockMonitor *CSession::sockLogoff() const
{
    return static_cast<CUdpSockMonitor *>(endpoint(CPortTable::Kind::Logoff));
}

CUdpSockTavrin *CSession::sockTavrin() const
{
    return static_cast<CUdpSockTavrin *>(endpoint(CPortTable::Kind::Native));
}

void CSession::setStoresChannelGroup(int channel, int group)
{
    m_context.captions().SetChannelGroup(channel, group);
    ReceivedChat &contacts = m_context.contacts();
    if (contacts.channel() != channel || contacts.group() != group)
        contacts.SetChannelGroup(channel, group);
}

bool CSession::DoLogin(int adapterIndex)
{
    WriteLog(QStringLiteral("CMainWindow::DoLogin() begins."));
    m_memberName = m_context.config().GetStringOr(QStringLiteral("communication.name"));
    m_channel = m_context.config().GetIntOr(QStringLiteral("communication.channel_i"), 1);
    m_group = m_context.config().GetIntOr(QStringLiteral("communication.group_i"), 1);

    if (adapterIndex < 0 || adapterIndex >= m_adapters.size()) {
        WriteLog(QStringLiteral("CMainWindow::DoLogin() failed. NIC No. is out of bounds."));
        WriteLog(QStringLiteral("CMainWindow::DoLogin() finished."));
        return m_online;
    }

    const AdapterEntry &adapter = m_adapters.at(adapterIndex);
    m_adapterName = adapter.description;
    m_ownAddress = adapter.address;
    m_broadcastAddress = adapter.broadcastAddress;
    WriteLog(QStringLiteral("CMainWindow::DoLogin() NIC,IP,Broadcast"));
    WriteLog(m_adapterName);
    WriteLog(m_ownAddress);
    WriteLog(m_broadcastAddress);

    SetOnline();
    if (m_online) {
        m_refusalState = 0;
        if (!sockLogin()->SendLogin(m_broadcastAddress, m_memberName, m_group))
            WriteLog(QStringLiteral("CMainWindow::DoLogin() SendLogin failed."));
        sockTavrin()->setGroup(m_group);
        if (!SendNative(u"L", m_memberName))
            WriteLog(QStringLiteral("CMainWindow::DoLogin() SendTavrin failed."));
        // Also after a failed announcement: the member stays online, and stores left at -1
        // would never repeat its own lines to the others.
        setStoresChannelGroup(m_channel, m_group);
        m_context.captions().setOwnAddress(m_ownAddress);
    } else {
        WriteLog(QStringLiteral("CMainWindow::DoLogin() SetOnline() failed."));
        m_context.captions().SetOffline();
        m_context.contacts().SetChannelGroup(-1, -1);
    }
    WriteLog(QStringLiteral("CMainWindow::DoLogin() finished."));
    emit onlineChanged(m_online);
    return m_online;
}

bool CSession::SetOnline()
{
    WriteLog(QStringLiteral("CMainWindow::SetOnline() begins."));
    if (m_online)
        SetOffline();
    m_online = true;

    const int channel =
        m_context.config().GetIntOr(QStringLiteral("communication.channel_i"), CPortTable::kFirstChannel);
    for (int i = 0; i < CEndpointTable::kCount; ++i) {
        const CEndpointTable::Endpoint &e = CEndpointTable::kEndpoints[i];
        const QString name = QString(e.name);
        const quint16 port = CEndpointTable::port(e.kind, channel);
        CUdpSock *sock = nullptr;
        switch (e.socketClass) {
        case CEndpointTable::Class::Plain:
            sock = new CUdpSock(name, m_ownAddress, m_broadcastAddress, port, this);
            break;
        case CEndpointTable::Class::Login:
            sock = new CUdpSockLogin(name, m_ownAddress, m_broadcastAddress, port, this);
            break;
        case CEndpointTable::Class::Response:
            sock = new CUdpSockResponse(name, m_ownAddress, m_broadcastAddress, port, this);
            break;
        case CEndpointTable::Class::Monitor:
            sock = new CUdpSockMonitor(name, m_ownAddress, m_broadcastAddress, port, this);
            break;
        case CEndpointTable::Class::Tavrin:
            sock = new CUdpSockTavrin(name, m_ownAddress, m_broadcastAddress, port, &m_context.captions(),
                                      &m_context.contacts(), this);
            break;
        }
        m_endpoints[static_cast<size_t>(i)] = sock;
        if (e.kind == CPortTable::Kind::Login)
            WriteLogInt(QStringLiteral("CUdpSockLogin MTU size"), static_cast<int>(sock->MaxMessageSize()));
        if (!sock->isOpen()) {
            WriteLog(QStringLiteral("CMainWindow::SetOnline() ") + QString(e.referenceName) +
                     QStringLiteral(" failed."));
            m_errorTitle = CStringTable::get(kStringErrorTitle);
            m_errorMessage = CStringTable::get(
                sock->lastError() == CSocketError::WSAEADDRINUSE ? kStringPortInUse : kStringNetworkError);
            SetOffline();
            return false;
        }
    }
    emit endpointsCreated();
    WriteLog(QStringLiteral("CMainWindow::SetOnline() finishes."));
    return true;
}

void CSession::destroyEndpoints()
{
    for (CUdpSock *&sock : m_endpoints) {
        if (!sock)
            continue;
        // Closed now so the ports are free for the next login; deleted later because a handler
        // of this very endpoint may be running.
        sock->Destroy();
        sock->disconnect();
        sock->deleteLater();
        sock = nullptr;
    }
}

void CSession::SetOffline()
{
    WriteLog(QStringLiteral("CMainWindow::SetOffline() begins."));
    if (!m_online)
        return;
    CUdpSockTavrin *native = sockTavrin();
    if (native && native->isOpen())
        native->SendTavrin(m_broadcastAddress, u"F", u"");
    CUdpSockMonitor *logoff = sockLogoff();
    if (logoff && logoff->isOpen()) {
        for (const CMemberEntry &member : m_context.members().membersInRowOrder())
            logoff->SendLogoff(member.strAddress, m_memberName);
    }
    destroyEndpoints();
    m_context.members().removeAllMembers();
    m_context.captions().SetOffline();
    m_context.contacts().SetChannelGroup(-1, -1);
    m_online = false;
    WriteLog(QStringLiteral("CMainWindow::SetOffline() finishes."));
    emit onlineChanged(false);
}

bool CSession::SendNative(QStringView kind, QStringView text, quint32 *sendTime,
                          std::optional<QStringView> companion)
{
    CUdpSockTavrin *native = sockTavrin();
    if (!m_online || !native)
        return false;
    return native->SendTavrin(m_broadcastAddress, kind, text, sendTime, companion);
}

QStringList CSession::quorelPeers() const
{
    QStringList peers;
    for (const CMemberEntry &member : m_context.members().membersInRowOrder()) {
        if (member.nKind == CMemberEntry::kKindQuorel)
            peers.append(member.strAddress);
    }
    return peers;
}

void CSession::SendToQuorelPeers(CPortTable::Kind kind, const QByteArray &bytes)
{
    CUdpSock *sock = endpoint(kind);
    if (!m_online || !sock)
        return;
    for (const QString &peer : quorelPeers())
        sock->SendTo(peer, bytes);
}

void CSession::OnSockLogin()
{
    CUdpSockLogin *sock = sockLogin();
    if (!sock) {
        WriteLog(QStringLiteral("CMainWindow::OnSockLogin() called but no sock."));
        return;
    }
    if (!sock->RecvFrom()) {
        if (sock->handlerFailures().count())
            WriteLog(QStringLiteral("CMainWindow::OnSockLogin() RecvFrom() failed."));
        return;
    }
    const QString source = sock->fromAddress();
    const QStringList fields = sock->tokens();
    if (fields.size() < 4)
        return;
    const QString &name = fields.at(1);
    const QString &groupField = fields.at(3);
    if (!groupField.isEmpty() && groupField.at(0).unicode() - u'0' == m_group) {
        if (source == m_ownAddress)
            return;
        if (m_handshakeLog.count(source))
            WriteLog(QStringLiteral("CMainWindow::OnSockLogin() accept [") + name +
                     QStringLiteral("] from : ") + source);
        CMemberEntry entry;
        entry.strAddress = source;
        entry.strName = name;
        // A native member's request may arrive after its native announcement; it stays native.
        const bool native = m_context.members().lookupMember(source) == CMemberEntry::kKindNative;
        entry.nKind = native ? CMemberEntry::kKindNative : CMemberEntry::kKindQuorel;
        m_context.members().updateMember(entry);
        CUdpSockResponse *response = sockResponse();
        if (!response || !response->SendResponse(source, source, m_memberName))
            WriteLog(QStringLiteral("CMainWindow::OnSockLogin() SendResponse() failed."));
        m_context.refreshMemberMonitor();
    } else {
        if (m_handshakeLog.count(source))
            WriteLog(QStringLiteral("CMainWindow::OnSockLogin() reject other group member [") + name +
                     QStringLiteral("] from : ") + source);
    }
}

void CSession::OnSockResponse()
{
    CUdpSockResponse *sock = sockResponse();
    if (!sock) {
        WriteLog(QStringLiteral("CMainWindow::OnSockResponse() called but no sock."));
        return;
    }
    if (!sock->RecvFrom()) {
        if (sock->handlerFailures().count())
            WriteLog(QStringLiteral("CMainWindow::OnSockResponse() RecvFrom() failed."));
        return;
    }
    const QString source = sock->fromAddress();
    if (source == m_ownAddress)
        return;
    const QStringList fields = sock->tokens();
    if (fields.size() < 4)
        return;
    if (fields.at(3) == kFull) {
        if (m_refusalState < 1) {
            m_refusalState = 1;
            emit refusalWarningPending();
        }
        if (m_handshakeLog.count(source))
            WriteLog(QStringLiteral("CMainWindow::OnSockResponse() received denial response."));
        return;
    }
    CMemberList &members = m_context.members();
    if (members.lookupMember(source) != CMemberEntry::kKindUnknown)
        return;
    CMemberEntry entry;
    entry.strAddress = source;
    entry.strName = fields.at(2);
    entry.nKind = CMemberEntry::kKindQuorel;
    if (members.updateMember(entry) != 0) {
        if (m_handshakeLog.count(source))
            WriteLog(QStringLiteral("CMainWindow::OnSockResponse() updated member [[%1]] from %2")
                         .arg(fields.at(2), source));
        if (!sock->SendResponse(source, source, m_memberName))
            WriteLog(QStringLiteral("CMainWindow::OnSockResponse() SendResponse() failed."));
    }
    m_context.refreshMemberMonitor();
}

bool CSession::TakeRefusalWarning()
{
    if (m_refusalState != 1)
        return false;
    m_refusalState = 2;
    return true;
}

void CSession::StartHeartbeat()
{
    const int seconds = m_context.config().GetIntOr(QStringLiteral("communication.heartbeat.period_i"), 2);
    WriteLogInt(QStringLiteral("OnCreate() heartbeat time [sec]"), seconds);
    // A period below one second would flood the group; the settings never allow it.
    m_heartbeat->start(std::max(seconds, 1) * 1000);
}

void CSession::StopHeartbeat()
{
    m_heartbeat->stop();
}

bool CSession::heartbeatActive() const
{
    return m_heartbeat->isActive();
}

void CSession::Heartbeat()
{
    if (m_online)
        SendNative(u"H", m_memberName);
}
