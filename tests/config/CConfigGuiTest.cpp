#include "config/CConfigGui.h"
#include "config/CScreenWorkArea.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>

class CConfigGuiTest final : public QObject
{
    Q_OBJECT

private slots:
    void logFontToQFont_data();
    void logFontToQFont();
    void qFontToLogFont();
    void colours_data();
    void colours();
    void workAreaOfThePrimaryScreen();
};

void CConfigGuiTest::logFontToQFont_data()
{
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<double>("points");
    QTest::newRow("48 px at 96") << -48 << 96 << 36.0;
    QTest::newRow("16 px at 96") << -16 << 96 << 12.0;
    QTest::newRow("no drawing context") << -120 << 0 << 12.0;
}

void CConfigGuiTest::logFontToQFont()
{
    QFETCH(int, height);
    QFETCH(int, dpi);
    QFETCH(double, points);
    LogFont font;
    font.height = height;
    font.weight = 700;
    font.italic = 1;
    font.charSet = 1;
    font.faceName = QStringLiteral("IPAGothic");
    const QFont qfont = CConfigGui::toQFont(font, dpi);
    QCOMPARE(qfont.pointSizeF(), points);
    QVERIFY(qfont.bold());
    QVERIFY(qfont.italic());
    QVERIFY(!qfont.underline());
    QCOMPARE(qfont.family(), QStringLiteral("IPAGothic"));

    font.weight = 400;
    QCOMPARE(CConfigGui::toQFont(font, dpi).weight(), QFont::Normal);
}

void CConfigGuiTest::qFontToLogFont()
{
    QFont qfont(QStringLiteral("IPAGothic"));
    qfont.setPointSize(36);
    qfont.setBold(true);
    qfont.setUnderline(true);
    const LogFont font = CConfigGui::fromQFont(qfont, 96);
    QCOMPARE(font.height, -48);
    QCOMPARE(font.weight, 700);
    QCOMPARE(font.italic, quint8(0));
    QCOMPARE(font.underline, quint8(1));
    QCOMPARE(font.charSet, quint8(1));
    QCOMPARE(font.faceName, QStringLiteral("IPAGothic"));
    QCOMPARE(CConfigGui::fromQFont(qfont, 0).height, -360);
}

void CConfigGuiTest::colours_data()
{
    QTest::addColumn<uint>("colorRef");
    QTest::addColumn<QColor>("color");
    QTest::newRow("red") << 0x0000ffu << QColor(255, 0, 0);
    QTest::newRow("outline green") << 0x33ff00u << QColor(0x00, 0xff, 0x33);
    QTest::newRow("light blue") << 0xff6666u << QColor(0x66, 0x66, 0xff);
}

void CConfigGuiTest::colours()
{
    QFETCH(uint, colorRef);
    QFETCH(QColor, color);
    QCOMPARE(CConfigGui::toQColor(colorRef), color);
    QCOMPARE(CConfigGui::fromQColor(color), colorRef);
}

void CConfigGuiTest::workAreaOfThePrimaryScreen()
{
    const std::optional<QRect> area = CScreenWorkArea().workArea();
    QVERIFY(area.has_value());
    QCOMPARE(*area, QGuiApplication::primaryScreen()->availableGeometry());
}

QTEST_MAIN(CConfigGuiTest)
#include "CConfigGuiTest.moc"
