#include "HttpTestClient.h"
#include "TestHome.h"

#include "config/CConfig.h"
#include "core/StringTable.h"
#include "timeline/ReceivedMain.h"
#include "web/CHttpPage.h"
#include "web/CHttpSock.h"
#include "web/CWebServer.h"
#include "web/IHttpPageSource.h"

#include <QTcpServer>
#include <QtTest>

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

class FixedPage final : public IHttpPageSource
{
public:
    QString text = u"line 1<br>line 2"_qs;
    int requests = 0;
    QString HttpPageText() override
    {
        ++requests;
        return text;
    }
};

CHttpSockOptions loopbackOptions()
{
    CHttpSockOptions options;
    options.bindAddress = u"127.0.0.1"_qs;
    options.ports = {CHttpSockOptions::kAnyPort};
    return options;
}

QByteArray expectedBody(const QString &pageText, const CHttpPageStyle &style = {})
{
    return CHttpPage::FillTemplate(CStringTable::get(141), style, pageText).toUtf8();
}

// A short error answer: the status line and the Date line, nothing after it.
void verifyShortAnswer(const QByteArray &response, const QByteArray &statusLine)
{
    QVERIFY2(response.startsWith(statusLine), response.constData());
    QVERIFY2(isDateLine(response.mid(statusLine.size())), response.constData());
}

bool logHas(const QString &line)
{
    return operationLogLines().contains(line);
}

} // namespace

class TestHttpSock final : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_home = std::make_unique<TestHome>(); }
    void cleanup() { m_home.reset(); }

    void getAnswersWithThePage_data();
    void getAnswersWithThePage();
    void otherMethodsGet501_data();
    void otherMethodsGet501();
    void requestInPieces();
    void sixthConnectionGrowsTheSlots();
    void partialSendsContinue();
    void halfClosedClientGetsTheWholePage();
    void idleConnectionIsClosed();
    void connectionsBeyondTheLimitGet503();
    void pageTooLargeGets503();
    void takenPortFallsBackToTheNext();
    void noPortLeft();
    void lifetimeIsLogged();
    void styleKeepsValidColours();
    void dateLine_data();
    void dateLine();

    void accessText_data();
    void accessText();
    void webServerServesTheStore();

private:
    std::unique_ptr<TestHome> m_home;
};

void TestHttpSock::getAnswersWithThePage_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::newRow("HTTP/1.0") << QByteArray("GET / HTTP/1.0\r\n\r\n");
    QTest::newRow("HTTP/1.1 with headers") << QByteArray(
        "GET /index.html HTTP/1.1\r\nHost: 127.0.0.1\r\nUser-Agent: test\r\nConnection: keep-alive\r\n\r\n");
    QTest::newRow("any path") << QByteArray("GET /nothing/here?x=1 HTTP/1.0\r\n\r\n");
    QTest::newRow("request longer than the buffer")
        << QByteArray("GET / HTTP/1.0\r\nX-Long: ") + QByteArray(4000, 'a') + QByteArray("\r\n\r\n");
}

void TestHttpSock::getAnswersWithThePage()
{
    QFETCH(QByteArray, request);
    FixedPage page;
    page.text = u"字幕 1<br>a &amp; b"_qs;
    CHttpSock server(page, loopbackOptions());
    QVERIFY(server.isListening());

    const HttpResponse response = splitResponse(httpExchange(static_cast<quint16>(server.port()), request));
    const QList<QByteArray> headLines = response.head.split('\n');
    QCOMPARE(headLines.size(), 2);
    QCOMPARE(headLines.at(0), QByteArray("HTTP/1.0 200 OK\r"));
    QVERIFY2(isDateLine(headLines.at(1)), headLines.at(1).constData());
    QCOMPARE(response.body, expectedBody(page.text));
    QCOMPARE(page.requests, 1);
    QCOMPARE(server.connectionCount(), 0);
}

void TestHttpSock::otherMethodsGet501_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::newRow("POST") << QByteArray("POST / HTTP/1.0\r\nContent-Length: 3\r\n\r\nabc");
    QTest::newRow("HEAD") << QByteArray("HEAD / HTTP/1.0\r\n\r\n");
    QTest::newRow("lower-case get") << QByteArray("get / HTTP/1.0\r\n\r\n");
    QTest::newRow("one byte") << QByteArray("X");
    QTest::newRow("binary") << QByteArray("\x16\x03\x01\x02\x00", 5);
}

void TestHttpSock::otherMethodsGet501()
{
    QFETCH(QByteArray, request);
    FixedPage page;
    CHttpSock server(page, loopbackOptions());
    const QByteArray response = httpExchange(static_cast<quint16>(server.port()), request);
    verifyShortAnswer(response, "HTTP/1.0 501 Not Implemented\r\n");
    QCOMPARE(page.requests, 0);
    QCOMPARE(server.connectionCount(), 0);
}

void TestHttpSock::requestInPieces()
{
    FixedPage page;
    CHttpSock server(page, loopbackOptions());
    HttpTestClient client(static_cast<quint16>(server.port()));
    QVERIFY(client.waitConnected());
    client.send("G");
    QTRY_COMPARE(server.connectionCount(), 1);
    // A piece of "GET" is neither answered nor refused.
    QTest::qWait(50);
    QVERIFY(!client.isClosed());
    client.send("E");
    QTest::qWait(50);
    QVERIFY(!client.isClosed());
    client.send("T / HTTP/1.0\r\n\r\n");
    QVERIFY(client.waitClosed());
    QCOMPARE(splitResponse(client.received()).body, expectedBody(page.text));
}

void TestHttpSock::sixthConnectionGrowsTheSlots()
{
    FixedPage page;
    bool blocked = true;
    CHttpSockOptions options = loopbackOptions();
    options.send = [&blocked](int socket, const char *data, qint64 size) -> qint64 {
        if (blocked) {
            errno = EWOULDBLOCK;
            return -1;
        }
        return ::send(socket, data, static_cast<size_t>(size), MSG_NOSIGNAL);
    };
    CHttpSock server(page, options);
    QCOMPARE(server.slotCount(), 5);

    std::vector<std::unique_ptr<HttpTestClient>> clients;
    for (int i = 0; i < 6; ++i) {
        clients.push_back(std::make_unique<HttpTestClient>(static_cast<quint16>(server.port())));
        QVERIFY(clients.back()->waitConnected());
        clients.back()->send("GET / HTTP/1.0\r\n\r\n");
        QTRY_COMPARE(page.requests, i + 1);
        QCOMPARE(server.slotCount(), i < 5 ? 5 : 10);
    }

    blocked = false;
    for (const auto &client : clients) {
        QVERIFY(client->waitClosed());
        QCOMPARE(splitResponse(client->received()).body, expectedBody(page.text));
    }
    // Slots are kept for the next requests.
    QCOMPARE(server.slotCount(), 10);
}

void TestHttpSock::partialSendsContinue()
{
    FixedPage page;
    page.text = QString(700, u'字');
    int calls = 0;
    CHttpSockOptions options = loopbackOptions();
    // Every other send would block, the others take at most 100 bytes.
    options.send = [&calls](int socket, const char *data, qint64 size) -> qint64 {
        if (++calls % 2 == 0) {
            errno = EAGAIN;
            return -1;
        }
        return ::send(socket, data, static_cast<size_t>(std::min<qint64>(size, 100)), MSG_NOSIGNAL);
    };
    CHttpSock server(page, options);
    const HttpResponse response =
        splitResponse(httpExchange(static_cast<quint16>(server.port()), "GET / HTTP/1.0\r\n\r\n"));
    QCOMPARE(response.body, expectedBody(page.text));
    QVERIFY(calls > 40);
}

void TestHttpSock::halfClosedClientGetsTheWholePage()
{
    FixedPage page;
    bool blocked = true;
    int pageSends = 0;
    CHttpSockOptions options = loopbackOptions();
    // The page waits for a full socket to drain; the short answers would never block.
    options.send = [&blocked, &pageSends](int socket, const char *data, qint64 size) -> qint64 {
        ++pageSends;
        if (blocked) {
            errno = EAGAIN;
            return -1;
        }
        return ::send(socket, data, static_cast<size_t>(size), MSG_NOSIGNAL);
    };
    CHttpSock server(page, options);

    const int client = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    QVERIFY(client >= 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<quint16>(server.port()));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    QCOMPARE(::connect(client, reinterpret_cast<const sockaddr *>(&to), sizeof to), 0);
    // The request in two pieces, so that the server watches the socket for reading.
    QCOMPARE(::send(client, "GE", 2, MSG_NOSIGNAL), 2);
    QTRY_COMPARE(server.connectionCount(), 1);
    const QByteArray rest("T / HTTP/1.0\r\n\r\n");
    QCOMPARE(::send(client, rest.constData(), static_cast<size_t>(rest.size()), MSG_NOSIGNAL), rest.size());
    QTRY_VERIFY(pageSends > 0);
    // Done sending, still reading: the server sees the end of the request while the page waits.
    QCOMPARE(::shutdown(client, SHUT_WR), 0);
    const int before = pageSends;
    QTRY_VERIFY(pageSends > before + 5);
    QCOMPARE(server.connectionCount(), 1);

    blocked = false;
    ::fcntl(client, F_SETFL, ::fcntl(client, F_GETFL) | O_NONBLOCK);
    QByteArray received;
    bool ended = false;
    const auto readSome = [&] {
        char buffer[4096];
        ssize_t n = 0;
        while ((n = ::recv(client, buffer, sizeof buffer, 0)) > 0)
            received.append(buffer, n);
        ended = n == 0;
        return ended;
    };
    QTRY_VERIFY(readSome());
    ::close(client);
    QCOMPARE(splitResponse(received).body, expectedBody(page.text));
    QCOMPARE(server.connectionCount(), 0);
}

void TestHttpSock::idleConnectionIsClosed()
{
    FixedPage page;
    CHttpSockOptions options = loopbackOptions();
    options.requestTimeoutMs = 200;
    CHttpSock server(page, options);

    HttpTestClient idle(static_cast<quint16>(server.port()));
    QVERIFY(idle.waitConnected());
    HttpTestClient partial(static_cast<quint16>(server.port()));
    QVERIFY(partial.waitConnected());
    partial.send("GE");
    QVERIFY(idle.waitClosed());
    QVERIFY(partial.waitClosed());
    QCOMPARE(idle.received(), QByteArray());
    QCOMPARE(partial.received(), QByteArray());
    QTRY_COMPARE(server.connectionCount(), 0);
    QCOMPARE(page.requests, 0);

    const QStringList closed = operationLogLines().filter(u"closed: no request in time."_qs);
    QCOMPARE(closed.size(), 2);

    // The server still answers.
    const QByteArray response = httpExchange(static_cast<quint16>(server.port()), "GET / HTTP/1.0\r\n\r\n");
    QCOMPARE(splitResponse(response).body, expectedBody(page.text));
}

void TestHttpSock::connectionsBeyondTheLimitGet503()
{
    FixedPage page;
    CHttpSockOptions options = loopbackOptions();
    options.maxConnections = 2;
    CHttpSock server(page, options);
    const auto port = static_cast<quint16>(server.port());

    HttpTestClient first(port);
    HttpTestClient second(port);
    QVERIFY(first.waitConnected());
    QVERIFY(second.waitConnected());
    QTRY_COMPARE(server.connectionCount(), 2);

    HttpTestClient third(port);
    QVERIFY(third.waitClosed());
    verifyShortAnswer(third.received(), "HTTP/1.0 503 Service Unavailable\r\n");
    QVERIFY(logHas(u"http connections at the limit, answering 503 : 2"_qs));

    // Those held are still answered, and a freed place takes the next connection.
    first.send("GET / HTTP/1.0\r\n\r\n");
    QVERIFY(first.waitClosed());
    QCOMPARE(splitResponse(first.received()).body, expectedBody(page.text));
    QTRY_COMPARE(server.connectionCount(), 1);
    const QByteArray response = httpExchange(port, "GET / HTTP/1.0\r\n\r\n");
    QCOMPARE(splitResponse(response).body, expectedBody(page.text));
}

void TestHttpSock::pageTooLargeGets503()
{
    FixedPage page;
    CHttpSock server(page, loopbackOptions());
    const auto port = static_cast<quint16>(server.port());
    // The status line, the Date line and the blank line take 56 bytes.
    const int room = 3000 - 56 - static_cast<int>(expectedBody(QString()).size());
    page.text = QString(room, u'x');
    QCOMPARE(splitResponse(httpExchange(port, "GET / HTTP/1.0\r\n\r\n")).body, expectedBody(page.text));
    page.text = QString(room + 1, u'x');
    verifyShortAnswer(httpExchange(port, "GET / HTTP/1.0\r\n\r\n"), "HTTP/1.0 503 Service Unavailable\r\n");
    // Three bytes each in UTF-8.
    page.text = QString(room / 3 + 1, u'字');
    verifyShortAnswer(httpExchange(port, "GET / HTTP/1.0\r\n\r\n"), "HTTP/1.0 503 Service Unavailable\r\n");
    // The slot was given back each time.
    QCOMPARE(server.slotCount(), 5);
    page.text = u"small"_qs;
    QCOMPARE(splitResponse(httpExchange(port, "GET / HTTP/1.0\r\n\r\n")).body, expectedBody(page.text));
}

void TestHttpSock::takenPortFallsBackToTheNext()
{
    QTcpServer taken;
    QVERIFY(taken.listen(QHostAddress::LocalHost));
    FixedPage page;
    CHttpSockOptions options = loopbackOptions();
    options.ports = {taken.serverPort(), CHttpSockOptions::kAnyPort};
    CHttpSock server(page, options);
    QVERIFY(server.isListening());
    QVERIFY(server.port() != taken.serverPort());
    QVERIFY(logHas(u"[socket error : WSAEADDRINUSE (10048)]  in bind()"_qs));
    QVERIFY(logHas(QStringLiteral("CHttpSock listening on port : %1").arg(server.port())));
    QCOMPARE(splitResponse(httpExchange(static_cast<quint16>(server.port()), "GET / HTTP/1.0\r\n\r\n")).body,
             expectedBody(page.text));
}

void TestHttpSock::noPortLeft()
{
    QTcpServer taken;
    QVERIFY(taken.listen(QHostAddress::LocalHost));
    FixedPage page;
    CHttpSockOptions options = loopbackOptions();
    options.ports = {taken.serverPort()};
    CHttpSock server(page, options);
    QVERIFY(!server.isListening());
    QCOMPARE(server.port(), 0);

    // Bind addresses are numeric: a name is refused without asking any resolver.
    options.bindAddress = u"localhost"_qs;
    options.ports = {CHttpSockOptions::kAnyPort};
    CHttpSock unresolved(page, options);
    QVERIFY(!unresolved.isListening());
    QVERIFY(!operationLogLines().filter(u"]  in getaddrinfo()"_qs).isEmpty());
}

void TestHttpSock::lifetimeIsLogged()
{
    FixedPage page;
    {
        CHttpSock server(page, loopbackOptions());
        HttpTestClient open(static_cast<quint16>(server.port()));
        QVERIFY(open.waitConnected());
        QTRY_COMPARE(server.connectionCount(), 1);
    }
    const QStringList lines = operationLogLines();
    const QStringList expected = {u"CHttpSock constructor begins."_qs, u"CHttpSock constructor finished."_qs,
                                  u"CHttpSock destructor begins."_qs, u"CHttpSock destructor finished."_qs};
    qsizetype at = 0;
    for (const QString &line : expected) {
        at = lines.indexOf(line, at);
        QVERIFY2(at >= 0, qPrintable(line));
    }
}

void TestHttpSock::styleKeepsValidColours()
{
    FixedPage page;
    CHttpSock server(page, loopbackOptions());
    CHttpPageStyle style;
    style.textColor = u"12ab9F"_qs;
    style.backgroundColor = u"\"><b>"_qs;
    style.reloadMs = 2000;
    style.fontSizePercent = 300;
    style.lineHeightPercent = 100;
    server.setStyle(style);
    CHttpPageStyle shown = style;
    shown.backgroundColor = u"000000"_qs;
    QCOMPARE(splitResponse(httpExchange(static_cast<quint16>(server.port()), "GET / HTTP/1.0\r\n\r\n")).body,
             expectedBody(page.text, shown));
}

void TestHttpSock::dateLine_data()
{
    QTest::addColumn<qint64>("seconds");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("epoch") << qint64(0) << QByteArray("Date: Thu, 01 Jan 1970 00:00:00 GMT");
    QTest::newRow("RFC example") << qint64(784111777) << QByteArray("Date: Sun, 06 Nov 1994 08:49:37 GMT");
    QTest::newRow("leap day") << qint64(951782400) << QByteArray("Date: Tue, 29 Feb 2000 00:00:00 GMT");
    QTest::newRow("end of a year") << qint64(1735689599) << QByteArray("Date: Tue, 31 Dec 2024 23:59:59 GMT");
}

void TestHttpSock::dateLine()
{
    QFETCH(qint64, seconds);
    QFETCH(QByteArray, line);
    QCOMPARE(CHttpSock::DateLine(seconds), line);
}

void TestHttpSock::accessText_data()
{
    QTest::addColumn<QStringList>("addresses");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("text");
    QTest::newRow("port 80") << QStringList{u"192.0.2.10"_qs} << 80 << u"http://192.0.2.10/"_qs;
    QTest::newRow("not started") << QStringList{u"192.0.2.10"_qs} << 0 << u"http://192.0.2.10/"_qs;
    QTest::newRow("port 8080") << QStringList{u"192.0.2.10"_qs} << 8080 << u"http://192.0.2.10:8080/"_qs;
    QTest::newRow("two addresses") << QStringList{u"192.0.2.10"_qs, u"198.51.100.7"_qs} << 8081
                                   << u"http://192.0.2.10:8081/\r\nhttp://198.51.100.7:8081/"_qs;
    QTest::newRow("no adapter") << QStringList() << 80 << QString();
}

void TestHttpSock::accessText()
{
    QFETCH(QStringList, addresses);
    QFETCH(int, port);
    QFETCH(QString, text);
    QCOMPARE(CWebServer::AccessText(addresses, port), text);
}

void TestHttpSock::webServerServesTheStore()
{
    CConfig config;
    config.SetInt(u"communication.http.line_i"_qs, 2);
    config.SetString(u"communication.http.color"_qs, u"112233"_qs);
    config.SetInt(u"communication.http.reload_i"_qs, 1500);
    ReceivedMain store;
    store.Configure(100, 10);
    store.SetChannelGroup(1, 1);
    for (const char16_t *text : {u"one", u"two", u"three"})
        store.AddString(QString::fromUtf16(text), u"192.0.2.1"_qs, 'i');

    CWebServer web(config, store, loopbackOptions());
    QVERIFY(!web.isRunning());
    QCOMPARE(web.port(), 0);
    web.Start();
    QVERIFY(web.isRunning());
    const auto port = static_cast<quint16>(web.port());
    QVERIFY(port != 0);

    CHttpPageStyle style;
    style.textColor = u"112233"_qs;
    style.reloadMs = 1500;
    QCOMPARE(splitResponse(httpExchange(port, "GET / HTTP/1.0\r\n\r\n")).body,
             expectedBody(u"two<br>three"_qs, style));

    config.SetInt(u"communication.http.line_i"_qs, 1);
    web.ApplySettings();
    store.AddString(u"four"_qs, u"192.0.2.1"_qs, 'i');
    QCOMPARE(splitResponse(httpExchange(port, "GET / HTTP/1.0\r\n\r\n")).body,
             expectedBody(u"four"_qs, style));

    web.Stop();
    QVERIFY(!web.isRunning());
    QCOMPARE(web.port(), 0);
    QCOMPARE(httpExchange(port, "GET / HTTP/1.0\r\n\r\n"), QByteArray());
}

QTEST_GUILESS_MAIN(TestHttpSock)
#include "test_http_sock.moc"
