#pragma once

#include "FakeAdapterSource.h"

#include "config/CConfig.h"
#include "contact/ReceivedChat.h"
#include "members/CMemberList.h"
#include "net/CEndpointTable.h"
#include "net/CNetController.h"
#include "net/ICaptionLog.h"
#include "net/ICaptionView.h"
#include "net/IContactView.h"
#include "net/IInputSource.h"
#include "net/IMemberMonitorView.h"
#include "preroll/CPftMonitorModel.h"
#include "timeline/CReceivedMainData.h"
#include "timeline/ReceivedMain.h"

#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QNetworkDatagram>
#include <QStringList>
#include <QUdpSocket>

#include <memory>

// One member of this program on a loopback address of its own, with every window it would tell
// replaced by counters.
class NetMember final : public ICaptionView, public IContactView, public ICaptionLog, public IInputSource,
                        public IMemberMonitorView
{
public:
    NetMember(const QString &name, const QString &address, int channel, int group = 1)
    {
        config.SetString(QStringLiteral("communication.name"), name);
        config.SetInt(QStringLiteral("communication.channel_i"), channel);
        config.SetInt(QStringLiteral("communication.group_i"), group);
        captions.Configure(200, 10);
        adapters.entries = {{1, QStringLiteral("loopback member"), address, QStringLiteral("127.255.255.255")}};
        controller = std::make_unique<CNetController>(config, adapters, captions, contacts, members, pft);
        controller->setCaptionView(this);
        controller->setContactView(this);
        controller->setLog(this);
        controller->setInputSource(this);
        controller->setMemberMonitorView(this);
        controller->setDisplayLogEnabled(true);
        controller->setContactLogEnabled(true);
        controller->EnumerateAdapters();
    }
    ~NetMember() override { controller.reset(); }

    bool login() { return controller->DoLogin(0); }
    CNetController &net() { return *controller; }
    QString address() const { return adapters.entries.first().address; }

    // The texts of the stored lines not withdrawn, oldest first.
    QStringList shown() const
    {
        QStringList out;
        for (int p = 0; p < captions.count(); ++p) {
            const CReceivedMainData *record = captions.at(p);
            if (!record->isWithdrawn())
                out.append(record->strRaw);
        }
        return out;
    }
    int countShown(const QString &text) const { return static_cast<int>(shown().count(text)); }

    // ICaptionView
    void captionRefresh() override { ++refreshes; }
    void captionRedraw() override { ++redraws; }
    void captionGoLast() override { ++goLasts; }
    // IContactView
    void contactAppendLine(const QString &text) override { contactLines.append(text); }
    // ICaptionLog
    void displayLogRecord(const CReceivedMainData &record) override { displayLogged.append(record.strRaw); }
    void contactLogLine(const QString &text) override { contactLogged.append(text); }
    // IInputSource
    QString focusedMonitorText() const override { return focusedText; }
    void putBackUndoneLine(const QString &text) override { putBack.append(text); }
    // IMemberMonitorView
    void refreshMemberMonitor() override { ++monitorRefreshes; }

    CConfig config;
    ReceivedMain captions;
    ReceivedChat contacts;
    CMemberList members;
    CPftMonitorModel pft;
    FakeAdapterSource adapters;
    std::unique_ptr<CNetController> controller;

    int refreshes = 0;
    int redraws = 0;
    int goLasts = 0;
    int monitorRefreshes = 0;
    QStringList contactLines;
    QStringList displayLogged;
    QStringList contactLogged;
    QString focusedText;
    QStringList putBack;
};

// A Quorel peer made of plain sockets on its own loopback address: it speaks only the shared
// protocol, one socket per port, and records everything it hears.
class QuorelPeer final
{
public:
    struct Heard
    {
        QString from;
        QByteArray bytes;
    };

    QuorelPeer(const QString &address, int channel, bool hearBroadcasts = false) : m_address(address)
    {
        for (const CEndpointTable::Endpoint &e : CEndpointTable::kEndpoints) {
            if (e.kind == CPortTable::Kind::Native)
                continue;
            const quint16 port = CPortTable::port(e.kind, channel);
            auto sock = std::make_shared<QUdpSocket>();
            if (sock->bind(QHostAddress(address), port))
                listen(*sock, e.kind);
            m_sockets.insert(e.kind, sock);
            m_ports.insert(e.kind, port);
        }
        if (hearBroadcasts) {
            // Login requests are broadcast; every listener on the host shares that address.
            m_broadcastLogin = std::make_shared<QUdpSocket>();
            if (m_broadcastLogin->bind(QHostAddress(QStringLiteral("127.255.255.255")),
                                       CPortTable::port(CPortTable::Kind::Login, channel),
                                       QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint))
                listen(*m_broadcastLogin, CPortTable::Kind::Login);
        }
    }

    bool send(CPortTable::Kind kind, const QString &to, const QByteArray &bytes)
    {
        return m_sockets.value(kind)->writeDatagram(bytes, QHostAddress(to), m_ports.value(kind)) == bytes.size();
    }
    QList<Heard> heard(CPortTable::Kind kind) const { return m_heard.value(kind); }
    QList<QByteArray> bytes(CPortTable::Kind kind) const
    {
        QList<QByteArray> out;
        for (const Heard &h : m_heard.value(kind))
            out.append(h.bytes);
        return out;
    }
    void forget() { m_heard.clear(); }
    const QString &address() const { return m_address; }

private:
    void listen(QUdpSocket &sock, CPortTable::Kind kind)
    {
        QObject::connect(&sock, &QUdpSocket::readyRead, &sock, [this, &sock, kind] {
            while (sock.hasPendingDatagrams()) {
                const QNetworkDatagram d = sock.receiveDatagram();
                const QString from = QHostAddress(d.senderAddress().toIPv4Address()).toString();
                if (from != m_address)
                    m_heard[kind].append({from, d.data()});
            }
        });
    }

    QString m_address;
    QHash<CPortTable::Kind, std::shared_ptr<QUdpSocket>> m_sockets;
    QHash<CPortTable::Kind, quint16> m_ports;
    std::shared_ptr<QUdpSocket> m_broadcastLogin;
    QHash<CPortTable::Kind, QList<Heard>> m_heard;
};

// A raw native endpoint on a loopback address of its own: builds datagrams the way a member
// does, so a test can keep one back (a lost datagram) or send one twice.
class RawNative final
{
public:
    struct Record
    {
        QString address;
        quint32 sent = 0;
        quint32 received = 0;
        QChar kind = u'D';
        int flag = 0;
        QString text;
    };
    struct Heard
    {
        QString from;
        QString text; // the whole datagram as UTF-16
    };

    RawNative(const QString &address, int channel, bool hearBroadcasts = false)
        : m_address(address), m_port(CPortTable::port(CPortTable::Kind::Native, channel))
    {
        m_socket.bind(QHostAddress(address), m_port);
        if (hearBroadcasts) {
            m_broadcast.bind(QHostAddress(QStringLiteral("127.255.255.255")), m_port,
                             QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint);
            QObject::connect(&m_broadcast, &QUdpSocket::readyRead, &m_broadcast, [this] {
                while (m_broadcast.hasPendingDatagrams()) {
                    const QNetworkDatagram d = m_broadcast.receiveDatagram();
                    const QByteArray bytes = d.data();
                    heard.append({QHostAddress(d.senderAddress().toIPv4Address()).toString(),
                                  QString(reinterpret_cast<const QChar *>(bytes.constData()), bytes.size() / 2)});
                }
            });
        }
    }

    // "%c%08d%c%04d%s" and a "\n%02x%02x%02x%02x%08d%08d%c%c%04d%s" per record.
    static QByteArray datagram(int group, quint32 sendTime, QChar kind, const QString &text,
                               const QList<Record> &records = {})
    {
        QString out = QChar(u'@' + group) + QStringLiteral("%1").arg(sendTime, 8, 10, QLatin1Char('0')) + kind +
                      QStringLiteral("%1").arg(text.size() * 2, 4, 10, QLatin1Char('0')) + text;
        for (const Record &r : records) {
            const quint32 ip = QHostAddress(r.address).toIPv4Address();
            out += QLatin1Char('\n') + QStringLiteral("%1").arg(ip, 8, 16, QLatin1Char('0')) +
                   QStringLiteral("%1").arg(r.sent, 8, 10, QLatin1Char('0')) +
                   QStringLiteral("%1").arg(r.received, 8, 10, QLatin1Char('0')) + r.kind +
                   QChar(u'0' + r.flag) + QStringLiteral("%1").arg(r.text.size(), 4, 10, QLatin1Char('0')) + r.text;
        }
        return QByteArray(reinterpret_cast<const char *>(out.utf16()), out.size() * 2);
    }

    bool send(const QString &to, const QByteArray &bytes)
    {
        return m_socket.writeDatagram(bytes, QHostAddress(to), m_port) == bytes.size();
    }
    // Datagrams heard from one sender whose kind letter is kind.
    int count(const QString &from, QChar kind) const
    {
        int n = 0;
        for (const Heard &h : heard)
            n += h.from == from && h.text.size() > 9 && h.text.at(9) == kind ? 1 : 0;
        return n;
    }
    const QString &address() const { return m_address; }

    QList<Heard> heard;

private:
    QString m_address;
    quint16 m_port;
    QUdpSocket m_socket;
    QUdpSocket m_broadcast;
};
