// Connections that never send a request are closed when their time is up; anybody can open them
// as fast as they like, so the line each closing writes is limited.
#include "TestHome.h"

#include "web/CHttpSock.h"
#include "web/IHttpPageSource.h"

#include <QTcpSocket>
#include <QtTest>

#include <memory>
#include <vector>

namespace {

class Page final : public IHttpPageSource
{
public:
    QString HttpPageText() override { return QStringLiteral("line"); }
};

} // namespace

class TestHttpIdleLog final : public QObject
{
    Q_OBJECT

private slots:
    void silentConnectionsClosedAndLoggedUnderTheLimit()
    {
        TestHome home;
        Page page;
        CHttpSockOptions options;
        options.bindAddress = QStringLiteral("127.0.0.1");
        options.ports = {CHttpSockOptions::kAnyPort};
        options.requestTimeoutMs = 50;
        CHttpSock server(page, options);
        QVERIFY(server.isListening());

        std::vector<std::unique_ptr<QTcpSocket>> clients;
        for (int i = 0; i < 25; ++i) {
            clients.push_back(std::make_unique<QTcpSocket>());
            clients.back()->connectToHost(QStringLiteral("127.0.0.1"), static_cast<quint16>(server.port()));
        }
        for (auto &client : clients)
            QVERIFY(client->waitForConnected(5000));
        QTRY_COMPARE(server.connectionCount(), 25);
        // Every one is closed by the server.
        QTRY_COMPARE(server.connectionCount(), 0);
        for (auto &client : clients)
            QTRY_COMPARE(client->state(), QAbstractSocket::UnconnectedState);

        qsizetype logged = 0;
        for (const QString &line : operationLogLines())
            logged += line.startsWith(QStringLiteral("http socket ")) &&
                      line.endsWith(QStringLiteral(" closed: no request in time."));
        // The 1st to 11th and the 20th.
        QCOMPARE(logged, 12);

        // A client that asks still gets its page.
        QTcpSocket asking;
        asking.connectToHost(QStringLiteral("127.0.0.1"), static_cast<quint16>(server.port()));
        QVERIFY(asking.waitForConnected(5000));
        asking.write("GET / HTTP/1.0\r\n\r\n");
        QByteArray response;
        QTRY_VERIFY((response += asking.readAll()).startsWith("HTTP/1.0 200 OK"));
    }
};

QTEST_GUILESS_MAIN(TestHttpIdleLog)
#include "test_http_idle_log.moc"
