// A real main window on loopback, logged in, with its web server on 127.0.0.1, and the live page
// in headless Chromium: what is typed, undone, repaired by a late datagram and cleared reaches the
// reader's page as the display shows it. Reading back, reader settings and the overlay are the
// page's own and tried against a steerable stream (tests/web/test_live_page.cpp). Skipped where
// Chromium is missing.

#include "ChromiumPipe.h"
#include "MainWindowTestSupport.h"
#include "NetFixture.h"

#include "input/CDlgInput.h"
#include "input/CInputBox.h"
#include "web/CHttpSock.h"
#include "web/CWebServer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QtTest>

#include <memory>

namespace {

constexpr int kChannel = 11;
constexpr int kPhoneHeight = 844;
const QString kOwnAddress = QStringLiteral("127.0.30.21");
const QString kPeerAddress = QStringLiteral("127.0.30.22");

} // namespace

class TestMainWindowLive final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void typedUndoneRepairedAndCleared();

private:
    void type(const QString &line)
    {
        CInputBox *box = m_main->tool<CDlgInput>(CMainWindow::ToolWindow::Input)->box(0);
        QTest::keyClicks(box, line);
        QTest::keyClick(box, Qt::Key_Return);
    }
    QString js(const QString &expression) { return m_chromium->evaluate(m_session, expression); }
    // The page's caption lines with text (the blank lines the display starts with are left out).
    QStringList shown()
    {
        QStringList out;
        const QString json = js(u"JSON.stringify([...document.querySelectorAll('#log .line')]"
                                ".map(e => e.textContent).filter(t => t.trim() !== ''))"_qs);
        for (const QJsonValue &value : QJsonDocument::fromJson(json.toUtf8()).array())
            out.append(value.toString());
        return out;
    }
    int viewTop(const QString &text)
    {
        bool ok = false;
        const int top =
            js(u"(() => { const el = [...document.querySelectorAll('#log .line')].find(e => e.textContent "
               u"=== '%1');"
               " return el ? String(Math.round(el.getBoundingClientRect().top)) : 'none'; })()"_qs.arg(text))
                .toInt(&ok);
        return ok ? top : -100000;
    }
    bool openLive()
    {
        m_session =
            m_chromium->openPage(u"http://127.0.0.1:%1/live"_qs.arg(m_server->port()), 390, kPhoneHeight);
        return !m_session.isEmpty() &&
               QTest::qWaitFor(
                   [this] { return js(u"document.documentElement.dataset.connection"_qs) == u"live"_qs; },
                   20000);
    }

    std::unique_ptr<ChromiumPipe> m_chromium;
    std::unique_ptr<MainWindowUnderTest> m_main;
    std::unique_ptr<CWebServer> m_server;
    QString m_session;
};

void TestMainWindowLive::initTestCase()
{
    const QString program = ChromiumPipe::executable();
    if (program.isEmpty())
        QSKIP("no chromium installed (set TAVRIN_CHROMIUM to use another)");
    m_chromium = std::make_unique<ChromiumPipe>();
    QVERIFY2(m_chromium->start(program), qPrintable(m_chromium->errorText()));
}

void TestMainWindowLive::init()
{
    m_main = std::make_unique<MainWindowUnderTest>(
        QList<AdapterEntry>{{1, u"loopback test"_qs, kOwnAddress, u"127.255.255.255"_qs}},
        MainWindowUnderTest::Wired);
    m_main->config().SetString(u"communication.name"_qs, u"typist"_qs);
    m_main->config().SetInt(u"communication.channel_i"_qs, kChannel);
    m_main->config().SetInt(u"communication.group_i"_qs, 1);
    QVERIFY(m_main->window.Create());
    drainEvents();
    QVERIFY(m_main->window.net().isOnline());

    // The server the main window holds, listening on loopback only.
    CHttpSockOptions options;
    options.bindAddress = u"127.0.0.1"_qs;
    options.ports = {CHttpSockOptions::kAnyPort};
    CMainWindow &window = m_main->window;
    m_server =
        std::make_unique<CWebServer>(window.config(), window.captions(), window.captionFeed(), options);
    m_server->Start();
    QVERIFY(m_server->port() > 0);
}

void TestMainWindowLive::cleanup()
{
    if (!m_session.isEmpty())
        js(u"location.replace('about:blank'), ''"_qs);
    m_session.clear();
    m_server.reset();
    m_main.reset();
}

void TestMainWindowLive::typedUndoneRepairedAndCleared()
{
    QVERIFY(openLive());
    type(u"first"_qs);
    QTRY_COMPARE_WITH_TIMEOUT(shown(), QStringList({u"first"_qs}), 1000);

    // A line from another typist that will arrive late, typed before ours.
    NetPeer typist(kPeerAddress, kChannel);
    const quint32 lost = limitedNow();
    QTest::qWait(20);
    type(u"second"_qs);
    QTRY_COMPARE_WITH_TIMEOUT(shown(), QStringList({u"first"_qs, u"second"_qs}), 1000);

    // Undo takes it back into the input box and off the page.
    CInputBox *box = m_main->tool<CDlgInput>(CMainWindow::ToolWindow::Input)->box(0);
    QTest::keyClick(box, Qt::Key_F9);
    QTRY_COMPARE_WITH_TIMEOUT(shown(), QStringList({u"first"_qs}), 1000);
    box->clear();
    type(u"third"_qs);
    QTRY_COMPARE_WITH_TIMEOUT(shown(), QStringList({u"first"_qs, u"third"_qs}), 1000);

    // The typist's next datagram repeats the lost line: it goes before ours, in typing order.
    const NetPeer::Record repeated{kPeerAddress, lost, lost, u'D', 0, u"late"_qs};
    QVERIFY(typist.sendNative(kOwnAddress, NetPeer::native(1, limitedNow(), u'D', u"newest"_qs, {repeated})));
    QTRY_COMPARE_WITH_TIMEOUT(shown(), QStringList({u"first"_qs, u"late"_qs, u"third"_qs, u"newest"_qs}),
                              1000);
    QCOMPARE(m_main->lastCaption()->strRaw, u"newest"_qs);

    // A screen clear: the live view shows nothing from before, the scrollback keeps it.
    QTest::keyClick(m_main->tool<CDlgInput>(CMainWindow::ToolWindow::Input)->box(1), Qt::Key_F11,
                    Qt::ShiftModifier);
    type(u"after the clear"_qs);
    QTRY_COMPARE_WITH_TIMEOUT(shown().value(4), u"after the clear"_qs, 1000);
    QCOMPARE(js(u"String(document.querySelectorAll('#log .clear').length)"_qs), u"1"_qs);
    QVERIFY(viewTop(u"newest"_qs) < 0);
    QVERIFY(viewTop(u"after the clear"_qs) > 0 && viewTop(u"after the clear"_qs) < kPhoneHeight);
}

QTEST_MAIN(TestMainWindowLive)
#include "test_main_window_live.moc"
