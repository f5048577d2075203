#include "TestHome.h"

#include "core/CommandIds.h"
#include "config/CConfig.h"
#include "display/CDlgMain.h"
#include "timeline/ReceivedMain.h"

#include <QImage>
#include <QTest>

#include <memory>

namespace {

const QString kLocal = QStringLiteral("127.0.0.1");
constexpr qint32 kPlain = 'i';

// A display window on its own store, shown offscreen in a known font and size.
struct ShownDisplay
{
    explicit ShownDisplay(int width = 480, int height = 300,
                          const std::function<void(CConfig &)> &configure = {})
    {
        config.SetString(QStringLiteral("main.font.name"), QStringLiteral("IPAGothic"));
        config.SetInt(QStringLiteral("main.font.point_i"), 15);
        config.SetInt(QStringLiteral("main.position.x_i"), 0);
        config.SetInt(QStringLiteral("main.position.y_i"), 0);
        config.SetInt(QStringLiteral("main.size.x_i"), width);
        config.SetInt(QStringLiteral("main.size.y_i"), height);
        config.SetColor(QStringLiteral("main.color.text"), 0x000000);
        config.SetColor(QStringLiteral("main.color.background"), 0xffffff);
        if (configure)
            configure(config);
        store.Configure(200, 50);
        window = std::make_unique<CDlgMain>(config, store);
        window->CopyConfigToWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        paint();
    }

    // What a paint of the whole window does, now.
    void paint() { window->canvas()->repaint(); }

    void add(const QString &text)
    {
        store.AddString(text, kLocal, kPlain);
        window->Refresh();
        QCoreApplication::processEvents();
    }

    // Steps the scroll timer by hand until the column stands still (at most limit steps).
    int scrollToEnd(int limit = 2000)
    {
        int steps = 0;
        while (window->isScrolling() && steps < limit) {
            window->ScrollStep();
            ++steps;
        }
        QCoreApplication::processEvents();
        return steps;
    }

    TestHome home;
    CConfig config;
    ReceivedMain store;
    std::unique_ptr<CDlgMain> window;
};

QStringList numbered(int from, int to)
{
    QStringList lines;
    for (int i = from; i <= to; ++i)
        lines << QStringLiteral("行%1").arg(i);
    return lines;
}

int countColor(const QImage &image, QRgb rgb)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((line[x] | 0xff000000u) == (rgb | 0xff000000u) && qAlpha(line[x]) == 255)
                ++count;
        }
    }
    return count;
}

QRect boundsOf(const QImage &image, QRgb rgb)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (line[x] == (rgb | 0xff000000u))
                bounds |= QRect(x, y, 1, 1);
        }
    }
    return bounds;
}

} // namespace

class TestCaptionDisplay final : public QObject
{
    Q_OBJECT

private slots:
    void fewerLinesThanFitAppearAtOnce();
    void overflowStartsScrolling();
    void lineArrivingWhileScrollingKeepsSpeed();
    void scrollStepMovesByPixels_data();
    void scrollStepMovesByPixels();
    void pixelsOfAPitchOrMoreCompleteALinePerStep_data();
    void pixelsOfAPitchOrMoreCompleteALinePerStep();
    void lineMaxLimitsShownLines();
    void withdrawnTopRecordMovesTop();
    void insertedLineAppearsAfterRedraw();
    void goLastShowsNewestLines();
    void screenClearScrollsEverythingAway();
    void outlinePixels_data();
    void outlinePixels();
    void imageIsOnePitchTaller();
    void resizeWrapsAgain();
};

void TestCaptionDisplay::fewerLinesThanFitAppearAtOnce()
{
    ShownDisplay d;
    QVERIFY(d.window->shownLines() >= 3);

    d.add(QStringLiteral("一行目"));
    d.add(QStringLiteral("二行目"));

    QVERIFY(!d.window->isScrolling());
    QCOMPARE(d.window->collectedLines(), (QStringList{QStringLiteral("一行目"), QStringLiteral("二行目")}));
    // Drawn already: black text in the second line's cell.
    const int pitch = d.window->linePitch();
    const QImage cell = d.window->renderedImage().copy(0, pitch, d.window->renderedImage().width(), pitch);
    QVERIFY(countColor(cell, qRgb(0, 0, 0)) > 0);
}

void TestCaptionDisplay::overflowStartsScrolling()
{
    ShownDisplay d;
    const int shown = d.window->shownLines();
    for (const QString &line : numbered(1, shown))
        d.add(line);
    QVERIFY(!d.window->isScrolling());

    d.add(QStringLiteral("あふれた行"));

    QVERIFY(d.window->isScrolling());
    QCOMPARE(d.window->scrollOffset(), 0);
    // The new line waits below the window until the steps bring it in.
    QCOMPARE(d.window->collectedLines().size(), shown + 1);
    QCOMPARE(d.window->collectedLines().last(), QStringLiteral("あふれた行"));
    QCOMPARE(d.window->collectedLines().first(), QStringLiteral("行1"));

    d.scrollToEnd();
    QVERIFY(!d.window->isScrolling());
    QCOMPARE(d.window->collectedLines().first(), QStringLiteral("行2"));
    QCOMPARE(d.window->collectedLines().last(), QStringLiteral("あふれた行"));
}

void TestCaptionDisplay::lineArrivingWhileScrollingKeepsSpeed()
{
    ShownDisplay d(480, 300,
                   [](CConfig &config) { config.SetInt(QStringLiteral("main.scroll.pixel_i"), 3); });
    const int shown = d.window->shownLines();
    for (const QString &line : numbered(1, shown + 2))
        d.add(line);
    QVERIFY(d.window->isScrolling());
    d.window->ScrollStep();
    d.window->ScrollStep();
    QCOMPARE(d.window->scrollOffset(), 6);

    d.add(QStringLiteral("途中で来た行"));

    // Neither a jump nor a restart: the next step moves the same three pixels.
    QVERIFY(d.window->isScrolling());
    QCOMPARE(d.window->scrollOffset(), 6);
    d.window->ScrollStep();
    QCOMPARE(d.window->scrollOffset(), 9);
    // Later steps reach the new line.
    d.scrollToEnd();
    QCOMPARE(d.window->collectedLines().last(), QStringLiteral("途中で来た行"));
    QCOMPARE(d.window->collectedLines().size(), shown);
}

void TestCaptionDisplay::scrollStepMovesByPixels_data()
{
    QTest::addColumn<int>("pixels");
    QTest::newRow("1 pixel") << 1;
    QTest::newRow("4 pixels") << 4;
    QTest::newRow("7 pixels") << 7;
}

void TestCaptionDisplay::scrollStepMovesByPixels()
{
    QFETCH(int, pixels);
    ShownDisplay d(480, 300, [pixels](CConfig &config) {
        config.SetInt(QStringLiteral("main.scroll.pixel_i"), pixels);
    });
    const int shown = d.window->shownLines();
    for (const QString &line : numbered(1, shown + 1))
        d.add(line);
    const int pitch = d.window->linePitch();
    QVERIFY(pixels < pitch);

    // Each step shows the image one step further down; a line boundary takes the top line off.
    int expected = 0;
    for (int step = 0; step < 2 * pitch / pixels && d.window->isScrolling(); ++step) {
        d.window->ScrollStep();
        expected += pixels;
        if (expected >= pitch)
            expected = 0; // the last line is in: the column settles on the line grid
        QCOMPARE(d.window->scrollOffset(), expected);
    }
    QVERIFY(!d.window->isScrolling());
    QCOMPARE(d.window->collectedLines().first(), QStringLiteral("行2"));
}

void TestCaptionDisplay::pixelsOfAPitchOrMoreCompleteALinePerStep_data()
{
    QTest::addColumn<int>("pixels");
    QTest::newRow("a pitch") << 0;
    QTest::newRow("more than a pitch") << 1;
    QTest::newRow("far more than a pitch") << 5;
}

void TestCaptionDisplay::pixelsOfAPitchOrMoreCompleteALinePerStep()
{
    QFETCH(int, pixels);
    // 0 stands for exactly one pitch, which is known only once the window has its metrics.
    int pitch = 0;
    {
        ShownDisplay probe;
        pitch = probe.window->linePitch();
    }
    const int step = pixels == 0 ? pitch : pixels * pitch + 3;
    ShownDisplay d(480, 300,
                   [step](CConfig &config) { config.SetInt(QStringLiteral("main.scroll.pixel_i"), step); });
    QCOMPARE(d.window->linePitch(), pitch);
    const int shown = d.window->shownLines();
    for (const QString &line : numbered(1, shown + 4))
        d.add(line);

    for (int k = 2; k <= 5; ++k) {
        d.window->ScrollStep();
        QCOMPARE(d.window->collectedLines().first(), QStringLiteral("行%1").arg(k));
        QVERIFY(d.window->scrollOffset() < pitch);
    }
    QVERIFY(!d.window->isScrolling());
    QCOMPARE(d.window->scrollOffset(), 0);
}

void TestCaptionDisplay::lineMaxLimitsShownLines()
{
    // A tall window would hold many more lines.
    ShownDisplay d(480, 700, [](CConfig &config) { config.SetInt(QStringLiteral("main.line.max_i"), 5); });
    QVERIFY(d.store.linesPerScreen() > 5);
    QCOMPARE(d.window->shownLines(), 4);

    for (const QString &line : numbered(1, 10))
        d.add(line);
    d.scrollToEnd();

    QCOMPARE(d.window->collectedLines(), numbered(7, 10));
    // Nothing is drawn below the fourth line.
    const int pitch = d.window->linePitch();
    const QImage &image = d.window->renderedImage();
    QVERIFY(countColor(image.copy(0, 3 * pitch, image.width(), pitch), qRgb(0, 0, 0)) > 0);
    QCOMPARE(countColor(image.copy(0, 4 * pitch, image.width(), image.height() - 4 * pitch), qRgb(0, 0, 0)),
             0);
}

void TestCaptionDisplay::withdrawnTopRecordMovesTop()
{
    ShownDisplay d;
    for (const QString &line : numbered(1, 3))
        d.add(line);
    QCOMPARE(d.window->topSerial(), 0);

    CReceivedMainData top;
    QVERIFY(d.store.GetAt(0, top));
    top.nFlag |= CReceivedMainData::kFlagWithdrawnLocal;
    QVERIFY(d.store.SetAt(0, top));
    d.window->Redraw();
    d.paint();

    QCOMPARE(d.window->topSerial(), 1);
    QCOMPARE(d.window->collectedLines(), numbered(2, 3));
}

void TestCaptionDisplay::insertedLineAppearsAfterRedraw()
{
    ShownDisplay d;
    for (const QString &line : numbered(1, 2))
        d.add(line);
    // A line that was typed before the last one but arrived after it.
    CReceivedMainData late;
    late.strRaw = QStringLiteral("追い越された行");
    late.strIpAddress = QStringLiteral("127.0.0.2");
    late.strIpAddressSender = late.strIpAddress;
    d.store.InsertData(1, late);

    d.window->Redraw();
    d.paint();

    QCOMPARE(d.window->collectedLines(),
             (QStringList{QStringLiteral("行1"), QStringLiteral("追い越された行"), QStringLiteral("行2")}));
}

void TestCaptionDisplay::goLastShowsNewestLines()
{
    ShownDisplay d;
    const int shown = d.window->shownLines();
    for (const QString &line : numbered(1, 3 * shown))
        d.add(line);
    QVERIFY(d.window->isScrolling());

    d.window->RequestGoLast();
    d.paint();

    QVERIFY(!d.window->isScrolling());
    QVERIFY(!d.window->goLastRequested());
    QCOMPARE(d.window->scrollOffset(), 0);
    QCOMPARE(d.window->collectedLines(), numbered(2 * shown + 1, 3 * shown));
}

void TestCaptionDisplay::screenClearScrollsEverythingAway()
{
    ShownDisplay d;
    const int shown = d.window->shownLines();
    for (const QString &line : numbered(1, shown))
        d.add(line);
    // A screen clear: a line break for every line on screen, then the newest lines fill it.
    for (int i = 0; i <= shown; ++i)
        d.store.AddString(QString(), kLocal, kPlain);
    d.window->Refresh();
    QVERIFY(d.window->isScrolling());

    d.scrollToEnd();

    for (const QString &line : d.window->collectedLines())
        QVERIFY2(line.isEmpty(), qPrintable(line));
    QCOMPARE(countColor(d.window->renderedImage(), qRgb(0, 0, 0)), 0);
}

void TestCaptionDisplay::outlinePixels_data()
{
    QTest::addColumn<bool>("outlining");
    QTest::addColumn<QString>("text");
    QTest::newRow("outlined") << true << QStringLiteral("縁取り字幕");
    QTest::newRow("plain") << false << QStringLiteral("縁取り字幕");
    // A combining accent needs the run shaped as a whole.
    QTest::newRow("outlined, combining mark") << true << QStringLiteral("縁取りe\u0301");
    QTest::newRow("plain, combining mark") << false << QStringLiteral("縁取りe\u0301");
}

void TestCaptionDisplay::outlinePixels()
{
    QFETCH(bool, outlining);
    QFETCH(QString, text);
    // Text blue on white, outline red (colours are stored as BBGGRR).
    ShownDisplay d(480, 300, [outlining](CConfig &config) {
        config.SetColor(QStringLiteral("main.color.text"), 0xff0000);
        config.SetColor(QStringLiteral("main.color.outline"), 0x0000ff);
        config.SetInt(QStringLiteral("main.font.outline_i"), outlining ? 1 : 0);
        config.SetInt(QStringLiteral("main.font.outline.width_i"), 3);
    });
    d.add(text);

    const QImage &image = d.window->renderedImage();
    const QRect glyphs = boundsOf(image, qRgb(0, 0, 255));
    const QRect outline = boundsOf(image, qRgb(255, 0, 0));
    QVERIFY(!glyphs.isEmpty());
    if (!outlining) {
        QVERIFY(outline.isEmpty());
        return;
    }
    // The outline surrounds the glyphs by about its width on every side.
    QVERIFY(!outline.isEmpty());
    QVERIFY(outline.contains(glyphs));
    QVERIFY(glyphs.left() - outline.left() >= 3);
    QVERIFY(outline.right() - glyphs.right() >= 3);
    QVERIFY(glyphs.top() - outline.top() >= 3);
    QVERIFY(outline.bottom() - glyphs.bottom() >= 3);
    // And starts inside the cell: the text is moved by the outline width.
    QVERIFY(outline.left() >= 4);
    QVERIFY(outline.top() >= 0);
}

void TestCaptionDisplay::imageIsOnePitchTaller()
{
    ShownDisplay d;
    d.add(QStringLiteral("一"));
    QCOMPARE(d.window->renderedImage().width(), d.window->canvas()->width());
    QCOMPARE(d.window->renderedImage().height(), d.window->canvas()->height() + d.window->linePitch());
}

void TestCaptionDisplay::resizeWrapsAgain()
{
    ShownDisplay d(480, 300);
    const QString text(40, QChar(0x5b57)); // 40 × 字, wider than the window
    d.add(text);
    const int before = d.window->collectedLines().size();
    const int generation = d.store.layoutGeneration();
    QVERIFY(before >= 2);

    d.window->resize(960, 300);
    QCoreApplication::processEvents();
    d.paint();

    QVERIFY(d.store.layoutGeneration() > generation);
    QVERIFY(d.window->collectedLines().size() < before);
    QCOMPARE(d.window->collectedLines().join(QString()), text);
}

QTEST_MAIN(TestCaptionDisplay)
#include "test_caption_display.moc"
