#include "CTavrinNode.h"

#include "ToolText.h"
#include "core/ContinuousTime.h"
#include "core/OperationLog.h"
#include "members/CMemberEntry.h"
#include "net/CNetController.h"
#include "relay/CRelay.h"
#include "relay/CRelayFeedAdapter.h"
#include "timeline/CCaptionFeed.h"
#include "web/CHttpSock.h"
#include "web/CWebServer.h"

#include <QFile>
#include <QTimer>

#include <ctime>

namespace {

QString esc(const QString &text)
{
    return ToolText::escape(text);
}

QString typeLetter(qint32 type)
{
    return type >= 0x20 && type < 0x7f ? QString(QChar(type))
                                       : QStringLiteral("0x%1").arg(type, 2, 16, QLatin1Char('0'));
}

// "a|b ## c|d" -> former {a, b}, latter {c, d}.
void splitPreroll(const QString &rest, QStringList &former, QStringList &latter)
{
    const qsizetype cut = rest.indexOf(QStringLiteral("##"));
    const QString formerText = (cut < 0 ? rest : rest.left(cut)).trimmed();
    const QString latterText = cut < 0 ? QString() : rest.mid(cut + 2).trimmed();
    former = ToolText::splitBars(formerText);
    latter = ToolText::splitBars(latterText);
}

} // namespace

CTavrinNode::CTavrinNode(Settings settings, QObject *parent)
    : QObject(parent), m_settings(std::move(settings)), m_adapters(m_settings.address, m_settings.broadcast),
      m_watcher(m_captions)
{
    m_members.setView(this);
    m_pftMonitor.setView(this);
}

CTavrinNode::~CTavrinNode()
{
    m_web.reset();
    if (m_feed)
        m_feed->removeListener(this);
}

qint64 CTavrinNode::monotonicNs()
{
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<qint64>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

bool CTavrinNode::start()
{
    ContinuousTime::Initialize();
    m_config.Initialize();
    if (!m_settings.settingsFile.isEmpty() && !m_config.LoadFromFile(m_settings.settingsFile)) {
        ToolText::emitLine(QStringLiteral("ERROR cannot load settings %1").arg(m_settings.settingsFile));
        return false;
    }
    if (!m_settings.name.isEmpty())
        m_config.SetString(QStringLiteral("communication.name"), m_settings.name);
    if (m_settings.channel > 0)
        m_config.SetInt(QStringLiteral("communication.channel_i"), m_settings.channel);
    if (m_settings.group > 0)
        m_config.SetInt(QStringLiteral("communication.group_i"), m_settings.group);

    // What the main window does with the stores when it is created.
    m_captions.Configure(m_config.GetIntOr(QStringLiteral("miscellaneous.log.lines.keep_i"), 0),
                         m_config.GetIntOr(QStringLiteral("main.line.max_i"), 0));

    m_controller = std::make_unique<CNetController>(m_config, m_adapters, m_captions, m_contacts, m_members,
                                                    m_pftMonitor);
    m_controller->setCaptionView(this);
    m_controller->setContactView(this);
    m_controller->setLog(this);
    m_controller->setInputSource(this);
    m_controller->setMemberMonitorView(this);
    m_controller->setDisplayLogEnabled(true);
    m_controller->setContactLogEnabled(true);
    connect(m_controller.get(), &CNetController::onlineChanged, this,
            [](bool online) { ToolText::emitLine(QStringLiteral("ONLINE %1").arg(online ? 1 : 0)); });
    // The main window shows the refusal warning from its idle handler: once the queue is empty.
    connect(m_controller.get(), &CNetController::refusalWarningPending, this, [this] {
        QTimer::singleShot(0, this, [this] {
            if (m_controller->TakeRefusalWarning()) {
                ++m_warnings;
                ToolText::emitLine(QStringLiteral("WARNING refusal %1").arg(m_warnings));
            }
        });
    });

    // Catches store changes that reached no view call (they would show up late, not be lost).
    m_sweep = new QTimer(this);
    m_sweep->setInterval(250);
    connect(m_sweep, &QTimer::timeout, this, [this] { m_watcher.scan(monotonicNs()); });
    m_sweep->start();

    if (!m_settings.relayTargets.isEmpty() || m_settings.webPort >= 0)
        m_feed = std::make_unique<CCaptionFeed>(m_captions);
    if (!m_settings.relayTargets.isEmpty()) {
        m_relay = std::make_unique<CRelay>();
        m_relayFeed = std::make_unique<CRelayFeedAdapter>(*m_feed);
        connect(m_relayFeed.get(), &CRelayFeedAdapter::lineShown, m_relay.get(), &CRelay::lineShown);
        connect(m_relayFeed.get(), &CRelayFeedAdapter::lineWithdrawn, m_relay.get(), &CRelay::lineWithdrawn);
        m_relay->ApplySettings(m_settings.relayTargets);
    }

    if (m_settings.webPort >= 0) {
        // Heard before the server's own listener, so the stamp is taken before the push.
        m_feed->addListener(this);
        CHttpSockOptions options;
        options.bindAddress = m_settings.address;
        options.ports = {m_settings.webPort == 0 ? CHttpSockOptions::kAnyPort : m_settings.webPort};
        m_web = std::make_unique<CWebServer>(m_config, m_captions, *m_feed, options);
        m_web->Start();
        printWeb();
    }

    m_controller->StartHeartbeat();
    m_controller->EnumerateAdapters();
    const bool ok = !m_settings.login || login();
    WriteLog(QStringLiteral("tavrin_node started."));
    ToolText::emitLine(QStringLiteral("LOG %1").arg(OperationLogPath()));
    return ok;
}

bool CTavrinNode::login()
{
    const bool online = m_controller->DoLogin(0);
    if (online) {
        ToolText::emitLine(QStringLiteral("LOGIN ok %1 %2 channel=%3 group=%4 name=%5")
                               .arg(m_controller->ownAddress(), m_controller->broadcastAddress())
                               .arg(m_controller->channel())
                               .arg(m_controller->group())
                               .arg(esc(m_controller->memberName())));
    } else {
        ToolText::emitLine(QStringLiteral("LOGIN failed %1 %2")
                               .arg(esc(m_controller->errorTitle()), esc(m_controller->errorMessage())));
    }
    return online;
}

void CTavrinNode::shutdown()
{
    if (m_relay)
        m_relay->Stop();
    if (m_controller) {
        m_controller->StopHeartbeat();
        m_controller->SetOffline();
    }
    CloseOperationLog();
}

bool CTavrinNode::command(const QString &line)
{
    QString verb;
    QString rest;
    ToolText::splitCommand(line, verb, rest);
    if (verb.isEmpty() || verb.startsWith(u'#'))
        return true;
    const QString text = ToolText::unescape(rest);

    if (verb == u"line") {
        m_monitorText.clear(); // Enter empties the input box
        ToolText::emitLine(QStringLiteral("SENT %1 %2").arg(monotonicNs()).arg(esc(text)));
        m_controller->SendCaptionLine(text);
    } else if (verb == u"monitor") {
        m_monitorText = text;
        m_controller->SendMonitor(text);
    } else if (verb == u"chat") {
        m_controller->SendContactMessage(text);
    } else if (verb == u"pft") {
        QStringList former;
        QStringList latter;
        splitPreroll(rest, former, latter);
        m_controller->SendPreroll(former, latter);
    } else if (verb == u"gross") {
        m_controller->SendGross(ToolText::splitBars(rest));
    } else if (verb == u"undo") {
        m_controller->Undo();
    } else if (verb == u"clear") {
        m_controller->ClearScreen();
    } else if (verb == u"dump") {
        m_watcher.scan(monotonicNs());
        dumpCaptions();
    } else if (verb == u"chat-dump") {
        dumpChat();
    } else if (verb == u"members") {
        dumpMembers();
    } else if (verb == u"pftmon") {
        const QString address = rest.trimmed().isEmpty() ? m_pftMonitor.currentMember() : rest.trimmed();
        ToolText::emitLine(
            QStringLiteral("PFTMON %1 former=%2 latter=%3")
                .arg(address, esc(m_pftMonitor.former(address)), esc(m_pftMonitor.latter(address))));
    } else if (verb == u"state") {
        printState();
    } else if (verb == u"heartbeat") {
        m_controller->SendHeartbeat();
    } else if (verb == u"set") {
        configure(rest);
    } else if (verb == u"logoff") {
        m_controller->SetOffline();
    } else if (verb == u"login") {
        login();
    } else if (verb == u"rss") {
        QFile status(QStringLiteral("/proc/self/status"));
        if (status.open(QIODevice::ReadOnly)) {
            for (const QByteArray &l : status.readAll().split('\n')) {
                if (l.startsWith("VmRSS:"))
                    ToolText::emitLine(
                        QStringLiteral("RSS %1").arg(QString::fromLatin1(l.mid(6).simplified())));
            }
        }
    } else if (verb == u"relay") {
        printRelay();
    } else if (verb == u"web") {
        printWeb();
    } else if (verb == u"quit") {
        shutdown();
        ToolText::emitLine(QStringLiteral("OK quit"));
        emit quitRequested();
        return false;
    } else {
        ToolText::emitLine(QStringLiteral("ERROR unknown command: %1").arg(verb));
        return true;
    }
    // What the command did to the store is reported before its acknowledgement.
    m_watcher.scan(monotonicNs());
    ToolText::emitLine(QStringLiteral("OK %1").arg(verb));
    return true;
}

void CTavrinNode::configure(const QString &rest)
{
    QString key;
    QString value;
    ToolText::splitCommand(rest, key, value);
    if (!m_config.SetString(key, ToolText::unescape(value)))
        ToolText::emitLine(QStringLiteral("ERROR no key %1").arg(key));
}

void CTavrinNode::printState()
{
    ToolText::emitLine(
        QStringLiteral("STATE online=%1 address=%2 channel=%3 group=%4 refusal=%5 undo=%6 members=%7 "
                       "captions=%8 chats=%9 warnings=%10 name=%11")
            .arg(m_controller->isOnline() ? 1 : 0)
            .arg(m_controller->ownAddress())
            .arg(m_controller->channel())
            .arg(m_controller->group())
            .arg(m_controller->refusalState())
            .arg(m_controller->undoCount())
            .arg(m_members.count())
            .arg(m_captions.count())
            .arg(m_contacts.count())
            .arg(m_warnings)
            .arg(esc(m_controller->memberName())));
}

void CTavrinNode::printRelay()
{
    for (int i = 0; m_relay && i < m_relay->targetCount(); ++i) {
        const CRelayTarget *target = m_relay->target(i);
        const RelayState state = target->state();
        ToolText::emitLine(QStringLiteral("RELAY %1 %2 state=%3 waiting=%4 next_seq=%5 answer=%6")
                               .arg(i)
                               .arg(target->settings().kind == RelayKind::Zoom ? u"zoom" : u"youtube")
                               .arg(state == RelayState::Sending   ? u"sending"
                                    : state == RelayState::Stopped ? u"stopped"
                                                                   : u"retry")
                               .arg(target->linesWaiting())
                               .arg(target->nextSeq())
                               .arg(esc(target->lastAnswer())));
    }
}

void CTavrinNode::dumpCaptions()
{
    for (int pos = 0; pos < m_captions.count(); ++pos) {
        const CReceivedMainData *r = m_captions.at(pos);
        if (!r)
            continue;
        ToolText::emitLine(QStringLiteral("CAPTION %1 %2 %3 %4 %5 %6")
                               .arg(m_captions.PositionToSerial(pos))
                               .arg(r->strIpAddress)
                               .arg(r->nTimeSent)
                               .arg(r->nFlag)
                               .arg(typeLetter(r->nType), esc(r->strRaw)));
    }
}

void CTavrinNode::dumpChat()
{
    for (int pos = 0; pos < m_contacts.count(); ++pos) {
        const CReceivedMainData *r = m_contacts.at(pos);
        if (!r)
            continue;
        ToolText::emitLine(QStringLiteral("CHAT %1 %2 %3 %4")
                               .arg(pos)
                               .arg(r->strIpAddress)
                               .arg(r->nTimeSent)
                               .arg(esc(r->strRaw)));
    }
}

void CTavrinNode::dumpMembers()
{
    for (const CMemberEntry &e : m_members.membersInRowOrder()) {
        ToolText::emitLine(QStringLiteral("MEMBER %1 %2 %3 input=%4")
                               .arg(e.strAddress)
                               .arg(e.nKind)
                               .arg(esc(e.strName), esc(e.strInput)));
    }
}

void CTavrinNode::captionRefresh()
{
    m_watcher.scan(monotonicNs());
}

void CTavrinNode::captionRedraw()
{
    m_watcher.scan(monotonicNs());
}

void CTavrinNode::captionGoLast()
{
    ToolText::emitLine(QStringLiteral("GOLAST"));
}

void CTavrinNode::contactAppendLine(const QString &text)
{
    ToolText::emitLine(QStringLiteral("CONTACT %1 %2").arg(monotonicNs()).arg(esc(text)));
}

void CTavrinNode::displayLogRecord(const CReceivedMainData &record)
{
    ToolText::emitLine(QStringLiteral("DLOG %1 %2 %3")
                           .arg(record.strIpAddress)
                           .arg(record.nTimeSent)
                           .arg(esc(record.strRaw)));
}

void CTavrinNode::contactLogLine(const QString &text)
{
    ToolText::emitLine(QStringLiteral("CLOG %1").arg(esc(text)));
}

void CTavrinNode::putBackUndoneLine(const QString &text)
{
    ToolText::emitLine(QStringLiteral("PUTBACK %1").arg(esc(text)));
}

void CTavrinNode::memberAdded(const CMemberEntry &entry)
{
    ToolText::emitLine(
        QStringLiteral("JOIN %1 %2 %3").arg(entry.strAddress).arg(entry.nKind).arg(esc(entry.strName)));
}

void CTavrinNode::memberNameChanged(const CMemberEntry &entry)
{
    ToolText::emitLine(
        QStringLiteral("RENAME %1 %2 %3").arg(entry.strAddress).arg(entry.nKind).arg(esc(entry.strName)));
}

void CTavrinNode::memberInputChanged(const CMemberEntry &entry)
{
    ToolText::emitLine(QStringLiteral("INPUT %1 %2").arg(entry.strAddress, esc(entry.strInput)));
}

void CTavrinNode::memberRemoved(const QString &address)
{
    ToolText::emitLine(QStringLiteral("LEAVE %1").arg(address));
}

void CTavrinNode::allMembersRemoved()
{
    ToolText::emitLine(QStringLiteral("LEAVE-ALL"));
}

void CTavrinNode::pftMonitorChanged()
{
    const QString &who = m_pftMonitor.currentMember();
    ToolText::emitLine(QStringLiteral("PFTMON %1 former=%2 latter=%3")
                           .arg(who, esc(m_pftMonitor.former(who)), esc(m_pftMonitor.latter(who))));
}

void CTavrinNode::printWeb()
{
    CHttpSock *sock = m_web ? m_web->sock() : nullptr;
    if (!sock) {
        ToolText::emitLine(QStringLiteral("WEB off"));
        return;
    }
    ToolText::emitLine(QStringLiteral("WEB port=%1 connections=%2 streams=%3")
                           .arg(sock->port())
                           .arg(sock->connectionCount())
                           .arg(sock->streamCount()));
}

void CTavrinNode::captionAdded(const CaptionFeedLine &line)
{
    ToolText::emitLine(
        QStringLiteral("FEED %1 add %2 %3").arg(monotonicNs()).arg(line.id).arg(esc(line.text)));
}

void CTavrinNode::captionWithdrawn(qint64 id)
{
    ToolText::emitLine(QStringLiteral("FEED %1 withdraw %2").arg(monotonicNs()).arg(id));
}
