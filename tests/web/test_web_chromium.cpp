// The page in a real browser: headless Chromium renders the newest lines in typing order and
// reloads by itself when new lines arrive. Skipped (exit code 77) where Chromium is missing.

#include "ChromiumPipe.h"
#include "TestHome.h"

#include "timeline/ReceivedMain.h"
#include "web/CHttpPage.h"
#include "web/CHttpSock.h"
#include "web/IHttpPageSource.h"

#include <QtTest>

#include <cstdio>

namespace {

constexpr int kSkipped = 77;

class StorePage final : public IHttpPageSource
{
public:
    ReceivedMain store;
    int requests = 0;
    QString HttpPageText() override
    {
        ++requests;
        return CHttpPage::BuildPageText(store, 7, 16);
    }
    void add(const QString &line) { store.AddString(line, QStringLiteral("127.0.0.1"), 'i'); }
};

// The rendered paragraph, one line per <br>.
const QString kText =
    QStringLiteral("document.querySelector('p') ? document.querySelector('p').innerText : ''");

} // namespace

class TestWebChromium final : public QObject
{
    Q_OBJECT

private slots:
    void pageRendersAndReloads();
};

void TestWebChromium::pageRendersAndReloads()
{
    TestHome home;
    StorePage page;
    page.store.Configure(100, 10);
    page.store.SetChannelGroup(1, 1);
    for (const char16_t *line : {u"古い行", u"一行目です", u"二行目 a<b & c", u"三行目\n三行目の続き"})
        page.add(QString::fromUtf16(line));

    CHttpSockOptions options;
    options.bindAddress = QStringLiteral("127.0.0.1");
    options.ports = {CHttpSockOptions::kAnyPort};
    CHttpSock server(page, options);
    QVERIFY(server.isListening());

    ChromiumPipe chromium;
    QVERIFY2(chromium.start(ChromiumPipe::executable()), qPrintable(chromium.errorText()));
    const QString session = chromium.openPage(QStringLiteral("http://127.0.0.1:%1/").arg(server.port()));
    QVERIFY2(!session.isEmpty(), qPrintable(chromium.errorText()));

    const QString first = u"古い行\n一行目です\n二行目 a<b & c\n三行目\n三行目の続き"_qs;
    QTRY_COMPARE_WITH_TIMEOUT(chromium.evaluate(session, kText), first, 30000);
    QCOMPARE(chromium.evaluate(session, QStringLiteral("document.title")), u"tavrin情報保障字幕"_qs);
    // The document type puts the browser in standards mode.
    QCOMPARE(chromium.evaluate(session, QStringLiteral("document.compatMode")), u"CSS1Compat"_qs);
    QCOMPARE(chromium.evaluate(session,
                               QStringLiteral("getComputedStyle(document.querySelector('p')).fontWeight")),
             u"700"_qs);

    // New lines arrive; nobody touches the browser.
    const int requestsBefore = page.requests;
    page.add(u"四行目"_qs);
    page.add(u"五行目です"_qs);
    page.add(u"六行目"_qs);
    // Seven lines fit: the oldest line has gone.
    const QString second = u"一行目です\n二行目 a<b & c\n三行目\n三行目の続き\n四行目\n五行目です\n六行目"_qs;
    QTRY_COMPARE_WITH_TIMEOUT(chromium.evaluate(session, kText), second, 30000);
    QVERIFY(page.requests > requestsBefore);
}

int main(int argc, char *argv[])
{
    if (ChromiumPipe::executable().isEmpty()) {
        std::printf("SKIP: no chromium found (install Debian's chromium package or set TAVRIN_CHROMIUM)\n");
        return kSkipped;
    }
    QCoreApplication app(argc, argv);
    TestWebChromium test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_web_chromium.moc"
