#include "TestHome.h"

#include "config/CConfig.h"
#include "config/CCustomPalette.h"
#include "config/LogFont.h"

#include <QTest>

using Parse = CCustomPalette::ParseResult;

class FontPaletteTest final : public QObject
{
    Q_OBJECT

    TestHome m_home;

private slots:
    // Both directions of the font keys: point size and character height, weight 700 and key 1.
    void fontKeys_data()
    {
        QTest::addColumn<int>("point");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("weight");
        QTest::addColumn<int>("weightKey");
        QTest::addColumn<bool>("ok");
        QTest::newRow("36 pt bold at 96") << 36 << 96 << -48 << 700 << 1 << true;
        QTest::newRow("9 pt at 96") << 9 << 96 << -12 << 400 << 0 << true;
        QTest::newRow("10 pt at 96 rounds to nearest") << 10 << 96 << -13 << 400 << 0 << true;
        QTest::newRow("7 pt at 108 rounds half away") << 7 << 108 << -11 << 400 << 0 << true;
        QTest::newRow("7 pt at 120") << 7 << 120 << -12 << 400 << 0 << true;
        QTest::newRow("semi-bold stores 0") << 12 << 96 << -16 << 600 << 0 << true;
        QTest::newRow("heavy stores 0") << 12 << 96 << -16 << 800 << 0 << true;
        QTest::newRow("no drawing context") << 12 << 0 << -120 << 700 << 1 << false;
    }

    void fontKeys()
    {
        QFETCH(int, point);
        QFETCH(int, dpi);
        QFETCH(int, height);
        QFETCH(int, weight);
        QFETCH(int, weightKey);
        QFETCH(bool, ok);
        CConfig config;
        QVERIFY(config.SetInt(QStringLiteral("pft.name.font.point_i"), point));
        QVERIFY(config.SetInt(QStringLiteral("pft.name.font.weight_i"), weightKey));
        QVERIFY(config.SetInt(QStringLiteral("pft.name.font.underline_i"), 1));
        QVERIFY(config.SetString(QStringLiteral("pft.name.font.name"), QString(40, u'F')));
        LogFont font;
        QCOMPARE(ConfigToLogFont(config, QStringLiteral("pft.name"), dpi, font), ok);
        const LogFont read{height, weightKey ? 700 : 400, 0, 1, 1, QString(31, u'F')};
        QCOMPARE(font, read);

        font = {height, weight, 255, 0, 128, QStringLiteral("IPAGothic")};
        QCOMPARE(LogFontToConfig(config, QStringLiteral("chat"), dpi, font), ok);
        QStringList keys;
        for (const char *key : {"point_i", "weight_i", "italic_i", "underline_i", "charset_i", "name"})
            keys << config.GetStringOr(QStringLiteral("chat.font.") + QLatin1String(key));
        QCOMPARE(keys, (QStringList{QString::number(point), QString::number(weightKey), u"1"_qs, u"0"_qs,
                                    u"128"_qs, u"IPAGothic"_qs}));
    }

    void fontEdgeCases()
    {
        CConfig config;
        LogFont font;
        // Without a drawing context the point size is the height divided by -10, truncated.
        font.height = -125;
        QVERIFY(!LogFontToConfig(config, QStringLiteral("main"), 0, font));
        QCOMPARE(config.GetIntOr(QStringLiteral("main.font.point_i"), -1), 12);
        // A prefix without font keys.
        font = LogFont();
        QVERIFY(!ConfigToLogFont(config, QStringLiteral("hide"), 96, font));
        QCOMPARE(font.height, 0);
        QCOMPARE(font.weight, 400);
        QVERIFY(!LogFontToConfig(config, QStringLiteral("hide"), 96, font));
    }

    void parseHex6_data()
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

    void parseHex6()
    {
        QFETCH(QString, text);
        QFETCH(int, start);
        QFETCH(int, result);
        QFETCH(uint, value);
        quint32 parsed = 0;
        QCOMPARE(int(CCustomPalette::ParseHex6(text, start, parsed)), result);
        QCOMPARE(parsed, value);
    }

    void paletteRoundTrip()
    {
        CConfig config;
        CCustomPalette palette;
        for (int i = 0; i < CCustomPalette::kCount; ++i)
            palette.setColor(i, 0x010203u * static_cast<quint32>(i) + 0xa0u);
        QVERIFY(palette.SaveCustomColors(config));
        const QString text = config.GetStringOr(QStringLiteral("miscellaneous.customcolors"));
        QCOMPARE(text.size(), 111);
        QVERIFY(text.startsWith(QStringLiteral("0000A0,0102A3,0204A6,")));
        QVERIFY(text.endsWith(QStringLiteral(",0F1ECD")));
        CCustomPalette loaded;
        QVERIFY(loaded.LoadCustomColors(config));
        QCOMPARE(loaded.colors(), palette.colors());
    }

    void badPaletteFallsBackToWindowColours_data()
    {
        const QString valid = QStringList(16, QStringLiteral("123456")).join(u',');
        QTest::addColumn<QString>("stored");
        QTest::newRow("empty") << QString();
        QTest::newRow("110 characters") << valid.left(110);
        QTest::newRow("112 characters") << valid + u',';
        QTest::newRow("letter G") << QString(valid).replace(50, 1, u'G');
    }

    void badPaletteFallsBackToWindowColours()
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
};

QTEST_GUILESS_MAIN(FontPaletteTest)
#include "FontPaletteTest.moc"
