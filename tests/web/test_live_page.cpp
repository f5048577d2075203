// The live page and the overlay in headless Chromium against the program's own web server on
// 127.0.0.1, fed by a caption store: what the reader sees as lines arrive, are withdrawn or
// repaired, while reading back, across dropped, refused and restarted streams, and after a
// reload. Skipped where Chromium is missing.

#include "ChromiumPipe.h"
#include "StoreEnvironment.h"

#include "config/CConfig.h"
#include "timeline/CCaptionFeed.h"
#include "web/CHttpSock.h"
#include "web/CLiveEvents.h"
#include "web/CWebServer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTcpSocket>
#include <QtTest>

#include <cerrno>
#include <memory>
#include <sys/socket.h>

namespace {

constexpr int kPhoneWidth = 390;
constexpr int kPhoneHeight = 844;
constexpr int kMaxConnections = 8;

QStringList jsonStrings(const QString &json)
{
    QStringList out;
    for (const QJsonValue &value : QJsonDocument::fromJson(json.toUtf8()).array())
        out.append(value.toString());
    return out;
}

// The program's side: a caption store in channel 1, group 1, its feed and the web server on a
// port of 127.0.0.1. While `broken`, every send fails as on a connection that has gone away.
struct Program
{
    explicit Program(int port) : web(config, env.store, feed, options(port)) { web.Start(); }

    CHttpSockOptions options(int port)
    {
        CHttpSockOptions options;
        options.bindAddress = u"127.0.0.1"_qs;
        options.ports = {port};
        options.maxConnections = kMaxConnections;
        options.send = [this](int socket, const char *data, qint64 size) -> qint64 {
            if (broken) {
                errno = EPIPE;
                return -1;
            }
            busyAnswers += QByteArrayView(data, size).startsWith("HTTP/1.1 503");
            return ::send(socket, data, static_cast<size_t>(size), MSG_NOSIGNAL);
        };
        return options;
    }

    StoreEnvironment env;
    CCaptionFeed feed{env.store};
    CConfig config;
    bool broken = false;
    int busyAnswers = 0;
    CWebServer web;
    qint32 lastAt = 1000;
    QHash<qint32, QString> typistAt;
};

} // namespace

class TestLivePage final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        const QString program = ChromiumPipe::executable();
        if (program.isEmpty())
            QSKIP("no chromium installed (set TAVRIN_CHROMIUM to use another)");
        m_chromium = std::make_unique<ChromiumPipe>();
        QVERIFY2(m_chromium->start(program), qPrintable(m_chromium->errorText()));
    }

    void init()
    {
        // A fresh server on another port is another origin: the page's stored settings start empty.
        m_program = std::make_unique<Program>(CHttpSockOptions::kAnyPort);
        QVERIFY(m_program->web.isListening());
    }

    void cleanup()
    {
        if (!m_session.isEmpty())
            js(u"location.replace('about:blank'), ''"_qs);
        m_session.clear();
        m_program.reset();
    }

    // Each row starts from the lines one, two, three (received at 1010, 1020, 1030) on the page.
    // Steps: "add TEXT", "gross A|B", "insert AT TEXT", "dead AT" (a line that arrives withdrawn and
    // is never shown), "withdraw AT", "event NAME JSON" (sent as it is).
    void changes_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("line at the end")
            << QStringList{u"add four"_qs} << QStringList{u"one"_qs, u"two"_qs, u"three"_qs, u"four"_qs};
        QTest::newRow("withdrawn line disappears")
            << QStringList{u"withdraw 1020"_qs} << QStringList{u"one"_qs, u"three"_qs};
        QTest::newRow("repaired line lands in typing order")
            << QStringList{u"add four"_qs, u"insert 1025 two-and-a-half"_qs}
            << QStringList{u"one"_qs, u"two"_qs, u"two-and-a-half"_qs, u"three"_qs, u"four"_qs};
        QTest::newRow("before unknown: after its predecessor")
            << QStringList{u"dead 1015"_qs, u"insert 1012 late"_qs}
            << QStringList{u"one"_qs, u"late"_qs, u"two"_qs, u"three"_qs};
        QTest::newRow("neither neighbour known: at the end")
            << QStringList{u"dead 1040"_qs, u"dead 1050"_qs, u"insert 1045 stray"_qs}
            << QStringList{u"one"_qs, u"two"_qs, u"three"_qs, u"stray"_qs};
        QTest::newRow("a line delivered twice shows once")
            << QStringList(
                   2, u"event add {\"id\":52,\"after\":3,\"before\":0,\"type\":\"D\",\"text\":\"once\"}"_qs)
            << QStringList{u"one"_qs, u"two"_qs, u"three"_qs, u"once"_qs};
        QTest::newRow("gross block keeps its lines together")
            << QStringList{u"gross 資料1|資料2"_qs}
            << QStringList{u"one"_qs, u"two"_qs, u"three"_qs, u"資料1\n資料2"_qs};
        QTest::newRow("withdraw of an unknown line changes nothing")
            << QStringList{u"event withdraw {\"id\":77}"_qs}
            << QStringList{u"one"_qs, u"two"_qs, u"three"_qs};
    }

    void changes()
    {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, expected);
        for (const char16_t *text : {u"one", u"two", u"three"})
            add(QString::fromUtf16(text));
        QVERIFY(open(u"/live"_qs));
        QTRY_COMPARE_WITH_TIMEOUT(lines().size(), 3, 5000);

        for (const QString &step : steps) {
            const QString word = step.section(u' ', 0, 0);
            const QString rest = step.section(u' ', 1);
            const qint32 at = rest.section(u' ', 0, 0).toInt();
            if (word == u"add")
                add(rest);
            else if (word == u"gross")
                add(QString(rest).replace(u'|', u'\n'), 'G');
            else if (word == u"insert")
                add(rest.section(u' ', 1), 'D', at);
            else if (word == u"dead")
                add(word, 'D', at, CReceivedMainData::kFlagWithdrawnLocal);
            else if (word == u"withdraw")
                withdraw(at);
            else if (word == u"event")
                inject(rest.section(u' ', 0, 0).toUtf8(), rest.section(u' ', 1).toUtf8());
        }
        QTRY_COMPARE_WITH_TIMEOUT(lines(), expected, 1000);
        // Nothing more is on its way.
        QTest::qWait(200);
        QCOMPARE(lines(), expected);
    }

    void droppedStreamMissesNothing()
    {
        const qint32 one = add(u"一行目です。"_qs);
        add(u"二行目 a<b & c"_qs);
        QVERIFY(open(u"/live"_qs));
        QTRY_COMPARE_WITH_TIMEOUT(lines(), QStringList({u"一行目です。"_qs, u"二行目 a<b & c"_qs}), 5000);
        QTRY_COMPARE(connection(), u"live"_qs);

        // While the reader is away: two lines, an undo.
        dropWith(u"three"_qs);
        QTRY_COMPARE_WITH_TIMEOUT(connection(), u"reconnecting"_qs, 1500);
        withdraw(one);
        add(u"four"_qs);
        QTRY_COMPARE_WITH_TIMEOUT(lines(), QStringList({u"二行目 a<b & c"_qs, u"three"_qs, u"four"_qs}),
                                  6000);
        QTRY_COMPARE(connection(), u"live"_qs);
        QCOMPARE(separators(), u"0"_qs);
        // The screen reader hears each new line once, and only those; the view follows them.
        QCOMPARE(js(u"document.getElementById('announce').textContent"_qs), u"threefour"_qs);
        QCOMPARE(jump(), u"hidden"_qs);
    }

    void refusedStreamIsOpenedAgain()
    {
        QStringList expected;
        for (int i = 1; i <= 5; ++i)
            add(expected.emplace_back(u"line %1"_qs.arg(i)));
        QVERIFY(open(u"/live"_qs));
        QTRY_COMPARE_WITH_TIMEOUT(lines(), expected, 5000);

        // The server is full when the reader comes back, and by then remembers only the newest lines
        // (from line 3 on), not line 4, which was withdrawn.
        dropWith(expected.emplace_back(u"line 6"_qs));
        withdraw(1040);
        expected.removeAt(3);
        for (int i = 7; i < 7 + CLiveEvents::kStateLines - 3; ++i)
            add(expected.emplace_back(u"line %1"_qs.arg(i)));
        refuseNextReader();
        // A browser gives up on a 503 by itself; the page opens the stream anew and merges the state.
        QTRY_COMPARE_WITH_TIMEOUT(streams(), 1, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(lines(), expected, 2000);
        QTRY_COMPARE(connection(), u"live"_qs);
        QCOMPARE(separators(), u"0"_qs);
    }

    void restartedServerKeepsScrollback()
    {
        add(u"old one"_qs);
        add(u"old two"_qs);
        QVERIFY(open(u"/live"_qs));
        QTRY_COMPARE_WITH_TIMEOUT(lines().size(), 2, 5000);

        // The program restarted on the same port: a new run whose ids start again at 1.
        const int port = m_program->web.port();
        m_program.reset();
        m_program = std::make_unique<Program>(port);
        QTRY_COMPARE_WITH_TIMEOUT(streams(), 1, 6000);
        const qint32 fresh = add(u"new one"_qs);
        QCOMPARE(m_program->feed.currentLines().first().id, 1);
        QTRY_COMPARE_WITH_TIMEOUT(lines(), QStringList({u"old one"_qs, u"old two"_qs, u"new one"_qs}), 1000);
        QCOMPARE(separators(), u"1"_qs);
        // An undo of the new run's line 1 is not the old run's line 1.
        withdraw(fresh);
        QTRY_COMPARE_WITH_TIMEOUT(lines(), QStringList({u"old one"_qs, u"old two"_qs}), 1000);
    }

    void otherChannelLeavesTheLiveView()
    {
        add(u"channel 1, first"_qs);
        add(u"channel 1, second"_qs);
        QVERIFY(open(u"/live"_qs));
        QTRY_COMPARE_WITH_TIMEOUT(lines().size(), 2, 5000);

        // The server moved to another channel: its lines replace the old ones on the live view, and
        // the old ones stay in scrollback above a separator.
        m_program->env.store.SetChannelGroup(2, 1);
        m_program->env.clock.advance(1000);
        add(u"channel 2, first"_qs);
        QTRY_COMPARE_WITH_TIMEOUT(
            lines(), QStringList({u"channel 1, first"_qs, u"channel 1, second"_qs, u"channel 2, first"_qs}),
            1000);
        QCOMPARE(separators(), u"1"_qs);
        QVERIFY(viewTop(u"channel 1, second"_qs) < 0);
        QVERIFY(viewTop(u"channel 2, first"_qs) >= 0);

        // A reconnect that finds the same state changes nothing.
        dropWith(u"channel 2, second"_qs);
        refuseNextReader();
        QTRY_COMPARE_WITH_TIMEOUT(streams(), 1, 10000);
        QTRY_COMPARE(connection(), u"live"_qs);
        QTRY_COMPARE(lines(), QStringList({u"channel 1, first"_qs, u"channel 1, second"_qs,
                                           u"channel 2, first"_qs, u"channel 2, second"_qs}));
        QCOMPARE(separators(), u"1"_qs);
    }

    void readingBackHoldsTheView()
    {
        // Far enough back for a repaired line above the view.
        m_program->env.store.Configure(2000, 100);
        for (int i = 1; i <= 60; ++i)
            add(u"line %1"_qs.arg(i));
        QVERIFY(open(u"/live"_qs));
        QTRY_COMPARE_WITH_TIMEOUT(lines().size(), 60, 5000);
        QTRY_VERIFY(inView(u"line 60"_qs));

        // The reader scrolls back to line 20.
        js(u"(() => { const log = document.getElementById('log'); log.scrollTop = "
           "[...log.querySelectorAll('.line')][19].offsetTop - 30; })(), ''"_qs);
        QTRY_COMPARE(jump(), u"shown"_qs);
        const int held = viewTop(u"line 20"_qs);
        QVERIFY(held > 0 && held < 200);

        // Nothing that happens elsewhere moves what they read.
        add(u"line 61"_qs);
        QTRY_COMPARE(lines().size(), 61);
        QCOMPARE(viewTop(u"line 20"_qs), held);
        add(u"line 4b, a repaired line above"_qs, 'D', 1045);
        QTRY_COMPARE(lines().size(), 62);
        QCOMPARE(lines().at(4), u"line 4b, a repaired line above"_qs);
        QCOMPARE(viewTop(u"line 20"_qs), held);
        withdraw(1020);
        QTRY_COMPARE(lines().size(), 61);
        QCOMPARE(viewTop(u"line 20"_qs), held);
        add(u"\n\n"_qs, 'E');
        add(u"after the clear"_qs);
        QTRY_COMPARE(lines().size(), 62);
        QCOMPARE(viewTop(u"line 20"_qs), held);
        // Even the line they are reading being withdrawn leaves the next one in its place.
        withdraw(1200);
        QTRY_COMPARE(lines().size(), 61);
        QCOMPARE(viewTop(u"line 21"_qs), held);

        click(u"#jump"_qs);
        QTRY_COMPARE(jump(), u"hidden"_qs);
        QVERIFY(inView(u"after the clear"_qs));
        // Following again: the next line is brought into view.
        add(u"following again"_qs);
        QTRY_VERIFY(inView(u"following again"_qs));
        QCOMPARE(jump(), u"hidden"_qs);
    }

    // The reader's choices survive a reload; the sizes reach from phone-small to across the room
    // and fit a narrow phone; the display's colours are taken when the server sends colours.
    void readerSettings()
    {
        add(u"https://example.invalid/a-very-long-address-without-any-space-in-it-at-all"_qs);
        add(u"情報保障とは、誰もが同じ情報を同時に受け取れるようにすることです。"_qs);
        QVERIFY(open(u"/live"_qs, 360, 640));
        QTRY_COMPARE_WITH_TIMEOUT(lines().size(), 2, 5000);
        const auto style = [this](const char *property) {
            return js(
                u"getComputedStyle(document.querySelector('#log .line')).%1"_qs.arg(QLatin1String(property)));
        };
        const QString background = u"getComputedStyle(document.body).backgroundColor"_qs;
        const QString white = u"rgb(255, 255, 255)"_qs;
        const QString black = u"rgb(0, 0, 0)"_qs;
        // White on black unless the reader chooses otherwise.
        QCOMPARE(style("color"), white);
        QCOMPARE(js(background), black);
        const QString defaultSize = style("fontSize");

        click(u"#settings"_qs);
        QTRY_COMPARE(js(u"document.getElementById('panel').hidden ? 'hidden' : 'shown'"_qs), u"shown"_qs);
        for (int i = 0; i < 3; ++i)
            click(u"#larger"_qs);
        click(u"#themes [data-value=yb]"_qs);
        click(u"#spacings [data-value='3']"_qs);
        click(u"#fonts [data-value=ud]"_qs);
        const QString chosenSize = style("fontSize");
        QVERIFY2(chosenSize.chopped(2).toDouble() > defaultSize.chopped(2).toDouble(),
                 qPrintable(chosenSize + u" after "_qs + defaultSize));
        QCOMPARE(style("color"), u"rgb(255, 235, 59)"_qs);
        const QString chosenSpacing = style("lineHeight");

        QVERIFY(!m_chromium->call(u"Page.reload"_qs, {}, m_session).isEmpty() ||
                m_chromium->errorText().isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(lines().size(), 2, 5000);
        QCOMPARE(style("fontSize"), chosenSize);
        QCOMPARE(style("color"), u"rgb(255, 235, 59)"_qs);
        QCOMPARE(js(background), black);
        QCOMPARE(style("lineHeight"), chosenSpacing);
        QVERIFY2(style("fontFamily").startsWith(u"\"BIZ UDPGothic\""_qs), qPrintable(style("fontFamily")));

        // The display's own colours: white on black until the server sends six-digit colours.
        click(u"#settings"_qs);
        click(u"#themes [data-value=display]"_qs);
        QCOMPARE(style("color"), white);
        const QByteArray state = m_program->web.LiveEvents()->resetEvent();
        const QByteArray lines = state.mid(state.indexOf("data: {") + 7).trimmed();
        inject("reset", "{\"display\":{\"text\":\"yellow\",\"background\":\"#12\"}," + lines);
        QTest::qWait(200);
        QCOMPARE(style("color"), white);
        QCOMPARE(js(background), black);
        inject("reset", "{\"display\":{\"text\":\"#ffff00\",\"background\":\"#000080\"}," + lines);
        QTRY_COMPARE(style("color"), u"rgb(255, 255, 0)"_qs);
        QCOMPARE(js(background), u"rgb(0, 0, 128)"_qs);

        for (int i = 0; i < 12; ++i)
            click(u"#smaller"_qs);
        const double smallest = style("fontSize").chopped(2).toDouble();
        for (int i = 0; i < 12; ++i)
            click(u"#larger"_qs);
        const double largest = style("fontSize").chopped(2).toDouble();
        QVERIFY2(smallest <= 16 && largest >= 72, qPrintable(u"%1 … %2"_qs.arg(smallest).arg(largest)));
        // No sideways scrolling at the largest size with the settings open.
        QCOMPARE(js(u"String(document.documentElement.scrollWidth)"_qs), u"360"_qs);
        QCOMPARE(js(u"String(document.getElementById('log').scrollWidth <= 360)"_qs), u"true"_qs);
        // Every control is a large touch target.
        QCOMPARE(
            js(u"String([...document.querySelectorAll('button')].filter(b => !b.hidden && b.offsetParent)"
               ".every(b => b.offsetHeight >= 44 && b.offsetWidth >= 44))"_qs),
            u"true"_qs);
    }

    void overlay_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QString>("colour");
        QTest::addColumn<QString>("size");

        QTest::newRow("defaults: three lines, white")
            << QString() << QStringList{u"三"_qs, u"四"_qs, u"五"_qs} << u"rgb(255, 255, 255)"_qs
            << u"48px"_qs;
        QTest::newRow("two lines, yellow, 30 px")
            << u"?lines=2&color=ffeb3b&size=30"_qs << QStringList{u"四"_qs, u"五"_qs}
            << u"rgb(255, 235, 59)"_qs << u"30px"_qs;
        QTest::newRow("colour with a hash and no outline")
            << u"?lines=1&color=%2300ff00&outline=none"_qs << QStringList{u"五"_qs} << u"rgb(0, 255, 0)"_qs
            << u"48px"_qs;
        QTest::newRow("nonsense falls back")
            << u"?lines=x&color=<b>&size=-4"_qs << QStringList{u"三"_qs, u"四"_qs, u"五"_qs}
            << u"rgb(255, 255, 255)"_qs << u"8px"_qs;
    }

    void overlay()
    {
        QFETCH(QString, query);
        QFETCH(QStringList, shown);
        QFETCH(QString, colour);
        QFETCH(QString, size);
        for (const char16_t *text : {u"一", u"二", u"三", u"四"})
            add(QString::fromUtf16(text));
        const qint32 withdrawn = add(u"取り消し"_qs);
        add(u"五"_qs);
        withdraw(withdrawn);
        QVERIFY(open(u"/overlay"_qs + query, 1280, 720));
        const QString rows =
            u"JSON.stringify([...document.querySelectorAll('#lines div')].map(e => e.textContent))"_qs;
        QTRY_COMPARE_WITH_TIMEOUT(jsonStrings(js(rows)), shown, 5000);
        const auto style = [this](const char *property) {
            return js(
                u"getComputedStyle(document.querySelector('#lines div')).%1"_qs.arg(QLatin1String(property)));
        };
        QCOMPARE(js(u"getComputedStyle(document.body).backgroundColor"_qs), u"rgba(0, 0, 0, 0)"_qs);
        QCOMPARE(style("color"), colour);
        QCOMPARE(style("fontSize"), size);
        QCOMPARE(style("webkitTextStrokeWidth") != u"0px"_qs, !query.contains(u"outline=none"_qs));

        // A long line that wraps shows its newest rows; nothing older peeks out above.
        add(QString(400, u'長'));
        QTRY_VERIFY_WITH_TIMEOUT(js(rows).contains(u"長長"_qs), 1000);
        const double height =
            js(u"String(document.getElementById('lines').getBoundingClientRect().height)"_qs).toDouble();
        QVERIFY2(height <= (shown.size() * 1.3 + 0.25) * size.chopped(2).toDouble() + 1,
                 qPrintable(QString::number(height)));

        // A screen clear empties it; a gross block counts as its lines.
        add(u"\n\n"_qs, 'E');
        QTRY_COMPARE_WITH_TIMEOUT(jsonStrings(js(rows)), QStringList(), 1000);
        add(u"G1\nG2\nG3\nG4"_qs, 'G');
        QTRY_COMPARE_WITH_TIMEOUT(jsonStrings(js(rows)),
                                  (QStringList{u"G1"_qs, u"G2"_qs, u"G3"_qs, u"G4"_qs}.mid(4 - shown.size())),
                                  1000);
    }

private:
    bool open(const QString &path, int width = kPhoneWidth, int height = kPhoneHeight)
    {
        m_session = m_chromium->openPage(u"http://127.0.0.1:%1%2"_qs.arg(m_program->web.port()).arg(path),
                                         width, height);
        if (m_session.isEmpty()) {
            qWarning("%s", qPrintable(m_chromium->errorText()));
            return false;
        }
        return QTest::qWaitFor(
            [this] { return streams() == 1 && js(u"document.readyState"_qs) == u"complete"_qs; }, 20000);
    }
    // A line from a typist of its own, received `at` ms after midnight (10 ms after the previous
    // line when 0): one received between two others is a repaired line and lands between them.
    // Returns `at`, which names the line.
    qint32 add(const QString &text, qint32 type = 'D', qint32 at = 0, qint32 flag = 0)
    {
        Program &program = *m_program;
        at = at ? at : (program.lastAt += 10);
        const int n = static_cast<int>(program.typistAt.size());
        const QString typist = u"10.0.%1.%2"_qs.arg(n / 200).arg(n % 200 + 1);
        program.typistAt.insert(at, typist);
        CReceivedMainData record = program.env.line(typist, at, at, text, type, flag);
        record.nChannel = program.env.store.channel();
        record.nGroup = program.env.store.group();
        program.env.receive(record);
        return at;
    }
    void withdraw(qint32 at)
    {
        m_program->env.receive(m_program->env.line(m_program->typistAt.value(at), at, at, {}, 'D',
                                                   CReceivedMainData::kFlagWithdrawnLocal));
    }
    // An event the store would not make, sent down every open stream as the server sends its own.
    void inject(const QByteArray &name, const QByteArray &json)
    {
        CLiveEvents &live = *m_program->web.LiveEvents();
        emit live.eventAppended("event: " + name + "\nid: " + live.run() + '-' +
                                QByteArray::number(live.lastEvent()) + "\ndata: " + json + "\n\n");
    }
    // The line typed while the connection is broken does not reach the reader, which then
    // reconnects with the last event it has.
    void dropWith(const QString &text)
    {
        m_program->broken = true;
        add(text);
        QTRY_COMPARE(streams(), 0);
        m_program->broken = false;
    }
    // Holds every free place of the server until the next reader to come has been answered 503.
    void refuseNextReader()
    {
        const int busy = m_program->busyAnswers;
        std::vector<std::unique_ptr<QTcpSocket>> holders;
        while (m_program->web.sock()->connectionCount() < kMaxConnections) {
            const int held = m_program->web.sock()->connectionCount();
            holders.push_back(std::make_unique<QTcpSocket>());
            holders.back()->connectToHost(QHostAddress::LocalHost,
                                          static_cast<quint16>(m_program->web.port()));
            (void)QTest::qWaitFor([&] { return m_program->web.sock()->connectionCount() > held; }, 1000);
        }
        QTRY_VERIFY_WITH_TIMEOUT(m_program->busyAnswers > busy, 10000);
    }
    int streams() { return m_program->web.sock()->streamCount(); }

    QString js(const QString &expression) { return m_chromium->evaluate(m_session, expression); }
    QStringList lines()
    {
        return jsonStrings(
            js(u"JSON.stringify([...document.querySelectorAll('#log .line')].map(e => e.textContent))"_qs));
    }
    QString connection() { return js(u"document.documentElement.dataset.connection"_qs); }
    QString jump() { return js(u"document.getElementById('jump').hidden ? 'hidden' : 'shown'"_qs); }
    QString separators() { return js(u"String(document.querySelectorAll('#log .sep').length)"_qs); }
    // Distance of the line with that text (no quotes in it) from the top of the view, in CSS pixels.
    int viewTop(const QString &text)
    {
        bool ok = false;
        const int top =
            js(u"(() => { const el = [...document.querySelectorAll('#log .line')].find(e => "
               "e.textContent === '%1'); return el ? String(Math.round(el.getBoundingClientRect().top - "
               "document.getElementById('log').getBoundingClientRect().top)) : 'none'; })()"_qs.arg(text))
                .toInt(&ok);
        return ok ? top : -100000;
    }
    bool inView(const QString &text) { return viewTop(text) > 0 && viewTop(text) < kPhoneHeight; }
    void click(const QString &selector)
    {
        js(u"document.querySelector(\"%1\").click(), ''"_qs.arg(selector));
    }

    std::unique_ptr<ChromiumPipe> m_chromium;
    std::unique_ptr<Program> m_program;
    QString m_session;
};

QTEST_GUILESS_MAIN(TestLivePage)
#include "test_live_page.moc"
