#include "net/CNetController.h"

#include "net/CNetContext.h"
#include "net/CReceiveDispatch.h"
#include "net/CSendPaths.h"
#include "net/CSession.h"
#include "net/CUdpSock.h"

CNetController::CNetController(CConfig &config, IAdapterSource &adapterSource, ReceivedMain &captions,
                               ReceivedChat &contacts, CMemberList &members, CPftMonitorModel &pftMonitor,
                               QObject *parent)
    : QObject(parent),
      m_context(std::make_unique<CNetContext>(config, captions, contacts, members, pftMonitor))
{
    m_session = new CSession(*m_context, adapterSource, this);
    m_dispatch = std::make_unique<CReceiveDispatch>(*m_context, *m_session);
    m_sendPaths = new CSendPaths(*m_context, *m_session, this);
    connect(m_session, &CSession::endpointsCreated, this, &CNetController::connectEndpoints);
    connect(m_session, &CSession::onlineChanged, this, &CNetController::onlineChanged);
    connect(m_session, &CSession::refusalWarningPending, this, &CNetController::refusalWarningPending);
}

CNetController::~CNetController()
{
    // The session's endpoints call into the dispatch: they go first.
    delete m_session;
    m_session = nullptr;
}

void CNetController::connectEndpoints()
{
    using Kind = CPortTable::Kind;
    CReceiveDispatch *dispatch = m_dispatch.get();
    const auto route = [this](Kind kind, auto handler) {
        if (CUdpSock *sock = m_session->endpoint(kind))
            connect(sock, &CUdpSock::readyRead, this, handler);
    };
    route(Kind::Login, [this] { m_session->OnSockLogin(); });
    route(Kind::Response, [this] { m_session->OnSockResponse(); });
    route(Kind::Main, [dispatch] { dispatch->OnSockMain(); });
    route(Kind::Monitor, [dispatch] { dispatch->OnSockMonitor(); });
    route(Kind::Chat, [dispatch] { dispatch->OnSockChat(); });
    route(Kind::Logoff, [dispatch] { dispatch->OnSockLogoff(); });
    route(Kind::PftFormer, [dispatch] { dispatch->OnSockPftFormer(); });
    route(Kind::PftLatter, [dispatch] { dispatch->OnSockPftLatter(); });
    route(Kind::Undo, [dispatch] { dispatch->OnSockUndo(); });
    route(Kind::MainGross, [dispatch] { dispatch->OnSockMainGross(); });
    route(Kind::Native, [dispatch] { dispatch->OnSockTavrin(); });
}

void CNetController::setCaptionView(ICaptionView *view)
{
    m_context->captionView = view;
}
void CNetController::setContactView(IContactView *view)
{
    m_context->contactView = view;
}
void CNetController::setLog(ICaptionLog *log)
{
    m_context->log = log;
}
void CNetController::setInputSource(IInputSource *input)
{
    m_context->inputSource = input;
}
void CNetController::setMemberMonitorView(IMemberMonitorView *view)
{
    m_context->memberMonitor = view;
}
void CNetController::setDisplayLogEnabled(bool enabled)
{
    m_context->displayLogEnabled = enabled;
}
void CNetController::setContactLogEnabled(bool enabled)
{
    m_context->contactLogEnabled = enabled;
}
bool CNetController::displayLogEnabled() const
{
    return m_context->displayLogEnabled;
}
bool CNetController::contactLogEnabled() const
{
    return m_context->contactLogEnabled;
}

int CNetController::EnumerateAdapters()
{
    return m_session->EnumerateAdapters();
}
const QList<AdapterEntry> &CNetController::adapters() const
{
    return m_session->adapters();
}
bool CNetController::DoLogin(int adapterIndex)
{
    return m_session->DoLogin(adapterIndex);
}
void CNetController::SetOffline()
{
    m_session->SetOffline();
}
bool CNetController::isOnline() const
{
    return m_session->isOnline();
}
QString CNetController::memberName() const
{
    return m_session->memberName();
}
int CNetController::channel() const
{
    return m_session->channel();
}
int CNetController::group() const
{
    return m_session->group();
}
QString CNetController::adapterName() const
{
    return m_session->adapterName();
}
QString CNetController::ownAddress() const
{
    return m_session->ownAddress();
}
QString CNetController::broadcastAddress() const
{
    return m_session->broadcastAddress();
}
QString CNetController::errorTitle() const
{
    return m_session->errorTitle();
}
QString CNetController::errorMessage() const
{
    return m_session->errorMessage();
}
int CNetController::refusalState() const
{
    return m_session->refusalState();
}
bool CNetController::TakeRefusalWarning()
{
    return m_session->TakeRefusalWarning();
}

void CNetController::StartHeartbeat()
{
    m_session->StartHeartbeat();
}
void CNetController::StopHeartbeat()
{
    m_session->StopHeartbeat();
}
bool CNetController::heartbeatActive() const
{
    return m_session->heartbeatActive();
}
void CNetController::SendHeartbeat()
{
    m_session->Heartbeat();
}

CUdpSock *CNetController::endpoint(CPortTable::Kind kind) const
{
    return m_session->endpoint(kind);
}

void CNetController::SendCaptionLine(const QString &line)
{
    m_sendPaths->SendCaptionLine(line);
}
void CNetController::SendMonitor(const QString &text)
{
    m_sendPaths->SendMonitor(text);
}
void CNetController::SendContactMessage(const QString &message)
{
    m_sendPaths->SendContactMessage(message);
}
void CNetController::SendPreroll(const QStringList &former, const QStringList &latter)
{
    m_sendPaths->SendPreroll(former, latter);
}
void CNetController::Undo()
{
    m_sendPaths->Undo();
}
void CNetController::ClearScreen()
{
    m_sendPaths->ClearScreen();
}
void CNetController::SendGross(const QStringList &lines)
{
    m_sendPaths->SendGross(lines);
}
bool CNetController::monitorResendActive() const
{
    return m_sendPaths->monitorResendActive();
}
int CNetController::monitorResendCount() const
{
    return m_sendPaths->monitorResendCount();
}
void CNetController::StopMonitorResend()
{
    m_sendPaths->StopMonitorResend();
}

int CNetController::undoCount() const
{
    return m_context->undoCount();
}
