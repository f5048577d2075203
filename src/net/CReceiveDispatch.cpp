#include "net/CReceiveDispatch.h"

#include "contact/ReceivedChat.h"
#include "core/ContinuousTime.h"
#include "core/OperationLog.h"
#include "members/CMemberList.h"
#include "net/CLineRecord.h"
#include "net/CNativeCodec.h"
#include "net/CNetContext.h"
#include "net/CSession.h"
#include "net/CSharedProtocol.h"
#include "net/CUdpSock.h"
#include "net/CUdpSockTavrin.h"
#include "net/TavrinRecord.h"
#include "preroll/CPftMonitorModel.h"
#include "timeline/CReceivedMainData.h"
#include "timeline/ReceivedMain.h"

namespace {

const QString kUndoCommand = QStringLiteral("undo");
const QString kClearCommand = QStringLiteral("cls");
// Code units a Quorel peer's former or latter pre-roll text may hold in the monitor: many times
// what a pre-roll window ever sends (a few lines of at most 246 characters around the caret).
constexpr qsizetype kMaxPrerollText = 16384;

QString handlerLine(const char *handler, const char *what)
{
    return QStringLiteral("CMainWindow::") + QLatin1String(handler) + QStringLiteral("() ") +
           QLatin1String(what);
}

bool isAcceptedKind(qint32 kind)
{
    switch (kind) {
    case 'A':
    case 'B':
    case 'C':
    case 'D':
    case 'E':
    case 'F':
    case 'G':
    case 'H':
    case 'L':
    case 'M':
    case 'Q':
    case 'R':
    case 'S':
    case 'U':
        return true;
    default:
        return false;
    }
}

bool isCaptionKind(qint32 kind)
{
    return kind == 'D' || kind == 'E' || kind == 'G' || kind == 'U';
}

// The field after the address of a shared monitor datagram; absent when there is no comma.
const QString *fieldAt(const QStringList &fields, int index)
{
    return index < fields.size() ? &fields.at(index) : nullptr;
}

} // namespace

CReceiveDispatch::CReceiveDispatch(CNetContext &context, CSession &session)
    : m_context(context), m_session(session)
{
}

bool CReceiveDispatch::receive(CUdpSock *sock, const char *handler)
{
    if (!sock) {
        WriteLog(handlerLine(handler, "called but no sock."));
        return false;
    }
    if (!sock->RecvFrom()) {
        if (sock->handlerFailures().count())
            WriteLog(handlerLine(handler, "RecvFrom() failed."));
        return false;
    }
    return true;
}

bool CReceiveDispatch::isNativeSender(const QString &address) const
{
    return m_context.members().lookupMember(address) == CMemberEntry::kKindNative;
}

void CReceiveDispatch::OnSockMain()
{
    CUdpSock *sock = m_session.endpoint(CPortTable::Kind::Main);
    if (!receive(sock, "OnSockMain"))
        return;
    const QString source = sock->fromAddress();
    if (isNativeSender(source) || sock->tokens().isEmpty())
        return;
    m_context.members().touchMember(source);
    const QString line =
        sock->rawDatagram() == CSharedProtocol::newlineMarker() ? QString() : sock->tokens().first();
    ReceivedMain &captions = m_context.captions();
    const int serial = captions.AddString(line, source, NativeKind::Plain);
    m_context.undoRelease();
    m_context.captionRefresh();
    if (const CReceivedMainData *stored = captions.at(captions.SerialToPosition(serial)))
        m_context.displayLog(*stored);
}

void CReceiveDispatch::OnSockMonitor()
{
    CUdpSock *sock = m_session.endpoint(CPortTable::Kind::Monitor);
    if (!receive(sock, "OnSockMonitor"))
        return;
    const QString source = sock->fromAddress();
    if (isNativeSender(source))
        return;
    CMemberList &members = m_context.members();
    const QString *text = fieldAt(sock->tokens(), 1);
    if (!text || !members.find(source))
        return;
    const qint32 now = static_cast<qint32>(ContinuousTime::SystemTimeToIntLimited());
    members.touchMember(source);
    members.setMonitorText(source, *text, now, now);
    m_context.refreshMemberMonitor();
}

void CReceiveDispatch::OnSockChat()
{
    CUdpSock *sock = m_session.endpoint(CPortTable::Kind::Chat);
    if (!receive(sock, "OnSockChat"))
        return;
    const QString source = sock->fromAddress();
    if (isNativeSender(source) || sock->tokens().isEmpty())
        return;
    m_context.members().touchMember(source);
    const QString &text = sock->tokens().first();
    m_context.contactAppendLine(text);
    m_context.contactLog(text);
}

void CReceiveDispatch::OnSockLogoff()
{
    CUdpSock *sock = m_session.endpoint(CPortTable::Kind::Logoff);
    if (!receive(sock, "OnSockLogoff"))
        return;
    const QString source = sock->fromAddress();
    // Own logoff datagrams only reach members; the own address is never one.
    m_context.members().removeMember(source);
    if (m_logoffLog.count(source))
        WriteLog(QStringLiteral("CMainWindow::OnSockLogoff() received from : ") + source);
}

void CReceiveDispatch::OnSockPftFormer()
{
    prerollLine(CPortTable::Kind::PftFormer, "OnSockPftFormer", &CPftMonitorModel::former,
                &CPftMonitorModel::ClearFormer, &CPftMonitorModel::AppendFormerLine);
}

void CReceiveDispatch::OnSockPftLatter()
{
    prerollLine(CPortTable::Kind::PftLatter, "OnSockPftLatter", &CPftMonitorModel::latter,
                &CPftMonitorModel::ClearLatter, &CPftMonitorModel::AppendLatterLine);
}

void CReceiveDispatch::prerollLine(CPortTable::Kind kind, const char *handler,
                                   QString (CPftMonitorModel::*text)(const QString &) const,
                                   void (CPftMonitorModel::*clear)(const QString &),
                                   void (CPftMonitorModel::*append)(const QString &, const QString &))
{
    CUdpSock *sock = m_session.endpoint(kind);
    if (!receive(sock, handler))
        return;
    const QString source = sock->fromAddress();
    if (isNativeSender(source) || sock->tokens().isEmpty())
        return;
    m_context.members().touchMember(source);
    CPftMonitorModel &monitor = m_context.pftMonitor();
    if (CSharedProtocol::startsWithEraseMarker(sock->rawDatagram())) {
        (monitor.*clear)(source);
        return;
    }
    const QString line =
        CSharedProtocol::startsWithNewlineMarker(sock->rawDatagram()) ? QString() : sock->tokens().first();
    // A pre-roll shows a few lines around the caret; a peer that never clears must not grow it
    // without end. Lines past the limit wait for the next clear.
    if ((monitor.*text)(source).size() + line.size() + 2 > kMaxPrerollText) {
        if (m_prerollOverflow.count())
            WriteLog(handlerLine(handler, "pre-roll text too long; line dropped. from : ") + source);
        return;
    }
    (monitor.*append)(source, line);
}

void CReceiveDispatch::OnSockUndo()
{
    CUdpSock *sock = m_session.endpoint(CPortTable::Kind::Undo);
    if (!receive(sock, "OnSockUndo"))
        return;
    const QString source = sock->fromAddress();
    if (isNativeSender(source) || sock->tokens().isEmpty())
        return;
    m_context.members().touchMember(source);
    const QString &command = sock->tokens().first();
    if (command == kUndoCommand) {
        if (m_context.undoCount() < m_context.undoMax()) {
            m_context.undoStep();
            m_context.captions().RemoveLastString(false);
        }
        m_context.captionRedraw();
    } else if (command == kClearCommand) {
        clearScreenFromQuorel(source);
    }
}

void CReceiveDispatch::clearScreenFromQuorel(const QString &address)
{
    ReceivedMain &captions = m_context.captions();
    const int lines = captions.count() == 0 ? 0 : captions.linesPerScreen();
    for (int i = 0; i <= lines; ++i)
        captions.AddString(QString(), address, NativeKind::Plain);
    m_context.undoExhaust();
    m_context.captionGoLast();
    m_context.captionRedraw();
}

void CReceiveDispatch::OnSockMainGross()
{
    CUdpSock *sock = m_session.endpoint(CPortTable::Kind::MainGross);
    if (!receive(sock, "OnSockMainGross"))
        return;
    const QString source = sock->fromAddress();
    if (isNativeSender(source) || sock->tokens().isEmpty())
        return;
    if (source != m_grossSender) {
        m_grossLines.clear();
        m_grossSender = source;
        m_grossOverflowLogged = false;
    }
    const QByteArray &raw = sock->rawDatagram();
    if (CSharedProtocol::isNullLine(raw)) {
        m_grossLines.append(QString());
    } else if (CSharedProtocol::isBlockEnd(raw)) {
        ReceivedMain &captions = m_context.captions();
        for (const QString &line : std::as_const(m_grossLines)) {
            const int serial = captions.AddString(line, m_grossSender, 'g');
            if (const CReceivedMainData *stored = captions.at(captions.SerialToPosition(serial)))
                m_context.displayLog(*stored);
        }
        m_context.undoExhaust();
        m_grossLines.clear();
        m_grossOverflowLogged = false;
        m_context.captionGoLast();
        // The block must be painted now, not only when something else asks for a paint.
        m_context.captionRedraw();
    } else {
        m_grossLines.append(sock->tokens().first());
        // A peer that never ends its block must not grow the collection without end. The store
        // keeps no more lines than its capacity, so older lines of a longer block would be pushed
        // out by the block's own later lines anyway.
        const qsizetype capacity = m_context.captions().dataMax();
        if (m_grossLines.size() > capacity) {
            m_grossLines.removeFirst();
            if (!m_grossOverflowLogged) {
                m_grossOverflowLogged = true;
                WriteLog(QStringLiteral("CMainWindow::OnSockMainGross() block longer than the caption store; "
                                        "its oldest lines are dropped. from : ") +
                         source);
            }
        }
    }
}

void CReceiveDispatch::storeNativeLine(CReceivedMainData &record, bool mainMessage, bool logIt)
{
    ReceivedMain &captions = m_context.captions();
    const bool screenWide = record.nType == 'E' || record.nType == 'G';
    int pos = 0;
    switch (captions.LocateData(record, pos)) {
    case ReceivedMain::LOCATE_UPDATE:
        // A withdrawal travelling with the history: the line must disappear from the screen.
        if (captions.UndoData(pos, record) >= 0)
            m_redraw = true;
        m_context.undoStep();
        return;
    case ReceivedMain::LOCATE_APPEND:
        captions.AppendData(record);
        m_newLine = true;
        if (screenWide)
            m_redraw = true;
        // No undo reaches behind a clear or a block that arrived as such.
        if (mainMessage && screenWide)
            m_context.undoExhaust();
        else
            m_context.undoRelease();
        break;
    case ReceivedMain::LOCATE_INSERT:
        captions.InsertData(pos, record);
        m_redraw = true;
        break;
    default:
        // Already here, refused or too old: nothing changed on screen.
        return;
    }
    if (screenWide)
        m_goLast = true;
    if (logIt)
        m_context.displayLog(record);
}

void CReceiveDispatch::repeatedRecord(const TavrinRecord &repeated, const QString &source,
                                      quint32 datagramSent)
{
    CReceivedMainData record =
        CLineRecord::repeated(repeated, source, datagramSent, m_session.channel(), m_session.group());
    if (repeated.kind == 'C') {
        // Taken from another member's contact history: shown when this member missed it.
        if (m_context.contacts().AppendString(record) != -1) {
            m_context.contactAppendLine(record.strRaw);
            m_context.contactLog(record.strRaw);
        }
    } else if (isCaptionKind(repeated.kind)) {
        storeNativeLine(record, false, repeated.kind != 'U' && repeated.kind != 'E');
    }
}

void CReceiveDispatch::OnSockTavrin()
{
    CUdpSockTavrin *sock = m_session.sockTavrin();
    if (!receive(sock, "OnSockTavrin"))
        return;
    if (sock->tokenCount() < 1)
        return;
    const QString source = sock->fromAddress();
    if (source == m_session.ownAddress())
        return;
    const QList<TavrinRecord> records = sock->records();
    if (records.isEmpty())
        return;
    const TavrinRecord &message = records.first();
    if (!isAcceptedKind(message.kind))
        return;

    m_goLast = false;
    m_redraw = false;
    m_newLine = false;

    // Lines this member may have missed, oldest first, so they land before the new one.
    for (qsizetype i = records.size() - 1; i >= 1; --i)
        repeatedRecord(records.at(i), source, message.firstTime);

    const bool named = message.kind == 'H' || message.kind == 'L' || message.kind == 'R';
    CMemberEntry entry;
    entry.strAddress = source;
    entry.strName = named ? message.text : QString();
    entry.nKind = CMemberEntry::kKindNative;
    // A renamed member's entry is replaced; what it is typing must survive that.
    if (const CMemberEntry *known = m_context.members().find(source))
        entry.strInput = known->strInput;
    if (m_context.members().updateMember(entry) != 0) {
        // A sender that leaves and comes back on every datagram must not fill the log.
        if (m_memberLog.count(source))
            WriteLog(QStringLiteral("CMainWindow::OnSockTavrin() accept message [") + message.text +
                     QStringLiteral("] from : ") + source);
        if (!m_session.SendNative(u"R", m_session.memberName()))
            WriteLog(QStringLiteral("CMainWindow::OnSockTavrin() SendTavrin() (response) failed."));
    }

    const qint32 sent = static_cast<qint32>(message.firstTime);
    const qint32 received = static_cast<qint32>(message.receivedAt);
    CPftMonitorModel &pft = m_context.pftMonitor();
    switch (message.kind) {
    case 'A':
        pft.SetFormer(source, message.text, sent, received);
        if (records.size() > 1 && records.at(1).kind == 'B')
            pft.SetLatter(source, records.at(1).text, static_cast<qint32>(records.at(1).firstTime),
                          static_cast<qint32>(records.at(1).receivedAt));
        break;
    case 'B':
        pft.SetLatter(source, message.text, sent, received);
        if (records.size() > 1 && records.at(1).kind == 'A')
            pft.SetFormer(source, records.at(1).text, static_cast<qint32>(records.at(1).firstTime),
                          static_cast<qint32>(records.at(1).receivedAt));
        break;
    case 'C': {
        CReceivedMainData record =
            CLineRecord::direct(message, message.text, m_session.channel(), m_session.group());
        // Shown only once, however often the message reaches this member.
        if (m_context.contacts().InsertString(record) != -1) {
            m_context.contactAppendLine(message.text);
            m_context.contactLog(message.text);
        }
        break;
    }
    case 'D':
    case 'E':
    case 'G': {
        CReceivedMainData record =
            CLineRecord::direct(message, message.kind == 'E' ? QStringLiteral("\n") : message.text,
                                m_session.channel(), m_session.group());
        storeNativeLine(record, true, message.kind != 'E');
        break;
    }
    case 'F':
        m_context.members().removeMember(source);
        if (m_logoffLog.count(source))
            WriteLog(QStringLiteral("CMainWindow::OnSockTavrin() (logoff) received from : ") + source);
        break;
    case 'M':
        m_context.members().acceptMonitorText(source, message.text, sent, received);
        break;
    case 'U': {
        // Only a withdrawn Quorel line needs this; native lines carry their flag in the history.
        const QString &text = message.text;
        const bool quorelLine = (text.size() >= 12 && text.at(11) == QLatin1Char('i')) ||
                                (text.size() == 11 && text.at(10) == QLatin1Char(','));
        if (quorelLine && m_context.undoCount() < m_context.undoMax() &&
            m_context.captions().RemoveLastStringFromQuorel() >= 0) {
            m_context.undoStep();
            m_redraw = true;
        }
        break;
    }
    default:
        break;
    }

    if (m_goLast)
        m_context.captionGoLast();
    if (m_redraw)
        m_context.captionRedraw();
    else if (m_newLine)
        m_context.captionRefresh();
    m_context.refreshMemberMonitor();
}
