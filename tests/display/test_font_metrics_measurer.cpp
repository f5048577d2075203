#include "display/CFontMetricsMeasurer.h"

#include <QFontMetricsF>
#include <QTest>

using namespace Qt::StringLiterals;

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
    // U+20B9F (𠮟), outside the BMP, between BMP characters.
    QTest::newRow("surrogate pair") << u"叱る"_s + QString::fromUcs4(U"\U00020B9F") + u"る"_s << 36;
}

void TestFontMetricsMeasurer::growingPrefixesMatchDrawnWidth()
{
    QFETCH(QString, text);
    QFETCH(int, points);
    const QFont font = ipaGothic(points);
    const CFontMetricsMeasurer measurer(font);
    // As wrapping asks: every prefix from a start, sometimes one character ahead. Half a
    // surrogate pair may measure anything, as long as nothing breaks.
    const auto check = [&](qsizetype start, qsizetype end) {
        const QStringView view = QStringView(text).mid(start, end - start);
        const int width = measurer.textWidth(view);
        if (view.isEmpty() || !view.back().isHighSurrogate())
            QCOMPARE(width, drawnWidth(font, view.toString()));
    };
    for (qsizetype start = 0; start < text.size(); start += 7) {
        for (qsizetype end = start; end <= text.size(); ++end) {
            check(start, end);
            if (end + 1 <= text.size())
                check(start, end + 1);
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

void TestFontMetricsMeasurer::fontHeightIsTheFontsHeight()
{
    const QFont font = ipaGothic(36);
    const CFontMetricsMeasurer measurer(font);
    QCOMPARE(measurer.fontHeight(), qCeil(QFontMetricsF(CFontMetricsMeasurer::displayFont(font)).height()));
    QVERIFY(!measurer.font().kerning());
}

QTEST_MAIN(TestFontMetricsMeasurer)
#include "test_font_metrics_measurer.moc"
