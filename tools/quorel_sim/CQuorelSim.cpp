#include "CQuorelSim.h"

#include "ToolText.h"
#include "core/CodePage932.h"

#include <QHostAddress>
#include <QNetworkDatagram>
#include <QUdpSocket>

namespace {

// Shared ports of channel 1; every further channel adds 100.
constexpr int kBasePorts[CQuorelSim::PortCount] = {6722, 6718, 6711, 6721, 6724,
                                                   6727, 6735, 6734, 6723, 6713};
constexpr const char16_t *kPortNames[CQuorelSim::PortCount] = {
    u"login", u"response",   u"main",       u"monitor", u"logoff",
    u"chat",  u"pft-former", u"pft-latter", u"undo",    u"main-gross"};

const QString kNewline = QStringLiteral("$改行$");
const QString kErase = QStringLiteral("$消去$");
const QString kNull = QStringLiteral("$null$");
const QString kBlockEnd = QStringLiteral("`@");
const QString kLeave = QStringLiteral("離脱");

QString dotted(const QHostAddress &address)
{
    bool ok = false;
    const quint32 v4 = address.toIPv4Address(&ok);
    return ok ? QHostAddress(v4).toString() : address.toString();
}

} // namespace

CQuorelSim::CQuorelSim(Settings settings, QObject *parent) : QObject(parent), m_settings(std::move(settings))
{
}

CQuorelSim::~CQuorelSim() = default;

QString CQuorelSim::portName(int port)
{
    return (port >= 0 && port < PortCount) ? QString::fromUtf16(kPortNames[port]) : QString();
}

int CQuorelSim::portNumber(int port, int channel)
{
    return kBasePorts[port] + (channel - 1) * 100;
}

int CQuorelSim::portFromName(const QString &name)
{
    for (int p = 0; p < PortCount; ++p) {
        if (name == QString::fromUtf16(kPortNames[p]))
            return p;
    }
    return -1;
}

QStringList CQuorelSim::split(const QString &text, int head, int tail)
{
    QList<qsizetype> commas;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u',')
            commas.append(i);
    }
    QStringList fields;
    if (commas.size() < head + tail) {
        qsizetype start = 0;
        for (const qsizetype c : commas) {
            fields.append(text.mid(start, c - start));
            start = c + 1;
        }
        fields.append(text.mid(start));
        return fields;
    }
    qsizetype start = 0;
    for (int h = 0; h < head; ++h) {
        fields.append(text.mid(start, commas[h] - start));
        start = commas[h] + 1;
    }
    const qsizetype middleEnd = tail > 0 ? commas[commas.size() - tail] : text.size();
    fields.append(text.mid(start, middleEnd - start));
    for (int t = tail; t > 0; --t) {
        const qsizetype from = commas[commas.size() - t] + 1;
        const qsizetype to = t > 1 ? commas[commas.size() - t + 1] : text.size();
        fields.append(text.mid(from, to - from));
    }
    return fields;
}

QByteArray CQuorelSim::cp932(const QString &text)
{
    return CCodePage932::encode(text);
}

bool CQuorelSim::start()
{
    bool ok = true;
    for (int p = 0; p < PortCount; ++p) {
        const quint16 number = static_cast<quint16>(portNumber(p, m_settings.channel));
        auto *own = new QUdpSocket(this);
        if (!own->bind(QHostAddress(m_settings.address), number, QUdpSocket::DontShareAddress)) {
            ToolText::emitLine(QStringLiteral("ERROR bind %1 %2:%3 %4")
                                   .arg(portName(p), m_settings.address)
                                   .arg(number)
                                   .arg(own->errorString()));
            ok = false;
        }
        connect(own, &QUdpSocket::readyRead, this, [this, p, own] { onReadyRead(p, own); });
        m_own[p] = own;
        if (!m_settings.broadcast.isEmpty() && m_settings.broadcast != m_settings.address) {
            auto *bcast = new QUdpSocket(this);
            if (!bcast->bind(QHostAddress(m_settings.broadcast), number,
                             QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint)) {
                ToolText::emitLine(QStringLiteral("ERROR bind %1 %2:%3 %4")
                                       .arg(portName(p), m_settings.broadcast)
                                       .arg(number)
                                       .arg(bcast->errorString()));
                ok = false;
            }
            connect(bcast, &QUdpSocket::readyRead, this, [this, p, bcast] { onReadyRead(p, bcast); });
            m_broadcast[p] = bcast;
        }
    }
    if (ok) {
        ToolText::emitLine(QStringLiteral("READY %1 %2 channel=%3 group=%4")
                               .arg(m_settings.address, m_settings.broadcast)
                               .arg(m_settings.channel)
                               .arg(m_settings.group));
    }
    return ok;
}

void CQuorelSim::onReadyRead(int port, QUdpSocket *socket)
{
    while (socket->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = socket->receiveDatagram();
        if (!datagram.isValid())
            break;
        const QString source = dotted(datagram.senderAddress());
        if (source == m_settings.address)
            continue; // own broadcasts come back through the broadcast socket
        handle(port, source, datagram.data());
    }
}

void CQuorelSim::handle(int port, const QString &source, const QByteArray &bytes)
{
    const QString text = CCodePage932::decode(bytes);
    ToolText::emitLine(QStringLiteral("RECV %1 %2 %3").arg(portName(port), source, ToolText::escape(text)));

    switch (port) {
    case Login: {
        const QStringList f = split(text, 1, 2);
        if (f.size() < 4 || f.at(2) != u"Req")
            return;
        bool numeric = false;
        const int group = f.at(3).toInt(&numeric);
        if (!numeric || group != m_settings.group) {
            ToolText::emitLine(QStringLiteral("REJECT %1 %2").arg(source, f.at(3)));
            return;
        }
        const QString answer = m_settings.full ? QStringLiteral("Ful") : QStringLiteral("Ans");
        if (!m_settings.full)
            addMember(source, f.at(1));
        sendTo(Response, source,
               cp932(QStringLiteral("%1,%2,%3,%4").arg(m_settings.address, source, m_settings.name, answer)));
        ToolText::emitLine(QStringLiteral("ANSWER %1 %2").arg(source, answer));
        return;
    }
    case Response: {
        const QStringList f = split(text, 2, 1);
        if (f.size() < 4)
            return;
        if (f.at(3) == u"Ans")
            addMember(source, f.at(2));
        return;
    }
    case Logoff:
        removeMember(source);
        return;
    default:
        return;
    }
}

void CQuorelSim::addMember(const QString &address, const QString &name)
{
    if (!m_memberNames.contains(address))
        m_memberOrder.append(address);
    else if (m_memberNames.value(address) == name)
        return;
    m_memberNames.insert(address, name);
    ToolText::emitLine(QStringLiteral("JOIN %1 %2").arg(address, ToolText::escape(name)));
}

void CQuorelSim::removeMember(const QString &address)
{
    if (!m_memberNames.remove(address))
        return;
    m_memberOrder.removeAll(address);
    ToolText::emitLine(QStringLiteral("LEAVE %1").arg(address));
}

bool CQuorelSim::sendTo(int port, const QString &destination, const QByteArray &bytes)
{
    const quint16 number = static_cast<quint16>(portNumber(port, m_settings.channel));
    const qint64 sent = m_own[port]->writeDatagram(bytes, QHostAddress(destination), number);
    if (sent != bytes.size()) {
        ToolText::emitLine(QStringLiteral("ERROR send %1 %2 %3")
                               .arg(portName(port), destination, m_own[port]->errorString()));
        return false;
    }
    return true;
}

void CQuorelSim::sendToMembers(int port, const QByteArray &bytes)
{
    for (const QString &address : std::as_const(m_memberOrder))
        sendTo(port, address, bytes);
}

bool CQuorelSim::command(const QString &line)
{
    QString verb;
    QString rest;
    ToolText::splitCommand(line, verb, rest);
    if (verb.isEmpty() || verb.startsWith(u'#'))
        return true;

    const QString text = ToolText::unescape(rest);
    if (verb == u"login") {
        sendTo(Login, m_settings.broadcast,
               cp932(QStringLiteral("%1,%2,Req,%3")
                         .arg(m_settings.address, m_settings.name)
                         .arg(m_settings.group)));
    } else if (verb == u"full") {
        m_settings.full = rest.trimmed() != u"off";
    } else if (verb == u"line") {
        sendToMembers(Main, cp932(text.isEmpty() ? kNewline : text));
    } else if (verb == u"monitor") {
        sendToMembers(Monitor, cp932(m_settings.address + u',' + text));
    } else if (verb == u"chat") {
        sendToMembers(Chat, cp932(text));
    } else if (verb == u"pft") {
        QString half;
        QString lines;
        ToolText::splitCommand(rest, half, lines);
        const int port = half == u"former" ? PftFormer : half == u"latter" ? PftLatter : -1;
        if (port < 0) {
            ToolText::emitLine(QStringLiteral("ERROR usage: pft former|latter LINE|LINE..."));
            return true;
        }
        sendToMembers(port, cp932(kErase));
        for (const QString &l : ToolText::splitBars(lines))
            sendToMembers(port, cp932(l.isEmpty() ? kNewline : l));
    } else if (verb == u"undo") {
        sendToMembers(Undo, QByteArrayLiteral("undo"));
    } else if (verb == u"cls") {
        sendToMembers(Undo, QByteArrayLiteral("cls"));
    } else if (verb == u"gross") {
        for (const QString &l : ToolText::splitBars(rest))
            sendToMembers(MainGross, cp932(l.isEmpty() ? kNull : l));
        sendToMembers(MainGross, cp932(kBlockEnd));
    } else if (verb == u"logoff") {
        const QByteArray bytes = cp932(m_settings.address + u',' + m_settings.name + u',' + kLeave);
        const QStringList members = m_memberOrder;
        for (const QString &address : members) {
            sendTo(Logoff, address, bytes);
            removeMember(address);
        }
    } else if (verb == u"members") {
        for (const QString &address : std::as_const(m_memberOrder))
            ToolText::emitLine(
                QStringLiteral("MEMBER %1 %2").arg(address, ToolText::escape(m_memberNames.value(address))));
    } else if (verb == u"raw") {
        // raw PORTNAME DESTINATION TEXT: any datagram, for malformed and foreign-group cases.
        QString portText;
        QString after;
        ToolText::splitCommand(rest, portText, after);
        QString destination;
        QString payload;
        ToolText::splitCommand(after, destination, payload);
        const int port = portFromName(portText);
        if (port < 0 || destination.isEmpty()) {
            ToolText::emitLine(QStringLiteral("ERROR usage: raw PORT DESTINATION TEXT"));
            return true;
        }
        sendTo(port, destination, cp932(ToolText::unescape(payload)));
    } else if (verb == u"quit") {
        ToolText::emitLine(QStringLiteral("OK quit"));
        emit quitRequested();
        return false;
    } else {
        ToolText::emitLine(QStringLiteral("ERROR unknown command: %1").arg(verb));
        return true;
    }
    ToolText::emitLine(QStringLiteral("OK %1").arg(verb));
    return true;
}
