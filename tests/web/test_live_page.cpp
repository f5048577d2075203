// The live page and the overlay in headless Chromium, against a steerable event stream on
// 127.0.0.1: what the reader sees as lines arrive, are withdrawn or repaired, while reading back,
// across dropped and refused connections, and after a reload. Skipped where Chromium is missing.

#include "ChromiumPipe.h"
#include "FakeLiveEvents.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QtTest>

#include <memory>

namespace {

constexpr int kPhoneWidth = 390;
constexpr int kPhoneHeight = 844;

QStringList jsonStrings(const QString &json)
{
    QStringList out;
    for (const QJsonValue &value : QJsonDocument::fromJson(json.toUtf8()).array())
        out.append(value.toString());
    return out;
}

} // namespace

class TestLivePage final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void linesArriveWithinASecond();
    void changes_data();
    void changes();
    void droppedStreamMissesNothing();
    void refusedStreamIsOpenedAgain();
    void restartedServerKeepsScrollback();
    void otherChannelLeavesTheLiveView();
    void readingBackHoldsTheView();
    void settingsSurviveAReload();
    void fitsANarrowPhone();
    void displayColours_data();
    void displayColours();
    void overlay_data();
    void overlay();

private:
    bool open(const QString &path, int width = kPhoneWidth, int height = kPhoneHeight);
    QString js(const QString &expression) { return m_chromium->evaluate(m_session, expression); }
    QStringList lines()
    {
        return jsonStrings(
            js(u"JSON.stringify([...document.querySelectorAll('#log .line')].map(e => e.textContent))"_qs));
    }
    QString connection() { return js(u"document.documentElement.dataset.connection"_qs); }
    // Distance of the line with that text from the top of the view, in CSS pixels.
    int viewTop(const QString &text);
    void click(const QString &selector)
    {
        js(u"document.querySelector(%1).click(), ''"_qs.arg(quoted(selector)));
    }
    static QString quoted(const QString &text)
    {
        return QString::fromUtf8(QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact))
            .mid(1)
            .chopped(1);
    }

    std::unique_ptr<ChromiumPipe> m_chromium;
    std::unique_ptr<FakeLiveEvents> m_events;
    QString m_session;
};

void TestLivePage::initTestCase()
{
    const QString program = ChromiumPipe::executable();
    if (program.isEmpty())
        QSKIP("no chromium installed (set TAVRIN_CHROMIUM to use another)");
    m_chromium = std::make_unique<ChromiumPipe>();
    QVERIFY2(m_chromium->start(program), qPrintable(m_chromium->errorText()));
}

void TestLivePage::init()
{
    // A fresh server on another port is another origin: the page's stored settings start empty.
    m_events = std::make_unique<FakeLiveEvents>();
    QVERIFY(m_events->port() != 0);
}

void TestLivePage::cleanup()
{
    if (!m_session.isEmpty())
        js(u"location.replace('about:blank'), ''"_qs);
    m_session.clear();
    m_events.reset();
}

bool TestLivePage::open(const QString &path, int width, int height)
{
    m_session = m_chromium->openPage(m_events->url(path), width, height);
    if (m_session.isEmpty()) {
        qWarning("%s", qPrintable(m_chromium->errorText()));
        return false;
    }
    return QTest::qWaitFor(
        [this] { return m_events->openStreams() == 1 && js(u"document.readyState"_qs) == u"complete"_qs; },
        20000);
}

int TestLivePage::viewTop(const QString &text)
{
    const QString expression =
        u"(() => { const el = [...document.querySelectorAll('#log .line')].find(e => e.textContent === %1);"
        " return el ? String(Math.round(el.getBoundingClientRect().top - document.getElementById('log')"
        ".getBoundingClientRect().top)) : 'none'; })()"_qs.arg(quoted(text));
    bool ok = false;
    const int top = js(expression).toInt(&ok);
    return ok ? top : -100000;
}

void TestLivePage::linesArriveWithinASecond()
{
    m_events->add(u"一行目です。"_qs);
    m_events->add(u"二行目 a<b & c"_qs);
    QVERIFY(open(u"/live"_qs));
    QTRY_COMPARE_WITH_TIMEOUT(lines(), QStringList({u"一行目です。"_qs, u"二行目 a<b & c"_qs}), 5000);
    QTRY_COMPARE(connection(), u"live"_qs);

    m_events->add(u"三行目、新しい行"_qs);
    QTRY_COMPARE_WITH_TIMEOUT(lines().value(2), u"三行目、新しい行"_qs, 1000);
    // The screen reader hears the new line, and only that.
    QCOMPARE(js(u"document.getElementById('announce').textContent"_qs), u"三行目、新しい行"_qs);
    QCOMPARE(js(u"document.getElementById('jump').hidden ? 'hidden' : 'shown'"_qs), u"hidden"_qs);
}

// Each row starts from the lines one (id 1), two (id 2), three (id 3) on the page.
// Steps: "add TEXT", "gross A|B", "insert BEFORE TEXT", "raw JSON", "withdraw ID".
void TestLivePage::changes_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("line at the end") << QStringList{u"add four"_qs}
                                     << QStringList{u"one"_qs, u"two"_qs, u"three"_qs, u"four"_qs};
    QTest::newRow("withdrawn line disappears")
        << QStringList{u"withdraw 2"_qs} << QStringList{u"one"_qs, u"three"_qs};
    QTest::newRow("repaired line lands in typing order")
        << QStringList{u"add four"_qs, u"insert 3 two-and-a-half"_qs}
        << QStringList{u"one"_qs, u"two"_qs, u"two-and-a-half"_qs, u"three"_qs, u"four"_qs};
    QTest::newRow("before unknown: after its predecessor")
        << QStringList{uR"(raw {"id":50,"after":1,"before":99,"type":"D","text":"late","t":0})"_qs}
        << QStringList{u"one"_qs, u"late"_qs, u"two"_qs, u"three"_qs};
    QTest::newRow("neither neighbour known: at the end")
        << QStringList{uR"(raw {"id":51,"after":98,"before":99,"type":"D","text":"stray","t":0})"_qs}
        << QStringList{u"one"_qs, u"two"_qs, u"three"_qs, u"stray"_qs};
    QTest::newRow("a line delivered twice shows once")
        << QStringList{uR"(raw {"id":52,"after":3,"before":0,"type":"D","text":"once","t":0})"_qs,
                       uR"(raw {"id":52,"after":3,"before":0,"type":"D","text":"once","t":0})"_qs}
        << QStringList{u"one"_qs, u"two"_qs, u"three"_qs, u"once"_qs};
    QTest::newRow("gross block keeps its lines together")
        << QStringList{u"gross 資料1|資料2"_qs}
        << QStringList{u"one"_qs, u"two"_qs, u"three"_qs, u"資料1\n資料2"_qs};
    QTest::newRow("withdraw of an unknown line changes nothing")
        << QStringList{u"withdraw 77"_qs} << QStringList{u"one"_qs, u"two"_qs, u"three"_qs};
}

void TestLivePage::changes()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, expected);
    for (const char16_t *text : {u"one", u"two", u"three"})
        m_events->add(QString::fromUtf16(text));
    QVERIFY(open(u"/live"_qs));
    QTRY_COMPARE_WITH_TIMEOUT(lines().size(), 3, 5000);

    for (const QString &step : steps) {
        const QString word = step.section(u' ', 0, 0);
        const QString rest = step.section(u' ', 1);
        if (word == u"add")
            m_events->add(rest);
        else if (word == u"gross")
            m_events->add(QString(rest).replace(u'|', u'\n'), 'G');
        else if (word == u"insert")
            m_events->add(rest.section(u' ', 1), 'D', rest.section(u' ', 0, 0).toLongLong());
        else if (word == u"raw")
            m_events->addRaw(QJsonDocument::fromJson(rest.toUtf8()).object());
        else if (word == u"withdraw")
            m_events->withdraw(rest.toLongLong());
    }
    QTRY_COMPARE_WITH_TIMEOUT(lines(), expected, 1000);
    // Nothing more is on its way.
    QTest::qWait(200);
    QCOMPARE(lines(), expected);
}

void TestLivePage::droppedStreamMissesNothing()
{
    const qint64 one = m_events->add(u"one"_qs);
    m_events->add(u"two"_qs);
    QVERIFY(open(u"/live"_qs));
    QTRY_COMPARE_WITH_TIMEOUT(lines().size(), 2, 5000);
    QTRY_COMPARE(connection(), u"live"_qs);

    m_events->dropReaders();
    QTRY_COMPARE_WITH_TIMEOUT(connection(), u"reconnecting"_qs, 1500);
    // While the reader is away: two lines, an undo.
    m_events->add(u"three"_qs);
    m_events->withdraw(one);
    m_events->add(u"four"_qs);
    QTRY_COMPARE_WITH_TIMEOUT(lines(), QStringList({u"two"_qs, u"three"_qs, u"four"_qs}), 6000);
    QTRY_COMPARE(connection(), u"live"_qs);
    // The browser told where it stopped and got exactly the rest, no second reset.
    QCOMPARE(m_events->lastEventIds.size(), 2);
    QVERIFY(m_events->lastEventIds.at(1).endsWith(u"-2"_qs));
    QCOMPARE(m_events->resetsSent, 1);
}

void TestLivePage::refusedStreamIsOpenedAgain()
{
    for (int i = 1; i <= 5; ++i)
        m_events->add(u"line %1"_qs.arg(i));
    QVERIFY(open(u"/live"_qs));
    QTRY_COMPARE_WITH_TIMEOUT(lines().size(), 5, 5000);

    // The server is full when the reader comes back, and has forgotten the older lines by then.
    m_events->refuse = 1;
    m_events->resetLines = 3;
    m_events->dropReaders();
    m_events->add(u"line 6"_qs);
    m_events->withdraw(4);
    // A browser gives up on a 503 by itself; the page opens the stream anew and merges the reset.
    QTRY_COMPARE_WITH_TIMEOUT(m_events->openStreams(), 1, 10000);
    QCOMPARE(m_events->lastEventIds.size(), 3);
    QCOMPARE(m_events->lastEventIds.at(2), QString(u""_qs));
    // Kept: what the server forgot. Gone: what was withdrawn meanwhile.
    QTRY_COMPARE_WITH_TIMEOUT(
        lines(), QStringList({u"line 1"_qs, u"line 2"_qs, u"line 3"_qs, u"line 5"_qs, u"line 6"_qs}), 2000);
    QTRY_COMPARE(connection(), u"live"_qs);
}

void TestLivePage::restartedServerKeepsScrollback()
{
    m_events->add(u"old one"_qs);
    m_events->add(u"old two"_qs);
    QVERIFY(open(u"/live"_qs));
    QTRY_COMPARE_WITH_TIMEOUT(lines().size(), 2, 5000);

    // The program restarted: a new run whose ids start again at 1.
    m_events->restart();
    m_events->dropReaders();
    QTRY_COMPARE_WITH_TIMEOUT(m_events->openStreams(), 1, 6000);
    const qint64 fresh = m_events->add(u"new one"_qs);
    QCOMPARE(fresh, 1);
    QTRY_COMPARE_WITH_TIMEOUT(lines(), QStringList({u"old one"_qs, u"old two"_qs, u"new one"_qs}), 1000);
    QCOMPARE(js(u"String(document.querySelectorAll('#log .sep').length)"_qs), u"1"_qs);
    // An undo of the new run's line 1 is not the old run's line 1.
    m_events->withdraw(fresh);
    QTRY_COMPARE_WITH_TIMEOUT(lines(), QStringList({u"old one"_qs, u"old two"_qs}), 1000);
}

void TestLivePage::otherChannelLeavesTheLiveView()
{
    m_events->add(u"channel 1, first"_qs);
    m_events->add(u"channel 1, second"_qs);
    QVERIFY(open(u"/live"_qs));
    QTRY_COMPARE_WITH_TIMEOUT(lines().size(), 2, 5000);

    // The server moved to another channel: its lines replace the old ones on the live view, and
    // the old ones stay in scrollback above a separator.
    m_events->replaceAll({u"channel 2, first"_qs});
    QTRY_COMPARE_WITH_TIMEOUT(
        lines(), QStringList({u"channel 1, first"_qs, u"channel 1, second"_qs, u"channel 2, first"_qs}),
        1000);
    QCOMPARE(js(u"String(document.querySelectorAll('#log .sep').length)"_qs), u"1"_qs);
    QVERIFY(viewTop(u"channel 1, second"_qs) < 0);
    QVERIFY(viewTop(u"channel 2, first"_qs) >= 0);

    // A reconnect that finds the same state changes nothing.
    m_events->add(u"channel 2, second"_qs);
    m_events->refuse = 1;
    m_events->dropReaders();
    QTRY_COMPARE_WITH_TIMEOUT(m_events->openStreams(), 1, 10000);
    QTRY_COMPARE(connection(), u"live"_qs);
    QTRY_COMPARE(lines(), QStringList({u"channel 1, first"_qs, u"channel 1, second"_qs,
                                       u"channel 2, first"_qs, u"channel 2, second"_qs}));
    QCOMPARE(js(u"String(document.querySelectorAll('#log .sep').length)"_qs), u"1"_qs);
}

void TestLivePage::readingBackHoldsTheView()
{
    for (int i = 1; i <= 60; ++i)
        m_events->add(u"line %1"_qs.arg(i));
    QVERIFY(open(u"/live"_qs));
    QTRY_COMPARE_WITH_TIMEOUT(lines().size(), 60, 5000);
    QTRY_VERIFY(viewTop(u"line 60"_qs) > 0 && viewTop(u"line 60"_qs) < kPhoneHeight);

    // The reader scrolls back to line 20.
    js(u"(() => { const log = document.getElementById('log'); log.scrollTop = "
       "[...log.querySelectorAll('.line')][19].offsetTop - 30; })(), ''"_qs);
    QTRY_COMPARE(js(u"document.getElementById('jump').hidden ? 'hidden' : 'shown'"_qs), u"shown"_qs);
    const int held = viewTop(u"line 20"_qs);
    QVERIFY(held > 0 && held < 200);

    // Nothing that happens elsewhere moves what they read.
    m_events->add(u"line 61"_qs);
    QTRY_COMPARE(lines().size(), 61);
    QCOMPARE(viewTop(u"line 20"_qs), held);
    m_events->add(u"line 4b, a repaired line above"_qs, 'D', 5);
    QTRY_COMPARE(lines().size(), 62);
    QCOMPARE(viewTop(u"line 20"_qs), held);
    m_events->withdraw(2);
    QTRY_COMPARE(lines().size(), 61);
    QCOMPARE(viewTop(u"line 20"_qs), held);
    m_events->add(u"\n\n"_qs, 'E');
    m_events->add(u"after the clear"_qs);
    QTRY_COMPARE(lines().size(), 62);
    QCOMPARE(viewTop(u"line 20"_qs), held);
    // Even the line they are reading being withdrawn leaves the next one in its place.
    m_events->withdraw(20);
    QTRY_COMPARE(lines().size(), 61);
    QCOMPARE(viewTop(u"line 21"_qs), held);

    click(u"#jump"_qs);
    QTRY_COMPARE(js(u"document.getElementById('jump').hidden ? 'hidden' : 'shown'"_qs), u"hidden"_qs);
    const int newest = viewTop(u"after the clear"_qs);
    QVERIFY(newest > 0 && newest < kPhoneHeight);
    // Following again: the next line is brought into view.
    m_events->add(u"following again"_qs);
    QTRY_VERIFY(viewTop(u"following again"_qs) > 0 && viewTop(u"following again"_qs) < kPhoneHeight);
    QCOMPARE(js(u"document.getElementById('jump').hidden ? 'hidden' : 'shown'"_qs), u"hidden"_qs);
}

void TestLivePage::settingsSurviveAReload()
{
    m_events->add(u"大きな文字"_qs);
    QVERIFY(open(u"/live"_qs));
    QTRY_COMPARE_WITH_TIMEOUT(lines().size(), 1, 5000);
    const QString size = u"getComputedStyle(document.querySelector('#log .line')).fontSize"_qs;
    const QString colour = u"getComputedStyle(document.querySelector('#log .line')).color"_qs;
    const QString background = u"getComputedStyle(document.body).backgroundColor"_qs;
    const QString spacing = u"getComputedStyle(document.querySelector('#log .line')).lineHeight"_qs;
    const QString family = u"getComputedStyle(document.querySelector('#log .line')).fontFamily"_qs;
    // White on black unless the reader chooses otherwise.
    QCOMPARE(js(colour), u"rgb(255, 255, 255)"_qs);
    QCOMPARE(js(background), u"rgb(0, 0, 0)"_qs);
    const QString defaultSize = js(size);

    click(u"#settings"_qs);
    QTRY_COMPARE(js(u"document.getElementById('panel').hidden ? 'hidden' : 'shown'"_qs), u"shown"_qs);
    for (int i = 0; i < 3; ++i)
        click(u"#larger"_qs);
    click(u"#themes [data-value=yb]"_qs);
    click(u"#spacings [data-value='3']"_qs);
    click(u"#fonts [data-value=ud]"_qs);
    const QString chosenSize = js(size);
    QVERIFY2(chosenSize.chopped(2).toDouble() > defaultSize.chopped(2).toDouble(),
             qPrintable(chosenSize + u" after "_qs + defaultSize));
    QCOMPARE(js(colour), u"rgb(255, 235, 59)"_qs);
    const QString chosenSpacing = js(spacing);

    QVERIFY(!m_chromium->call(u"Page.reload"_qs, {}, m_session).isEmpty() ||
            m_chromium->errorText().isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(lines().size(), 1, 5000);
    QCOMPARE(js(size), chosenSize);
    QCOMPARE(js(colour), u"rgb(255, 235, 59)"_qs);
    QCOMPARE(js(background), u"rgb(0, 0, 0)"_qs);
    QCOMPARE(js(spacing), chosenSpacing);
    QVERIFY2(js(family).startsWith(u"\"BIZ UDPGothic\""_qs), qPrintable(js(family)));

    // The size steps reach from phone-small to across the room.
    click(u"#settings"_qs);
    for (int i = 0; i < 12; ++i)
        click(u"#smaller"_qs);
    const double smallest = js(size).chopped(2).toDouble();
    for (int i = 0; i < 12; ++i)
        click(u"#larger"_qs);
    const double largest = js(size).chopped(2).toDouble();
    QVERIFY2(smallest <= 16 && largest >= 72, qPrintable(u"%1 … %2"_qs.arg(smallest).arg(largest)));
}

void TestLivePage::fitsANarrowPhone()
{
    m_events->add(u"https://example.invalid/a-very-long-address-without-any-space-in-it-at-all"_qs);
    m_events->add(u"情報保障とは、誰もが同じ情報を同時に受け取れるようにすることです。"_qs);
    QVERIFY(open(u"/live"_qs, 360, 640));
    QTRY_COMPARE_WITH_TIMEOUT(lines().size(), 2, 5000);
    click(u"#settings"_qs);
    for (int i = 0; i < 12; ++i)
        click(u"#larger"_qs);
    // No sideways scrolling, whatever the size, with the settings open.
    QCOMPARE(js(u"String(document.documentElement.scrollWidth)"_qs), u"360"_qs);
    QCOMPARE(js(u"String(document.getElementById('log').scrollWidth <= 360)"_qs), u"true"_qs);
    // Every control is a large touch target.
    QCOMPARE(js(u"String([...document.querySelectorAll('button')].filter(b => !b.hidden && b.offsetParent)"
                ".every(b => b.offsetHeight >= 44 && b.offsetWidth >= 44))"_qs),
             u"true"_qs);
}

void TestLivePage::displayColours_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("background");
    QTest::addColumn<QString>("colour");
    QTest::addColumn<QString>("backdrop");

    QTest::newRow("sent by the server")
        << u"#ffff00"_qs << u"#000080"_qs << u"rgb(255, 255, 0)"_qs << u"rgb(0, 0, 128)"_qs;
    QTest::newRow("not sent: white on black")
        << QString() << QString() << u"rgb(255, 255, 255)"_qs << u"rgb(0, 0, 0)"_qs;
    QTest::newRow("malformed: white on black")
        << u"yellow"_qs << u"#12"_qs << u"rgb(255, 255, 255)"_qs << u"rgb(0, 0, 0)"_qs;
}

void TestLivePage::displayColours()
{
    QFETCH(QString, text);
    QFETCH(QString, background);
    QFETCH(QString, colour);
    QFETCH(QString, backdrop);
    if (!text.isEmpty())
        m_events->display = {{u"text"_qs, text}, {u"background"_qs, background}};
    m_events->add(u"表示画面の色"_qs);
    QVERIFY(open(u"/live"_qs));
    QTRY_COMPARE_WITH_TIMEOUT(lines().size(), 1, 5000);
    click(u"#settings"_qs);
    click(u"#themes [data-value=display]"_qs);
    QCOMPARE(js(u"getComputedStyle(document.querySelector('#log .line')).color"_qs), colour);
    QCOMPARE(js(u"getComputedStyle(document.body).backgroundColor"_qs), backdrop);
}

void TestLivePage::overlay_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QString>("colour");
    QTest::addColumn<QString>("size");

    QTest::newRow("defaults: three lines, white")
        << QString() << QStringList{u"三"_qs, u"四"_qs, u"五"_qs} << u"rgb(255, 255, 255)"_qs << u"48px"_qs;
    QTest::newRow("two lines, yellow, 30 px")
        << u"?lines=2&color=ffeb3b&size=30"_qs << QStringList{u"四"_qs, u"五"_qs} << u"rgb(255, 235, 59)"_qs
        << u"30px"_qs;
    QTest::newRow("colour with a hash and no outline")
        << u"?lines=1&color=%2300ff00&outline=none"_qs << QStringList{u"五"_qs} << u"rgb(0, 255, 0)"_qs
        << u"48px"_qs;
    QTest::newRow("nonsense falls back")
        << u"?lines=x&color=<b>&size=-4"_qs << QStringList{u"三"_qs, u"四"_qs, u"五"_qs}
        << u"rgb(255, 255, 255)"_qs << u"8px"_qs;
}

void TestLivePage::overlay()
{
    QFETCH(QString, query);
    QFETCH(QStringList, shown);
    QFETCH(QString, colour);
    QFETCH(QString, size);
    for (const char16_t *text : {u"一", u"二", u"三", u"四"})
        m_events->add(QString::fromUtf16(text));
    const qint64 withdrawn = m_events->add(u"取り消し"_qs);
    m_events->add(u"五"_qs);
    m_events->withdraw(withdrawn);
    QVERIFY(open(u"/overlay"_qs + query, 1280, 720));
    const QString rows =
        u"JSON.stringify([...document.querySelectorAll('#lines div')].map(e => e.textContent))"_qs;
    QTRY_COMPARE_WITH_TIMEOUT(jsonStrings(js(rows)), shown, 5000);
    QCOMPARE(js(u"getComputedStyle(document.body).backgroundColor"_qs), u"rgba(0, 0, 0, 0)"_qs);
    QCOMPARE(js(u"getComputedStyle(document.querySelector('#lines div')).color"_qs), colour);
    QCOMPARE(js(u"getComputedStyle(document.querySelector('#lines div')).fontSize"_qs), size);
    const bool outlined = !query.contains(u"outline=none"_qs);
    QCOMPARE(js(u"getComputedStyle(document.querySelector('#lines div')).webkitTextStrokeWidth"_qs) !=
                 u"0px"_qs,
             outlined);

    // A long line that wraps shows its newest rows; nothing older peeks out above.
    m_events->add(QString(400, u'長'));
    QTRY_VERIFY_WITH_TIMEOUT(js(rows).contains(u"長長"_qs), 1000);
    const double height =
        js(u"String(document.getElementById('lines').getBoundingClientRect().height)"_qs).toDouble();
    QVERIFY2(height <= (shown.size() * 1.3 + 0.25) * size.chopped(2).toDouble() + 1,
             qPrintable(QString::number(height)));

    // A screen clear empties it; a gross block counts as its lines.
    m_events->add(u"\n\n"_qs, 'E');
    QTRY_COMPARE_WITH_TIMEOUT(jsonStrings(js(rows)), QStringList(), 1000);
    m_events->add(u"G1\nG2\nG3\nG4"_qs, 'G');
    QTRY_COMPARE_WITH_TIMEOUT(jsonStrings(js(rows)),
                              (QStringList{u"G1"_qs, u"G2"_qs, u"G3"_qs, u"G4"_qs}.mid(4 - shown.size())),
                              1000);
}

QTEST_GUILESS_MAIN(TestLivePage)
#include "test_live_page.moc"
