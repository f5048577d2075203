#include "ConfigTestFiles.h"
#include "TestHome.h"

#include "config/CConfig.h"
#include "config/IWorkAreaSource.h"
#include "core/AppPaths.h"
#include "core/StringTable.h"

#include <QDir>
#include <QSet>
#include <QTest>

using namespace ConfigTestFiles;

namespace {

class FixedWorkArea final : public IWorkAreaSource
{
public:
    explicit FixedWorkArea(std::optional<QRect> area)
        : m_area(area)
    {
    }
    std::optional<QRect> workArea() const override { return m_area; }

private:
    std::optional<QRect> m_area;
};

const FixedWorkArea fullHd(QRect(0, 0, 1920, 1040));

QString text(const CConfig &config, const QString &key)
{
    QString value;
    return config.GetString(key, value) ? value : QStringLiteral("<unregistered>");
}

QString settingsFile(const QString &body)
{
    return QStringLiteral("[tavrin]\r\n") + body;
}

} // namespace

class CConfigTest final : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_home = std::make_unique<TestHome>(); }
    void cleanup() { m_home.reset(); }

    void keyTableHasEveryKeyOnce();
    void keysPerPrefix_data();
    void keysPerPrefix();
    void defaultsFromWorkArea_data();
    void defaultsFromWorkArea();
    void sizesIncludeTheWorkAreaOrigin();
    void textDefaults();

    void getInt_data();
    void getInt();
    void getColor_data();
    void getColor();
    void setColorWritesSixLowerCaseDigits();
    void unregisteredKeysAreRefused();
    void getMax();

    void loadKeepsDefaultsOutOfBounds_data();
    void loadKeepsDefaultsOutOfBounds();
    void loadResetsKeysMissingFromTheFile();
    void loadWithoutSectionGivesDefaults();
    void loadStripsQuotesAndBlanksAndIgnoresCase();
    void loadCutsValuesAt259();
    void loadForcesUndoMaxToFive();
    void loadFailuresLeaveValuesUnchanged_data();
    void loadFailuresLeaveValuesUnchanged();
    void loadWritesItsLogLines();

    void saveWritesTheExactFormat();
    void saveDropsUnknownKeysAndIsRepeatable();
    void saveKeepsValuesOnOneLine();
    void saveRoundTrips();
    void saveRefusesLongPathsAndMissingFolders();
    void failedSaveLeavesTheOldFile();

private:
    std::unique_ptr<TestHome> m_home;
};

void CConfigTest::keyTableHasEveryKeyOnce()
{
    const CConfig config(&fullHd);
    const QStringList keys = config.GetKeys();
    QCOMPARE(keys.size(), 170);
    QCOMPARE(QSet<QString>(keys.begin(), keys.end()).size(), keys.size());
    QCOMPARE(keys.first(), QStringLiteral("main.position.x_i"));
    QCOMPARE(keys.last(), QStringLiteral("miscellaneous.delimiter.speaker"));
    for (const QString &key : keys)
        QVERIFY2(key == key.toLower(), qPrintable(key));
}

void CConfigTest::keysPerPrefix_data()
{
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<int>("count");
    QTest::newRow("main") << "main." << 27;
    QTest::newRow("monitor") << "monitor." << 19;
    QTest::newRow("input") << "input." << 17;
    QTest::newRow("chat") << "chat." << 20;
    QTest::newRow("pft") << "pft." << 25;
    QTest::newRow("pft_monitor") << "pft_monitor." << 13;
    QTest::newRow("fkey") << "fkey." << 25;
    QTest::newRow("hide") << "hide." << 2;
    QTest::newRow("communication") << "communication." << 12;
    QTest::newRow("miscellaneous") << "miscellaneous." << 10;
}

void CConfigTest::keysPerPrefix()
{
    QFETCH(QString, prefix);
    QFETCH(int, count);
    const CConfig config(&fullHd);
    const QStringList keys = config.GetKeys();
    QCOMPARE(std::count_if(keys.begin(), keys.end(), [&](const QString &k) { return k.startsWith(prefix); }),
             count);
}

void CConfigTest::defaultsFromWorkArea_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("withArea");
    QTest::addColumn<int>("withoutArea");
    QTest::newRow("main x") << "main.position.x_i" << 0 << 0;
    QTest::newRow("main y") << "main.position.y_i" << 0 << 0;
    QTest::newRow("main width") << "main.size.x_i" << 960 << 370;
    QTest::newRow("main height") << "main.size.y_i" << 520 << 260;
    QTest::newRow("monitor x") << "monitor.position.x_i" << 0 << 0;
    QTest::newRow("monitor y") << "monitor.position.y_i" << 676 << 340;
    QTest::newRow("monitor width") << "monitor.size.x_i" << 1152 << 470;
    QTest::newRow("monitor height") << "monitor.size.y_i" << 364 << 170;
    QTest::newRow("monitor name column") << "monitor.width.name_i" << 211 << 85;
    QTest::newRow("monitor absent column") << "monitor.width.absent_i" << 134 << 60;
    QTest::newRow("monitor input column") << "monitor.width.input_i" << 652 << 260;
    QTest::newRow("monitor ip column") << "monitor.width.ip_i" << 134 << 60;
    QTest::newRow("input y") << "input.position.y_i" << 520 << 260;
    QTest::newRow("input width") << "input.size.x_i" << 960 << 370;
    QTest::newRow("input height") << "input.size.y_i" << 156 << 80;
    QTest::newRow("chat x") << "chat.position.x_i" << 960 << 370;
    QTest::newRow("chat width") << "chat.size.x_i" << 480 << 230;
    QTest::newRow("chat height") << "chat.size.y_i" << 520 << 250;
    QTest::newRow("pft x") << "pft.position.x_i" << 1440 << 600;
    QTest::newRow("pft y") << "pft.position.y_i" << 0 << 0;
    QTest::newRow("pft width") << "pft.size.x_i" << 480 << 200;
    QTest::newRow("pft height") << "pft.size.y_i" << 520 << 240;
    QTest::newRow("pft_monitor y") << "pft_monitor.position.y_i" << 520 << 240;
    QTest::newRow("fkey x") << "fkey.position.x_i" << 1152 << 470;
    QTest::newRow("fkey width") << "fkey.size.x_i" << 288 << 130;
    QTest::newRow("fkey height") << "fkey.size.y_i" << 520 << 240;
    QTest::newRow("fixed default") << "main.font.point_i" << 36 << 36;
}

void CConfigTest::defaultsFromWorkArea()
{
    QFETCH(QString, key);
    QFETCH(int, withArea);
    QFETCH(int, withoutArea);
    qint32 value = -1;
    const CConfig config(&fullHd);
    QVERIFY(config.HasWorkArea());
    QVERIFY(config.GetInt(key, value));
    QCOMPARE(value, withArea);

    const FixedWorkArea none(std::nullopt);
    for (const CConfig &fallback : {CConfig(&none), CConfig(nullptr)}) {
        QVERIFY(!fallback.HasWorkArea());
        QVERIFY(fallback.GetInt(key, value));
        QCOMPARE(value, withoutArea);
    }
}

void CConfigTest::sizesIncludeTheWorkAreaOrigin()
{
    const FixedWorkArea shifted(QRect(QPoint(100, 50), QPoint(1099, 1049)));
    const CConfig config(&shifted);
    QCOMPARE(text(config, QStringLiteral("main.position.x_i")), QStringLiteral("100"));
    QCOMPARE(text(config, QStringLiteral("main.position.y_i")), QStringLiteral("50"));
    QCOMPARE(text(config, QStringLiteral("main.size.x_i")), QStringLiteral("600"));
    QCOMPARE(text(config, QStringLiteral("monitor.size.y_i")), QStringLiteral("400"));
}

void CConfigTest::textDefaults()
{
    const CConfig config(&fullHd);
    QCOMPARE(text(config, QStringLiteral("main.font.name")), CStringTable::get(174));
    QCOMPARE(text(config, QStringLiteral("chat.message.notice")), QStringLiteral("30秒前です。"));
    QCOMPARE(text(config, QStringLiteral("chat.message.inactive")), QStringLiteral("[停止]"));
    QCOMPARE(text(config, QStringLiteral("input.quote.2.end")), QStringLiteral("）"));
    QCOMPARE(text(config, QStringLiteral("main.color.outline")), QStringLiteral("33ff00"));
    QCOMPARE(text(config, QStringLiteral("pft.send.multiline.limit")), QStringLiteral("20"));
    QCOMPARE(text(config, QStringLiteral("fkey.string.12")), QString());
    QCOMPARE(text(config, QStringLiteral("miscellaneous.log.folder")), CAppPaths::GetDocumentFolder());
    QVERIFY(text(config, QStringLiteral("miscellaneous.log.folder")).startsWith(m_home->path()));
}

void CConfigTest::getInt_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("expected");
    QTest::newRow("plain") << "42" << true << 42;
    QTest::newRow("negative") << "-17" << true << -17;
    QTest::newRow("plus and blanks") << " \t+8" << true << 8;
    QTest::newRow("trailing letters") << "12abc" << true << 12;
    QTest::newRow("no digits") << "abc" << false << -1;
    QTest::newRow("sign only") << "-" << false << -1;
    QTest::newRow("empty") << "" << false << -1;
}

void CConfigTest::getInt()
{
    QFETCH(QString, stored);
    QFETCH(bool, ok);
    QFETCH(int, expected);
    CConfig config;
    QVERIFY(config.SetString(QStringLiteral("monitor.sort.column_i"), stored));
    qint32 value = -1;
    QCOMPARE(config.GetInt(QStringLiteral("monitor.sort.column_i"), value), ok);
    QCOMPARE(value, expected);
}

void CConfigTest::getColor_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<uint>("expected");
    QTest::newRow("red") << "0000ff" << true << 0x0000ffu;
    QTest::newRow("upper case") << "33FF00" << true << 0x33ff00u;
    QTest::newRow("mixed with 0x") << "0xAbCdEf" << true << 0xabcdefu;
    QTest::newRow("leading blanks") << "  ff" << true << 0xffu;
    QTest::newRow("masked to 24 bits") << "12345678" << true << 0x345678u;
    QTest::newRow("stops at non-digit") << "12g4" << true << 0x12u;
    QTest::newRow("not hexadecimal") << "zz" << false << 0xdeadu;
    QTest::newRow("empty") << "" << false << 0xdeadu;
}

void CConfigTest::getColor()
{
    QFETCH(QString, stored);
    QFETCH(bool, ok);
    QFETCH(uint, expected);
    CConfig config;
    QVERIFY(config.SetString(QStringLiteral("main.color.text"), stored));
    quint32 color = 0xdead;
    QCOMPARE(config.GetColor(QStringLiteral("main.color.text"), color), ok);
    QCOMPARE(color, expected);
}

void CConfigTest::setColorWritesSixLowerCaseDigits()
{
    CConfig config;
    const QString key = QStringLiteral("main.color.text");
    QVERIFY(config.SetColor(key, 0xAB12345Fu));
    QCOMPARE(text(config, key), QStringLiteral("12345f"));
    QVERIFY(config.SetColor(key, 0xffu));
    QCOMPARE(text(config, key), QStringLiteral("0000ff"));
}

void CConfigTest::unregisteredKeysAreRefused()
{
    CConfig config;
    const QString key = QStringLiteral("main.unknown_i");
    QVERIFY(!config.SetString(key, QStringLiteral("1")));
    QVERIFY(!config.SetInt(key, 1));
    QVERIFY(!config.SetColor(key, 1));
    QString value = QStringLiteral("kept");
    qint32 number = 7;
    quint32 color = 7;
    QVERIFY(!config.GetString(key, value));
    QVERIFY(!config.GetInt(key, number));
    QVERIFY(!config.GetColor(key, color));
    QCOMPARE(value, QStringLiteral("kept"));
    QCOMPARE(number, 7);
    QCOMPARE(color, 7u);
    QVERIFY(!config.GetKeys().contains(key));
    // Keys are exact: the store does not fold case.
    QVERIFY(!config.GetString(QStringLiteral("MAIN.FONT.NAME"), value));
}

void CConfigTest::getMax()
{
    CConfig config;
    qint32 max = -1;
    QVERIFY(config.GetMax(QStringLiteral("communication.name"), max));
    QCOMPARE(max, 16);
    QVERIFY(config.GetMax(QStringLiteral("miscellaneous.log.folder"), max));
    QCOMPARE(max, 220);
    QVERIFY(config.GetMax(QStringLiteral("communication.http.reload_i"), max));
    QCOMPARE(max, 100000);
    max = -1;
    QVERIFY(!config.GetMax(QStringLiteral("main.font.point_i"), max));
    QVERIFY(!config.GetMax(QStringLiteral("main.position.x_i"), max));
    QCOMPARE(max, -1);
    qint32 min = -1;
    QVERIFY(config.GetMin(QStringLiteral("communication.http.reload_i"), min));
    QCOMPARE(min, 500);
    QVERIFY(!config.GetMin(QStringLiteral("main.position.x_i"), min));
    QCOMPARE(min, 500);

    // The reading helpers fall back only when there is nothing to read.
    QCOMPARE(config.GetIntOr(QStringLiteral("communication.http.reload_i"), -7), 800);
    QCOMPARE(config.GetIntOr(QStringLiteral("no.such.key_i"), -7), -7);
    config.SetString(QStringLiteral("main.scroll.period_i"), QStringLiteral("x"));
    QCOMPARE(config.GetIntOr(QStringLiteral("main.scroll.period_i"), -7), -7);
    QCOMPARE(config.GetStringOr(QStringLiteral("no.such.key"), QStringLiteral("f")), QStringLiteral("f"));
    config.SetString(QStringLiteral("communication.name"), QString());
    QCOMPARE(config.GetStringOr(QStringLiteral("communication.name"), QStringLiteral("f")), QString());
}

void CConfigTest::loadKeepsDefaultsOutOfBounds_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("fileValue");
    QTest::addColumn<QString>("loaded");
    QTest::newRow("point below 6") << "main.font.point_i" << "4" << "36";
    QTest::newRow("point 7") << "main.font.point_i" << "7" << "7";
    QTest::newRow("channel 13") << "communication.channel_i" << "13" << "1";
    QTest::newRow("channel 12") << "communication.channel_i" << "12" << "12";
    QTest::newRow("group 0") << "communication.group_i" << "0" << "1";
    QTest::newRow("12 then letters") << "main.line.max_i" << "120abc" << "120";
    QTest::newRow("not a number reads 0") << "main.margin.x_i" << "x5" << "0";
    QTest::newRow("0 out of bounds") << "main.line.height_i" << "abc" << "100";
    QTest::newRow("negative unbounded") << "main.position.x_i" << "-1920" << "-1920";
    QTest::newRow("empty value") << "main.margin.y_i" << "" << "4";
    QTest::newRow("huge number") << "chat.flash.time_i" << "99999999999" << "2147483647";
    QTest::newRow("name of 16") << "communication.name" << "abcdefghijklmnop" << "abcdefghijklmnop";
    QTest::newRow("name of 17") << "communication.name" << "abcdefghijklmnopq" << "";
    QTest::newRow("http colour of 5") << "communication.http.color" << "fffff" << "ffffff";
    QTest::newRow("http colour of 6") << "communication.http.color" << "00ff00" << "00ff00";
    QTest::newRow("multiline limit of 1") << "pft.send.multiline.limit" << "9" << "20";
    QTest::newRow("unbounded text") << "fkey.string.01" << "お疲れさまです" << "お疲れさまです";
}

void CConfigTest::loadKeepsDefaultsOutOfBounds()
{
    QFETCH(QString, key);
    QFETCH(QString, fileValue);
    QFETCH(QString, loaded);
    const QString path = m_home->path() + QStringLiteral("/a.tvn");
    QVERIFY(writeBytes(path, utf16(settingsFile(key + u'=' + fileValue + QStringLiteral("\r\n")))));
    CConfig config(&fullHd);
    QVERIFY(config.LoadFromFile(path));
    QCOMPARE(text(config, key), loaded);
}

void CConfigTest::loadResetsKeysMissingFromTheFile()
{
    const QString path = m_home->path() + QStringLiteral("/a.tvn");
    QVERIFY(writeBytes(path, utf16(settingsFile(QStringLiteral("main.margin.x_i=9\r\n")))));
    CConfig config(&fullHd);
    QVERIFY(config.SetInt(QStringLiteral("main.margin.y_i"), 11));
    QVERIFY(config.LoadFromFile(path));
    QCOMPARE(text(config, QStringLiteral("main.margin.x_i")), QStringLiteral("9"));
    QCOMPARE(text(config, QStringLiteral("main.margin.y_i")), QStringLiteral("4"));
}

void CConfigTest::loadWithoutSectionGivesDefaults()
{
    const QString path = m_home->path() + QStringLiteral("/other.tvn");
    QVERIFY(writeBytes(path, utf16(QStringLiteral("[other]\r\nmain.margin.x_i=9\r\n"
                                                  "main.margin.y_i=9\r\n"))));
    CConfig config(&fullHd);
    QVERIFY(config.SetInt(QStringLiteral("main.margin.x_i"), 11));
    QVERIFY(config.LoadFromFile(path));
    QCOMPARE(text(config, QStringLiteral("main.margin.x_i")), QStringLiteral("4"));
    QCOMPARE(text(config, QStringLiteral("main.margin.y_i")), QStringLiteral("4"));
}

void CConfigTest::loadStripsQuotesAndBlanksAndIgnoresCase()
{
    const QString path = m_home->path() + QStringLiteral("/a.tvn");
    QVERIFY(writeBytes(path, utf16(QStringLiteral("; written by hand\r\n\r\n  [TAVRIN]  \r\n"
                                                  "  COMMUNICATION.NAME =  \"  Sato \"  \r\n"
                                                  "Main.Margin.X_i = \"7\"\r\n"
                                                  "fkey.string.01=\"half\r\n"
                                                  "fkey.string.02=　全角　\r\n"))));
    CConfig config;
    QVERIFY(config.LoadFromFile(path));
    QCOMPARE(text(config, QStringLiteral("communication.name")), QStringLiteral("  Sato "));
    QCOMPARE(text(config, QStringLiteral("main.margin.x_i")), QStringLiteral("7"));
    QCOMPARE(text(config, QStringLiteral("fkey.string.01")), QStringLiteral("\"half"));
    // Only ASCII blanks are trimmed; ideographic spaces are text.
    QCOMPARE(text(config, QStringLiteral("fkey.string.02")), QStringLiteral("　全角　"));
}

void CConfigTest::loadCutsValuesAt259()
{
    const QString path = m_home->path() + QStringLiteral("/a.tvn");
    const QString longText = QString(300, u'あ');
    QVERIFY(writeBytes(path, utf16(settingsFile(QStringLiteral("fkey.string.03=") + longText +
                                                QStringLiteral("\r\nmiscellaneous.log.folder=") +
                                                QString(221, u'x') + QStringLiteral("\r\n")))));
    CConfig config;
    QVERIFY(config.LoadFromFile(path));
    QCOMPARE(text(config, QStringLiteral("fkey.string.03")), longText.left(259));
    QCOMPARE(text(config, QStringLiteral("miscellaneous.log.folder")), CAppPaths::GetDocumentFolder());
}

void CConfigTest::loadForcesUndoMaxToFive()
{
    const QString path = m_home->path() + QStringLiteral("/a.tvn");
    QVERIFY(writeBytes(path, utf16(settingsFile(QStringLiteral("main.undo.max_i=9\r\n")))));
    CConfig config;
    QVERIFY(config.SetString(QStringLiteral("main.undo.max_i"), QStringLiteral("3")));
    QVERIFY(config.LoadFromFile(path));
    QCOMPARE(text(config, QStringLiteral("main.undo.max_i")), QStringLiteral("5"));
}

void CConfigTest::loadFailuresLeaveValuesUnchanged_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("missing file") << "missing.tvn";
    QTest::newRow("a folder") << "folder.tvn";
    QTest::newRow("260 characters") << QString(260, u'n');
}

void CConfigTest::loadFailuresLeaveValuesUnchanged()
{
    QFETCH(QString, name);
    QDir(m_home->path()).mkpath(QStringLiteral("folder.tvn"));
    const QString path = name.size() >= 260 ? name : m_home->path() + u'/' + name;
    CConfig config;
    QVERIFY(config.SetInt(QStringLiteral("main.margin.x_i"), 19));
    QVERIFY(!config.LoadFromFile(path));
    QCOMPARE(text(config, QStringLiteral("main.margin.x_i")), QStringLiteral("19"));
    QCOMPARE(operationLogLines(),
             QStringList({QStringLiteral("CConfig::LoadFromFile() begins."), path}));
}

void CConfigTest::loadWritesItsLogLines()
{
    const QString path = m_home->path() + QStringLiteral("/a.tvn");
    QVERIFY(writeBytes(path, utf16(settingsFile({}))));
    CConfig config;
    QVERIFY(config.LoadFromFile(path));
    QCOMPARE(operationLogLines(),
             QStringList({QStringLiteral("CConfig::LoadFromFile() begins."), path,
                          QStringLiteral("CConfig::LoadFromFile() initializes."),
                          QStringLiteral("CConfig::LoadFromFile() settings found in the file : 0"),
                          QStringLiteral("CConfig::LoadFromFile() finished.")}));
}

void CConfigTest::saveWritesTheExactFormat()
{
    const QString path = m_home->path() + QStringLiteral("/a.tvn");
    CConfig config(&fullHd);
    QVERIFY(config.SaveToFile(path));
    QCOMPARE(operationLogLines(), QStringList({QStringLiteral("CConfig::SaveToFile() begins."), path}));

    const QByteArray bytes = readBytes(path);
    QVERIFY(bytes.startsWith(utf16(QStringLiteral("[tavrin]\r\nmain.position.x_i=0\r\n"
                                                  "main.position.y_i=0\r\nmain.size.x_i=960\r\n"))));
    QVERIFY(bytes.endsWith(utf16(QStringLiteral("\r\nmiscellaneous.delimiter.speaker=\r\n"), false)));
    const QStringList lines = readUtf16File(path).split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 1 + 170 + 1);
    QCOMPARE(lines.last(), QString());
    const QStringList keys = config.GetKeys();
    for (int i = 0; i < keys.size(); ++i)
        QCOMPARE(lines.at(i + 1), keys.at(i) + u'=' + text(config, keys.at(i)));
}

void CConfigTest::saveDropsUnknownKeysAndIsRepeatable()
{
    const QString path = m_home->path() + QStringLiteral("/a.tvn");
    QVERIFY(writeBytes(path, utf16(settingsFile(QStringLiteral("legacy.key=1\r\nmain.margin.x_i=3\r\n")) +
                                   QStringLiteral("[other]\r\nx=y\r\n"))));
    CConfig config;
    QVERIFY(config.LoadFromFile(path));
    QVERIFY(config.SaveToFile(path));
    const QByteArray first = readBytes(path);
    QVERIFY(!readUtf16File(path).contains(QStringLiteral("legacy.key")));
    QVERIFY(!readUtf16File(path).contains(QStringLiteral("[other]")));
    QVERIFY(readUtf16File(path).contains(QStringLiteral("\r\nmain.margin.x_i=3\r\n")));
    QVERIFY(config.SaveToFile(path));
    QCOMPARE(readBytes(path), first);
}

void CConfigTest::saveKeepsValuesOnOneLine()
{
    const QString path = m_home->path() + QStringLiteral("/a.tvn");
    CConfig config;
    QVERIFY(config.SetString(QStringLiteral("fkey.string.01"), QStringLiteral("a\r\nmain.margin.x_i=20")));
    QVERIFY(config.SaveToFile(path));
    CConfig reloaded;
    QVERIFY(reloaded.LoadFromFile(path));
    QCOMPARE(text(reloaded, QStringLiteral("fkey.string.01")), QStringLiteral("a  main.margin.x_i=20"));
    QCOMPARE(text(reloaded, QStringLiteral("main.margin.x_i")), QStringLiteral("4"));
}

void CConfigTest::saveRoundTrips()
{
    const QString path = m_home->path() + QStringLiteral("/a.tvn");
    CConfig config(&fullHd);
    QVERIFY(config.SetString(QStringLiteral("communication.name"), QStringLiteral("要約 太郎")));
    QVERIFY(config.SetInt(QStringLiteral("main.position.x_i"), -300));
    QVERIFY(config.SetColor(QStringLiteral("main.color.text"), 0x123456));
    QVERIFY(config.SaveToFile(path));
    CConfig reloaded;
    QVERIFY(reloaded.LoadFromFile(path));
    for (const QString &key : config.GetKeys())
        QCOMPARE(text(reloaded, key), text(config, key));
}

void CConfigTest::saveRefusesLongPathsAndMissingFolders()
{
    CConfig config;
    const QString longPath = m_home->path() + u'/' + QString(260, u'n');
    QVERIFY(!config.SaveToFile(longPath));
    QVERIFY(!QFile::exists(longPath));
    QVERIFY(!config.SaveToFile(m_home->path() + QStringLiteral("/no/such/folder/a.tvn")));
    // A parent that is a regular file cannot hold the file, even for root.
    const QString plain = m_home->path() + QStringLiteral("/plain");
    QVERIFY(writeBytes(plain, "x"));
    QVERIFY(!config.SaveToFile(plain + QStringLiteral("/a.tvn")));
    QCOMPARE(readBytes(plain), QByteArray("x"));
}

void CConfigTest::failedSaveLeavesTheOldFile()
{
    const QString folder = m_home->path() + QStringLiteral("/settings");
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/a.tvn");
    CConfig config;
    QVERIFY(config.SaveToFile(path));
    const QByteArray good = readBytes(path);
    QVERIFY(good.size() > 4000);

    QVERIFY(config.SetString(QStringLiteral("fkey.string.01"), QStringLiteral("changed")));
    {
        FileSizeLimit limit(1000);
        QVERIFY(!config.SaveToFile(path));
    }
    QCOMPARE(readBytes(path), good);
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList(QStringLiteral("a.tvn")));
}

QTEST_GUILESS_MAIN(CConfigTest)
#include "CConfigTest.moc"
