#include "app/CLanguageResources.h"
#include "app/CLocaleTable.h"
#include "config/CConfig.h"
#include "core/StringTable.h"

#include "TestHome.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Writes the language files of one case. A name starting with '!' is written damaged.
void writeLanguageFiles(const QString &folder, const QStringList &names)
{
    QFile english(QStringLiteral(TAVRIN_EN_QM));
    QVERIFY(english.open(QIODevice::ReadOnly));
    const QByteArray valid = english.readAll();
    for (QString name : names) {
        const bool damaged = name.startsWith(u'!');
        if (damaged)
            name.remove(0, 1);
        QFile file(folder + u'/' + name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(damaged ? QByteArray("not a translation file") : valid);
    }
}

QStringList fileNames(const QStringList &paths)
{
    QStringList names;
    for (const QString &path : paths)
        names.append(path.section(u'/', -1));
    return names;
}

// The paths logged right before a load result, in order.
QStringList offeredPaths(const QStringList &log)
{
    QStringList paths;
    for (qsizetype i = 1; i < log.size(); ++i) {
        if (log[i] == u"Resource Loaded!" || log[i] == u"Resource Load failed.")
            paths.append(log[i - 1]);
    }
    return paths;
}

// The English file alone in a folder of its own, loaded for the resources' lifetime.
struct English
{
    English()
    {
        writeLanguageFiles(folder.path(), {u"0904_en-US.qm"_qs});
        resources = std::make_unique<CLanguageResources>(folder.path(), 0);
        loaded = resources->loadFirst(0x0409);
    }

    QTemporaryDir folder;
    std::unique_ptr<CLanguageResources> resources;
    bool loaded = false;
};

} // namespace

class TestLanguage final : public QObject
{
    Q_OBJECT

private slots:
    void fileName_data();
    void fileName();
    void keyboardLocale_data();
    void keyboardLocale();
    void search_data();
    void search();
    void listsByNumberAscending();
    void noExecutableFolder();
    void englishSwitchesTexts();
    void shippedFilesKeepJapaneseForAJapaneseKeyboard();
    void everyTableEntryHasEnglish();
    void windowTextsHaveEnglish_data();
    void windowTextsHaveEnglish();
    void startupReadsTheSetting();
};

void TestLanguage::fileName_data()
{
    QTest::addColumn<int>("lcid");
    QTest::addColumn<QString>("name");
    QTest::newRow("ja-JP") << 0x0411 << u"1104_ja-JP.qm"_qs;
    QTest::newRow("zh-CN: sub-language digits swapped") << 0x0804 << u"0408_zh-CN.qm"_qs;
    QTest::newRow("unknown identifier") << 0x1234 << QString();
}

void TestLanguage::fileName()
{
    QFETCH(int, lcid);
    QFETCH(QString, name);
    QCOMPARE(CLanguageResources::fileName(static_cast<quint16>(lcid)), name);
    CLanguageResources resources(u"/x/languages"_qs, 0);
    const auto path = resources.libraryPath(static_cast<quint16>(lcid));
    QCOMPARE(path.has_value(), !name.isEmpty());
    if (path)
        QCOMPARE(*path, u"/x/languages/"_qs + name);
}

void TestLanguage::keyboardLocale_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("lcid");
    QTest::newRow("en_GB") << u"en_GB"_qs << 0x0809;
    QTest::newRow("unlisted country: the language's main entry") << u"en_ZA"_qs << 0x0409;
    QTest::newRow("unlisted language") << u"sw_KE"_qs << 0;
}

void TestLanguage::keyboardLocale()
{
    QFETCH(QString, locale);
    QFETCH(int, lcid);
    QCOMPARE(CLocaleTable::lcidOf(QLocale(locale)), lcid);
}

void TestLanguage::search_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<int>("settingLcid");
    QTest::addColumn<int>("keyboardLcid");
    QTest::addColumn<QStringList>("offered");
    QTest::addColumn<int>("loadedLcid");

    const QStringList jaEn{u"1104_ja-JP.qm"_qs, u"0904_en-US.qm"_qs};
    QTest::newRow("setting 0, Japanese keyboard: step 3")
        << jaEn << 0 << 0x0411 << QStringList{u"1104_ja-JP.qm"_qs} << 0x0411;
    QTest::newRow("setting en-US: step 1")
        << jaEn << 0x0409 << 0x0411 << QStringList{u"0904_en-US.qm"_qs} << 0x0409;
    QTest::newRow("setting zh-CN, only zh-TW: step 2")
        << QStringList{u"0404_zh-TW.qm"_qs} << 0x0804 << 0x0411 << QStringList{u"0404_zh-TW.qm"_qs} << 0x0404;
    QTest::newRow("keyboard en-US, only en-GB: step 4")
        << QStringList{u"0908_en-GB.qm"_qs} << 0 << 0x0409 << QStringList{u"0908_en-GB.qm"_qs} << 0x0809;
    QTest::newRow("nothing of the languages: US English, step 5")
        << QStringList{u"1204_ko-KR.qm"_qs, u"0904_en-US.qm"_qs} << 0x0804 << 0x0411
        << QStringList{u"0904_en-US.qm"_qs} << 0x0409;
    QTest::newRow("damaged setting file: every step offers it, then US English")
        << QStringList{u"!1104_ja-JP.qm"_qs, u"0904_en-US.qm"_qs} << 0x0411 << 0x0411
        << QStringList{u"1104_ja-JP.qm"_qs, u"1104_ja-JP.qm"_qs, u"1104_ja-JP.qm"_qs, u"1104_ja-JP.qm"_qs,
                       u"0904_en-US.qm"_qs}
        << 0x0409;
    QTest::newRow("listed by number, missing under its formed name: next candidate")
        << QStringList{u"1104_other.qm"_qs, u"0904_en-US.qm"_qs} << 0 << 0x0411
        << QStringList{u"1104_ja-JP.qm"_qs, u"1104_ja-JP.qm"_qs, u"0904_en-US.qm"_qs} << 0x0409;
    QTest::newRow("no files: built-in Japanese") << QStringList{} << 0 << 0x0411 << QStringList{} << 0;
    QTest::newRow("upper-case digits are skipped")
        << QStringList{u"0C04_fr-FR.qm"_qs} << 0 << 0x040C << QStringList{} << 0;
    QTest::newRow("unknown identifier is skipped")
        << QStringList{u"3412_xx-XX.qm"_qs} << 0x1234 << 0x1234 << QStringList{} << 0;
    QTest::newRow("no match and no US English: nothing found")
        << QStringList{u"1204_ko-KR.qm"_qs} << 0 << 0x0411 << QStringList{} << 0;
}

void TestLanguage::search()
{
    QFETCH(QStringList, files);
    QFETCH(int, settingLcid);
    QFETCH(int, keyboardLcid);
    QFETCH(QStringList, offered);
    QFETCH(int, loadedLcid);

    TestHome home;
    QTemporaryDir folder;
    writeLanguageFiles(folder.path(), files);

    CLanguageResources resources(folder.path(), static_cast<quint16>(keyboardLcid));
    const bool loaded = resources.loadFirst(static_cast<quint16>(settingLcid));

    const QStringList log = operationLogLines();
    QCOMPARE(loaded, loadedLcid != 0);
    QCOMPARE(resources.chosenLcid(), loadedLcid);
    QCOMPARE(fileNames(offeredPaths(log)), offered);
    if (loaded)
        QCOMPARE(log.last(), u"Resource Loaded!"_qs);
    // A loaded translation is the English file in every case, so the texts follow it.
    QCOMPARE(CStringTable::get(116), loaded ? u"Error"_qs : u"エラー"_qs);
}

void TestLanguage::listsByNumberAscending()
{
    TestHome home;
    QTemporaryDir folder;
    writeLanguageFiles(folder.path(), {u"1204_ko-KR.qm"_qs, u"0404_zh-TW.qm"_qs, u"0408_zh-CN.qm"_qs,
                                       u"1104_ja-JP.qm"_qs, u"1104_copy.qm"_qs, u"readme.txt"_qs});
    CLanguageResources resources(folder.path(), 0);
    QVERIFY(resources.listLibraries());
    QCOMPARE(resources.libraryNumbers(), (QList<quint16>{0x0404, 0x0408, 0x1104, 0x1104, 0x1204}));
    QCOMPARE(resources.libraryLcids(), (QList<quint16>{0x0404, 0x0804, 0x0411, 0x0411, 0x0412}));
}

void TestLanguage::noExecutableFolder()
{
    TestHome home;
    CLanguageResources resources(QString(), 0x0411);
    QVERIFY(!resources.listLibraries());
    QVERIFY(!resources.nextCandidate(0x0411));
}

void TestLanguage::englishSwitchesTexts()
{
    TestHome home;
    {
        English english;
        QVERIFY(english.loaded);
        QCOMPARE(CStringTable::get(165), u"Channel %1!d! Group %2!c!"_qs);
        QCOMPARE(CStringTable::source(116), u"エラー"_qs);
        QCOMPARE(QCoreApplication::translate("CDlgNic", "ログイン"), u"Log In"_qs);
        // An override still wins over the translation.
        CStringTable::setOverride(116, u"Oops"_qs);
        QCOMPARE(CStringTable::get(116), u"Oops"_qs);
        CStringTable::clearOverrides();
        QCOMPARE(CStringTable::get(116), u"Error"_qs);
    }
    // The translation goes with its owner.
    QCOMPARE(CStringTable::get(116), u"エラー"_qs);
    QCOMPARE(QCoreApplication::translate("CDlgNic", "ログイン"), u"ログイン"_qs);
}

void TestLanguage::shippedFilesKeepJapaneseForAJapaneseKeyboard()
{
    // The build ships the Japanese file beside the English one, so that a Japanese desktop does
    // not fall through to US English.
    TestHome home;
    QTemporaryDir folder;
    const QString shipped = QFileInfo(QStringLiteral(TAVRIN_EN_QM)).absolutePath();
    for (const QString &name : {u"0904_en-US.qm"_qs, u"1104_ja-JP.qm"_qs})
        QVERIFY(QFile::copy(shipped + u'/' + name, folder.path() + u'/' + name));
    CLanguageResources resources(folder.path(), 0x0411);
    QVERIFY(resources.loadFirst(0));
    QCOMPARE(resources.chosenLcid(), quint16(0x0411));
    QCOMPARE(CStringTable::get(116), u"エラー"_qs);
    QCOMPARE(QCoreApplication::translate("CDlgNic", "ログイン"), u"ログイン"_qs);
}

void TestLanguage::everyTableEntryHasEnglish()
{
    TestHome home;
    English loaded;
    QVERIFY(loaded.loaded);
    // Names, protocol texts, markers and the characters of line breaking and quoting stay as
    // they are in every language.
    const QList<int> unchanged{101, 105, 132, 138, 139, 140, 156, 167, 172, 174, 175, 176, 177, 178, 179};
    for (const int id : CStringTable::ids()) {
        const QString english = CStringTable::get(id);
        QVERIFY2(!english.isEmpty(), qPrintable(QString::number(id)));
        // Translated, and no Japanese left in it.
        if (!unchanged.contains(id)) {
            QVERIFY2(english != CStringTable::source(id), qPrintable(QString::number(id)));
            for (const QChar c : english)
                QVERIFY2(c.unicode() < 0x3000, qPrintable(QString::number(id) + u' ' + english));
        }
        // Line breaks and printf placeholders survive translation.
        QCOMPARE(english.count(u"\r\n"_qs), CStringTable::source(id).count(u"\r\n"_qs));
        QCOMPARE(english.count(u'%'), CStringTable::source(id).count(u'%'));
    }
}

void TestLanguage::windowTextsHaveEnglish_data()
{
    QTest::addColumn<QString>("context");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("shown"); // what the window shows of it, when it takes it apart
    // Hand-kept texts (that lupdate cannot see).
    QTest::newRow("log settings (by hand)") << u"CDlgCfgLog"_qs << u"連絡窓のログ"_qs << QString();
    QTest::newRow("display menu (by hand)")
        << u"Menu101"_qs << u"ここまでのログを見る(&L)\tShift+Ctrl+G"_qs << QString();
    // The function-key window shows what stands before the first '-' beside the box; the contact
    // window's tool buttons show what stands before "(&" as their tooltips.
    QTest::newRow("F8") << u"CDlgFKey"_qs << u"F8-行全体をかっこでくくる"_qs << u"F8"_qs;
    QTest::newRow("start") << u"CDlgChat"_qs << u"カウントダウン開始(&S)"_qs << u"Start Countdown"_qs;
}

void TestLanguage::windowTextsHaveEnglish()
{
    QFETCH(QString, context);
    QFETCH(QString, source);
    QFETCH(QString, shown);
    TestHome home;
    English loaded;
    QVERIFY(loaded.loaded);
    const QString english =
        QCoreApplication::translate(context.toUtf8().constData(), source.toUtf8().constData());
    QVERIFY2(english != source, qPrintable(english));
    for (const QChar c : english)
        QVERIFY2(c.unicode() < 0x3000, qPrintable(english));
    // The mnemonic and the shortcut after the tab survive.
    QCOMPARE(english.count(u'&'), source.count(u'&'));
    QCOMPARE(english.section(u'\t', 1), source.section(u'\t', 1));
    if (!shown.isEmpty()) {
        const qsizetype cut = context == u"CDlgFKey" ? english.indexOf(u'-') : english.indexOf(u"(&"_qs);
        QCOMPARE(english.left(cut).trimmed(), shown);
    }
}

void TestLanguage::startupReadsTheSetting()
{
    TestHome home;
    CConfig config;
    QVERIFY(config.SetInt(u"miscellaneous.resource.lcid_i"_qs, 0x10411));
    CLanguageResources::loadForStartup(config);
    const QStringList log = operationLogLines();
    // Only the low 16 bits name the language.
    QVERIFY2(log.contains(u"LCID=0411"_qs), qPrintable(log.join(u'\n')));
}

QTEST_GUILESS_MAIN(TestLanguage)
#include "test_language.moc"
