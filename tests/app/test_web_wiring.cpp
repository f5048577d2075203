// The web server as the program wires it: the address the settings dialog gives out answers,
// a server that cannot listen is told in the dialog and the display's title, the switch is
// kept with the settings, and the display's QR code carries the address really listened on.
// The server listens on loopback ports chosen and held busy by the test.
#include "MainWindowTestSupport.h"

#include "app/wiring/InstallWindows.h"
#include "core/CQrCodeView.h"
#include "core/CommandIds.h"
#include "web/CDlgCfgHttp.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

namespace {

const QString kRoomAddress = u"192.0.2.5"_qs;

int freePort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost) ? probe.serverPort() : 0;
}

// The status line of a page fetched from the loopback port; empty when nothing answers. The
// server runs on this thread, so the wait runs the event loop.
QByteArray statusLine(int port)
{
    QTcpSocket socket;
    QByteArray response;
    QObject::connect(&socket, &QTcpSocket::connected, &socket,
                     [&socket] { socket.write("GET / HTTP/1.0\r\n\r\n"); });
    QObject::connect(&socket, &QTcpSocket::readyRead, &socket, [&] { response += socket.readAll(); });
    socket.connectToHost(QHostAddress::LocalHost, quint16(port));
    // The server closes the connection after its one response.
    if (!QTest::qWaitFor([&socket] { return socket.state() == QAbstractSocket::UnconnectedState; }, 5000))
        return {};
    response += socket.readAll();
    return response.left(response.indexOf("\r\n"));
}

// What the web settings dialog showed when it opened, and whether it stayed open after OK.
struct DialogSeen
{
    QString access;
    QString status;
    QString code;
    bool openAfterOk = false;
};

} // namespace

class TestWebWiring final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void dialogGivesTheAddressThatAnswers();
    void serverThatCannotListenIsTold();
    void switchKeptForTheNextStart();

private:
    // The main window with the display and the web server on ports (loopback).
    void create(QList<int> ports, bool serverOn = false);
    // Opens the web settings, ticks the switch, presses OK and cancels if it stays open.
    DialogSeen switchOnInTheDialog();

    std::unique_ptr<MainWindowUnderTest> m_main;
    std::unique_ptr<QTcpServer> m_busy;
};

void TestWebWiring::init()
{
    m_busy = std::make_unique<QTcpServer>();
    QVERIFY(m_busy->listen(QHostAddress::LocalHost));
}

void TestWebWiring::cleanup()
{
    m_main.reset();
    m_busy.reset();
}

void TestWebWiring::create(QList<int> ports, bool serverOn)
{
    m_main = std::make_unique<MainWindowUnderTest>(
        QList<AdapterEntry>{{1, u"lan"_qs, kRoomAddress, u"192.0.2.255"_qs}});
    InstallDisplayWindows(m_main->window);
    CHttpSockOptions options;
    options.bindAddress = u"127.0.0.1"_qs;
    options.ports = std::move(ports);
    InstallWebWindows(m_main->window, options);
    m_main->config().SetInt(u"communication.http.server_i"_qs, serverOn ? 1 : 0);
    QVERIFY(m_main->window.Create());
    drainEvents();
}

DialogSeen TestWebWiring::switchOnInTheDialog()
{
    DialogSeen seen;
    QTimer::singleShot(0, this, [&seen] {
        auto *dialog = qobject_cast<CDlgCfgHttp *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        seen.access = dialog->findChild<QPlainTextEdit *>(u"edit1068"_qs)->toPlainText();
        const auto *status = dialog->findChild<QLabel *>(u"httpStatus"_qs);
        const auto *code = dialog->findChild<CQrCodeView *>(u"httpQrCode"_qs);
        seen.status = status->text();
        seen.code = code->isVisibleTo(dialog) ? code->text() : QString();
        dialog->findChild<QCheckBox *>(u"check1067"_qs)->setChecked(true);
        dialog->accept();
        seen.openAfterOk = dialog->isVisible();
        if (seen.openAfterOk)
            dialog->reject();
    });
    m_main->window.OnCommand(CommandId::WebServerSettings);
    return seen;
}

void TestWebWiring::dialogGivesTheAddressThatAnswers()
{
    const int port = freePort();
    create({int(m_busy->serverPort()), port});
    const QString live = QStringLiteral("http://%1:%2/live").arg(kRoomAddress).arg(port);

    const DialogSeen seen = switchOnInTheDialog();
    // Before the server has ever started: the port it then took, not a bare "http://ADDRESS/".
    QCOMPARE(seen.access, QStringLiteral("http://%1:%2/").arg(kRoomAddress).arg(port));
    QVERIFY2(seen.status.contains(QString::number(port)), qPrintable(seen.status));
    QCOMPARE(seen.code, live);
    QVERIFY(!seen.openAfterOk);
    QCOMPARE(statusLine(port), QByteArray("HTTP/1.0 200 OK"));
    QCOMPARE(m_main->config().GetIntOr(u"communication.http.server_i"_qs, -1), 1);

    // The display's code carries the same address, once shown from any window's key.
    CDlgMain *display = m_main->display();
    QVERIFY(!display->isQrCodeShown());
    m_main->window.OnCommand(CommandId::ToggleQrCode);
    QVERIFY(display->isQrCodeShown());
    QCOMPARE(display->qrCodeView()->text(), live);
    QCOMPARE(display->windowTitle(), m_main->window.title());
}

void TestWebWiring::serverThatCannotListenIsTold()
{
    const int port = m_busy->serverPort();
    create({port});
    const QString title = m_main->window.title();

    const DialogSeen seen = switchOnInTheDialog();
    // The dialog stays open to say so, and the display says it too, in its title and where its
    // code would stand.
    QVERIFY(seen.openAfterOk);
    QVERIFY(m_main->window.title().startsWith(title) && m_main->window.title() != title);
    QCOMPARE(m_main->display()->windowTitle(), m_main->window.title());
    QVERIFY(!m_main->display()->qrCodeView()->hasCode());
    QVERIFY(!m_main->display()->qrCodeView()->note().isEmpty());

    // Freed, the port is taken at the next OK, and the title is whole again.
    m_busy.reset();
    const DialogSeen again = switchOnInTheDialog();
    QVERIFY(!again.openAfterOk);
    QCOMPARE(statusLine(port), QByteArray("HTTP/1.0 200 OK"));
    QCOMPARE(m_main->window.title(), title);
}

void TestWebWiring::switchKeptForTheNextStart()
{
    const int port = freePort();
    create({port}, true);
    QCOMPARE(statusLine(port), QByteArray("HTTP/1.0 200 OK"));
    m_main.reset();
    QCOMPARE(statusLine(port), QByteArray());
    create({port}, false);
    QCOMPARE(statusLine(port), QByteArray());
}

QTEST_MAIN(TestWebWiring)
#include "test_web_wiring.moc"
