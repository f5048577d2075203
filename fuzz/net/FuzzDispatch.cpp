// Whole datagrams through real sockets into a member that is online on loopback: the first byte
// chooses the endpoint (its low bits, modulo the eleven endpoints of channel 9) and whether the
// member forgets the sender first (its high bit), the rest is the datagram. The member's state
// lives through the whole run, as it does through a real session.
#include "FuzzEnvironment.h"

#include "config/CConfig.h"
#include "contact/ReceivedChat.h"
#include "core/ContinuousTime.h"
#include "members/CMemberList.h"
#include "net/CEndpointTable.h"
#include "net/CNetController.h"
#include "net/CUdpSock.h"
#include "net/ICaptionLog.h"
#include "net/ICaptionView.h"
#include "net/IContactView.h"
#include "net/IMemberMonitorView.h"
#include "preroll/CPftMonitorModel.h"
#include "timeline/CReceivedMainData.h"
#include "timeline/ReceivedMain.h"

#include <QCoreApplication>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#define check(condition) checkAt((condition), #condition, __LINE__)

namespace {

// Loopback only: the member, the sender and the broadcast address all live in 127.0.0.0/8.
constexpr char kMemberAddress[] = "127.0.90.2";
constexpr char kSenderAddress[] = "127.0.90.3";
constexpr char kBroadcastAddress[] = "127.255.255.255";
constexpr int kChannel = 9;
constexpr int kGroup = 3; // native datagrams of this group start with 'C'
// Past the receive buffer, so that over-long datagrams are tried too.
constexpr size_t kMaxDatagram = 4200;
// A datagram not handled after this many rounds of the event loop means the harness is broken.
constexpr int kMaxRounds = 2000;

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "fuzz_dispatch: %s\n", what);
    std::abort();
}

// What the dispatch puts into the caption store: native caption kinds and the Quorel kinds.
bool isStoredCaptionKind(qint32 kind)
{
    return kind == 'D' || kind == 'E' || kind == 'G' || kind == 'U' || kind == 'i' || kind == 'g';
}

// The windows and logs of the member: they only check what they are handed.
class Sink final : public ICaptionView, public IContactView, public ICaptionLog, public IMemberMonitorView
{
public:
    void captionRefresh() override {}
    void captionRedraw() override {}
    void captionGoLast() override {}
    void contactAppendLine(const QString &text) override { check(text.size() <= int(kMaxDatagram)); }
    void displayLogRecord(const CReceivedMainData &record) override
    {
        check(isStoredCaptionKind(record.nType));
        check(record.nStrLength == record.strRaw.size());
    }
    void contactLogLine(const QString &text) override { check(text.size() <= int(kMaxDatagram)); }
    void refreshMemberMonitor() override {}
};

class SingleAdapter final : public IAdapterSource
{
public:
    QList<AdapterEntry> adapters() const override
    {
        return {{1, QStringLiteral("fuzz loopback"), QLatin1String(kMemberAddress),
                 QLatin1String(kBroadcastAddress)}};
    }
};

struct Harness
{
    CConfig config;
    ReceivedMain captions;
    ReceivedChat contacts;
    CMemberList members;
    CPftMonitorModel pft;
    SingleAdapter adapters;
    Sink sink;
    CNetController *controller = nullptr;
    CUdpSock *endpoints[CEndpointTable::kCount] = {};
    int handled[CEndpointTable::kCount] = {};
    int sender = -1;
    quint16 senderPort = 0;
};

Harness *g_harness = nullptr;

int openSender(quint16 &port)
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (fd < 0)
        return -1;
    sockaddr_in local{};
    local.sin_family = AF_INET;
    ::inet_pton(AF_INET, kSenderAddress, &local.sin_addr);
    socklen_t length = sizeof local;
    if (::bind(fd, reinterpret_cast<const sockaddr *>(&local), sizeof local) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr *>(&local), &length) != 0) {
        ::close(fd);
        return -1;
    }
    port = ntohs(local.sin_port);
    return fd;
}

// Answers the member sends to the sender (login responses) are read and thrown away.
void drainSender(int fd)
{
    char scratch[64];
    while (::recv(fd, scratch, sizeof scratch, MSG_DONTWAIT | MSG_TRUNC) >= 0) {
    }
}

void checkStores(const Harness &h)
{
    check(h.controller->isOnline());
    check(h.captions.count() <= h.captions.dataMax());
    for (int p = 0; p < h.captions.count(); ++p)
        check(isStoredCaptionKind(h.captions.at(p)->nType));
    check(h.contacts.count() <= h.contacts.capacity());
    for (int p = 0; p < h.contacts.count(); ++p)
        check(h.contacts.at(p)->nType == 'C');
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    disableOperationLog();
    static int argc = 1;
    static char name[] = "fuzz_dispatch";
    static char *argv[] = {name, nullptr};
    new QCoreApplication(argc, argv);
    ContinuousTime::Initialize();

    auto *h = new Harness;
    g_harness = h;
    h->config.SetString(QStringLiteral("communication.name"), QStringLiteral("fuzz"));
    h->config.SetInt(QStringLiteral("communication.channel_i"), kChannel);
    h->config.SetInt(QStringLiteral("communication.group_i"), kGroup);
    // A small store, so that full-store evictions happen within a run.
    h->captions.Configure(16, 8);
    h->controller = new CNetController(h->config, h->adapters, h->captions, h->contacts, h->members, h->pft);
    h->controller->setCaptionView(&h->sink);
    h->controller->setContactView(&h->sink);
    h->controller->setLog(&h->sink);
    h->controller->setMemberMonitorView(&h->sink);
    h->controller->setDisplayLogEnabled(true);
    h->controller->setContactLogEnabled(true);
    if (h->controller->EnumerateAdapters() != 1 || !h->controller->DoLogin(0))
        fail("cannot go online on 127.0.90.2, channel 9 (is another fuzz_dispatch running?)");

    for (int i = 0; i < CEndpointTable::kCount; ++i) {
        CUdpSock *sock = h->controller->endpoint(CEndpointTable::kEndpoints[i].kind);
        if (!sock)
            fail("an endpoint is missing after login");
        h->endpoints[i] = sock;
        // Connected after the controller's handler, so this runs once the handler is done.
        QObject::connect(sock, &CUdpSock::readyRead, sock, [h, i, sock] {
            if (sock->fromAddress() == QLatin1String(kSenderAddress) && sock->fromPort() == h->senderPort)
                ++h->handled[i];
        });
    }
    h->sender = openSender(h->senderPort);
    if (h->sender < 0)
        fail("cannot bind the sender to 127.0.90.3");
    // The login announcements come back to the member itself; let them pass.
    for (int i = 0; i < 4; ++i)
        QCoreApplication::processEvents();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    Harness &h = *g_harness;
    const int index = (data[0] & 0x7F) % CEndpointTable::kCount;
    // Either way the sender can be a native member, a Quorel peer or a stranger to the handlers.
    if (data[0] & 0x80)
        h.members.removeAllMembers();
    const size_t length = std::min(size - 1, kMaxDatagram);

    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(CPortTable::port(CEndpointTable::kEndpoints[index].kind, kChannel));
    ::inet_pton(AF_INET, kMemberAddress, &to.sin_addr);
    const int before = h.handled[index];
    if (::sendto(h.sender, data + 1, length, 0, reinterpret_cast<const sockaddr *>(&to), sizeof to) !=
        static_cast<ssize_t>(length))
        fail("sendto failed");

    // Loopback delivers within sendto; the notifier fires on the next round of the event loop.
    for (int round = 0; h.handled[index] == before; ++round) {
        if (round == kMaxRounds)
            fail("the datagram never reached its handler");
        if (round > 4)
            QThread::usleep(500);
        QCoreApplication::processEvents();
    }
    // Whatever the handler sent to the member itself (own broadcasts) is handled before the next input.
    QCoreApplication::processEvents();
    drainSender(h.sender);
    checkStores(h);
    return 0;
}
