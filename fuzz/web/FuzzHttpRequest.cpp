// The web server on whatever clients send, through real sockets on loopback: the classic page
// built from whatever captions arrived, the live pages, and the live event stream with whatever
// Last-Event-ID a client names. The input, byte by byte:
//   0: the number of clients (low three bits, plus one); bit 3: they close instead of ending
//      their sending half, bit 4: they get no chance to send before the server first looks;
//   1: how sends of the page go (low four bits: at most that many 64-byte pieces per send, 0 for
//      all at once; high four bits: every n-th send would block, 0 or 1 for never);
//   2, 3: the page's line budget and letters per line;
//   4: the number of caption records (low four bits), each a flag byte (bits 0-1 the
//      withdrawal flags, bit 2 another channel, bit 3 a screen clear; for the live events, which
//      keep one store across inputs: bit 4 withdrawn after it was stored, bit 5 inserted in the
//      middle instead of appended), a length byte and that many bytes of UTF-8 text;
//   then request pieces, each a client byte, a length byte and that many bytes, sent in order.
// Every client must get exactly the answer its bytes call for (a stream: exactly the events after
// the id it named, or the state), and the server must end up with no connection and no slot
// beyond what the most clients at once needed.
#include "FuzzEnvironment.h"

#include "core/ContinuousTime.h"
#include "core/StringTable.h"
#include "timeline/CCaptionFeed.h"
#include "timeline/CReceivedMainData.h"
#include "timeline/ReceivedMain.h"
#include "web/CHttpPage.h"
#include "web/CHttpRequest.h"
#include "web/CHttpResponseSock.h"
#include "web/CHttpSock.h"
#include "web/CLiveEvents.h"
#include "web/CLivePages.h"
#include "web/IHttpPageSource.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#define check(condition) checkAt((condition), #condition, __LINE__)

namespace {

constexpr char kServerAddress[] = "127.0.91.2";
constexpr int kMaxClients = 8;
// A server that has not finished after this many rounds of the event loop is stuck.
constexpr int kMaxRounds = 4000;
// Status lines and the Date line fit one send; only the page is sent in pieces.
constexpr qint64 kShortAnswer = 256;
// The live events' run, so that the dictionary can name ids of it.
constexpr char kRun[] = "f0220001";
// Inputs are far shorter than the most of a request head the server reads.
constexpr qsizetype kMaxRequestHead = 8 * 1024;

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "fuzz_http_request: %s\n", what);
    std::abort();
}

class Input
{
public:
    Input(const uint8_t *data, size_t size) : m_data(data), m_size(size) {}
    bool empty() const { return m_pos >= m_size; }
    uint8_t byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    QByteArray bytes(size_t count)
    {
        count = std::min(count, m_size - std::min(m_pos, m_size));
        QByteArray out(reinterpret_cast<const char *>(m_data + m_pos), static_cast<qsizetype>(count));
        m_pos += count;
        return out;
    }

private:
    const uint8_t *m_data;
    size_t m_size;
    size_t m_pos = 0;
};

// A store that lives across inputs, so that its events run into thousands and ids grow old.
struct LiveStore
{
    ReceivedMain store;
    // Logged in before the events see the store.
    bool loggedIn = (store.Configure(32, 8), store.SetChannelGroup(1, 0), true);
    CCaptionFeed feed{store};
    CLiveEvents events{feed, store, QByteArray(kRun)};
};

class PageSource final : public IHttpPageSource
{
public:
    QString text;
    LiveStore *live = nullptr;
    QString HttpPageText() override { return text; }
    CLiveEvents *LiveEvents() override { return &live->events; }
};

// How the server's sends behave in this run.
struct SendPlan
{
    qint64 pieceLimit = 0;
    int blockEvery = 0;
    int calls = 0;
};

struct Harness
{
    LiveStore live;
    PageSource page;
    SendPlan plan;
    CHttpSock *server = nullptr;
};

Harness *g_harness = nullptr;

qint64 plannedSend(int socket, const char *data, qint64 size)
{
    SendPlan &plan = g_harness->plan;
    if (size > kShortAnswer) {
        if (plan.blockEvery > 1 && ++plan.calls % plan.blockEvery == 0) {
            errno = EAGAIN;
            return -1;
        }
        if (plan.pieceLimit > 0)
            size = std::min(size, plan.pieceLimit);
    }
    return ::send(socket, data, static_cast<size_t>(size), MSG_NOSIGNAL);
}

struct Client
{
    int fd = -1;
    QByteArray sent;
    QByteArray received;
    bool closedByServer = false;
};

int connectClient(quint16 port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        fail("socket failed");
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    ::inet_pton(AF_INET, kServerAddress, &to.sin_addr);
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&to), sizeof to) != 0)
        fail("connect failed");
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    return fd;
}

void readClient(Client &client)
{
    char buffer[4096];
    while (!client.closedByServer) {
        const ssize_t n = ::recv(client.fd, buffer, sizeof buffer, 0);
        if (n > 0)
            client.received.append(buffer, n);
        else if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
            client.closedByServer = true;
        else
            return;
    }
}

void pump(std::vector<Client> &clients)
{
    QCoreApplication::processEvents();
    for (Client &client : clients)
        readClient(client);
}

struct Record
{
    uint8_t flags = 0;
    QString text;
};

std::vector<Record> readRecords(Input &in)
{
    std::vector<Record> records(in.byte() & 0x0F);
    for (Record &record : records) {
        record.flags = in.byte();
        record.text = QString::fromUtf8(in.bytes(in.byte()));
    }
    return records;
}

CReceivedMainData makeRecord(const Record &from, const ReceivedMain &store)
{
    CReceivedMainData record;
    record.strRaw = from.text;
    record.nStrLength = static_cast<qint32>(from.text.size());
    record.nType = (from.flags & 8) ? 'E' : 'i';
    record.nFlag = from.flags & 3;
    record.nChannel = (from.flags & 4) ? 2 : store.channel();
    record.nGroup = store.group();
    return record;
}

void fillStore(ReceivedMain &store, const std::vector<Record> &records)
{
    store.Configure(32, 8);
    store.SetChannelGroup(1, 0);
    for (const Record &record : records)
        store.AppendData(makeRecord(record, store));
}

// The same records change the live store, with undo and repaired lines too; every event must be
// one whole event of this run whose line round-trips.
void changeLiveStore(LiveStore &live, const std::vector<Record> &records)
{
    QByteArray pushed;
    const auto connection = QObject::connect(&live.events, &CLiveEvents::eventAppended,
                                             [&pushed](const QByteArray &bytes) { pushed += bytes; });
    const qint64 first = live.events.lastEvent() + 1;
    for (const Record &from : records) {
        const CReceivedMainData record = makeRecord(from, live.store);
        if ((from.flags & 32) && live.store.count() > 1)
            live.store.InsertData(live.store.count() / 2, record);
        else
            live.store.AppendData(record);
        if (from.flags & 16)
            live.store.RemoveLastString(true);
    }
    QObject::disconnect(connection);
    qint64 number = first;
    qsizetype at = 0;
    while (at < pushed.size()) {
        const qsizetype end = pushed.indexOf("\n\n", at);
        check(end > at);
        const QList<QByteArray> lines = pushed.mid(at, end - at).split('\n');
        check(lines.size() == 3);
        check(lines.at(0) == "event: add" || lines.at(0) == "event: withdraw");
        check(lines.at(1) == "id: " + QByteArray(kRun) + '-' + QByteArray::number(number));
        check(lines.at(2).startsWith("data: {"));
        const QJsonObject data = QJsonDocument::fromJson(lines.at(2).mid(6)).object();
        check(data.value(QStringLiteral("id")).toInteger() > 0);
        if (lines.at(0) == "event: add")
            check(data.value(QStringLiteral("text")).isString() && data.contains(QStringLiteral("t")));
        ++number;
        at = end + 2;
    }
    check(number == live.events.lastEvent() + 1);
}

// The page text is HTML: the only markup is the line break between lines, and the lines fit
// the budget.
void checkPageText(const QString &text, int maxLines, int letters)
{
    const QStringList lines = text.split(QStringLiteral("<br>"));
    int used = 0;
    for (const QString &line : lines) {
        check(!line.contains(u'<') && !line.contains(u'>') && !line.contains(u'\r') && !line.contains(u'\n'));
        QString plain = line;
        plain.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
        plain.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
        plain.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
        check(CHttpPage::EscapeLine(plain) == line);
        used += std::max<int>(1, static_cast<int>((plain.size() + letters - 1) / letters));
    }
    if (!text.isEmpty())
        check(used <= maxLines);
}

bool isShortAnswer(const QByteArray &response, const QByteArray &status)
{
    // "Date: Sun, 06 Nov 1994 08:49:37 GMT"
    return response.size() == status.size() + 35 && response.startsWith(status) &&
           response.mid(status.size()).startsWith("Date: ") && response.endsWith(" GMT");
}

// "HTTP/1.0 200 OK\r\n" and the Date line; the rest after it.
QByteArray afterOkDate(const QByteArray &response)
{
    static const QByteArray ok = CStringTable::get(140).toUtf8();
    check(isShortAnswer(response.left(ok.size() + 35), ok));
    return response.mid(ok.size() + 35);
}

void checkAnswer(const Client &client, const QByteArray &body, LiveStore &live)
{
    static const QByteArray notImplemented = CStringTable::get(139).toUtf8();
    static const QByteArray unavailable = CStringTable::get(138).toUtf8();
    const QByteArray &request = client.sent;
    const QByteArray &response = client.received;
    check(client.closedByServer);
    if (!QByteArray("GET").startsWith(request.left(3))) {
        check(isShortAnswer(response, notImplemented));
        return;
    }
    if (request.size() < 3) {
        // The client stopped before the method was whole: nothing to answer.
        check(response.isEmpty());
        return;
    }
    if (request.size() >= kMaxRequestHead)
        return;
    const CHttpRequest head(request);
    switch (head.target()) {
    case CHttpRequest::Target::ClassicPage: {
        const qsizetype plain = CStringTable::get(140).toUtf8().size() + 35 + 4;
        if (plain + body.size() > CHttpResponseSock::kBufferSize) {
            check(isShortAnswer(response, unavailable));
            return;
        }
        check(afterOkDate(response) == "\r\nContent-Length: " + QByteArray::number(body.size()) +
                                           "\r\nCache-Control: no-store\r\n\r\n" + body);
        return;
    }
    case CHttpRequest::Target::LivePage:
    case CHttpRequest::Target::OverlayPage: {
        const QByteArray page = head.target() == CHttpRequest::Target::LivePage ? CLivePages::livePage()
                                                                                : CLivePages::overlayPage();
        check(afterOkDate(response) == "\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
                                           QByteArray::number(page.size()) +
                                           "\r\nCache-Control: no-store\r\n\r\n" + page);
        return;
    }
    case CHttpRequest::Target::LiveEvents: {
        // Nothing changed the store while the clients talked, so the reader got what it would
        // get now.
        const QByteArray missed = live.events.catchUp(head.header("Last-Event-ID"));
        check(response == "HTTP/1.1 200 OK\r\nContent-Type: text/event-stream; charset=utf-8\r\n"
                          "Cache-Control: no-store\r\nConnection: keep-alive\r\n\r\nretry: 2000\n\n" +
                              missed);
        // The state, or the events after the id named, up to the newest.
        const QByteArray newest =
            "\nid: " + QByteArray(kRun) + '-' + QByteArray::number(live.events.lastEvent()) + '\n';
        if (missed.startsWith("event: reset\n"))
            check(missed == live.events.resetEvent());
        else if (!missed.isEmpty())
            check(missed.contains(newest) && missed.endsWith("\n\n"));
        return;
    }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    disableOperationLog();
    static int argc = 1;
    static char name[] = "fuzz_http_request";
    static char *argv[] = {name, nullptr};
    new QCoreApplication(argc, argv);
    ContinuousTime::Initialize();

    auto *h = new Harness;
    g_harness = h;
    CHttpSockOptions options;
    options.bindAddress = QLatin1String(kServerAddress);
    options.ports = {CHttpSockOptions::kAnyPort};
    options.send = plannedSend;
    h->page.live = &h->live;
    h->server = new CHttpSock(h->page, options);
    if (!h->server->isListening())
        fail("cannot listen on 127.0.91.2");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Harness &h = *g_harness;
    Input in(data, size);
    const uint8_t shape = in.byte();
    const int clientCount = (shape & 7) + 1;
    const bool closeFully = (shape & 8) != 0;
    const bool connectAll = (shape & 16) == 0;
    const uint8_t sending = in.byte();
    h.plan = {64 * (sending & 0x0F), sending >> 4, 0};
    const int maxLines = in.byte() % 20;
    const int letters = in.byte() % 50;

    const std::vector<Record> records = readRecords(in);
    ReceivedMain store;
    fillStore(store, records);
    changeLiveStore(h.live, records);
    h.page.text = CHttpPage::BuildPageText(store, maxLines, letters);
    checkPageText(h.page.text, maxLines, std::max(1, letters));
    const QByteArray body =
        CHttpPage::FillTemplate(CStringTable::get(141), h.server->style(), h.page.text).toUtf8();

    std::vector<Client> clients(static_cast<size_t>(clientCount));
    for (Client &client : clients)
        client.fd = connectClient(static_cast<quint16>(h.server->port()));
    if (connectAll)
        pump(clients);

    while (!in.empty()) {
        Client &client = clients[in.byte() % clients.size()];
        const QByteArray piece = in.bytes(in.byte());
        // A real client stops sending once it has its answer.
        if (client.closedByServer || piece.isEmpty())
            continue;
        if (::send(client.fd, piece.constData(), static_cast<size_t>(piece.size()), MSG_NOSIGNAL) !=
            piece.size())
            fail("a client's send failed");
        client.sent.append(piece);
        pump(clients);
    }
    for (Client &client : clients) {
        if (closeFully) {
            ::close(client.fd);
            client.fd = -1;
            client.closedByServer = true;
        } else {
            ::shutdown(client.fd, SHUT_WR);
        }
    }

    for (int round = 0;; ++round) {
        pump(clients);
        const bool allClosed =
            std::all_of(clients.begin(), clients.end(), [](const Client &c) { return c.closedByServer; });
        if (allClosed && h.server->connectionCount() == 0)
            break;
        if (round == kMaxRounds)
            fail("the server never closed its connections");
        if (round > 8)
            QThread::usleep(200);
    }
    // Slots grow by five when all are taken, and are freed when a connection ends.
    check(h.server->slotCount() <=
          CHttpSock::kInitialSlots +
              CHttpSock::kSlotGrowth * ((kMaxClients + CHttpSock::kSlotGrowth - 1) / CHttpSock::kSlotGrowth));
    for (Client &client : clients) {
        if (client.fd < 0)
            continue;
        checkAnswer(client, body, h.live);
        ::close(client.fd);
    }
    return 0;
}
