// Which port the web server is reached on before and after it starts: ports held busy by the test
// itself, on loopback. A server that cannot listen is tried through the program's windows
// (tests/app/test_web_wiring.cpp).
#include "TestHome.h"

#include "config/CConfig.h"
#include "timeline/CCaptionFeed.h"
#include "timeline/ReceivedMain.h"
#include "web/CWebServer.h"

#include <QTcpServer>
#include <QtTest>

namespace {

// A port that nothing listens on at the moment (the system's choice, given back at once).
int freePort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost) ? probe.serverPort() : 0;
}

CHttpSockOptions loopbackPorts(QList<int> ports)
{
    CHttpSockOptions options;
    options.bindAddress = u"127.0.0.1"_qs;
    options.ports = std::move(ports);
    return options;
}

} // namespace

class TestWebServerPort final : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_home = std::make_unique<TestHome>(); }
    void cleanup() { m_home.reset(); }

    void portBeforeStartIsTheOneAStartTakes()
    {
        QTcpServer busy;
        QVERIFY(busy.listen(QHostAddress::LocalHost));
        const int next = freePort();
        QVERIFY(next != 0);
        CConfig config;
        ReceivedMain store;
        CCaptionFeed feed(store);
        CWebServer web(config, store, feed, loopbackPorts({busy.serverPort(), next}));

        // Not the 0 of a stopped server: the address given out before the start must answer after it.
        QCOMPARE(web.expectedPort(), next);
        QCOMPARE(CWebServer::AccessText({u"192.0.2.4"_qs}, web.expectedPort()),
                 QStringLiteral("http://192.0.2.4:%1/").arg(next));
        QVERIFY(web.StatusText().contains(QString::number(next)));
        web.Start();
        QVERIFY(web.isListening());
        QCOMPARE(web.port(), next);
        QCOMPARE(web.expectedPort(), next);
        QVERIFY(web.StatusText().contains(QString::number(next)));
        QVERIFY(web.TitleNotice().isEmpty());
    }

    void liveUrl_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("url");
        QTest::newRow("fallback port") << u"192.0.2.4"_qs << 8080 << u"http://192.0.2.4:8080/live"_qs;
        QTest::newRow("standard port") << u"192.0.2.4"_qs << 80 << u"http://192.0.2.4/live"_qs;
        QTest::newRow("no port: no address") << u"192.0.2.4"_qs << 0 << QString();
        QTest::newRow("no adapter") << QString() << 8080 << QString();
    }

    void liveUrl()
    {
        QFETCH(QString, address);
        QFETCH(int, port);
        QFETCH(QString, url);
        QCOMPARE(CWebServer::LiveUrl(address, port), url);
    }

private:
    std::unique_ptr<TestHome> m_home;
};

QTEST_GUILESS_MAIN(TestWebServerPort)
#include "test_web_server_port.moc"
