// The built-in HTTP server on 127.0.0.1: answers, partial sends, idle connections, slot growth,
// port fallback; and the web server that serves the caption store with the settings' style.
#include "SseEvents.h"
#include "StoreEnvironment.h"
#include "TestHome.h"

#include "config/CConfig.h"
#include "core/StringTable.h"
#include "timeline/CCaptionFeed.h"
#include "timeline/ReceivedMain.h"
#include "web/CHttpPage.h"
#include "web/CHttpSock.h"
#include "web/CLiveEvents.h"
#include "web/CLivePages.h"
#include "web/CWebServer.h"
#include "web/IHttpPageSource.h"

#include <QJsonArray>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

#include <cerrno>
#include <sys/socket.h>

namespace {

// The classic page's text, counted as asked, and a caption store whose changes go out as live
// events, as the main window's do; without `live` the event stream is refused.
class Source final : public IHttpPageSource
{
public:
    QString text = u"line 1<br>line 2"_qs;
    int requests = 0;
    bool live = true;
    StoreEnvironment env;
    CCaptionFeed feed{env.store};
    CLiveEvents events{feed, env.store, "5eed0001"};
    qint32 sent = 1000;
    QString HttpPageText() override
    {
        ++requests;
        return text;
    }
    CLiveEvents *LiveEvents() override { return live ? &events : nullptr; }
    void type(const QString &text)
    {
        sent += 10;
        env.store.AppendData(env.line(u"192.0.2.1"_qs, sent, sent + 5, text));
    }
};

// A client on the test's own event loop, as the server is, so every wait keeps the server working.
class Client final
{
public:
    // The request, if any, goes out as soon as the connection is made.
    explicit Client(int port, const QByteArray &request = {})
    {
        QObject::connect(&m_socket, &QTcpSocket::readyRead, &m_socket,
                         [this] { received += m_socket.readAll(); });
        QObject::connect(&m_socket, &QTcpSocket::disconnected, &m_socket, [this] {
            if (m_socket.isOpen())
                received += m_socket.readAll();
            closed = true;
        });
        QObject::connect(&m_socket, &QTcpSocket::errorOccurred, &m_socket,
                         [this](QAbstractSocket::SocketError e) {
                             closed = closed || e == QAbstractSocket::RemoteHostClosedError ||
                                      e == QAbstractSocket::ConnectionRefusedError;
                         });
        m_socket.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
        if (!request.isEmpty())
            send(request);
    }
    bool waitConnected()
    {
        return QTest::qWaitFor(
                   [this] { return m_socket.state() == QAbstractSocket::ConnectedState || closed; }) &&
               !closed;
    }
    void send(const QByteArray &bytes) { m_socket.write(bytes); }
    bool waitClosed()
    {
        return QTest::qWaitFor([this] { return closed; });
    }
    // The page body, after the blank line that ends the head.
    QByteArray body() const { return received.mid(received.indexOf("\r\n\r\n") + 4); }
    QList<SseEvent> events() const { return parseSse(body()); }
    QStringList addedTexts() const
    {
        QStringList texts;
        for (const SseEvent &event : events()) {
            if (event.type == "add")
                texts.append(event.json().value(u"text").toString());
        }
        return texts;
    }
    void close() { m_socket.abort(); }
    int descriptor() const { return static_cast<int>(m_socket.socketDescriptor()); }

    QByteArray received;
    bool closed = false;

private:
    QTcpSocket m_socket;
};

// What came back for the request before the server closed; empty when it stayed open.
QByteArray exchange(int port, const QByteArray &request = "GET / HTTP/1.0\r\n\r\n")
{
    Client client(port, request);
    return client.waitClosed() ? client.received : QByteArray();
}

QByteArray body(const QByteArray &response)
{
    return response.mid(response.indexOf("\r\n\r\n") + 4);
}

QByteArray expectedBody(const QString &pageText, const CHttpPageStyle &style = {})
{
    return CHttpPage::FillTemplate(CStringTable::get(141), style, pageText).toUtf8();
}

// Matches "Date: Sun, 06 Nov 1994 08:49:37 GMT".
bool isDateLine(const QByteArray &line)
{
    static const QRegularExpression pattern(
        QStringLiteral("^Date: (Mon|Tue|Wed|Thu|Fri|Sat|Sun), \\d\\d "
                       "(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) \\d{4} \\d\\d:\\d\\d:\\d\\d GMT$"));
    return pattern.match(QString::fromLatin1(line)).hasMatch();
}

// A short error answer: the status line and the Date line, nothing after it.
void verifyShortAnswer(const QByteArray &response, const QByteArray &statusLine)
{
    QVERIFY2(response.startsWith(statusLine), response.constData());
    QVERIFY2(isDateLine(response.mid(statusLine.size())), response.constData());
}

// The answer beyond the connection limit: a whole head, so that a page's script sees the status.
void verifyBusyAnswer(const QByteArray &response)
{
    const QList<QByteArray> head = response.split('\n');
    QCOMPARE(head.size(), 7);
    QCOMPARE(head.at(0), QByteArray("HTTP/1.1 503 Service Unavailable\r"));
    QVERIFY(isDateLine(head.at(1).chopped(1)));
    QCOMPARE(head.mid(2),
             (QList<QByteArray>{"Retry-After: 2\r", "Content-Length: 0\r", "Connection: close\r", "\r", ""}));
}

CHttpSockOptions loopbackOptions()
{
    CHttpSockOptions options;
    options.bindAddress = u"127.0.0.1"_qs;
    options.ports = {CHttpSockOptions::kAnyPort};
    return options;
}

// Sends go out as ::send sends them, or would block as on a full socket while `blocked`; `calls`
// counts them.
CHttpSockOptions blockableOptions(const bool &blocked, int *calls = nullptr)
{
    CHttpSockOptions options = loopbackOptions();
    options.send = [&blocked, calls](int socket, const char *data, qint64 size) -> qint64 {
        if (calls)
            ++*calls;
        if (blocked) {
            errno = EAGAIN;
            return -1;
        }
        return ::send(socket, data, static_cast<size_t>(size), MSG_NOSIGNAL);
    };
    return options;
}

qsizetype countLog(const QString &end)
{
    qsizetype n = 0;
    for (const QString &line : operationLogLines())
        n += line.endsWith(end) ? 1 : 0;
    return n;
}

} // namespace

class TestHttpSock final : public QObject
{
    Q_OBJECT

private slots:

    void pagesAreServed_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("page"); // empty: the classic page
        const QByteArray classic;
        QTest::newRow("HTTP/1.0") << QByteArray("GET / HTTP/1.0\r\n\r\n") << classic;
        QTest::newRow("HTTP/1.1 with headers")
            << QByteArray("GET /index.html HTTP/1.1\r\nHost: 127.0.0.1\r\nUser-Agent: test\r\nConnection: "
                          "keep-alive\r\n\r\n")
            << classic;
        QTest::newRow("request longer than the buffer")
            << QByteArray("GET / HTTP/1.0\r\nX-Long: ") + QByteArray(4000, 'a') + QByteArray("\r\n\r\n")
            << classic;
        QTest::newRow("near the live page") << QByteArray("GET /live/ HTTP/1.0\r\n\r\n") << classic;
        QTest::newRow("live in capitals") << QByteArray("GET /LIVE HTTP/1.0\r\n\r\n") << classic;
        QTest::newRow("live") << QByteArray("GET /live HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n")
                              << CLivePages::livePage();
        QTest::newRow("overlay with parameters")
            << QByteArray("GET /overlay?lines=3&size=48 HTTP/1.0\r\n\r\n") << CLivePages::overlayPage();
        QTest::newRow("no version") << QByteArray("GET /live\r\n") << CLivePages::livePage();
    }

    void pagesAreServed()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, page);
        Source source;
        source.text = u"字幕 1<br>a &amp; b"_qs;
        CHttpSock server(source, loopbackOptions());
        const QByteArray response = exchange(server.port(), request);
        const QByteArray expected = page.isEmpty() ? expectedBody(source.text) : page;
        const QList<QByteArray> head = response.left(response.indexOf("\r\n\r\n")).split('\n');
        QCOMPARE(head.value(0), QByteArray("HTTP/1.0 200 OK\r"));
        QVERIFY2(isDateLine(head.value(1).chopped(1)), response.constData());
        // The length lets load tools and browsers tell a whole page from a cut one; phones must
        // not show a cached page instead of the newest lines.
        QList<QByteArray> rest{"Content-Length: " + QByteArray::number(expected.size()) + '\r',
                               "Cache-Control: no-store"};
        if (!page.isEmpty())
            rest.prepend("Content-Type: text/html; charset=utf-8\r");
        QCOMPARE(head.mid(2), rest);
        QCOMPARE(body(response), expected);
        QCOMPARE(source.requests, page.isEmpty() ? 1 : 0);
        QCOMPARE(server.connectionCount(), 0);
    }

    void otherMethodsGet501_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::newRow("POST") << QByteArray("POST / HTTP/1.0\r\nContent-Length: 3\r\n\r\nabc");
        QTest::newRow("HEAD") << QByteArray("HEAD / HTTP/1.0\r\n\r\n");
        QTest::newRow("lower-case get") << QByteArray("get / HTTP/1.0\r\n\r\n");
        QTest::newRow("one byte") << QByteArray("X");
        QTest::newRow("binary") << QByteArray("\x16\x03\x01\x02\x00", 5);
    }

    void otherMethodsGet501()
    {
        QFETCH(QByteArray, request);
        Source page;
        CHttpSock server(page, loopbackOptions());
        verifyShortAnswer(exchange(server.port(), request), "HTTP/1.0 501 Not Implemented\r\n");
        QCOMPARE(page.requests, 0);
        QCOMPARE(server.connectionCount(), 0);
    }

    void sixthConnectionGrowsTheSlots()
    {
        Source page;
        bool blocked = true;
        CHttpSock server(page, blockableOptions(blocked));
        std::vector<std::unique_ptr<Client>> clients;
        for (int i = 0; i < 6; ++i) {
            clients.push_back(std::make_unique<Client>(server.port(), "GET / HTTP/1.0\r\n\r\n"));
            QTRY_COMPARE(page.requests, i + 1);
            QCOMPARE(server.slotCount(), i < 5 ? 5 : 10);
        }
        blocked = false;
        for (const auto &client : clients) {
            QVERIFY(client->waitClosed());
            QCOMPARE(client->body(), expectedBody(page.text));
        }
        // Slots are kept for the next requests.
        QCOMPARE(server.slotCount(), 10);
    }

    void partialSendsContinue()
    {
        Source page;
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
        QCOMPARE(body(exchange(server.port())), expectedBody(page.text));
        QVERIFY(calls > 40);
    }

    void halfClosedClientGetsTheWholePage()
    {
        Source page;
        bool blocked = true;
        int pageSends = 0;
        // The page waits for a full socket to drain; the short answers would never block.
        CHttpSock server(page, blockableOptions(blocked, &pageSends));
        // The request in two pieces, so that the server watches the socket for reading.
        Client client(server.port(), "GE");
        QTRY_COMPARE(server.connectionCount(), 1);
        client.send("T / HTTP/1.0\r\n\r\n");
        QTRY_VERIFY(pageSends > 0);
        // Done sending, still reading: the server sees the end of the request while the page waits.
        QCOMPARE(::shutdown(client.descriptor(), SHUT_WR), 0);
        const int before = pageSends;
        QTRY_VERIFY(pageSends > before + 5);
        QCOMPARE(server.connectionCount(), 1);

        blocked = false;
        QVERIFY(client.waitClosed());
        QCOMPARE(client.body(), expectedBody(page.text));
        QCOMPARE(server.connectionCount(), 0);
    }

    void idleConnectionsClosedAndLoggedUnderTheLimit()
    {
        Source page;
        CHttpSockOptions options = loopbackOptions();
        options.requestTimeoutMs = 100;
        CHttpSock server(page, options);
        // Anybody may open connections as fast as they like and never ask: each is closed when
        // its time is up, the half-asked one too, and the line each closing writes is limited.
        std::vector<std::unique_ptr<Client>> clients;
        for (int i = 0; i < 25; ++i) {
            clients.push_back(std::make_unique<Client>(server.port(), i == 0 ? "GE" : QByteArray()));
            QVERIFY(clients.back()->waitConnected());
        }
        for (const auto &client : clients) {
            QVERIFY(client->waitClosed());
            QCOMPARE(client->received, QByteArray());
        }
        QTRY_COMPARE(server.connectionCount(), 0);
        QCOMPARE(page.requests, 0);
        // The 1st to 11th and the 20th.
        QCOMPARE(countLog(u" closed: no request in time."_qs), 12);
        // The server still answers.
        QCOMPARE(body(exchange(server.port())), expectedBody(page.text));
    }

    void connectionsBeyondTheLimitGet503()
    {
        Source source;
        CHttpSockOptions options = loopbackOptions();
        options.maxConnections = 2;
        CHttpSock server(source, options);
        Client first(server.port());
        QVERIFY(first.waitConnected());
        // An open event stream holds its place like any connection.
        Client reader(server.port(), "GET /live/events HTTP/1.1\r\n\r\n");
        QTRY_COMPARE(server.streamCount(), 1);
        QCOMPARE(server.connectionCount(), 2);
        Client third(server.port());
        QVERIFY(third.waitClosed());
        verifyBusyAnswer(third.received);
        QCOMPARE(countLog(u"http connections at the limit, answering 503 : 2"_qs), 1);

        // Those held are still answered, and a freed place takes the next connection.
        first.send("GET / HTTP/1.0\r\n\r\n");
        QVERIFY(first.waitClosed());
        QCOMPARE(first.body(), expectedBody(source.text));
        QVERIFY(!reader.closed);
        QTRY_COMPARE(server.connectionCount(), 1);
        QCOMPARE(body(exchange(server.port())), expectedBody(source.text));
    }

    void streamFollowsTheCaptions_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QStringList>("missed"); // empty: the state comes first, as a reset
        QTest::newRow("HTTP/1.1") << QByteArray("GET /live/events HTTP/1.1\r\nHost: 127.0.0.1\r\nAccept: "
                                                "text/event-stream\r\nCache-Control: no-cache\r\n\r\n")
                                  << QStringList();
        QTest::newRow("HTTP/1.0") << QByteArray("GET /live/events HTTP/1.0\r\n\r\n") << QStringList();
        QTest::newRow("with a query, in pieces")
            << QByteArray("GET /live/events?x=1 HTTP/1.1\r\nHost: a\r\n\r\n") << QStringList();
        // Back after the second event: only what came since.
        const QStringList missed{u"3"_qs, u"4"_qs};
        QTest::newRow("Last-Event-ID as browsers send it")
            << QByteArray("GET /live/events HTTP/1.1\r\nHost: x\r\nLast-Event-ID: 5eed0001-2\r\n\r\n")
            << missed;
        QTest::newRow("lower case") << QByteArray(
                                           "GET /live/events HTTP/1.1\r\nlast-event-id: 5eed0001-2\r\n\r\n")
                                    << missed;
        QTest::newRow("upper case, no space")
            << QByteArray("GET /live/events HTTP/1.1\r\nLAST-EVENT-ID:5eed0001-2\r\n\r\n") << missed;
    }

    void streamFollowsTheCaptions()
    {
        QFETCH(QByteArray, request);
        QFETCH(QStringList, missed);
        Source source;
        for (const QString &text : {u"1"_qs, u"2"_qs, u"3"_qs, u"4"_qs})
            source.type(text);
        CHttpSockOptions options = loopbackOptions();
        options.requestTimeoutMs = 400;
        CHttpSock server(source, options);
        Client reader(server.port());
        QVERIFY(reader.waitConnected());
        if (QByteArray(QTest::currentDataTag()).contains("pieces")) {
            // A piece of "GET" is neither answered nor refused.
            for (qsizetype at = 0; at < request.size(); at += at < 3 ? 1 : 7) {
                reader.send(request.mid(at, at < 3 ? 1 : 7));
                QTest::qWait(at < 3 ? 30 : 5);
            }
        } else {
            reader.send(request);
        }
        QTRY_COMPARE(reader.events().size(), missed.isEmpty() ? 1 : 2);
        QVERIFY(reader.received.startsWith("HTTP/1.1 200 OK\r\nContent-Type: text/event-stream; "
                                           "charset=utf-8\r\nCache-Control: no-store\r\nConnection: "
                                           "keep-alive\r\n\r\nretry: 2000\n\n"));
        if (missed.isEmpty())
            QCOMPARE(reader.events().first().json().value(u"lines").toArray().size(), 4);

        // Well past the time a request may take, the stream stays open and follows the store.
        QTest::qWait(800);
        QVERIFY(!reader.closed);
        source.type(u"5"_qs);
        QTRY_COMPARE(reader.addedTexts(), missed + QStringList{u"5"_qs});
        QCOMPARE(reader.events().first().type == "reset", missed.isEmpty());
        QCOMPARE(server.streamCount(), 1);
        // A reader that leaves is forgotten.
        reader.close();
        QTRY_COMPARE(server.connectionCount(), 0);
        QCOMPARE(server.streamCount(), 0);
    }

    void manyReadersGetEveryEventInOrder()
    {
        Source source;
        CHttpSock server(source, loopbackOptions());
        // More readers than are sent to in one go of the event loop.
        std::vector<std::unique_ptr<Client>> readers;
        for (int i = 0; i < 150; ++i) {
            readers.push_back(std::make_unique<Client>(server.port(), "GET /live/events HTTP/1.1\r\n\r\n"));
        }
        QTRY_COMPARE(server.streamCount(), 150);
        const QStringList typed{u"a"_qs, u"b"_qs, u"c"_qs, u"d"_qs};
        for (const QString &text : typed)
            source.type(text);
        for (const auto &reader : readers)
            QTRY_COMPARE(reader->addedTexts(), typed);
    }

    void silentStreamGetsKeepAlives()
    {
        Source source;
        CHttpSockOptions options = loopbackOptions();
        options.keepAliveMs = 150;
        CHttpSock server(source, options);
        Client reader(server.port(), "GET /live/events HTTP/1.1\r\n\r\n");
        QTRY_VERIFY(reader.received.contains(": ka\n\n"));
        // Events count as traffic; only silence brings the comment.
        const qsizetype comments = reader.received.count(": ka\n");
        for (int i = 0; i < 6; ++i) {
            source.type(QString::number(i));
            QTest::qWait(50);
        }
        QCOMPARE(reader.received.count(": ka\n"), comments);
        QTRY_VERIFY(reader.received.count(": ka\n") > comments);
        QCOMPARE(reader.addedTexts().size(), 6);
    }

    void slowReaderIsClosed()
    {
        Source source;
        bool blocked = false;
        CHttpSockOptions options = blockableOptions(blocked);
        options.maxStreamBacklog = 2000;
        CHttpSock server(source, options);
        Client slow(server.port(), "GET /live/events HTTP/1.1\r\n\r\n");
        QTRY_COMPARE(server.streamCount(), 1);
        // What does not go out waits, up to the limit.
        blocked = true;
        source.type(QString(300, u'x'));
        source.type(QString(300, u'y'));
        QTest::qWait(50);
        QCOMPARE(server.streamCount(), 1);
        blocked = false;
        QTRY_COMPARE(slow.addedTexts().size(), 2);
        blocked = true;
        for (int i = 0; i < 6; ++i)
            source.type(QString(300, u'z'));
        QTRY_COMPARE(server.streamCount(), 0);
        QVERIFY(slow.waitClosed());
        QCOMPARE(countLog(u" closed: the reader is too slow."_qs), 1);
    }

    void streamWithoutEventsIsRefused()
    {
        Source page;
        page.live = false;
        CHttpSock server(page, loopbackOptions());
        verifyBusyAnswer(exchange(server.port(), "GET /live/events HTTP/1.1\r\n\r\n"));
        QCOMPARE(server.connectionCount(), 0);
    }

    void pageTooLargeGets503()
    {
        Source page;
        CHttpSock server(page, loopbackOptions());
        // The status line, the Date line and the blank line take 56 bytes.
        const int room = 3000 - 56 - static_cast<int>(expectedBody(QString()).size());
        page.text = QString(room, u'x');
        QCOMPARE(body(exchange(server.port())), expectedBody(page.text));
        page.text = QString(room + 1, u'x');
        verifyShortAnswer(exchange(server.port()), "HTTP/1.0 503 Service Unavailable\r\n");
        // Three bytes each in UTF-8.
        page.text = QString(room / 3 + 1, u'字');
        verifyShortAnswer(exchange(server.port()), "HTTP/1.0 503 Service Unavailable\r\n");
        // The slot was given back each time.
        QCOMPARE(server.slotCount(), 5);
        page.text = u"small"_qs;
        QCOMPARE(body(exchange(server.port())), expectedBody(page.text));
    }

    void takenPortFallsBackToTheNext()
    {
        QTcpServer taken;
        QVERIFY(taken.listen(QHostAddress::LocalHost));
        Source page;
        CHttpSockOptions options = loopbackOptions();
        options.ports = {taken.serverPort(), CHttpSockOptions::kAnyPort};
        CHttpSock server(page, options);
        QVERIFY(server.isListening());
        QVERIFY(server.port() != taken.serverPort());
        QCOMPARE(countLog(u"[socket error : WSAEADDRINUSE (10048)]  in bind()"_qs), 1);
        QCOMPARE(body(exchange(server.port())), expectedBody(page.text));

        // No port left.
        options.ports = {taken.serverPort()};
        CHttpSock refused(page, options);
        QVERIFY(!refused.isListening());
        QCOMPARE(refused.port(), 0);
        // Bind addresses are numeric: a name is refused without asking any resolver.
        options.bindAddress = u"localhost"_qs;
        options.ports = {CHttpSockOptions::kAnyPort};
        CHttpSock unresolved(page, options);
        QVERIFY(!unresolved.isListening());
        QCOMPARE(countLog(u"]  in getaddrinfo()"_qs), 1);
    }

    void styleKeepsValidColours()
    {
        Source page;
        CHttpSock server(page, loopbackOptions());
        CHttpPageStyle style{u"12ab9F"_qs, u"\"><b>"_qs, 2000, 300, 100};
        server.setStyle(style);
        style.backgroundColor = u"000000"_qs;
        QCOMPARE(body(exchange(server.port())), expectedBody(page.text, style));
    }

    void dateLine_data()
    {
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("epoch") << qint64(0) << QByteArray("Date: Thu, 01 Jan 1970 00:00:00 GMT");
        QTest::newRow("RFC example") << qint64(784111777)
                                     << QByteArray("Date: Sun, 06 Nov 1994 08:49:37 GMT");
        QTest::newRow("leap day") << qint64(951782400) << QByteArray("Date: Tue, 29 Feb 2000 00:00:00 GMT");
        QTest::newRow("end of a year")
            << qint64(1735689599) << QByteArray("Date: Tue, 31 Dec 2024 23:59:59 GMT");
    }

    void dateLine()
    {
        QFETCH(qint64, seconds);
        QFETCH(QByteArray, line);
        QCOMPARE(CHttpSock::DateLine(seconds), line);
    }

    void addresses()
    {
        const QStringList one{u"192.0.2.10"_qs};
        QCOMPARE(CWebServer::AccessText(one, 80), u"http://192.0.2.10/"_qs);
        QCOMPARE(CWebServer::AccessText(one, 0), u"http://192.0.2.10/"_qs); // not started
        QCOMPARE(CWebServer::AccessText({u"192.0.2.10"_qs, u"198.51.100.7"_qs}, 8081),
                 u"http://192.0.2.10:8081/\r\nhttp://198.51.100.7:8081/"_qs);
        QCOMPARE(CWebServer::AccessText({}, 80), QString());
        QCOMPARE(CWebServer::LiveUrl(u"192.0.2.4"_qs, 8080), u"http://192.0.2.4:8080/live"_qs);
        QCOMPARE(CWebServer::LiveUrl(u"192.0.2.4"_qs, 80), u"http://192.0.2.4/live"_qs);
        QCOMPARE(CWebServer::LiveUrl(u"192.0.2.4"_qs, 0), QString());
        QCOMPARE(CWebServer::LiveUrl(QString(), 8080), QString());
    }

    void webServerServesTheStore()
    {
        CConfig config;
        config.SetInt(u"communication.http.line_i"_qs, 2);
        config.SetString(u"communication.http.color"_qs, u"112233"_qs);
        config.SetInt(u"communication.http.reload_i"_qs, 1500);
        Source source;
        for (const QString &text : {u"one"_qs, u"two"_qs, u"three"_qs})
            source.type(text);

        // The first port is held busy; the address given out before the start must answer after it.
        QTcpServer busy;
        QVERIFY(busy.listen(QHostAddress::LocalHost));
        int port = 0;
        {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost));
            port = probe.serverPort();
        }
        CHttpSockOptions options = loopbackOptions();
        options.ports = {busy.serverPort(), port};
        CWebServer web(config, source.env.store, source.feed, options);
        QCOMPARE(web.expectedPort(), port);
        web.Start();
        QCOMPARE(web.port(), port);
        CHttpPageStyle style;
        style.textColor = u"112233"_qs;
        style.reloadMs = 1500;
        QCOMPARE(body(exchange(port)), expectedBody(u"two<br>three"_qs, style));
        Client reader(port, "GET /live/events HTTP/1.1\r\n\r\n");
        QTRY_COMPARE(reader.events().size(), 1);
        QCOMPARE(reader.events().first().json().value(u"lines").toArray().size(), 3);

        config.SetInt(u"communication.http.line_i"_qs, 1);
        web.ApplySettings();
        source.type(u"four"_qs);
        QCOMPARE(body(exchange(port)), expectedBody(u"four"_qs, style));
        QTRY_COMPARE(reader.addedTexts(), QStringList{u"four"_qs});

        web.Stop();
        QVERIFY(!web.isRunning());
        QCOMPARE(web.port(), 0);
        QVERIFY(reader.waitClosed());
        QCOMPARE(exchange(port), QByteArray());

        // A new start is a new run: the ids of the last one get the state.
        web.Start();
        Client back(web.port(),
                    "GET /live/events HTTP/1.1\r\nLast-Event-ID: " + reader.events().last().id + "\r\n\r\n");
        QTRY_COMPARE(back.events().size(), 1);
        QCOMPARE(back.events().first().type, QByteArray("reset"));
        QCOMPARE(back.events().first().json().value(u"lines").toArray().size(), 4);
    }
};

QTEST_GUILESS_MAIN(TestHttpSock)
#include "test_http_sock.moc"
