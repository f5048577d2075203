#include "net/CSendPaths.h"

#include "config/CConfig.h"
#include "contact/ReceivedChat.h"
#include "core/ContinuousTime.h"
#include "core/StringTable.h"
#include "net/CLineRecord.h"
#include "net/CNativeCodec.h"
#include "net/CNetContext.h"
#include "net/CSession.h"
#include "net/CSharedProtocol.h"
#include "net/CUdpSockTavrin.h"
#include "net/IInputSource.h"
#include "preroll/CPftMonitorModel.h"
#include "timeline/CReceivedMainData.h"
#include "timeline/ReceivedMain.h"

#include <QElapsedTimer>
#include <QTimer>

namespace {

constexpr int kStringSpeakerDelimiter = 107;
const QString kLineEnd = QStringLiteral("\r\n");

QString joinedWithLineEnds(const QStringList &lines)
{
    QString text;
    for (const QString &line : lines)
        text += line + kLineEnd;
    return text;
}

} // namespace

CSendPaths::CSendPaths(CNetContext &context, CSession &session, QObject *parent)
    : QObject(parent), m_context(context), m_session(session), m_monitorResend(new QTimer(this))
{
    connect(m_monitorResend, &QTimer::timeout, this, &CSendPaths::MonitorResendTick);
}

CSendPaths::~CSendPaths() = default;

void CSendPaths::waitForFreshMillisecond()
{
    // A member's line is known everywhere by its address and send time, so two own lines in one
    // millisecond would be taken for one. The wait is at most about a millisecond.
    if (!m_hasSent)
        return;
    QElapsedTimer waited;
    waited.start();
    while (ContinuousTime::SystemTimeToIntLimited() == m_lastSendTime && waited.elapsed() < 5) {
    }
}

void CSendPaths::noteSendTime(quint32 sendTime)
{
    m_lastSendTime = sendTime;
    m_hasSent = true;
}

CReceivedMainData CSendPaths::ownRecord(const QString &text, qint32 type, quint32 sendTime) const
{
    const ReceivedMain &captions = m_context.captions();
    return CLineRecord::own(text, type, m_session.ownAddress(), sendTime, captions.channel(),
                            captions.group());
}

void CSendPaths::SendCaptionLine(const QString &line)
{
    quint32 sendTime = 0;
    if (m_session.isOnline()) {
        waitForFreshMillisecond();
        m_session.SendNative(u"D", line, &sendTime);
        noteSendTime(sendTime);
        m_session.SendToQuorelPeers(CPortTable::Kind::Main, CSharedProtocol::mainLine(line));
        m_monitorResend->start(kMonitorResendPeriod);
        m_monitorResendCount = kMonitorResends;
        m_context.refreshMemberMonitor();
    }
    ReceivedMain &captions = m_context.captions();
    const int serial = captions.AppendData(ownRecord(line, NativeKind::Caption, sendTime));
    m_context.undoRelease();
    m_context.captionRefresh();
    if (const CReceivedMainData *stored = captions.at(captions.SerialToPosition(serial)))
        m_context.displayLog(*stored);
}

void CSendPaths::SendMonitor(const QString &text, bool timerResend)
{
    if (!m_session.isOnline())
        return;
    m_session.SendNative(u"M", text);
    if (timerResend)
        return;
    m_session.SendToQuorelPeers(CPortTable::Kind::Monitor,
                                CSharedProtocol::monitor(m_session.ownAddress(), text));
    m_context.refreshMemberMonitor();
}

void CSendPaths::MonitorResendTick()
{
    const QString text = m_context.inputSource ? m_context.inputSource->focusedMonitorText() : QString();
    SendMonitor(text, true);
    --m_monitorResendCount;
    if (m_monitorResendCount < 1) {
        m_monitorResendCount = 0;
        m_monitorResend->stop();
    } else if (m_monitorResendCount > kMonitorResendCap) {
        m_monitorResendCount = kMonitorResendCap;
    }
}

bool CSendPaths::monitorResendActive() const
{
    return m_monitorResend->isActive();
}

void CSendPaths::StopMonitorResend()
{
    m_monitorResend->stop();
    m_monitorResendCount = 0;
}

void CSendPaths::SendContactMessage(const QString &message)
{
    const QString speaker = m_context.config().GetStringOr(QStringLiteral("communication.name"));
    QString delimiter = m_context.config().GetStringOr(QStringLiteral("miscellaneous.delimiter.speaker"));
    if (delimiter.isEmpty())
        delimiter = CStringTable::get(kStringSpeakerDelimiter);
    const QString text = speaker + delimiter + message;

    quint32 sendTime = 0;
    if (m_session.isOnline()) {
        waitForFreshMillisecond();
        m_session.SendNative(u"C", text, &sendTime);
        noteSendTime(sendTime);
        m_session.SendToQuorelPeers(CPortTable::Kind::Chat, CSharedProtocol::chat(text));
    }
    m_context.contactAppendLine(text);
    m_context.contactLog(text);

    ReceivedChat &contacts = m_context.contacts();
    CReceivedMainData record = CLineRecord::own(text, NativeKind::Contact, m_session.ownAddress(), sendTime,
                                                contacts.channel(), contacts.group());
    contacts.AppendString(record);
}

void CSendPaths::SendPreroll(const QStringList &former, const QStringList &latter)
{
    CPftMonitorModel &monitor = m_context.pftMonitor();
    const QString own = QString(CPftMonitorModel::kOwnAddress);
    monitor.ClearFormer(own);
    for (const QString &line : former)
        monitor.AppendFormerLine(own, line);
    monitor.ClearLatter(own);
    for (const QString &line : latter)
        monitor.AppendLatterLine(own, line);

    if (!m_session.isOnline())
        return;
    const QString formerText = joinedWithLineEnds(former);
    const QString latterText = joinedWithLineEnds(latter);
    m_session.SendNative(u"A", formerText, nullptr, QStringView(latterText));
    m_session.SendNative(u"B", latterText, nullptr, QStringView(formerText));
    for (const QByteArray &datagram : CSharedProtocol::preRoll(latter))
        m_session.SendToQuorelPeers(CPortTable::Kind::PftLatter, datagram);
    for (const QByteArray &datagram : CSharedProtocol::preRoll(former))
        m_session.SendToQuorelPeers(CPortTable::Kind::PftFormer, datagram);
}

void CSendPaths::Undo()
{
    if (m_context.undoCount() >= m_context.undoMax())
        return;
    m_context.undoStep();

    // The store reports a withdrawn line with no wrapped lines yet as 0 lines, the same as
    // "nothing to withdraw"; the copy tells the two apart.
    CReceivedMainData removed;
    removed.nType = -1;
    if (m_context.captions().RemoveLastString(true, &removed) < 0 || removed.nType == -1)
        return;

    m_context.captionRedraw();
    if (m_context.inputSource)
        m_context.inputSource->putBackUndoneLine(removed.strRaw);

    if (!m_session.isOnline())
        return;
    m_session.SendNative(u"U", CNativeCodec::FormatUndoText(removed.nTimeSent, removed.nGroup, removed.nType,
                                                            removed.strIpAddress));
    m_session.SendToQuorelPeers(CPortTable::Kind::Undo, CSharedProtocol::undo());
    m_context.refreshMemberMonitor();
}

void CSendPaths::ClearScreen()
{
    quint32 sendTime = 0;
    if (m_session.isOnline()) {
        waitForFreshMillisecond();
        m_session.SendNative(u"E", u"", &sendTime);
        noteSendTime(sendTime);
        m_session.SendToQuorelPeers(CPortTable::Kind::Undo, CSharedProtocol::clearScreen());
    }
    m_context.captions().AppendData(ownRecord(QStringLiteral("\n"), NativeKind::Clear, sendTime));
    m_context.captionGoLast();
    m_context.captionRedraw();
}

QString CSendPaths::BuildGrossText(const QStringList &lines, int limitBytes)
{
    const QString blockEnd = CSharedProtocol::blockEndLine();
    QString text;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString &line = lines.at(i);
        if (line == blockEnd)
            break;
        const qsizetype length = text.size() + (i == 0 ? 0 : 1) + line.size();
        if (length * 2 > limitBytes)
            break;
        if (i != 0)
            text += QLatin1Char('\n');
        text += line;
    }
    return text;
}

void CSendPaths::SendGross(const QStringList &lines)
{
    const bool online = m_session.isOnline();
    const CUdpSockTavrin *native = m_session.sockTavrin();
    const int limit = online && native
                          ? static_cast<int>(native->MaxMessageSize()) - CNativeCodec::kHeaderBytes
                          : kOfflineGrossBytes;
    const QString text = BuildGrossText(lines, limit);

    quint32 sendTime = 0;
    if (online && !text.isEmpty()) {
        waitForFreshMillisecond();
        m_session.SendNative(u"G", text, &sendTime);
        noteSendTime(sendTime);
    }
    ReceivedMain &captions = m_context.captions();
    const int serial = captions.AppendData(ownRecord(text, NativeKind::Gross, sendTime));
    if (online) {
        for (const QByteArray &datagram : CSharedProtocol::mainGross(lines))
            m_session.SendToQuorelPeers(CPortTable::Kind::MainGross, datagram);
    }
    m_context.captionGoLast();
    m_context.captionRedraw();
    if (const CReceivedMainData *stored = captions.at(captions.SerialToPosition(serial)))
        m_context.displayLog(*stored);
}
