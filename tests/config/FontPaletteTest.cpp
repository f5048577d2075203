#include "TestHome.h"

#include "config/CConfig.h"
#include "config/CCustomPalette.h"
#include "config/ColorRef.h"
#include "config/LogFont.h"

#include <QTest>

using Parse = CCustomPalette::ParseResult;

class FontPaletteTest final : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_home = std::make_unique<TestHome>(); }
    void cleanup() { m_home.reset(); }

    void configToLogFont_data();
    void configToLogFont();
    void logFontToConfig_data();
    void logFontToConfig();
    void fontRoundTripAtDpi96();
    void fontKeysOfUnknownPrefixFail();

    void colorRefComponents();

    void parseHex6_data();
    void parseHex6();
    void paletteRoundTrip();
    void badPaletteFallsBackToWindowColours_data();
    void badPaletteFallsBackToWindowColours();

private:
    std::unique_ptr<TestHome> m_home;
};

void FontPaletteTest::configToLogFont_data()
{
    QTest::addColumn<int>("point");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("height");
    QTest::newRow("36 pt at 96") << 36 << 96 << true << -48;
    QTest::newRow("9 pt at 96") << 9 << 96 << true << -12;
    QTest::newRow("10 pt at 96 rounds to nearest") << 10 << 96 << true << -13;
    QTest::newRow("7 pt at 108 rounds half away") << 7 << 108 << true << -11;
    QTest::newRow("7 pt at 120") << 7 << 120 << true << -12;
    QTest::newRow("no drawing context") << 12 << 0 << false << -120;
}

void FontPaletteTest::configToLogFont()
{
    QFETCH(int, point);
    QFETCH(int, dpi);
    QFETCH(bool, ok);
    QFETCH(int, height);
    CConfig config;
    QVERIFY(config.SetInt(QStringLiteral("pft.name.font.point_i"), point));
    QVERIFY(config.SetInt(QStringLiteral("pft.name.font.weight_i"), 1));
    QVERIFY(config.SetInt(QStringLiteral("pft.name.font.underline_i"), 1));
    QVERIFY(config.SetString(QStringLiteral("pft.name.font.name"), QString(40, u'F')));
    LogFont font;
    QCOMPARE(ConfigToLogFont(config, QStringLiteral("pft.name"), dpi, font), ok);
    QCOMPARE(font.height, height);
    QCOMPARE(font.weight, 700);
    QCOMPARE(font.italic, quint8(0));
    QCOMPARE(font.underline, quint8(1));
    QCOMPARE(font.charSet, quint8(1));
    QCOMPARE(font.faceName, QString(31, u'F'));
}

void FontPaletteTest::logFontToConfig_data()
{
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("weight");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("point");
    QTest::addColumn<int>("weightKey");
    QTest::newRow("bold at 96") << -48 << 700 << 96 << true << 36 << 1;
    QTest::newRow("semi-bold stores 0") << -16 << 600 << 96 << true << 12 << 0;
    QTest::newRow("heavy stores 0") << -16 << 800 << 96 << true << 12 << 0;
    QTest::newRow("rounds to nearest") << -13 << 400 << 96 << true << 10 << 0;
    QTest::newRow("no context truncates") << -125 << 700 << 0 << false << 12 << 1;
}

void FontPaletteTest::logFontToConfig()
{
    QFETCH(int, height);
    QFETCH(int, weight);
    QFETCH(int, dpi);
    QFETCH(bool, ok);
    QFETCH(int, point);
    QFETCH(int, weightKey);
    CConfig config;
    LogFont font;
    font.height = height;
    font.weight = weight;
    font.italic = 255;
    font.charSet = 128;
    font.faceName = QStringLiteral("IPAGothic");
    QCOMPARE(LogFontToConfig(config, QStringLiteral("chat"), dpi, font), ok);
    qint32 value = -1;
    QVERIFY(config.GetInt(QStringLiteral("chat.font.point_i"), value));
    QCOMPARE(value, point);
    QVERIFY(config.GetInt(QStringLiteral("chat.font.weight_i"), value));
    QCOMPARE(value, weightKey);
    QVERIFY(config.GetInt(QStringLiteral("chat.font.italic_i"), value));
    QCOMPARE(value, 1);
    QVERIFY(config.GetInt(QStringLiteral("chat.font.underline_i"), value));
    QCOMPARE(value, 0);
    QVERIFY(config.GetInt(QStringLiteral("chat.font.charset_i"), value));
    QCOMPARE(value, 128);
    QString name;
    QVERIFY(config.GetString(QStringLiteral("chat.font.name"), name));
    QCOMPARE(name, QStringLiteral("IPAGothic"));

    LogFont back;
    ConfigToLogFont(config, QStringLiteral("chat"), dpi, back);
    QCOMPARE(back.weight, weight == 700 ? 700 : 400);
}

void FontPaletteTest::fontRoundTripAtDpi96()
{
    CConfig config;
    LogFont font;
    QVERIFY(ConfigToLogFont(config, QStringLiteral("main"), 96, font));
    QCOMPARE(font.height, -48);
    QCOMPARE(font.weight, 400);
    QVERIFY(LogFontToConfig(config, QStringLiteral("fkey"), 96, font));
    LogFont copy;
    QVERIFY(ConfigToLogFont(config, QStringLiteral("fkey"), 96, copy));
    QCOMPARE(copy, font);
}

void FontPaletteTest::fontKeysOfUnknownPrefixFail()
{
    CConfig config;
    LogFont font;
    QVERIFY(!ConfigToLogFont(config, QStringLiteral("hide"), 96, font));
    QCOMPARE(font.height, 0);
    QCOMPARE(font.weight, 400);
    QVERIFY(!LogFontToConfig(config, QStringLiteral("hide"), 96, font));
}

void FontPaletteTest::colorRefComponents()
{
    QCOMPARE(CColorRef::red(0x33ff00), 0x00);
    QCOMPARE(CColorRef::green(0x33ff00), 0xff);
    QCOMPARE(CColorRef::blue(0x33ff00), 0x33);
    QCOMPARE(CColorRef::fromRgb(0xff, 0, 0), 0x0000ffu);
    QCOMPARE(CColorRef::fromRgb(0x66, 0x66, 0xff), 0xff6666u);
}

void FontPaletteTest::parseHex6_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("result");
    QTest::addColumn<uint>("value");
    QTest::newRow("six digits") << "00FF00,1" << 0 << int(Parse::Ok) << 0x00ff00u;
    QTest::newRow("lower case") << "abcdef" << 0 << int(Parse::Ok) << 0xabcdefu;
    QTest::newRow("from offset") << "000000,123456" << 7 << int(Parse::Ok) << 0x123456u;
    QTest::newRow("leading blank and tab") << " \tFF  " << 0 << int(Parse::Invalid) << 0u;
    QTest::newRow("leading blanks only") << "  12AB" << 0 << int(Parse::Ok) << 0x12abu;
    QTest::newRow("short at end") << "00,ABC" << 3 << int(Parse::Ok) << 0xabcu;
    QTest::newRow("empty window") << "ABC" << 3 << int(Parse::Ok) << 0u;
    QTest::newRow("letter G") << "00G000" << 0 << int(Parse::Invalid) << 0u;
    QTest::newRow("comma inside") << "0,0000" << 0 << int(Parse::Invalid) << 0u;
    QTest::newRow("start beyond end") << "ABC" << 4 << int(Parse::InvalidArgument) << 0u;
    QTest::newRow("negative start") << "ABC" << -1 << int(Parse::InvalidArgument) << 0u;
}

void FontPaletteTest::parseHex6()
{
    QFETCH(QString, text);
    QFETCH(int, start);
    QFETCH(int, result);
    QFETCH(uint, value);
    quint32 parsed = 0;
    QCOMPARE(int(CCustomPalette::ParseHex6(text, start, parsed)), result);
    QCOMPARE(parsed, value);
}

void FontPaletteTest::paletteRoundTrip()
{
    CConfig config;
    CCustomPalette palette;
    for (int i = 0; i < CCustomPalette::kCount; ++i)
        palette.setColor(i, 0x010203u * static_cast<quint32>(i) + 0xa0u);
    QVERIFY(palette.SaveCustomColors(config));
    QString text;
    QVERIFY(config.GetString(QStringLiteral("miscellaneous.customcolors"), text));
    QCOMPARE(text.size(), 111);
    QVERIFY(text.startsWith(QStringLiteral("0000A0,0102A3,0204A6,")));
    QVERIFY(text.endsWith(QStringLiteral(",0F1ECD")));

    CCustomPalette loaded;
    QVERIFY(loaded.LoadCustomColors(config));
    QCOMPARE(loaded.colors(), palette.colors());
}

void FontPaletteTest::badPaletteFallsBackToWindowColours_data()
{
    const QString valid = QStringList(16, QStringLiteral("123456")).join(u',');
    QTest::addColumn<QString>("stored");
    QTest::newRow("empty") << QString();
    QTest::newRow("110 characters") << valid.left(110);
    QTest::newRow("112 characters") << valid + u',';
    QTest::newRow("letter G") << QString(valid).replace(50, 1, u'G');
}

void FontPaletteTest::badPaletteFallsBackToWindowColours()
{
    QFETCH(QString, stored);
    CConfig config;
    QVERIFY(config.SetString(QStringLiteral("miscellaneous.customcolors"), stored));
    QVERIFY(config.SetString(QStringLiteral("pft.color.background"), QStringLiteral("not a colour")));
    QVERIFY(config.SetColor(QStringLiteral("fkey.color.background"), 0x010203));
    CCustomPalette palette;
    palette.setColor(13, 0);
    QVERIFY(!palette.LoadCustomColors(config));
    const std::array<quint32, 16> expected = {0xffffff, 0xffffff, 0x33ff00, 0xffffff, 0xff6666, 0xffffff,
                                              0xffffff, 0x0000ff, 0xffffff, 0xffffff, 0x999999, 0xffffff,
                                              0x010203, 0xffffff, 0xffffff, 0xffffff};
    QCOMPARE(palette.colors(), expected);
}

QTEST_GUILESS_MAIN(FontPaletteTest)
#include "FontPaletteTest.moc"
