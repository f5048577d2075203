#include "FixedWidthMeasurer.h"
#include "TestHome.h"

#include "display/CCaptionColumn.h"
#include "timeline/ReceivedMain.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

using Image = CCaptionColumn::Image;
using Screen = CCaptionColumn::Screen;
using ImageState = CCaptionColumn::ImageState;

const QString kLocal = u"127.0.0.1"_s;

// Characters 10 px wide and 20 px high in a 200 × 100 client without margins: five lines of 20
// characters at a pitch of 20 px, as the window's first paint leaves them.
struct Column
{
    explicit Column(int pixels = 4, int maxLines = 50, QSize size = QSize(200, 100)) : client(size)
    {
        store.Configure(200, 50);
        QVERIFY(column.Allocate(maxLines));
        column.setMargins(0, 0);
        column.setScrollPixels(pixels);
        // As the window's first resize does.
        column.InvalidateLayout();
        column.Paint(client, frame);
    }

    CCaptionColumn::Repaint add(const QString &text)
    {
        store.AddString(text, kLocal, 'i');
        return column.Refresh(client, frame, ImageState::Current);
    }
    void addNumbered(int from, int to)
    {
        for (int i = from; i <= to; ++i)
            add(u"行%1"_s.arg(i));
    }
    CCaptionColumn::Repaint step(ImageState image = ImageState::Current)
    {
        return column.ScrollStep(client, frame, image);
    }
    void scrollToEnd()
    {
        for (int i = 0; i < 1000 && column.isScrolling(); ++i)
            step();
    }

    TestHome home;
    FixedWidthMeasurer measurer;
    ReceivedMain store;
    CCaptionColumn column{store, measurer};
    QSize client;
    QMargins frame;
};

QStringList numbered(int from, int to)
{
    QStringList lines;
    for (int i = from; i <= to; ++i)
        lines << u"行%1"_s.arg(i);
    return lines;
}

// "offset@top serial" and what the step asks the window to draw.
QString describe(const CCaptionColumn &column, const CCaptionColumn::Repaint &repaint)
{
    QString what = u"?"_s;
    if (repaint == CCaptionColumn::Repaint{Image::Keep, Screen::ScrollUp})
        what = u"scroll"_s;
    else if (repaint == CCaptionColumn::Repaint{Image::NewLine, Screen::ScrollUp})
        what = u"line"_s;
    else if (repaint == CCaptionColumn::Repaint{Image::NewLine, Screen::ScrollUpWithIncoming})
        what = u"line+from %1"_s.arg(column.incomingTop());
    else if (repaint == CCaptionColumn::Repaint{Image::NewLine, Screen::Whole})
        what = u"line+all"_s;
    else if (repaint == CCaptionColumn::Repaint{Image::Whole, Screen::Whole})
        what = u"all"_s;
    return u"%1@%2 %3"_s.arg(column.scrollOffset()).arg(column.topSerial()).arg(what);
}

} // namespace

class TestCaptionColumn final : public QObject
{
    Q_OBJECT

private slots:
    void linesFillThenScroll();
    void scrollSteps_data();
    void scrollSteps();
    void lineMaxLimitsShownLines();
    void goLastShowsNewestLines();
    void wordRowsScrollIn();
    void changesInTheMiddle_data();
    void changesInTheMiddle();
    void refreshWaitsForAWholePaint_data();
    void refreshWaitsForAWholePaint();
    void lineBoundaryDrawsAnewWhenTheLayoutMoved_data();
    void lineBoundaryDrawsAnewWhenTheLayoutMoved();
    void insetsAndTextArea();
};

void TestCaptionColumn::linesFillThenScroll()
{
    Column c;
    QCOMPARE(c.column.shownLines(), 5);
    QCOMPARE(c.column.pitch(), 20);
    // While they fit, new lines are drawn at once.
    for (int i = 1; i <= 5; ++i)
        QCOMPARE(c.add(u"行%1"_s.arg(i)), (CCaptionColumn::Repaint{Image::Whole, Screen::Whole}));
    QVERIFY(!c.column.isScrolling());
    QCOMPARE(c.column.collectedLines(), numbered(1, 5));

    // One more waits below the window and the column starts to scroll.
    QCOMPARE(c.add(u"行6"_s), (CCaptionColumn::Repaint{Image::Whole, Screen::Whole}));
    QVERIFY(c.column.isScrolling());
    QCOMPARE(c.column.scrollOffset(), 0);
    QCOMPARE(c.column.collectedLines(), numbered(1, 6));
    c.step();
    c.step();
    QCOMPARE(c.column.scrollOffset(), 8);

    // A line arriving now neither jumps nor restarts the scroll: the next step moves 4 px more.
    QCOMPARE(c.add(u"行7"_s), CCaptionColumn::Repaint{});
    QCOMPARE(c.column.scrollOffset(), 8);
    c.step();
    QCOMPARE(c.column.scrollOffset(), 12);
    c.scrollToEnd();
    QVERIFY(!c.column.isScrolling());
    QCOMPARE(c.column.collectedLines(), numbered(3, 7));
    QCOMPARE(c.column.topSerial(), 2);
    QCOMPARE(c.column.topLine(), 0);

    // A screen clear: a line break for every line on screen and one more scrolls them all away.
    for (int i = 0; i <= 5; ++i)
        c.add(QString());
    c.scrollToEnd();
    QCOMPARE(c.column.collectedLines(), QStringList(5, QString()));
}

void TestCaptionColumn::scrollSteps_data()
{
    QTest::addColumn<int>("pixels");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("waiting");
    QTest::addColumn<QStringList>("steps");
    // The pitch is 20 px. A step that ends a line moves the image up and draws the new bottom
    // line; the last line is in when every collected line is on screen, and the column then
    // settles on the line grid (drawn whole when it had to jump there).
    QTest::newRow("4 px, one line waiting")
        << 4 << 100 << 1
        << QStringList{u"4@0 scroll"_s, u"8@0 scroll"_s, u"12@0 scroll"_s, u"16@0 scroll"_s, u"0@1 line"_s};
    QTest::newRow("7 px, one line waiting")
        << 7 << 100 << 1 << QStringList{u"7@0 scroll"_s, u"14@0 scroll"_s, u"0@1 line+all"_s};
    QTest::newRow("7 px, two lines waiting")
        << 7 << 100 << 2 << QStringList{u"7@0 scroll"_s, u"14@0 scroll"_s, u"1@1 line"_s,
                                        u"8@1 scroll"_s, u"15@1 scroll"_s, u"0@2 line+all"_s};
    // The spare pixels go between the lines, all but the last 3 px: the next line's top shows
    // above the strip a step brings in as soon as it is collected, and is drawn from there down.
    QTest::newRow("3 px, two lines waiting, a part line below")
        << 3 << 103 << 2
        << QStringList{u"3@0 scroll"_s,  u"6@0 scroll"_s,  u"9@0 scroll"_s,       u"12@0 scroll"_s,
                       u"15@0 scroll"_s, u"18@0 scroll"_s, u"1@1 line+from 99"_s, u"4@1 scroll"_s,
                       u"7@1 scroll"_s,  u"10@1 scroll"_s, u"13@1 scroll"_s,      u"16@1 scroll"_s,
                       u"19@1 scroll"_s, u"0@2 line+all"_s};
    QTest::newRow("4 px, two lines waiting, the strip reaches the next line")
        << 4 << 102 << 2
        << QStringList{u"4@0 scroll"_s, u"8@0 scroll"_s, u"12@0 scroll"_s, u"16@0 scroll"_s, u"0@1 line"_s,
                       u"4@1 scroll"_s, u"8@1 scroll"_s, u"12@1 scroll"_s, u"16@1 scroll"_s, u"0@2 line"_s};
    QTest::newRow("a pitch") << 20 << 100 << 2 << QStringList{u"0@1 line"_s, u"0@2 line"_s};
    QTest::newRow("more than a pitch") << 23 << 100 << 2 << QStringList{u"3@1 line"_s, u"0@2 line+all"_s};
    // The column moves one line, not the whole step: the pixels on screen cannot just move up.
    QTest::newRow("two pitches") << 40 << 100 << 2 << QStringList{u"0@1 line+all"_s, u"0@2 line+all"_s};
    QTest::newRow("far more than a pitch")
        << 103 << 100 << 3 << QStringList{u"0@1 line+all"_s, u"0@2 line+all"_s, u"0@3 line+all"_s};
}

void TestCaptionColumn::scrollSteps()
{
    QFETCH(int, pixels);
    QFETCH(int, height);
    QFETCH(int, waiting);
    QFETCH(QStringList, steps);
    Column c(pixels, 50, QSize(200, height));
    c.addNumbered(1, 5 + waiting);

    QStringList seen;
    while (c.column.isScrolling() && seen.size() < 100)
        seen << describe(c.column, c.step());

    QCOMPARE(seen, steps);
    QCOMPARE(c.column.collectedLines(), numbered(1 + waiting, 5 + waiting));
    QCOMPARE(c.column.scrollOffset(), 0);
    // Standing still, a tick does nothing.
    QCOMPARE(c.step(), CCaptionColumn::Repaint{});
}

void TestCaptionColumn::lineMaxLimitsShownLines()
{
    // A window 20 lines tall, but "main.line.max_i" is 5.
    Column c(4, 5, QSize(200, 400));
    QCOMPARE(c.store.linesPerScreen(), 20);
    QCOMPARE(c.column.shownLines(), 4);
    c.addNumbered(1, 10);
    c.scrollToEnd();
    QCOMPARE(c.column.collectedLines(), numbered(7, 10));
}

// A caption of words takes three rows where cutting at the 20th character would take two; it
// scrolls in row by row all the same and comes to rest with its last row at the bottom.
void TestCaptionColumn::wordRowsScrollIn()
{
    const QStringList rows{u"captions for"_s, u"everyone at the live"_s, u"event"_s};
    Column c;
    c.addNumbered(1, 5);
    c.add(rows.join(u' '));
    int steps = 0;
    for (; steps < 1000 && c.column.isScrolling(); ++steps)
        c.step();
    QCOMPARE(steps, 3 * 20 / 4);
    QCOMPARE(c.column.collectedLines(), numbered(4, 5) + rows);
    QCOMPARE(c.column.topSerial(), 3);
    QCOMPARE(c.column.topLine(), 0);

    c.column.RequestGoLast();
    c.column.Paint(c.client, c.frame);
    QCOMPARE(c.column.collectedLines(), numbered(4, 5) + rows);
}

void TestCaptionColumn::goLastShowsNewestLines()
{
    Column c;
    c.addNumbered(1, 12);
    QVERIFY(c.column.isScrolling());
    c.step();
    // Records of two lines each: the newest five lines start in the middle of a record.
    for (int i = 0; i < 3; ++i)
        c.store.AddString(QString(40, QLatin1Char('a' + i)), kLocal, 'i');

    c.column.RequestGoLast();
    QVERIFY(c.column.fullPaintPending());
    c.column.Paint(c.client, c.frame);

    QVERIFY(!c.column.isScrolling());
    QVERIFY(!c.column.goLastRequested());
    QCOMPARE(c.column.scrollOffset(), 0);
    QCOMPARE(c.column.topSerial(), 12);
    QCOMPARE(c.column.topLine(), 1);
    const QString a(20, u'a'), b(20, u'b'), cc(20, u'c');
    QCOMPARE(c.column.collectedLines(), (QStringList{a, b, b, cc, cc}));

    // Scrolling on, the top moves on line by line: past the record's end, then within a record.
    c.add(u"d"_s);
    c.scrollToEnd();
    QCOMPARE(c.column.collectedLines(), (QStringList{b, b, cc, cc, u"d"_s}));
    c.add(u"e"_s);
    c.scrollToEnd();
    QCOMPARE(c.column.collectedLines(), (QStringList{b, cc, cc, u"d"_s, u"e"_s}));
    QCOMPARE(c.column.topSerial(), 13);
    QCOMPARE(c.column.topLine(), 1);
}

void TestCaptionColumn::changesInTheMiddle_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("pos");
    QTest::addColumn<int>("typed");
    QTest::addColumn<int>("steps");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<int>("topSerial");
    const QString late = u"追い越された行"_s;
    const QStringList full{u"行1"_s, u"行2"_s, late, u"行3"_s, u"行4"_s, u"行5"_s};
    QTest::newRow("overtaken line inserted")
        << "insert" << 1 << 3 << 0 << QStringList{u"行1"_s, late, u"行2"_s, u"行3"_s} << 0;
    QTest::newRow("line withdrawn") << "withdraw" << 1 << 3 << 0 << QStringList{u"行1"_s, u"行3"_s} << 0;
    QTest::newRow("top record withdrawn: the top moves on")
        << "withdraw" << 0 << 3 << 0 << QStringList{u"行2"_s, u"行3"_s} << 1;
    // A line pushed below a full screen starts the scroll; while scrolling the change is
    // collected where the column stands and the offset stays.
    QTest::newRow("inserted into a full screen") << "insert" << 2 << 5 << 0 << full << 0;
    QTest::newRow("inserted while scrolling") << "insert" << 2 << 6 << 2 << full << 0;
}

void TestCaptionColumn::changesInTheMiddle()
{
    QFETCH(QString, change);
    QFETCH(int, pos);
    QFETCH(int, typed);
    QFETCH(int, steps);
    QFETCH(QStringList, shown);
    QFETCH(int, topSerial);
    Column c;
    c.addNumbered(1, typed);
    for (int i = 0; i < steps; ++i)
        c.step();

    if (change == u"insert"_s) {
        CReceivedMainData late;
        late.strRaw = u"追い越された行"_s;
        late.strIpAddress = u"127.0.0.2"_s;
        late.strIpAddressSender = late.strIpAddress;
        c.store.InsertData(pos, late);
    } else {
        CReceivedMainData record;
        QVERIFY(c.store.GetAt(pos, record));
        record.nFlag |= CReceivedMainData::kFlagWithdrawnLocal;
        QVERIFY(c.store.SetAt(pos, record));
    }
    c.column.RequestRedraw();
    c.column.Paint(c.client, c.frame);

    QCOMPARE(c.column.collectedLines(), shown);
    QCOMPARE(c.column.topSerial(), topSerial);
    QCOMPARE(c.column.scrollOffset(), 4 * steps);
    QCOMPARE(c.column.isScrolling(), shown.size() > 5);
}

void TestCaptionColumn::refreshWaitsForAWholePaint_data()
{
    QTest::addColumn<QString>("reason");
    QTest::newRow("no image yet") << "missing";
    QTest::newRow("empty client area") << "empty";
    QTest::newRow("redraw pending") << "redraw";
    QTest::newRow("layout invalidated") << "layout";
}

void TestCaptionColumn::refreshWaitsForAWholePaint()
{
    QFETCH(QString, reason);
    Column c;
    c.addNumbered(1, 2);
    const int generation = c.store.layoutGeneration();
    ImageState image = ImageState::Current;
    QSize client = c.client;
    if (reason == u"missing"_s)
        image = ImageState::Missing;
    else if (reason == u"empty"_s)
        client = QSize(200, 0);
    else if (reason == u"redraw"_s)
        c.column.RequestRedraw();
    else
        c.column.InvalidateLayout();
    QCOMPARE(c.store.layoutGeneration(), generation + (reason == u"layout"_s ? 1 : 0));

    c.store.AddString(u"行3"_s, kLocal, 'i');
    QCOMPARE(c.column.Refresh(client, c.frame, image), (CCaptionColumn::Repaint{Image::Keep, Screen::Whole}));

    // Nothing collected yet: the coming paint does it.
    QVERIFY(c.column.fullPaintPending());
    QCOMPARE(c.column.collectedLines(), numbered(1, 2));
    c.column.Paint(c.client, c.frame);
    QVERIFY(!c.column.fullPaintPending());
    QCOMPARE(c.column.collectedLines(), numbered(1, 3));
}

void TestCaptionColumn::lineBoundaryDrawsAnewWhenTheLayoutMoved_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("drawnAnew");
    QTest::newRow("nothing changed") << "" << false;
    QTest::newRow("image drawn for another width or background") << "stale" << true;
    QTest::newRow("frame insets came") << "frame" << true;
    QTest::newRow("margins changed") << "margins" << true;
    QTest::newRow("metrics changed, pitch with them") << "metrics" << true;
    QTest::newRow("layout invalidated") << "layout" << true;
}

void TestCaptionColumn::lineBoundaryDrawsAnewWhenTheLayoutMoved()
{
    QFETCH(QString, change);
    QFETCH(bool, drawnAnew);
    Column c(10);
    c.addNumbered(1, 7);
    QCOMPARE(c.step(), (CCaptionColumn::Repaint{Image::Keep, Screen::ScrollUp}));
    ImageState image = ImageState::Current;
    if (change == u"stale"_s)
        image = ImageState::Stale;
    else if (change == u"frame"_s)
        c.frame = QMargins(0, 6, 0, 0);
    else if (change == u"margins"_s)
        c.column.setMargins(2, 0);
    else if (change == u"metrics"_s)
        c.client = QSize(200, 110);
    if (change == u"metrics"_s)
        c.store.InvalidateMetrics();
    else if (change == u"layout"_s)
        c.column.InvalidateLayout();

    const CCaptionColumn::Repaint boundary = c.step(image);

    QCOMPARE(c.column.topSerial(), 1);
    const CCaptionColumn::Repaint expected = drawnAnew
                                                 ? CCaptionColumn::Repaint{Image::Whole, Screen::Whole}
                                                 : CCaptionColumn::Repaint{Image::NewLine, Screen::ScrollUp};
    QCOMPARE(boundary, expected);
    QVERIFY(!c.column.fullPaintPending());
    QVERIFY(c.column.isScrolling());
}

void TestCaptionColumn::insetsAndTextArea()
{
    Column c;
    c.column.setMargins(3, 5);
    QCOMPARE(c.store.marginX(), 3);
    QCOMPARE(c.store.marginY(), 5);
    c.frame = QMargins(1, 2, 3, 4);
    c.column.InvalidateLayout();
    c.column.Paint(c.client, c.frame);

    QCOMPARE(c.column.insetLeft(), 4);
    QCOMPARE(c.column.textArea(QSize(200, 100)), QRect(0, 7, 200, 100 - 7 - 9));
    QCOMPARE(c.column.textArea(QSize(200, 10)), QRect(0, 7, 200, 0));
}

QTEST_GUILESS_MAIN(TestCaptionColumn)
#include "test_caption_column.moc"
