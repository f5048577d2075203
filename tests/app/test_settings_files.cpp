#include "TestHome.h"

#include "app/CSettingsFiles.h"
#include "config/CConfig.h"
#include "config/CCustomPalette.h"
#include "core/StringTable.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

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
        config.GetString(QStringLiteral("main.font.name"), display.font);
        config.GetInt(QStringLiteral("main.position.x_i"), display.x);
        config.GetString(QStringLiteral("input.font.name"), input.font);
        config.GetInt(QStringLiteral("input.position.x_i"), input.x);
        palette.LoadCustomColors(config);
    }
};

QString storedText(const QString &path, const QString &key)
{
    CConfig config;
    if (!config.LoadFromFile(path))
        return QStringLiteral("<no file>");
    QString text;
    config.GetString(key, text);
    return text;
}

QString defaultText(const QString &key)
{
    CConfig config;
    QString text;
    config.GetString(key, text);
    return text;
}

// Answers the next modal dialog once it is up.
template <typename Dialog, typename Action> void whenModal(Action action)
{
    QTimer::singleShot(0, qApp, [action] {
        auto *dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        action(dialog);
    });
}

QAbstractButton *buttonOf(QMessageBox *box, QMessageBox::StandardButton which)
{
    return box->button(which);
}

} // namespace

class SettingsFilesTest final : public QObject
{
    Q_OBJECT

private slots:
    void fileNames();
    void dialogFilters();
    void loadDefaultConfigLogs_data();
    void loadDefaultConfigLogs();
    void startupTypesAcrossRuns_data();
    void startupTypesAcrossRuns();
    void exitCopiesEveryWindowAndPalette();
    void saveAsThenOpenRestores();
    void openUnreadableFileKeepsStore();
    void resetRestoresDefaults();
    void resetThenExitWithLastExitType();
    void resetCommandAsks_data();
    void resetCommandAsks();
    void saveAsDialogAddsSuffixAndStartsAtCurrentFile();
    void saveAsDialogConfirmsOverwrite_data();
    void saveAsDialogConfirmsOverwrite();
    void openDialogOpensChosenFile();
};

void SettingsFilesTest::fileNames()
{
    TestHome home;
    AppRun run;
    run.exit();
    const QString folder = home.settingsFolder();
    QVERIFY(QFile::exists(folder + QStringLiteral("/test_settings_files~.tvn")));
    QVERIFY(!QFile::exists(folder + QStringLiteral("/test_settings_files.tvn")));
    QCOMPARE(CSettingsFiles::ExitFilePath(), folder + QStringLiteral("/test_settings_files~.tvn"));
    QCOMPARE(CSettingsFiles::DefaultFilePath(), folder + QStringLiteral("/test_settings_files.tvn"));
}

void SettingsFilesTest::dialogFilters()
{
    // "*.*" must still list files without a dot in their names.
    QCOMPARE(CSettingsFiles::FileDialogFilters(),
             QStringList({QStringLiteral("tavrin設定ファイル (*.tvn)"), QStringLiteral("all files (*)")}));
}

void SettingsFilesTest::loadDefaultConfigLogs_data()
{
    QTest::addColumn<bool>("fileExists");
    QTest::addColumn<QString>("lastLine");
    QTest::newRow("no default file") << false
                                     << QStringLiteral("CMainWindow::LoadDefaultConfig() failed. filename=");
    QTest::newRow("default file") << true
                                  << QStringLiteral("CMainWindow::LoadDefaultConfig() finishes. filename=");
}

void SettingsFilesTest::loadDefaultConfigLogs()
{
    QFETCH(bool, fileExists);
    QFETCH(QString, lastLine);
    TestHome home;
    if (fileExists) {
        AppRun previous;
        previous.display.font = QStringLiteral("Saved");
        QVERIFY(previous.files.SaveDefaultConfig(true, false));
    } else {
        QDir(home.settingsFolder()).removeRecursively();
    }

    AppRun run;
    run.config.SetString(QStringLiteral("main.font.name"), QStringLiteral("Unsaved"));
    QCOMPARE(run.files.LoadDefaultConfig(), fileExists);
    // A failed load leaves the store as it was.

    QVERIFY(QDir(home.settingsFolder()).exists());
    const QString path = CSettingsFiles::DefaultFilePath();
    const QStringList lines = operationLogLines();
    QVERIFY(lines.contains(QStringLiteral("CMainWindow::LoadDefaultConfig() begins.")));
    QCOMPARE(lines.constLast(), lastLine + path);
    QString font;
    run.config.GetString(QStringLiteral("main.font.name"), font);
    QCOMPARE(font, fileExists ? QStringLiteral("Saved") : QStringLiteral("Unsaved"));
}

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
    TestHome home;
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
        run.exit();
    }
    QCOMPARE(QFile::exists(CSettingsFiles::DefaultFilePath()), defaultFileAfter);
    QCOMPARE(storedText(CSettingsFiles::ExitFilePath(), QStringLiteral("main.font.name")), exitFileFont);

    AppRun next;
    next.start();
    QCOMPARE(next.display.font,
             nextStartFont.isEmpty() ? defaultText(QStringLiteral("main.font.name")) : nextStartFont);
    qint32 storedType = -1;
    next.config.GetInt(QStringLiteral("miscellaneous.init.type_i"), storedType);
    QCOMPARE(storedType, type);
}

void SettingsFilesTest::exitCopiesEveryWindowAndPalette()
{
    TestHome home;
    AppRun run;
    run.start();
    run.display.x = 45;
    run.input.x = 123;
    run.palette.setColor(3, 0x123456);
    run.exit();

    const QString path = CSettingsFiles::ExitFilePath();
    QCOMPARE(storedText(path, QStringLiteral("main.position.x_i")), QStringLiteral("45"));
    // The tool windows too: a window moved during the run is where it was at the next start.
    QCOMPARE(storedText(path, QStringLiteral("input.position.x_i")), QStringLiteral("123"));
    QCOMPARE(storedText(path, QStringLiteral("miscellaneous.customcolors")).mid(21, 6),
             QStringLiteral("123456"));
}

void SettingsFilesTest::saveAsThenOpenRestores()
{
    TestHome home;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("mine.tvn"));
    AppRun run;
    run.start();
    run.display = {QStringLiteral("Display Font"), 77};
    run.input = {QStringLiteral("Input Font"), 300};
    run.palette.setColor(15, 0xABCDEF);

    QVERIFY(run.files.SaveFileAs(path));
    QCOMPARE(operationLogLines().constLast(),
             QStringLiteral("CMainWindow::DoFileSaveAs() finished file [%1].").arg(path));
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
    QVERIFY(
        operationLogLines().contains(QStringLiteral("CMainWindow::DoFileOpen() read file [%1]").arg(path)));
}

void SettingsFilesTest::openUnreadableFileKeepsStore()
{
    TestHome home;
    AppRun run;
    run.start();
    run.config.SetString(QStringLiteral("main.font.name"), QStringLiteral("Kept"));
    const QString path = home.path() + QStringLiteral("/missing.tvn");

    QVERIFY(!run.files.OpenFile(path));

    QCOMPARE(run.display.font, QStringLiteral("Kept"));
    QCOMPARE(run.files.CurrentFile(), path);
}

void SettingsFilesTest::resetRestoresDefaults()
{
    TestHome home;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("mine.tvn"));
    AppRun run;
    run.start();
    run.display = {QStringLiteral("Display Font"), 77};
    run.files.SaveFileAs(path);
    run.files.OpenFile(path);
    const QStringList filesBefore = QDir(home.settingsFolder()).entryList(QDir::Files);

    run.files.ResetAll();

    QCOMPARE(run.display.font, defaultText(QStringLiteral("main.font.name")));
    QCOMPARE(run.display.x, defaultText(QStringLiteral("main.position.x_i")).toInt());
    QVERIFY(run.files.CurrentFile().isEmpty());
    QCOMPARE(QDir(home.settingsFolder()).entryList(QDir::Files), filesBefore);
    QCOMPARE(storedText(path, QStringLiteral("main.font.name")), QStringLiteral("Display Font"));
}

void SettingsFilesTest::resetThenExitWithLastExitType()
{
    TestHome home;
    AppRun run;
    run.start();
    run.display.font = QStringLiteral("Changed");
    run.chooseStartupType(2);
    run.exit();

    run.files.ResetAll();
    run.chooseStartupType(2);
    run.exit();

    QCOMPARE(storedText(CSettingsFiles::DefaultFilePath(), QStringLiteral("main.font.name")),
             defaultText(QStringLiteral("main.font.name")));
}

void SettingsFilesTest::resetCommandAsks_data()
{
    QTest::addColumn<bool>("confirm");
    QTest::newRow("OK") << true;
    QTest::newRow("cancel") << false;
}

void SettingsFilesTest::resetCommandAsks()
{
    QFETCH(bool, confirm);
    TestHome home;
    AppRun run;
    run.start();
    run.config.SetString(QStringLiteral("main.font.name"), QStringLiteral("Changed"));
    QString shownText;
    QString shownTitle;
    whenModal<QMessageBox>([&](QMessageBox *box) {
        shownText = box->text();
        shownTitle = box->windowTitle();
        buttonOf(box, confirm ? QMessageBox::Ok : QMessageBox::Cancel)->click();
    });

    QCOMPARE(run.files.DoReset(nullptr), confirm);

    QCOMPARE(shownText, CStringTable::get(149).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    QCOMPARE(shownTitle, CStringTable::get(150));
    QString font;
    run.config.GetString(QStringLiteral("main.font.name"), font);
    QCOMPARE(font, confirm ? defaultText(QStringLiteral("main.font.name")) : QStringLiteral("Changed"));
}

void SettingsFilesTest::saveAsDialogAddsSuffixAndStartsAtCurrentFile()
{
    TestHome home;
    QTemporaryDir dir;
    const QString opened = dir.filePath(QStringLiteral("opened.tvn"));
    AppRun run;
    run.start();
    run.files.SaveFileAs(opened);
    run.files.OpenFile(opened);
    run.display.font = QStringLiteral("Dialog");

    QString initial;
    whenModal<QFileDialog>([&](QFileDialog *dialog) {
        initial = dialog->selectedFiles().value(0);
        dialog->selectFile(dir.filePath(QStringLiteral("typed")));
        static_cast<QDialog *>(dialog)->accept();
    });
    QVERIFY(run.files.DoFileSaveAs(nullptr));

    QCOMPARE(initial, opened);
    QCOMPARE(storedText(dir.filePath(QStringLiteral("typed.tvn")), QStringLiteral("main.font.name")),
             QStringLiteral("Dialog"));
    QCOMPARE(run.files.CurrentFile(), opened);
}

void SettingsFilesTest::saveAsDialogConfirmsOverwrite_data()
{
    QTest::addColumn<bool>("overwrite");
    QTest::newRow("yes") << true;
    QTest::newRow("no") << false;
}

void SettingsFilesTest::saveAsDialogConfirmsOverwrite()
{
    QFETCH(bool, overwrite);
    TestHome home;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("existing.tvn"));
    AppRun run;
    run.start();
    run.display.font = QStringLiteral("Old");
    run.files.SaveFileAs(path);
    run.display.font = QStringLiteral("New");

    bool asked = false;
    whenModal<QFileDialog>([&](QFileDialog *dialog) {
        dialog->selectFile(path);
        // The confirmation comes up inside accept().
        QTimer::singleShot(0, qApp, [&, dialog] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            asked = box != nullptr;
            if (box)
                buttonOf(box, overwrite ? QMessageBox::Yes : QMessageBox::No)->click();
            if (!overwrite)
                QTimer::singleShot(0, dialog, &QFileDialog::reject);
        });
        static_cast<QDialog *>(dialog)->accept();
    });

    QCOMPARE(run.files.DoFileSaveAs(nullptr), overwrite);
    QVERIFY(asked);
    QCOMPARE(storedText(path, QStringLiteral("main.font.name")),
             overwrite ? QStringLiteral("New") : QStringLiteral("Old"));
}

void SettingsFilesTest::openDialogOpensChosenFile()
{
    TestHome home;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("chosen.tvn"));
    AppRun run;
    run.start();
    run.display.font = QStringLiteral("Chosen");
    run.files.SaveFileAs(path);
    run.display.font = QStringLiteral("Other");

    whenModal<QFileDialog>([&](QFileDialog *dialog) {
        dialog->selectFile(path);
        static_cast<QDialog *>(dialog)->accept();
    });
    QVERIFY(run.files.DoFileOpen(nullptr));

    QCOMPARE(run.display.font, QStringLiteral("Chosen"));
    QCOMPARE(run.files.CurrentFile(), path);
}

QTEST_MAIN(SettingsFilesTest)
#include "test_settings_files.moc"
