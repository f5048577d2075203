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

    bool operator==(const FakeWindow &) const = default;
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
    void resetRestoresDefaultsAndTouchesNoFile();
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

    // The command asks first; cancelled, it changes nothing.
    CDialogs::queueAnswer(CDialogs::Answer::Cancel);
    QVERIFY(!run.files.DoReset(nullptr));
    QCOMPARE(run.config.GetStringOr(QStringLiteral("main.font.name")), QStringLiteral("Display Font"));
    CDialogs::queueAnswer(CDialogs::Answer::Ok);
    QVERIFY(run.files.DoReset(nullptr));
    const QList<CDialogs::Message> asked = CDialogs::takeAsked();
    QCOMPARE(asked.size(), 2);
    QCOMPARE(asked.first().buttons, CDialogs::Buttons::OkCancel);

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

void SettingsFilesTest::fileCommands_data()
{
    QTest::addColumn<bool>("save");
    QTest::addColumn<QString>("chosen"); // none: cancelled
    QTest::newRow("open") << false << u"other.tvn"_qs;
    QTest::newRow("open cancelled") << false << QString();
    // A file that cannot be read leaves the store as it is, applies it all the same and is
    // remembered for the next save.
    QTest::newRow("open a missing file") << false << u"missing.tvn"_qs;
    QTest::newRow("save as") << true << u"other.tvn"_qs;
    QTest::newRow("save as cancelled") << true << QString();
}

void SettingsFilesTest::fileCommands()
{
    QFETCH(bool, save);
    QFETCH(QString, chosen);
    QTemporaryDir dir;
    const QString opened = dir.filePath(QStringLiteral("opened.tvn"));
    const QString other = dir.filePath(QStringLiteral("other.tvn"));
    AppRun run;
    run.start();
    run.display = {QStringLiteral("In the file"), 77};
    run.input = {QStringLiteral("Input Font"), 300};
    run.palette.setColor(15, 0xABCDEF);
    run.files.SaveFileAs(opened);
    QVERIFY(run.files.CurrentFile().isEmpty());
    run.files.SaveFileAs(other);
    run.files.OpenFile(opened);
    run.display = {QStringLiteral("Changed"), 1};
    run.input = {QStringLiteral("Changed"), 2};
    run.palette.setColor(15, 0);
    run.config.SetString(QStringLiteral("main.font.name"), QStringLiteral("In the store"));
    const int applied = run.applied;
    const QString path = chosen.isEmpty() ? QString() : dir.filePath(chosen);
    CDialogs::queuePath(path);

    QCOMPARE(save ? run.files.DoFileSaveAs(nullptr) : run.files.DoFileOpen(nullptr), !path.isEmpty());

    // The save chooser starts at the file last opened.
    const QList<CDialogs::Message> asked = CDialogs::takeAsked();
    QCOMPARE(asked.size(), 1);
    QCOMPARE(asked.first().text, save ? opened : QString());
    QCOMPARE(storedText(other, QStringLiteral("main.font.name")),
             save && !path.isEmpty() ? QStringLiteral("Changed") : QStringLiteral("In the file"));
    const bool opens = !save && !path.isEmpty();
    QCOMPARE(run.applied, applied + (opens ? 1 : 0));
    QCOMPARE(run.files.CurrentFile(), opens ? path : opened);
    const bool restored = opens && path == other;
    QCOMPARE(run.display.font, restored ? u"In the file"_qs : opens ? u"In the store"_qs : u"Changed"_qs);
    if (restored) {
        QCOMPARE(run.display.x, 77);
        QCOMPARE(run.input, (FakeWindow{QStringLiteral("Input Font"), 300}));
        QCOMPARE(run.palette.color(15), 0xABCDEFu);
    }
}

QTEST_MAIN(SettingsFilesTest)
#include "test_settings_files.moc"
