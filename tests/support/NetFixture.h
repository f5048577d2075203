#pragma once

#include "FakeAdapterSource.h"
#include "TestHome.h"

#include "config/CConfig.h"
#include "contact/ReceivedChat.h"
#include "core/CodePage932.h"
#include "core/ContinuousTime.h"
#include "members/CMemberList.h"
#include "net/CEndpointTable.h"
#include "net/CNetController.h"
#include "net/CSharedProtocol.h"
#include "net/ICaptionLog.h"
#include "net/ICaptionView.h"
#include "net/IContactView.h"
#include "net/IInputSource.h"
#include "net/IMemberMonitorView.h"
#include "preroll/CPftMonitorModel.h"
#include "timeline/ReceivedMain.h"

#include <QHostAddress>
#include <QNetworkDatagram>
#include <QTest>
#include <QUdpSocket>

#include <memory>

// Members of this program and raw peers, each on a loopback address of its own that shares the
// broadcast address 127.255.255.255 with the others: a group on one channel in a few lines, and
// nothing leaves the machine. Header only: it needs the network controller library.

inline QByteArray utf16Bytes(QStringView text)
{
    return QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
}
inline QString utf16Text(QByteArrayView bytes)
{
    return QString(reinterpret_cast<const QChar *>(bytes.data()), bytes.size() / 2);
}
inline quint32 limitedNow()
{
    return ContinuousTime::SystemTimeToIntLimited();
}
inline QByteArray sjis(const QString &text)
{
    return CCodePage932::encode(text);
}
inline qsizetype countLog(const QString &line)
{
    return operationLogLines().count(line);
}
// "a|b|c" as a list, for expected texts written on one line.
inline QStringList lines(const char *joined)
{
    return QString::fromUtf8(joined).split(u'|');
}

// One member with every window it would tell replaced by a record of what it was told.
class NetMember final : public ICaptionView,
                        public IContactView,
                        public ICaptionLog,
                        public IInputSource,
                        public IMemberMonitorView
{
public:
    NetMember(const QString &name, const QString &address, int channel, int group = 1)
    {
        config.SetString(QStringLiteral("communication.name"), name);
        config.SetInt(QStringLiteral("communication.channel_i"), channel);
        config.SetInt(QStringLiteral("communication.group_i"), group);
        captions.Configure(200, 10);
        adapters.entries = {
            {1, QStringLiteral("loopback member"), address, QStringLiteral("127.255.255.255")}};
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

    bool login() { return controller->DoLogin(0); }
    CNetController &net() { return *controller; }
    QString address() const { return adapters.entries.first().address; }
    bool knows(const QString &address, int kind = CMemberEntry::kKindNative) const
    {
        return members.lookupMember(address) == kind;
    }
    // The texts of the stored lines not withdrawn, oldest first.
    QStringList shown() const
    {
        QStringList out;
        for (int p = 0; p < captions.count(); ++p) {
            if (!captions.at(p)->isWithdrawn())
                out.append(captions.at(p)->strRaw);
        }
        return out;
    }
    int countShown(const QString &text) const { return static_cast<int>(shown().count(text)); }
    const CReceivedMainData &newest() const { return *captions.at(captions.count() - 1); }

    void captionRefresh() override { ++refreshes; }
    void captionRedraw() override { ++redraws; }
    void captionGoLast() override { ++goLasts; }
    void contactAppendLine(const QString &text) override { contactLines.append(text); }
    void displayLogRecord(const CReceivedMainData &record) override { displayLogged.append(record.strRaw); }
    void contactLogLine(const QString &text) override { contactLogged.append(text); }
    QString focusedMonitorText() const override { return focusedText; }
    void putBackUndoneLine(const QString &text) override { putBack.append(text); }
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
    QStringList contactLines, displayLogged, contactLogged, putBack;
    QString focusedText;
};

// Logs every member in and waits until each lists all the others as native members.
inline bool loginAll(std::initializer_list<NetMember *> group)
{
    for (NetMember *member : group) {
        if (!member->login())
            return false;
    }
    return QTest::qWaitFor([&group] {
        for (NetMember *a : group) {
            for (NetMember *b : group) {
                if (a != b && !a->knows(b->address()))
                    return false;
            }
        }
        return true;
    });
}

// A peer made of plain sockets, one per port of the channel. It speaks the shared protocol as a
// Quorel peer does, sends native datagrams built by hand (so a test can lose, repeat or break
// one) and records everything it hears, broadcasts too when asked.
class NetPeer final
{
public:
    using Kind = CPortTable::Kind;
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
        QByteArray bytes;
    };

    NetPeer(const QString &address, int channel, bool hearBroadcasts = false) : m_address(address)
    {
        for (const CEndpointTable::Endpoint &e : CEndpointTable::kEndpoints) {
            const quint16 port = CPortTable::port(e.kind, channel);
            m_ports.insert(e.kind, port);
            m_sockets.insert(e.kind,
                             bindTo(e.kind, QHostAddress(address), port, QUdpSocket::DefaultForPlatform));
            // Every listener on the host shares the broadcast address.
            if (hearBroadcasts)
                m_broadcast.push_back(bindTo(e.kind, QHostAddress(QStringLiteral("127.255.255.255")), port,
                                             QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint));
        }
    }

    // "%c%08d%c%04d%s", then "\n%02x%02x%02x%02x%08d%08d%c%c%04d%s" per record.
    static QByteArray native(int group, quint32 sendTime, QChar kind, const QString &text,
                             const QList<Record> &records = {})
    {
        const auto number = [](quint32 n, int width, int base = 10) {
            return QStringLiteral("%1").arg(n, width, base, QLatin1Char('0'));
        };
        QString out = QChar(u'@' + group) + number(sendTime, 8) + kind + number(text.size() * 2, 4) + text;
        for (const Record &r : records)
            out += QLatin1Char('\n') + number(QHostAddress(r.address).toIPv4Address(), 8, 16) +
                   number(r.sent, 8) + number(r.received, 8) + r.kind + QChar(u'0' + r.flag) +
                   number(r.text.size(), 4) + r.text;
        return utf16Bytes(out);
    }

    bool send(Kind kind, const QString &to, const QByteArray &bytes)
    {
        return m_sockets.value(kind)->writeDatagram(bytes, QHostAddress(to), m_ports.value(kind)) ==
               bytes.size();
    }
    bool sendNative(const QString &to, const QByteArray &bytes) { return send(Kind::Native, to, bytes); }
    // Logs in to the member as a Quorel peer and waits until the member lists it.
    bool introduceTo(NetMember &member, const QString &name = QStringLiteral("quo"))
    {
        return send(Kind::Login, member.address(), CSharedProtocol::login(m_address, name, 1)) &&
               QTest::qWaitFor([&] { return member.knows(m_address, CMemberEntry::kKindQuorel); });
    }

    QList<Heard> heard(Kind kind) const { return m_heard.value(kind); }
    QList<QByteArray> bytes(Kind kind) const
    {
        QList<QByteArray> out;
        for (const Heard &h : m_heard.value(kind))
            out.append(h.bytes);
        return out;
    }
    // Native datagrams heard from one sender whose kind letter is kind.
    int count(const QString &from, QChar kind) const
    {
        int n = 0;
        for (const Heard &h : m_heard.value(Kind::Native))
            n += h.from == from && utf16Text(h.bytes).mid(9, 1) == kind ? 1 : 0;
        return n;
    }
    const QString &address() const { return m_address; }

private:
    std::shared_ptr<QUdpSocket> bindTo(Kind kind, const QHostAddress &address, quint16 port,
                                       QUdpSocket::BindMode mode)
    {
        auto sock = std::make_shared<QUdpSocket>();
        if (!sock->bind(address, port, mode))
            return sock;
        QUdpSocket *raw = sock.get();
        QObject::connect(raw, &QUdpSocket::readyRead, raw, [this, raw, kind] {
            while (raw->hasPendingDatagrams()) {
                const QNetworkDatagram d = raw->receiveDatagram();
                const QString from = QHostAddress(d.senderAddress().toIPv4Address()).toString();
                if (from != m_address)
                    m_heard[kind].append({from, d.data()});
            }
        });
        return sock;
    }

    QString m_address;
    QHash<Kind, quint16> m_ports;
    QHash<Kind, std::shared_ptr<QUdpSocket>> m_sockets;
    std::vector<std::shared_ptr<QUdpSocket>> m_broadcast;
    QHash<Kind, QList<Heard>> m_heard;
};
