#include "TestHome.h"

#include "app/CSettingsFiles.h"
#include "config/CConfig.h"
#include "config/CCustomPalette.h"
#include "core/CDialogs.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

// What a window keeps while it is open and writes into the store before a save.
struct FakeWindow
{
    QString font;
    int x = 0;
};

// One run of the program as far as settings go: the store with its defaults, the start-up load,
// two windows (the display window, copied at every save, and the input window, copied only when
// every window is), and the exit's save.
class AppRun final
{
public:
    AppRun() : files(config, palette)
    {
        files.AddStateCopier(CSettingsFiles::CopyScope::Always, [this](CConfig &c) {
            c.SetString(QStringLiteral("main.font.name"), display.font);
            c.SetInt(QStringLiteral("main.position.x_i"), display.x);
        });
        files.AddStateCopier(CSettingsFiles::CopyScope::AllWindows, [this](CConfig &c) {
            c.SetString(QStringLiteral("input.font.name"), input.font);
            c.SetInt(QStringLiteral("input.position.x_i"), input.x);
        });
        files.SetApplyHandler([this] { applyToWindows(); });
    }

    void start()
    {
        files.LoadDefaultConfig();
        applyToWindows();
    }
    // The start-up settings dialog's OK with type.
    void chooseStartupType(int type)
    {
        config.SetInt(QStringLiteral("miscellaneous.init.type_i"), type);
        files.ApplyStartupType(type);
    }
    void exit() { files.SaveAtExit(); }

    CConfig config;
    CCustomPalette palette;
    CSettingsFiles files;
    FakeWindow display;
    FakeWindow input;
    int applied = 0;

private:
    // What CopyConfigToApplication does for these windows.
    void applyToWindows()
    {
        ++applied;
        display = {config.GetStringOr(QStringLiteral("main.font.name")),
                   config.GetIntOr(QStringLiteral("main.position.x_i"), -1)};
        input = {config.GetStringOr(QStringLiteral("input.font.name")),
                 config.GetIntOr(QStringLiteral("input.position.x_i"), -1)};
        palette.LoadCustomColors(config);
    }
};

QString storedText(const QString &path, const QString &key)
{
    CConfig config;
    return config.LoadFromFile(path) ? config.GetStringOr(key) : QStringLiteral("<no file>");
}

QString defaultText(const QString &key)
{
    return CConfig().GetStringOr(key);
}

} // namespace

class SettingsFilesTest final : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_home = std::make_unique<TestHome>();
        CDialogs::setScripted(true);
    }
    void cleanup()
    {
        CDialogs::reset();
        m_home.reset();
    }

    void startupTypesAcrossRuns_data();
    void startupTypesAcrossRuns();
    void saveAsThenOpenRestores();
    void resetRestoresDefaultsAndTouchesNoFile();
    void resetCommandAsks_data();
    void resetCommandAsks();
    void fileCommands_data();
    void fileCommands();

private:
    std::unique_ptr<TestHome> m_home;
};

void SettingsFilesTest::startupTypesAcrossRuns_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("nextStartFont"); // empty: the built-in default
    QTest::addColumn<bool>("defaultFileAfter");
    QTest::addColumn<QString>("exitFileFont"); // "<no file>" when the exit did not write it

    QTest::newRow("0 none") << 0 << QString() << false << QStringLiteral("After");
    QTest::newRow("1 current") << 1 << QStringLiteral("Before") << true << QStringLiteral("After");
    QTest::newRow("2 last exit") << 2 << QStringLiteral("After") << true << QStringLiteral("<no file>");
}

void SettingsFilesTest::startupTypesAcrossRuns()
{
    QFETCH(int, type);
    QFETCH(QString, nextStartFont);
    QFETCH(bool, defaultFileAfter);
    QFETCH(QString, exitFileFont);
    {
        // An earlier run under type 2 left a default settings file behind.
        AppRun earlier;
        earlier.start();
        earlier.chooseStartupType(2);
        earlier.display.font = QStringLiteral("Earlier");
        earlier.exit();
    }
    {
        AppRun run;
        run.start();
        QCOMPARE(run.display.font, QStringLiteral("Earlier"));
        run.display.font = QStringLiteral("Before");
        run.chooseStartupType(type);
        run.display.font = QStringLiteral("After");
        // The tool windows too: a window moved during the run is where it was at the next start.
        run.input.x = 123;
        run.palette.setColor(3, 0x123456);
        run.exit();
    }
    QCOMPARE(QFile::exists(CSettingsFiles::DefaultFilePath()), defaultFileAfter);
    QCOMPARE(storedText(CSettingsFiles::ExitFilePath(), QStringLiteral("main.font.name")), exitFileFont);

    AppRun next;
    next.start();
    QCOMPARE(next.display.font,
             nextStartFont.isEmpty() ? defaultText(QStringLiteral("main.font.name")) : nextStartFont);
    QCOMPARE(next.config.GetIntOr(QStringLiteral("miscellaneous.init.type_i"), -1), type);
    const QString written = type == 2 ? CSettingsFiles::DefaultFilePath() : CSettingsFiles::ExitFilePath();
    QCOMPARE(written, m_home->settingsFolder() +
                          (type == 2 ? u"/test_settings_files.tvn"_qs : u"/test_settings_files~.tvn"_qs));
    QCOMPARE(storedText(written, QStringLiteral("input.position.x_i")), QStringLiteral("123"));
    QCOMPARE(storedText(written, QStringLiteral("miscellaneous.customcolors")).mid(21, 6),
             QStringLiteral("123456"));
}

void SettingsFilesTest::saveAsThenOpenRestores()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("mine.tvn"));
    AppRun run;
    run.start();
    run.display = {QStringLiteral("Display Font"), 77};
    run.input = {QStringLiteral("Input Font"), 300};
    run.palette.setColor(15, 0xABCDEF);

    QVERIFY(run.files.SaveFileAs(path));
    QVERIFY(run.files.CurrentFile().isEmpty());

    run.display = {QStringLiteral("Other"), 1};
    run.input = {QStringLiteral("Other"), 2};
    run.palette.setColor(15, 0);
    const int appliedBefore = run.applied;
    QVERIFY(run.files.OpenFile(path));

    QCOMPARE(run.applied, appliedBefore + 1);
    QCOMPARE(run.display.font, QStringLiteral("Display Font"));
    QCOMPARE(run.display.x, 77);
    QCOMPARE(run.input.font, QStringLiteral("Input Font"));
    QCOMPARE(run.input.x, 300);
    QCOMPARE(run.palette.color(15), 0xABCDEFu);
    QCOMPARE(run.files.CurrentFile(), path);

    // A file that cannot be read leaves the store as it is, applies it all the same and is
    // remembered for the next save.
    const QString missing = m_home->path() + QStringLiteral("/missing.tvn");
    run.config.SetString(QStringLiteral("main.font.name"), QStringLiteral("Kept"));
    QVERIFY(!run.files.OpenFile(missing));
    QCOMPARE(run.display.font, QStringLiteral("Kept"));
    QCOMPARE(run.files.CurrentFile(), missing);
}

void SettingsFilesTest::resetRestoresDefaultsAndTouchesNoFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("mine.tvn"));
    AppRun run;
    run.start();
    run.display = {QStringLiteral("Display Font"), 77};
    run.chooseStartupType(2);
    run.files.SaveFileAs(path);
    run.files.OpenFile(path);
    run.exit();
    const QStringList filesBefore = QDir(m_home->settingsFolder()).entryList(QDir::Files);

    run.files.ResetAll();

    QCOMPARE(run.display.font, defaultText(QStringLiteral("main.font.name")));
    QCOMPARE(run.display.x, defaultText(QStringLiteral("main.position.x_i")).toInt());
    QVERIFY(run.files.CurrentFile().isEmpty());
    QCOMPARE(QDir(m_home->settingsFolder()).entryList(QDir::Files), filesBefore);
    QCOMPARE(storedText(path, QStringLiteral("main.font.name")), QStringLiteral("Display Font"));

    // The reset is what the next start gets under type 2.
    run.chooseStartupType(2);
    run.exit();
    QCOMPARE(storedText(CSettingsFiles::DefaultFilePath(), QStringLiteral("main.font.name")),
             defaultText(QStringLiteral("main.font.name")));
}

void SettingsFilesTest::resetCommandAsks_data()
{
    QTest::addColumn<int>("answer");
    QTest::newRow("OK") << int(CDialogs::Answer::Ok);
    QTest::newRow("cancel") << int(CDialogs::Answer::Cancel);
}

void SettingsFilesTest::resetCommandAsks()
{
    QFETCH(int, answer);
    const bool confirm = answer == int(CDialogs::Answer::Ok);
    AppRun run;
    run.start();
    run.config.SetString(QStringLiteral("main.font.name"), QStringLiteral("Changed"));
    CDialogs::queueAnswer(static_cast<CDialogs::Answer>(answer));

    QCOMPARE(run.files.DoReset(nullptr), confirm);

    const QList<CDialogs::Message> asked = CDialogs::takeAsked();
    QCOMPARE(asked.size(), 1);
    QCOMPARE(asked.first().buttons, CDialogs::Buttons::OkCancel);
    QCOMPARE(run.config.GetStringOr(QStringLiteral("main.font.name")),
             confirm ? defaultText(QStringLiteral("main.font.name")) : QStringLiteral("Changed"));
}

void SettingsFilesTest::fileCommands_data()
{
    QTest::addColumn<bool>("save");
    QTest::addColumn<bool>("chosen");
    QTest::newRow("open") << false << true;
    QTest::newRow("open cancelled") << false << false;
    QTest::newRow("save as") << true << true;
    QTest::newRow("save as cancelled") << true << false;
}

void SettingsFilesTest::fileCommands()
{
    QFETCH(bool, save);
    QFETCH(bool, chosen);
    QTemporaryDir dir;
    const QString opened = dir.filePath(QStringLiteral("opened.tvn"));
    const QString other = dir.filePath(QStringLiteral("other.tvn"));
    AppRun run;
    run.start();
    run.display.font = QStringLiteral("In the file");
    run.files.SaveFileAs(opened);
    run.files.SaveFileAs(other);
    run.files.OpenFile(opened);
    run.display.font = QStringLiteral("Changed");
    CDialogs::queuePath(chosen ? other : QString());

    QCOMPARE(save ? run.files.DoFileSaveAs(nullptr) : run.files.DoFileOpen(nullptr), chosen);

    // The save chooser starts at the file last opened.
    const QList<CDialogs::Message> asked = CDialogs::takeAsked();
    QCOMPARE(asked.size(), 1);
    QCOMPARE(asked.first().text, save ? opened : QString());
    const QString fontInOther = storedText(other, QStringLiteral("main.font.name"));
    QCOMPARE(fontInOther, save && chosen ? QStringLiteral("Changed") : QStringLiteral("In the file"));
    QCOMPARE(run.display.font, !save && chosen ? QStringLiteral("In the file") : QStringLiteral("Changed"));
    QCOMPARE(run.files.CurrentFile(), !save && chosen ? other : opened);
}

QTEST_MAIN(SettingsFilesTest)
#include "test_settings_files.moc"
