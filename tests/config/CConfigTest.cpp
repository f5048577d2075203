#include "FileSizeLimit.h"
#include "TestFiles.h"
#include "TestHome.h"

#include "config/CConfig.h"
#include "config/IWorkAreaSource.h"
#include "core/AppPaths.h"

#include <QDir>
#include <QTest>

namespace {

class FixedWorkArea final : public IWorkAreaSource
{
public:
    explicit FixedWorkArea(std::optional<QRect> area) : m_area(area) {}
    std::optional<QRect> workArea() const override { return m_area; }

private:
    std::optional<QRect> m_area;
};

const FixedWorkArea fullHd(QRect(0, 0, 1920, 1040));

QString text(const CConfig &config, const QString &key)
{
    return config.GetStringOr(key, u"<unregistered>"_qs);
}

} // namespace

class CConfigTest final : public QObject
{
    Q_OBJECT

    QString path(const QString &name = u"a.tvn"_qs) const { return m_home->path() + u'/' + name; }
    std::unique_ptr<TestHome> m_home;

private slots:
    void init() { m_home = std::make_unique<TestHome>(); }
    void cleanup() { m_home.reset(); }

    void defaultsFromWorkArea_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("wide");    // 0,0 1920 x 1040
        QTest::addColumn<int>("shifted"); // 100,50 1000 x 1000: the origin is added to sizes too
        QTest::addColumn<int>("noArea");
        QTest::newRow("main x") << "main.position.x_i" << 0 << 100 << 0;
        QTest::newRow("main width") << "main.size.x_i" << 960 << 600 << 370;
        QTest::newRow("main height") << "main.size.y_i" << 520 << 550 << 260;
        QTest::newRow("monitor y") << "monitor.position.y_i" << 676 << 700 << 340;
        QTest::newRow("monitor width") << "monitor.size.x_i" << 1152 << 700 << 470;
        QTest::newRow("monitor name column") << "monitor.width.name_i" << 211 << 210 << 85;
        QTest::newRow("fixed default") << "main.font.point_i" << 36 << 36 << 36;
    }

    void defaultsFromWorkArea()
    {
        QFETCH(QString, key);
        QFETCH(int, wide);
        QFETCH(int, shifted);
        QFETCH(int, noArea);
        const FixedWorkArea shiftedArea(QRect(100, 50, 1000, 1000));
        const FixedWorkArea none(std::nullopt);
        const CConfig configs[] = {CConfig(&fullHd), CConfig(&shiftedArea), CConfig(&none), CConfig(nullptr)};
        const int expected[] = {wide, shifted, noArea, noArea};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(configs[i].HasWorkArea(), i < 2);
            QCOMPARE(configs[i].GetIntOr(key, -1), expected[i]);
        }
    }

    // An "_i" key reads like "%d", a colour key like "%x" masked to 24 bits.
    void numbers_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<qint64>("expected");
        const auto row = [](const char *name, const char *key, const char *stored, bool ok, qint64 expected) {
            QTest::newRow(name) << QString::fromLatin1(key) << QString::fromLatin1(stored) << ok << expected;
        };
        const char *i = "monitor.sort.column_i";
        const char *c = "main.color.text";
        row("plain", i, "42", true, 42);
        row("negative", i, "-17", true, -17);
        row("plus and blanks", i, " \t+8", true, 8);
        row("every blank", i, "\r\n\v\f 7", true, 7);
        row("trailing letters", i, "12abc", true, 12);
        row("saturates", i, "-99999999999", true, std::numeric_limits<qint32>::min());
        row("no digits", i, "abc", false, -1);
        row("sign only", i, "-", false, -1);
        row("empty", i, "", false, -1);
        row("red", c, "0000ff", true, 0x0000ff);
        row("upper case", c, "33FF00", true, 0x33ff00);
        row("mixed with 0x", c, "0xaBcDeF", true, 0xabcdef);
        row("upper-case 0X", c, "0X1f", true, 0x1f);
        row("leading blanks", c, "  ff", true, 0xff);
        row("masked to 24 bits", c, "A9345678", true, 0x345678);
        row("signed colour", c, "-1", true, 0xffffff);
        row("stops at non-digit", c, "12g4", true, 0x12);
        row("not hexadecimal", c, "zz", false, -1);
        row("empty colour", c, "", false, -1);
    }

    void numbers()
    {
        QFETCH(QString, key);
        QFETCH(QString, stored);
        QFETCH(bool, ok);
        QFETCH(qint64, expected);
        CConfig config;
        QVERIFY(config.SetString(key, stored));
        qint32 value = -1;
        quint32 color = 0xffffffff;
        QCOMPARE(key.endsWith(u"_i") ? config.GetInt(key, value) : config.GetColor(key, color), ok);
        QCOMPARE(key.endsWith(u"_i") ? qint64(value) : qint64(qint32(color)), expected);
    }

    void keyAccess()
    {
        CConfig config;
        const QString unknown = u"main.unknown_i"_qs;
        QVERIFY(!config.SetString(unknown, u"1"_qs) && !config.SetInt(unknown, 1) &&
                !config.SetColor(unknown, 1));
        QVERIFY(!config.GetKeys().contains(unknown));
        // Failed reads leave the out values alone; keys are exact (no case folding).
        QString value = u"kept"_qs;
        qint32 number = 7;
        quint32 color = 7;
        QVERIFY(!config.GetString(unknown, value) && !config.GetInt(unknown, number) &&
                !config.GetColor(unknown, color) && !config.GetString(u"MAIN.FONT.NAME"_qs, value));
        QVERIFY(!config.GetMax(u"main.font.point_i"_qs, number) &&
                !config.GetMin(u"main.position.x_i"_qs, number));
        QCOMPARE(value, u"kept"_qs);
        QCOMPARE(number, 7);
        QCOMPARE(color, 7u);
        QVERIFY(config.GetMax(u"communication.http.reload_i"_qs, number) && number == 100000);
        QVERIFY(config.GetMin(u"communication.http.reload_i"_qs, number) && number == 500);
        // The reading helpers fall back only when there is nothing to read.
        QCOMPARE(config.GetIntOr(u"communication.http.reload_i"_qs, -7), 800);
        QCOMPARE(config.GetIntOr(u"no.such.key_i"_qs, -7), -7);
        QVERIFY(config.SetString(u"main.scroll.period_i"_qs, u"x"_qs));
        QCOMPARE(config.GetIntOr(u"main.scroll.period_i"_qs, -7), -7);
        QCOMPARE(config.GetStringOr(u"no.such.key"_qs, u"f"_qs), u"f"_qs);
        QCOMPARE(config.GetStringOr(u"communication.name"_qs, u"f"_qs), QString());
        // Colours are written as six lower-case digits of the low 24 bits.
        QVERIFY(config.SetColor(u"main.color.text"_qs, 0xAB12345Fu));
        QCOMPARE(text(config, u"main.color.text"_qs), u"12345f"_qs);
        QVERIFY(config.SetColor(u"main.color.text"_qs, 0xffu));
        QCOMPARE(text(config, u"main.color.text"_qs), u"0000ff"_qs);
    }

    void loadKeepsDefaultsOutOfBounds_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("fileValue");
        QTest::addColumn<QString>("loaded");
        QTest::addColumn<int>("refused");
        const auto row = [](const char *name, const char *key, const QString &value, const QString &loaded,
                            int refused) {
            QTest::newRow(name) << QString::fromUtf8(key) << value << loaded << refused;
        };
        row("point below 6", "main.font.point_i", u"4"_qs, u"36"_qs, 1);
        row("point 6", "main.font.point_i", u"6"_qs, u"6"_qs, 0);
        row("channel 13", "communication.channel_i", u"13"_qs, u"1"_qs, 1);
        row("channel 12", "communication.channel_i", u"12"_qs, u"12"_qs, 0);
        row("digits then letters", "main.line.max_i", u"120abc"_qs, u"120"_qs, 0);
        row("not a number reads 0", "main.margin.x_i", u"x5"_qs, u"0"_qs, 0);
        row("0 out of bounds", "main.line.height_i", u"abc"_qs, u"100"_qs, 1);
        row("negative unbounded", "main.position.x_i", u"-1920"_qs, u"-1920"_qs, 0);
        row("empty number", "main.margin.y_i", QString(), u"4"_qs, 0);
        row("huge number", "chat.flash.time_i", u"99999999999"_qs, u"2147483647"_qs, 0);
        row("undo forced to 5", "main.undo.max_i", u"9"_qs, u"5"_qs, 1);
        row("name of 16", "communication.name", u"abcdefghijklmnop"_qs, u"abcdefghijklmnop"_qs, 0);
        row("name of 17", "communication.name", u"abcdefghijklmnopq"_qs, QString(), 1);
        row("http colour of 5", "communication.http.color", u"fffff"_qs, u"ffffff"_qs, 1);
        row("http colour of 6", "communication.http.color", u"00ff00"_qs, u"00ff00"_qs, 0);
        row("log folder of 220", "miscellaneous.log.folder", QString(220, u'f'), QString(220, u'f'), 0);
        row("log folder of 221", "miscellaneous.log.folder", QString(221, u'f'), u"<documents>"_qs, 1);
        row("unbounded text", "fkey.string.01", u"お疲れさまです"_qs, u"お疲れさまです"_qs, 0);
    }

    void loadKeepsDefaultsOutOfBounds()
    {
        QFETCH(QString, key);
        QFETCH(QString, fileValue);
        QFETCH(QString, loaded);
        QFETCH(int, refused);
        writeBytes(path(), utf16le(u"[tavrin]\r\n"_qs + key + u'=' + fileValue + u"\r\n"_qs));
        CConfig config(&fullHd);
        QVERIFY(config.LoadFromFile(path()));
        QCOMPARE(text(config, key), loaded == u"<documents>"_qs ? CAppPaths::GetDocumentFolder() : loaded);
        // A damaged file must not load as silently as a good one: the log counts what was refused.
        const QStringList log = operationLogLines();
        const int found = fileValue.isEmpty() && key.endsWith(u"_i") ? 0 : 1;
        QVERIFY(log.contains(u"CConfig::LoadFromFile() settings found in the file : %1"_qs.arg(found)));
        QCOMPARE(log.contains(
                     u"CConfig::LoadFromFile() settings out of bounds, defaults kept : %1"_qs.arg(refused)),
                 refused > 0);
    }

    void loadAndSaveTakeOnlyOurKeys()
    {
        writeBytes(path(), utf16le(u"[other]\r\nmain.margin.y_i=9\r\n"_qs +
                                   u"[tavrin]\r\nlegacy.key=1\r\nmain.margin.x_i=3\r\n"_qs));
        CConfig config;
        QVERIFY(config.SetInt(u"main.margin.y_i"_qs, 11));
        QVERIFY(config.LoadFromFile(path()));
        QCOMPARE(text(config, u"main.margin.x_i"_qs), u"3"_qs);
        // Missing from our section: back to the default, not kept and not taken from another section.
        QCOMPARE(text(config, u"main.margin.y_i"_qs), u"4"_qs);
        QVERIFY(config.SaveToFile(path()));
        const QByteArray first = readBytes(path());
        const QString saved = readUtf16File(path());
        QVERIFY(!saved.contains(u"legacy.key"_qs) && !saved.contains(u"[other]"_qs));
        QVERIFY(saved.contains(u"\r\nmain.margin.x_i=3\r\n"_qs));
        QVERIFY(config.SaveToFile(path()));
        QCOMPARE(readBytes(path()), first);
    }

    void saveWritesTheExactFormat()
    {
        CConfig config(&fullHd);
        QVERIFY(config.SetString(u"fkey.string.01"_qs, u"a\r\nmain.margin.x_i=20"_qs));
        QVERIFY(config.SetString(u"communication.name"_qs, u"要約 太郎"_qs));
        QVERIFY(config.SetInt(u"main.position.x_i"_qs, -300));
        QVERIFY(config.SaveToFile(path()));
        // A line break in a value cannot start a line (and a setting) of its own.
        QVERIFY(config.SetString(u"fkey.string.01"_qs, u"a  main.margin.x_i=20"_qs));
        QVERIFY(readBytes(path()).startsWith(utf16le(u"[tavrin]\r\n"_qs)));
        const QStringList lines = readUtf16File(path()).split(u"\r\n"_qs);
        const QStringList keys = config.GetKeys();
        QCOMPARE(lines.size(), 1 + keys.size() + 1);
        QCOMPARE(lines.last(), QString());
        CConfig reloaded;
        QVERIFY(reloaded.LoadFromFile(path()));
        for (int i = 0; i < keys.size(); ++i) {
            QCOMPARE(lines.at(i + 1), keys.at(i) + u'=' + text(config, keys.at(i)));
            QCOMPARE(text(reloaded, keys.at(i)), text(config, keys.at(i)));
        }
    }

    void pathRefusals_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("loads");
        QTest::addColumn<bool>("saves");
        QTest::newRow("missing file") << "missing" << false << true;
        QTest::newRow("a folder") << "folder" << false << false;
        QTest::newRow("260 characters") << "260" << false << false;
        QTest::newRow("259 characters") << "259" << true << true;
        QTest::newRow("missing folder") << "no/such/a.tvn" << false << false;
        QTest::newRow("parent is a file") << "plain/a.tvn" << false << false;
    }

    void pathRefusals()
    {
        QFETCH(QString, kind);
        QFETCH(bool, loads);
        QFETCH(bool, saves);
        // A regular file cannot hold a file, even for root.
        writeBytes(path(u"plain"_qs), "x");
        QVERIFY(QDir().mkpath(path(u"folder"_qs)));
        QString file = path(kind);
        if (kind.front().isDigit()) {
            file = path(QString(kind.toInt() - m_home->path().size() - 1, u'p')); // this long in all
            writeBytes(file, utf16le(u"[tavrin]\r\nmain.margin.y_i=9\r\n"_qs));
        }
        const QByteArray before = readBytes(file);
        CConfig config;
        QVERIFY(config.SetInt(u"main.margin.x_i"_qs, 19));
        QCOMPARE(config.LoadFromFile(file), loads);
        // A refused file leaves every value as it was, not reset to its default.
        QCOMPARE(text(config, u"main.margin.x_i"_qs), loads ? u"4"_qs : u"19"_qs);
        QCOMPARE(config.SaveToFile(file), saves);
        QCOMPARE(readBytes(file) != before, saves);
        QCOMPARE(readBytes(path(u"plain"_qs)), QByteArray("x"));
    }

    void failedSaveLeavesTheOldFile()
    {
        const QString folder = path(u"settings"_qs);
        QVERIFY(QDir().mkpath(folder));
        const QString file = folder + u"/a.tvn"_qs;
        CConfig config;
        QVERIFY(config.SaveToFile(file));
        const QByteArray good = readBytes(file);
        QVERIFY(good.size() > 4000);

        QVERIFY(config.SetString(u"fkey.string.01"_qs, u"changed"_qs));
        {
            FileSizeLimit limit(1000);
            QVERIFY(!config.SaveToFile(file));
        }
        QCOMPARE(readBytes(file), good);
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList(u"a.tvn"_qs));
    }
};

QTEST_GUILESS_MAIN(CConfigTest)
#include "CConfigTest.moc"
