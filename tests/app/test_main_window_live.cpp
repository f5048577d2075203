// A real main window on loopback, logged in, with the web server's live events on 127.0.0.1, and
// the live page in headless Chromium: what is typed, undone, repaired by a late datagram and
// cleared reaches the reader's page as the display shows it. Skipped where Chromium is missing.

#include "ChromiumPipe.h"
#include "MainWindowTestSupport.h"
#include "NetFixture.h"

#include "input/CDlgInput.h"
#include "input/CInputBox.h"
#include "web/CHttpSock.h"
#include "web/CLiveEvents.h"
#include "web/IHttpPageSource.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QtTest>

#include <memory>

namespace {

constexpr int kChannel = 11;
constexpr int kPhoneHeight = 844;
const QString kOwnAddress = QStringLiteral("127.0.30.21");
const QString kPeerAddress = QStringLiteral("127.0.30.22");

// The web server's view of the main window, as the program gives it: the live events of its feed.
class LiveSource final : public IHttpPageSource
{
public:
    explicit LiveSource(CMainWindow &window) : live(window.captionFeed(), window.captions()) {}
    QString HttpPageText() override { return {}; }
    CLiveEvents *LiveEvents() override { return &live; }

    CLiveEvents live;
};

} // namespace

class TestMainWindowLive final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void typedUndoneRepairedAndCleared();
    void readingBackAndSettingsOverAReload();

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
    std::unique_ptr<LiveSource> m_source;
    std::unique_ptr<CHttpSock> m_server;
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

    m_source = std::make_unique<LiveSource>(m_main->window);
    CHttpSockOptions options;
    options.bindAddress = u"127.0.0.1"_qs;
    options.ports = {CHttpSockOptions::kAnyPort};
    m_server = std::make_unique<CHttpSock>(*m_source, options);
    QVERIFY(m_server->isListening());
}

void TestMainWindowLive::cleanup()
{
    if (!m_session.isEmpty())
        js(u"location.replace('about:blank'), ''"_qs);
    m_session.clear();
    m_server.reset();
    m_source.reset();
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

void TestMainWindowLive::readingBackAndSettingsOverAReload()
{
    QVERIFY(openLive());
    for (int i = 1; i <= 40; ++i)
        type(u"line %1"_qs.arg(i));
    QTRY_COMPARE_WITH_TIMEOUT(shown().size(), 40, 5000);

    js(u"(() => { const log = document.getElementById('log'); "
       "log.scrollTop = [...log.querySelectorAll('.line')].find(e => e.textContent === 'line 10').offsetTop "
       "- 40; "
       "})(), ''"_qs);
    QTRY_COMPARE(js(u"document.getElementById('jump').hidden ? 'hidden' : 'shown'"_qs), u"shown"_qs);
    const int held = viewTop(u"line 10"_qs);
    type(u"line 41"_qs);
    QTRY_COMPARE_WITH_TIMEOUT(shown().size(), 41, 1000);
    QCOMPARE(viewTop(u"line 10"_qs), held);

    js(u"document.getElementById('jump').click(), ''"_qs);
    QTRY_VERIFY(viewTop(u"line 41"_qs) > 0 && viewTop(u"line 41"_qs) < kPhoneHeight);
    QCOMPARE(js(u"document.getElementById('jump').hidden ? 'hidden' : 'shown'"_qs), u"hidden"_qs);

    // The reader's choice of size and colours outlives a reload, which brings the lines back.
    js(u"document.getElementById('settings').click(), document.getElementById('larger').click(), "
       "document.querySelector('#themes [data-value=yb]').click(), ''"_qs);
    const QString size = u"getComputedStyle(document.getElementById('log')).fontSize"_qs;
    const QString chosen = js(size);
    m_chromium->call(u"Page.reload"_qs, {}, m_session);
    QTRY_COMPARE_WITH_TIMEOUT(shown().size(), 41, 5000);
    QCOMPARE(js(size), chosen);
    QCOMPARE(js(u"document.documentElement.dataset.theme"_qs), u"yb"_qs);
    type(u"line 42"_qs);
    QTRY_COMPARE_WITH_TIMEOUT(shown().value(41), u"line 42"_qs, 1000);
}

QTEST_MAIN(TestMainWindowLive)
#include "test_main_window_live.moc"
