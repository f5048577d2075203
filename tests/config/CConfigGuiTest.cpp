#include "config/CConfigGui.h"
#include "config/CScreenWorkArea.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>

class CConfigGuiTest final : public QObject
{
    Q_OBJECT

private slots:
    void fonts_data()
    {
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<double>("points");
        QTest::newRow("48 px at 96") << -48 << 96 << 36.0;
        QTest::newRow("16 px at 96") << -16 << 96 << 12.0;
        QTest::newRow("no drawing context") << -120 << 0 << 12.0;
    }

    void fonts()
    {
        QFETCH(int, height);
        QFETCH(int, dpi);
        QFETCH(double, points);
        const LogFont font{height, 700, 1, 1, 1, QStringLiteral("IPAGothic")};
        const QFont qfont = CConfigGui::toQFont(font, dpi);
        QCOMPARE(qfont.pointSizeF(), points);
        QVERIFY(qfont.bold() && qfont.italic() && qfont.underline());
        QCOMPARE(qfont.family(), QStringLiteral("IPAGothic"));
        QCOMPARE(CConfigGui::fromQFont(qfont, dpi), font);
        QCOMPARE(CConfigGui::toQFont(LogFont{height, 400, 0, 1, 1, {}}, dpi).weight(), QFont::Normal);
    }

    void colours_data()
    {
        QTest::addColumn<uint>("colorRef");
        QTest::addColumn<QColor>("color");
        QTest::newRow("red") << 0x0000ffu << QColor(255, 0, 0);
        QTest::newRow("outline green") << 0x33ff00u << QColor(0x00, 0xff, 0x33);
        QTest::newRow("light blue") << 0xff6666u << QColor(0x66, 0x66, 0xff);
    }

    void colours()
    {
        QFETCH(uint, colorRef);
        QFETCH(QColor, color);
        QCOMPARE(CConfigGui::toQColor(colorRef), color);
        QCOMPARE(CConfigGui::fromQColor(color), colorRef);
    }

    void workAreaOfThePrimaryScreen()
    {
        QCOMPARE(CScreenWorkArea().workArea().value_or(QRect()),
                 QGuiApplication::primaryScreen()->availableGeometry());
    }
};

QTEST_MAIN(CConfigGuiTest)
#include "CConfigGuiTest.moc"
