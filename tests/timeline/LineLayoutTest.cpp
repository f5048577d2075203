#include "FixedWidthMeasurer.h"
#include "StoreEnvironment.h"

#include <QtTest>

namespace {

const QString kA = QStringLiteral("10.0.0.1");

QStringList wrappedLines(const CReceivedMainData &record)
{
    return record.arrLine.mid(0, record.nMaxLine);
}

} // namespace

class LineLayoutTest final : public QObject
{
    Q_OBJECT

private slots:
    void wrap_data();
    void wrap();
    void availableWidth_data();
    void availableWidth();
    void metrics_data();
    void metrics();
    void displaySettingsBounds();
    void getLine();
    void getLineOnWithdrawnRecord();
    void getLineRewrapsLazily();
    void getLineLogsEvictedSerial();
    void goLast_data();
    void goLast();
    void goLastWithoutDisplay();
    void goLastOnEmptyStore();
    void goLastStopsAtEvictedSerials();
};

void LineLayoutTest::wrap_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width"); // pixels; every character is 10 wide
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("fits") << QStringLiteral("abc") << 100 << QStringList{QStringLiteral("abc")};
    QTest::newRow("exactly fits") << QStringLiteral("abc") << 30 << QStringList{QStringLiteral("abc")};
    QTest::newRow("empty text") << QString() << 100 << QStringList{QString()};
    QTest::newRow("trailing line feed")
        << QStringLiteral("abc\n") << 100 << QStringList{QStringLiteral("abc"), QString()};
    QTest::newRow("trailing CR LF") << QStringLiteral("abc\r\n") << 100
                                    << QStringList{QStringLiteral("abc"), QString()};
    QTest::newRow("CR LF") << QStringLiteral("A\r\nB") << 100
                           << QStringList{QStringLiteral("A"), QStringLiteral("B")};
    QTest::newRow("lone CR") << QStringLiteral("A\rB") << 100
                             << QStringList{QStringLiteral("A"), QStringLiteral("B")};
    QTest::newRow("two line feeds") << QStringLiteral("A\n\nB") << 100
                                    << QStringList{QStringLiteral("A"), QStringLiteral("\n"),
                                                   QStringLiteral("B")};
    QTest::newRow("leading line feed")
        << QStringLiteral("\nA") << 100 << QStringList{QStringLiteral("\n"), QStringLiteral("A")};
    QTest::newRow("only a line feed")
        << QStringLiteral("\n") << 100 << QStringList{QStringLiteral("\n"), QString()};
    QTest::newRow("soft break") << QStringLiteral("abcdef") << 30
                                << QStringList{QStringLiteral("abc"), QStringLiteral("def")};
    QTest::newRow("soft then hard break")
        << QStringLiteral("abcd\nef") << 30
        << QStringList{QStringLiteral("abc"), QStringLiteral("d"), QStringLiteral("ef")};
    QTest::newRow("full stop may not start a line")
        << QStringLiteral("abc。") << 30 << QStringList{QStringLiteral("ab"), QStringLiteral("c。")};
    QTest::newRow("full stop that fits")
        << QStringLiteral("ab。") << 30 << QStringList{QStringLiteral("ab。")};
    QTest::newRow("closing bracket moves down too")
        << QStringLiteral("ab」c") << 20
        << QStringList{QStringLiteral("a"), QStringLiteral("b」"), QStringLiteral("c")};
    QTest::newRow("no-line-start at the line's first character")
        << QStringLiteral("a。") << 10 << QStringList{QStringLiteral("a"), QStringLiteral("。")};
    QTest::newRow("character wider than the line")
        << QStringLiteral("ab") << 5 << QStringList{QStringLiteral("a"), QStringLiteral("b")};
    QTest::newRow("no room at all") << QStringLiteral("ab") << -10
                                    << QStringList{QStringLiteral("a"), QStringLiteral("b")};
    QStringList letters;
    for (char ch = 'a'; ch <= 'y'; ++ch)
        letters.append(QString(QLatin1Char(ch)));
    QTest::newRow("more lines than the first line array holds") << letters.join(QString()) << 10 << letters;
}

void LineLayoutTest::wrap()
{
    QFETCH(QString, text);
    QFETCH(int, width);
    QFETCH(QStringList, expected);
    StoreEnvironment env;
    FixedWidthMeasurer measurer;
    env.store.setDisplayClientRect(QRect(0, 0, width, 200));
    CReceivedMainData record;
    record.strRaw = text;
    QCOMPARE(env.store.LayoutData(record, measurer), expected.size());
    QCOMPARE(record.nMaxLine, static_cast<int>(expected.size()));
    QCOMPARE(wrappedLines(record), expected);
    QVERIFY(env.store.metricsValid()); // layout brought the metrics up to date first
}

void LineLayoutTest::availableWidth_data()
{
    QTest::addColumn<int>("marginX");
    QTest::addColumn<int>("outline");
    QTest::addColumn<bool>("borderless");
    QTest::addColumn<int>("lineChars"); // characters of 10 px on a line of a 100 px wide display
    QTest::newRow("plain") << 0 << 0 << false << 10;
    QTest::newRow("margins") << 5 << 0 << false << 9;
    QTest::newRow("outline") << 5 << 5 << false << 8;
    QTest::newRow("frame insets while borderless") << 0 << 0 << true << 7;
    QTest::newRow("all together") << 5 << 5 << true << 5;
}

void LineLayoutTest::availableWidth()
{
    QFETCH(int, marginX);
    QFETCH(int, outline);
    QFETCH(bool, borderless);
    QFETCH(int, lineChars);
    StoreEnvironment env;
    FixedWidthMeasurer measurer;
    env.store.setDisplayClientRect(QRect(0, 0, 100, 200));
    env.store.setMargins(marginX, 0);
    env.store.setOutlineWidth(outline);
    env.store.setBorderless(borderless, 12, 0, 18, 0);
    CReceivedMainData record;
    record.strRaw = QString(30, QLatin1Char('x'));
    env.store.LayoutData(record, measurer);
    QCOMPARE(record.arrLine.at(0).size(), lineChars);
}

void LineLayoutTest::metrics_data()
{
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("fontHeight");
    QTest::addColumn<int>("percent");
    QTest::addColumn<int>("marginY");
    QTest::addColumn<int>("outline");
    QTest::addColumn<bool>("borderless");
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("pitch");
    QTest::newRow("spare pixels shared out") << 100 << 30 << 100 << 0 << 0 << false << 3 << 35;
    QTest::newRow("exact fit") << 90 << 30 << 100 << 0 << 0 << false << 3 << 30;
    QTest::newRow("single line") << 40 << 30 << 100 << 0 << 0 << false << 1 << 32;
    QTest::newRow("too small for a line") << 10 << 30 << 100 << 0 << 0 << false << 1 << 32;
    QTest::newRow("line height percent") << 100 << 20 << 150 << 0 << 0 << false << 3 << 35;
    QTest::newRow("percent truncates") << 100 << 21 << 70 << 0 << 0 << false << 7 << 14; // 14 px lines
    QTest::newRow("vertical margins") << 110 << 30 << 100 << 5 << 0 << false << 3 << 35;
    QTest::newRow("outline") << 108 << 26 << 100 << 0 << 2 << false << 3 << 37;
    QTest::newRow("frame insets while borderless") << 110 << 30 << 100 << 0 << 0 << true << 3 << 35;
    QTest::newRow("frame insets ignored with a frame") << 110 << 30 << 100 << 0 << 0 << false << 3 << 40;
    QTest::newRow("zero font height") << 10 << 0 << 100 << 0 << 0 << false << 10 << 1;
}

void LineLayoutTest::metrics()
{
    QFETCH(int, height);
    QFETCH(int, fontHeight);
    QFETCH(int, percent);
    QFETCH(int, marginY);
    QFETCH(int, outline);
    QFETCH(bool, borderless);
    QFETCH(int, lines);
    QFETCH(int, pitch);
    StoreEnvironment env;
    FixedWidthMeasurer measurer(10, fontHeight);
    env.store.setDisplayClientRect(QRect(0, 0, 300, height));
    env.store.setLineHeightPercent(percent);
    env.store.setMargins(0, marginY);
    env.store.setOutlineWidth(outline);
    env.store.setBorderless(borderless, 0, 4, 0, 6);
    QVERIFY(!env.store.metricsValid());
    QCOMPARE(env.store.UpdateMetrics(measurer), lines);
    QCOMPARE(env.store.linesPerScreen(), lines);
    QCOMPARE(env.store.linePitch(), pitch);
    QVERIFY(env.store.metricsValid());
    QCOMPARE(env.store.clientRect(), QRect(0, 0, 300, height));
}

void LineLayoutTest::displaySettingsBounds()
{
    StoreEnvironment env;
    QCOMPARE(env.store.noLineStart(), QStringLiteral(")]}｣）〕］｝〉》」』】>＞,.，．、。ー－！？!?"));
    env.store.setMargins(20, 20);
    QCOMPARE(env.store.marginX(), 20);
    env.store.setMargins(3, 21); // both or neither
    QCOMPARE(env.store.marginX(), 20);
    QCOMPARE(env.store.marginY(), 20);
    env.store.setOutlineWidth(99);
    QCOMPARE(env.store.outlineWidth(), 99);
    env.store.setOutlineWidth(100);
    QCOMPARE(env.store.outlineWidth(), 99);

    FixedWidthMeasurer measurer;
    env.store.UpdateMetrics(measurer);
    QVERIFY(env.store.metricsValid());
    const int generation = env.store.layoutGeneration();
    env.store.BumpLayoutGeneration();
    QCOMPARE(env.store.layoutGeneration(), generation + 1);
    QVERIFY(!env.store.metricsValid());
}

void LineLayoutTest::getLine()
{
    StoreEnvironment env;
    FixedWidthMeasurer measurer;
    QString out = QStringLiteral("unchanged");
    QCOMPARE(env.store.GetLine(0, 0, out, measurer), ReceivedMain::LINE_END); // empty store

    env.store.setDisplayClientRect(QRect(0, 0, 50, 200));
    env.store.BumpLayoutGeneration();
    env.store.AppendData(env.line(kA, 1000, 1010, QStringLiteral("abcdefgh")));
    QCOMPARE(env.store.GetLine(0, 0, out, measurer), ReceivedMain::LINE_MORE);
    QCOMPARE(out, QStringLiteral("abcde"));
    QCOMPARE(env.store.GetLine(0, 1, out, measurer), ReceivedMain::LINE_LAST);
    QCOMPARE(out, QStringLiteral("fgh"));
    out = QStringLiteral("unchanged");
    QCOMPARE(env.store.GetLine(0, 2, out, measurer), ReceivedMain::LINE_SKIP);
    QCOMPARE(env.store.GetLine(0, -1, out, measurer), ReceivedMain::LINE_SKIP);
    QCOMPARE(out, QStringLiteral("unchanged"));
    QCOMPARE(env.store.GetLine(1, 0, out, measurer), ReceivedMain::LINE_END); // serial == next
    QCOMPARE(env.store.at(0)->nDisplayStatus, env.store.layoutGeneration());
}

void LineLayoutTest::getLineOnWithdrawnRecord()
{
    StoreEnvironment env;
    FixedWidthMeasurer measurer;
    env.store.setDisplayClientRect(QRect(0, 0, 50, 200));
    env.store.BumpLayoutGeneration();
    env.store.AppendData(env.line(kA, 1000, 1010, QStringLiteral("abcdefgh")));
    env.store.AppendData(env.line(kA, 2000, 2010, QStringLiteral("next")));
    CReceivedMainData undo = env.line(kA, 1000, 3000, {}, 'D', 1);
    env.store.UndoData(0, undo);
    QString out;
    for (int index = 0; index < 3; ++index)
        QCOMPARE(env.store.GetLine(0, index, out, measurer), ReceivedMain::LINE_SKIP);
    QCOMPARE(env.store.GetLine(1, 0, out, measurer), ReceivedMain::LINE_LAST);
    QCOMPARE(out, QStringLiteral("next"));
}

void LineLayoutTest::getLineRewrapsLazily()
{
    StoreEnvironment env;
    FixedWidthMeasurer measurer;
    env.store.setDisplayClientRect(QRect(0, 0, 50, 200));
    // Before the first generation change a plain line keeps the single line it was made with.
    env.store.AddString(QStringLiteral("abcdefgh"), kA, 'i');
    QString out;
    QCOMPARE(env.store.GetLine(0, 0, out, measurer), ReceivedMain::LINE_LAST);
    QCOMPARE(out, QStringLiteral("abcdefgh"));
    // A line built field by field has no lines until then.
    env.store.AppendData(env.line(kA, 1000, 1010, QStringLiteral("xyz")));
    QCOMPARE(env.store.GetLine(1, 0, out, measurer), ReceivedMain::LINE_SKIP);

    env.store.BumpLayoutGeneration();
    QCOMPARE(env.store.GetLine(0, 0, out, measurer), ReceivedMain::LINE_MORE);
    QCOMPARE(out, QStringLiteral("abcde"));
    QCOMPARE(env.store.GetLine(1, 0, out, measurer), ReceivedMain::LINE_LAST);

    // A wider window without a new generation keeps the cached wrapping.
    env.store.setDisplayClientRect(QRect(0, 0, 200, 200));
    QCOMPARE(env.store.GetLine(0, 0, out, measurer), ReceivedMain::LINE_MORE);
    env.store.BumpLayoutGeneration();
    QCOMPARE(env.store.GetLine(0, 0, out, measurer), ReceivedMain::LINE_LAST);
    QCOMPARE(out, QStringLiteral("abcdefgh"));
}

void LineLayoutTest::getLineLogsEvictedSerial()
{
    StoreEnvironment env(4, 1); // capacity 4, but the display may reach back 100 serials
    FixedWidthMeasurer measurer;
    for (int k = 0; k < 6; ++k)
        env.store.AddString(QString::number(k), kA, 'i');
    QString out;
    QCOMPARE(env.store.GetLine(0, 0, out, measurer), ReceivedMain::LINE_SKIP);
    QCOMPARE(env.store.GetLine(2, 0, out, measurer), ReceivedMain::LINE_LAST);
    QCOMPARE(out, QStringLiteral("2"));
    QVERIFY(operationLogLines().contains(QStringLiteral("ReceivedMain::GetLine : get index: : -1")));
}

void LineLayoutTest::goLast_data()
{
    QTest::addColumn<QStringList>("texts"); // oldest first; "-" marks a withdrawn line
    QTest::addColumn<int>("topSerial");
    QTest::addColumn<int>("topLine");
    // Three lines per screen; lines of five characters.
    QTest::newRow("two records of two lines")
        << QStringList{QStringLiteral("aaaaabb"), QStringLiteral("cccccdd")} << 0 << 1;
    QTest::newRow("exactly full") << QStringList{QStringLiteral("x"), QStringLiteral("aaaaabb"),
                                                 QStringLiteral("y")}
                                  << 1 << 0;
    QTest::newRow("withdrawn lines are skipped")
        << QStringList{QStringLiteral("aaaaabb"), QStringLiteral("c"), QStringLiteral("-dd"),
                       QStringLiteral("e")}
        << 0 << 1;
    QTest::newRow("fewer lines than the screen")
        << QStringList{QStringLiteral("a"), QStringLiteral("b")} << 0 << 0;
    QTest::newRow("one record taller than the screen")
        << QStringList{QStringLiteral("a"), QString(25, u'z')} << 1 << 2;
}

void LineLayoutTest::goLast()
{
    QFETCH(QStringList, texts);
    QFETCH(int, topSerial);
    QFETCH(int, topLine);
    StoreEnvironment env;
    FixedWidthMeasurer measurer(10, 30);
    env.store.setDisplayClientRect(QRect(0, 0, 50, 100));
    env.store.BumpLayoutGeneration();
    for (int k = 0; k < texts.size(); ++k) {
        QString text = texts.at(k);
        const bool withdrawn = text.startsWith(u'-');
        if (withdrawn)
            text.remove(0, 1);
        env.store.AppendData(env.line(kA, 1000 + k, 1000 + k, text, 'D', withdrawn ? 1 : 0));
    }
    int serial = -1;
    int line = -1;
    QCOMPARE(env.store.GoLast(measurer, serial, line), 1);
    QCOMPARE(env.store.linesPerScreen(), 3);
    QCOMPARE(serial, topSerial);
    QCOMPARE(line, topLine);
}

void LineLayoutTest::goLastWithoutDisplay()
{
    StoreEnvironment env;
    FixedWidthMeasurer measurer;
    env.store.AppendData(env.line(kA, 1000, 1010));
    int serial = 7;
    int line = 7;
    QCOMPARE(env.store.GoLast(measurer, serial, line), 0);
    QCOMPARE(serial, 7);
    QCOMPARE(line, 7);
    env.store.setDisplayClientRect(QRect(0, 0, 100, 100));
    env.store.detachDisplay();
    QCOMPARE(env.store.GoLast(measurer, serial, line), 0);
}

void LineLayoutTest::goLastOnEmptyStore()
{
    StoreEnvironment env;
    FixedWidthMeasurer measurer;
    env.store.setDisplayClientRect(QRect(0, 0, 100, 100));
    int serial = 7;
    int line = 7;
    QCOMPARE(env.store.GoLast(measurer, serial, line), 1);
    QCOMPARE(serial, 0);
    QCOMPARE(line, 0);
    QVERIFY(!env.store.metricsValid()); // nothing to place, nothing measured
}

void LineLayoutTest::goLastStopsAtEvictedSerials()
{
    StoreEnvironment env(4, 1);
    FixedWidthMeasurer measurer(10, 10);
    env.store.setDisplayClientRect(QRect(0, 0, 100, 1000)); // 100 lines per screen
    env.store.BumpLayoutGeneration();
    for (int k = 0; k < 50; ++k)
        env.store.AppendData(env.line(kA, 1000 + k, 1000 + k));
    int serial = -1;
    int line = -1;
    QCOMPARE(env.store.GoLast(measurer, serial, line), 1);
    QCOMPARE(serial, 0);
    QCOMPARE(line, 0);
    // One line for the first evicted serial, not one for each of the 46.
    QCOMPARE(operationLogLines().count(QStringLiteral("ReceivedMain::GoLast get index: : -1")), 1);
}

QTEST_APPLESS_MAIN(LineLayoutTest)
#include "LineLayoutTest.moc"
