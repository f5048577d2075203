#include "display/CFontMetricsMeasurer.h"

#include <QFontMetricsF>
#include <QTest>

namespace {

QFont ipaGothic(int points)
{
    QFont font(QStringLiteral("IPAGothic"));
    font.setPointSize(points);
    return font;
}

// What the display draws: the whole run shaped at once, in the display font.
int drawnWidth(const QFont &font, const QString &text)
{
    return qRound(QFontMetricsF(CFontMetricsMeasurer::displayFont(font)).horizontalAdvance(text));
}

} // namespace

class TestFontMetricsMeasurer final : public QObject
{
    Q_OBJECT

private slots:
    void growingPrefixesMatchDrawnWidth_data();
    void growingPrefixesMatchDrawnWidth();
    void anotherTextIsNotTakenForTheLast();
    void surrogatePairs();
    void fontHeightIsTheFontsHeight();
};

void TestFontMetricsMeasurer::growingPrefixesMatchDrawnWidth_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("points");
    QTest::newRow("Japanese") << QStringLiteral("本日は晴天なり。要約筆記の字幕です") << 36;
    QTest::newRow("mixed") << QStringLiteral("PC要約筆記 tavrin 1.4、ABC（テスト）") << 36;
    QTest::newRow("Latin") << QStringLiteral("The quick brown fox jumps over AV WA To") << 20;
    QTest::newRow("small") << QStringLiteral("小さな字、small text.") << 9;
    QTest::newRow("empty") << QString() << 12;
}

void TestFontMetricsMeasurer::growingPrefixesMatchDrawnWidth()
{
    QFETCH(QString, text);
    QFETCH(int, points);
    const QFont font = ipaGothic(points);
    const CFontMetricsMeasurer measurer(font);
    // As wrapping asks: every prefix from a start, sometimes one character ahead.
    for (qsizetype start = 0; start < text.size(); start += 7) {
        for (qsizetype end = start; end <= text.size(); ++end) {
            const QStringView view = QStringView(text).mid(start, end - start);
            QCOMPARE(measurer.textWidth(view), drawnWidth(font, view.toString()));
            if (end + 1 <= text.size()) {
                const QStringView ahead = QStringView(text).mid(start, end - start + 1);
                QCOMPARE(measurer.textWidth(ahead), drawnWidth(font, ahead.toString()));
            }
        }
    }
}

void TestFontMetricsMeasurer::anotherTextIsNotTakenForTheLast()
{
    const QFont font = ipaGothic(36);
    const CFontMetricsMeasurer measurer(font);
    const QString a = QStringLiteral("あいうえおかきくけこ");
    const QString b = QStringLiteral("あいうABCDEFGHIJKLMN");
    QCOMPARE(measurer.textWidth(a), drawnWidth(font, a));
    // Shares a prefix with the last text, then differs.
    QCOMPARE(measurer.textWidth(b), drawnWidth(font, b));
    QCOMPARE(measurer.textWidth(QStringView(a).left(4)), drawnWidth(font, a.left(4)));
}

void TestFontMetricsMeasurer::surrogatePairs()
{
    const QFont font = ipaGothic(36);
    const CFontMetricsMeasurer measurer(font);
    // U+20B9F (𠮟), outside the BMP, between BMP characters.
    const QString text = QStringLiteral("叱る") + QString::fromUcs4(U"\U00020B9F") + QStringLiteral("る");
    for (qsizetype end = 1; end <= text.size(); ++end) {
        const int width = measurer.textWidth(QStringView(text).left(end));
        if (QChar::isHighSurrogate(text.at(end - 1).unicode()))
            continue; // half a character: any width will do, as long as nothing breaks
        QCOMPARE(width, drawnWidth(font, text.left(end)));
    }
}

void TestFontMetricsMeasurer::fontHeightIsTheFontsHeight()
{
    const QFont font = ipaGothic(36);
    const CFontMetricsMeasurer measurer(font);
    QCOMPARE(measurer.fontHeight(), qCeil(QFontMetricsF(CFontMetricsMeasurer::displayFont(font)).height()));
    QVERIFY(!measurer.font().kerning());
}

QTEST_MAIN(TestFontMetricsMeasurer)
#include "test_font_metrics_measurer.moc"
