#pragma once

#include "net/CAddressLogLimit.h"
#include "net/CFailureLogLimit.h"
#include "net/CPortTable.h"

#include <QString>
#include <QStringList>

class CNetContext;
class CPftMonitorModel;
class CReceivedMainData;
class CSession;
class CUdpSock;
struct TavrinRecord;

// The handlers of the nine endpoints that carry content: every native datagram (OnSockTavrin)
// and the shared-protocol datagrams of Quorel peers. Each receives one datagram and hands its
// content to the stores, the member list and the windows.
class CReceiveDispatch final
{
public:
    CReceiveDispatch(CNetContext &context, CSession &session);
    CReceiveDispatch(const CReceiveDispatch &) = delete;
    CReceiveDispatch &operator=(const CReceiveDispatch &) = delete;

    void OnSockMain();
    void OnSockMonitor();
    void OnSockChat();
    void OnSockLogoff();
    void OnSockPftFormer();
    void OnSockPftLatter();
    void OnSockUndo();
    void OnSockMainGross();
    void OnSockTavrin();

    // The gross block being collected from a Quorel peer.
    const QStringList &grossLines() const { return m_grossLines; }
    const QString &grossSender() const { return m_grossSender; }

private:
    // The common start of every handler: the endpoint received a datagram. Logs the failures
    // under the handler's name.
    bool receive(CUdpSock *sock, const char *handler);
    // Whether a shared-protocol sender is a native member (its content arrives natively).
    bool isNativeSender(const QString &address) const;
    void clearScreenFromQuorel(const QString &address);
    // A Quorel peer's pre-roll arrives line by line on one endpoint per half, after "$消去$".
    void prerollLine(CPortTable::Kind kind, const char *handler,
                     QString (CPftMonitorModel::*text)(const QString &) const,
                     void (CPftMonitorModel::*clear)(const QString &),
                     void (CPftMonitorModel::*append)(const QString &, const QString &));
    void repeatedRecord(const TavrinRecord &record, const QString &source, quint32 datagramSent);
    // LocateData and what its answer asks for; the requests gather in the flags below.
    void storeNativeLine(CReceivedMainData &record, bool mainMessage, bool logIt);

    CNetContext &m_context;
    CSession &m_session;
    QStringList m_grossLines;
    QString m_grossSender;
    bool m_grossOverflowLogged = false;
    CFailureLogLimit m_prerollOverflow;
    // Logoffs are taken from any sender, as often as it sends them.
    CAddressLogLimit m_logoffLog;
    CAddressLogLimit m_memberLog;

    // Requests gathered while one native datagram is handled.
    bool m_goLast = false;
    bool m_redraw = false;
    bool m_newLine = false;
};
