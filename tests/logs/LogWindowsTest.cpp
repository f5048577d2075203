#include "TestHome.h"
#include "app/CMainWindow.h"
#include "app/wiring/InstallWindows.h"
#include "config/CConfig.h"
#include "config/CConfigGui.h"
#include "config/CCustomPalette.h"
#include "core/CommandIds.h"
#include "core/StringTable.h"
#include "display/CDlgMain.h"
#include "logs/CDlgCfgLog.h"
#include "logs/CDlgLog.h"
#include "net/CNetController.h"
#include "net/IAdapterSource.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <QUrl>

namespace {

class NoAdapters final : public IAdapterSource
{
public:
    QList<AdapterEntry> adapters() const override { return {}; }
};

void drainEvents()
{
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Files of one kind of log in a folder.
QStringList logFiles(const QString &folder, const QString &suffix)
{
    return QDir(folder).entryList({QStringLiteral("log_*_") + suffix}, QDir::Files, QDir::Name);
}

// A main window offline, with the log parts installed and its login dialog cancelled.
struct LoggedMainWindow
{
    explicit LoggedMainWindow(const QString &folder)
    {
        CConfig &config = window.config();
        config.SetInt(QStringLiteral("main.line.max_i"), 10);
        config.SetInt(QStringLiteral("miscellaneous.log.lines.save_i"), 10);
        config.SetInt(QStringLiteral("miscellaneous.log.display_i"), 1);
        config.SetInt(QStringLiteral("miscellaneous.log.chat_i"), 1);
        config.SetString(QStringLiteral("miscellaneous.log.folder"), folder);
        InstallLogWindows(window);
        window.setLoginDialog([](QWidget *, const QList<AdapterEntry> &, CConfig &) { return -1; });
        window.Create();
        drainEvents();
    }

    CDlgLog *viewer() const
    {
        return dynamic_cast<CDlgLog *>(window.toolWindow(CMainWindow::ToolWindow::LogViewer));
    }

    NoAdapters adapters;
    CMainWindow window{&adapters};
};

// A viewer on its own: the captions it shows come from the test.
struct Viewer
{
    Viewer()
    {
        ToolWindowHost host;
        host.config = &config;
        host.palette = &palette;
        host.postCommand = [this](int command) { posted.append(command); };
        dialog = std::make_unique<CDlgLog>(
            host, [this] { return captions; }, [this] { ++looksStored; });
        dialog->setFileDialog([this](QWidget *, bool save) {
            ++fileDialogs;
            return save ? savePath : openPath;
        });
        dialog->setAskSave([this](QWidget *) {
            ++questions;
            return answer;
        });
    }

    CConfig config;
    CCustomPalette palette;
    QString captions;
    QList<int> posted;
    int looksStored = 0;
    QString openPath;
    QString savePath;
    int fileDialogs = 0;
    int questions = 0;
    CDlgLog::Answer answer = CDlgLog::Answer::Cancel;
    std::unique_ptr<CDlgLog> dialog;
};

} // namespace

class LogWindowsTest final : public QObject
{
    Q_OBJECT

private slots:
    void viewerShownTwiceShowsCaptionsOnce();
    void viewerTakesTheDisplayLook();
    void folderChangeStartsNewFiles();
    void shutdownFlushesTheDisplayLog();
    void openAndSaveKeepTheEncoding_data();
    void openAndSaveKeepTheEncoding();
    void unsavedEditsAsked_data();
    void unsavedEditsAsked();
    void topAndBottom();
    void closeCommandHidesAndRefreshes();
    void settingsDialogStoresOnOk();
    void settingsDialogCancelStoresNothing();
    void openFolderCreatesIt();
    void openFolderFailure();
};

void LogWindowsTest::viewerShownTwiceShowsCaptionsOnce()
{
    TestHome home;
    LoggedMainWindow main(home.path() + QStringLiteral("/logs"));
    main.window.net().SendCaptionLine(QStringLiteral("first"));
    main.window.net().SendCaptionLine(QStringLiteral("second"));
    main.window.OnCommand(CommandId::ToggleLogViewer);
    CDlgLog *viewer = main.viewer();
    QVERIFY(viewer);
    QVERIFY(viewer->isShown());
    QCOMPARE(viewer->edit()->toPlainText(), QStringLiteral("first\nsecond\n"));
    QVERIFY(main.window.displayWindow()->isChecked(CommandId::ToggleLogViewer));

    main.window.OnCommand(CommandId::ToggleLogViewer);
    drainEvents();
    QVERIFY(!viewer->isShown());
    QVERIFY(!main.window.displayWindow()->isChecked(CommandId::ToggleLogViewer));

    main.window.net().SendCaptionLine(QStringLiteral("third"));
    main.window.OnCommand(CommandId::ToggleLogViewer);
    QCOMPARE(main.viewer(), viewer);
    QCOMPARE(viewer->edit()->toPlainText(), QStringLiteral("first\nsecond\nthird\n"));
    QVERIFY(!viewer->edit()->document()->isModified());
    QCOMPARE(viewer->edit()->textCursor().position(), 0);
}

void LogWindowsTest::viewerTakesTheDisplayLook()
{
    Viewer v;
    v.config.SetColor(QStringLiteral("main.color.text"), 0x0000ff);
    v.config.SetColor(QStringLiteral("main.color.background"), 0x102030);
    v.config.SetInt(QStringLiteral("main.position.x_i"), 40);
    v.config.SetInt(QStringLiteral("main.position.y_i"), 50);
    v.config.SetInt(QStringLiteral("main.size.x_i"), 500);
    v.config.SetInt(QStringLiteral("main.size.y_i"), 300);
    v.config.SetInt(QStringLiteral("main.size.config_i"), 0);
    v.dialog->ShowWindow();
    QCOMPARE(v.looksStored, 1);
    const QPalette palette = v.dialog->edit()->palette();
    QCOMPARE(palette.color(QPalette::Text), CConfigGui::toQColor(0x0000ff));
    QCOMPARE(palette.color(QPalette::Base), CConfigGui::toQColor(0x102030));
    QCOMPARE(v.dialog->geometry().size(), QSize(500, 300));
    QCOMPARE(v.dialog->windowTitle(), CStringTable::get(155));
}

void LogWindowsTest::folderChangeStartsNewFiles()
{
    TestHome home;
    const QString oldFolder = home.path() + QStringLiteral("/old");
    const QString newFolder = home.path() + QStringLiteral("/new");
    LoggedMainWindow main(oldFolder);
    for (int i = 0; i < 21; ++i)
        main.window.net().SendCaptionLine(QStringLiteral("c%1").arg(i));
    main.window.net().SendContactMessage(QStringLiteral("before"));
    QCOMPARE(logFiles(oldFolder, QStringLiteral("display.txt")).size(), 1);
    QCOMPARE(logFiles(oldFolder, QStringLiteral("chat.txt")).size(), 1);

    // The real dialog, with the folder chosen by the test and OK pressed.
    QTimer::singleShot(0, [newFolder] {
        auto *dialog = qobject_cast<CDlgCfgLog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->setFolderDialog(
            [newFolder](QWidget *, const QString &, const QString &) { return newFolder; });
        dialog->OnChangeFolder();
        dialog->accept();
    });
    main.window.OnCommand(CommandId::LogSettings);

    for (const QString &suffix : {QStringLiteral("display.txt"), QStringLiteral("chat.txt")}) {
        const QString path = oldFolder + u'/' + logFiles(oldFolder, suffix).constFirst();
        const QStringList lines = readUtf16File(path).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QVERIFY2(lines.last().endsWith(QStringLiteral(" ---------- end ----------")), qPrintable(path));
    }
    QVERIFY(!QFileInfo::exists(newFolder));

    main.window.net().SendContactMessage(QStringLiteral("after"));
    for (int i = 21; i < 31; ++i)
        main.window.net().SendCaptionLine(QStringLiteral("c%1").arg(i));
    const QStringList chat = logFiles(newFolder, QStringLiteral("chat.txt"));
    QCOMPARE(chat.size(), 1);
    QVERIFY(readUtf16File(newFolder + u'/' + chat.constFirst()).contains(QStringLiteral("after\r\n")));
    const QStringList display = logFiles(newFolder, QStringLiteral("display.txt"));
    QCOMPARE(display.size(), 1);
    QVERIFY(readUtf16File(newFolder + u'/' + display.constFirst()).contains(QStringLiteral("\r\nc10\r\n")));
}

void LogWindowsTest::shutdownFlushesTheDisplayLog()
{
    TestHome home;
    const QString folder = home.path() + QStringLiteral("/logs");
    {
        LoggedMainWindow main(folder);
        for (int i = 0; i < 5; ++i)
            main.window.net().SendCaptionLine(QStringLiteral("c%1").arg(i));
        QVERIFY(logFiles(folder, QStringLiteral("display.txt")).isEmpty());
        main.window.Destroy();
    }
    const QStringList files = logFiles(folder, QStringLiteral("display.txt"));
    QCOMPARE(files.size(), 1);
    QStringList lines = readUtf16File(folder + u'/' + files.constFirst()).split(QStringLiteral("\r\n"));
    QCOMPARE(lines.mid(1, 5), (QStringList{QStringLiteral("c0"), QStringLiteral("c1"), QStringLiteral("c2"),
                                           QStringLiteral("c3"), QStringLiteral("c4")}));
    QVERIFY(lines.at(6).endsWith(QStringLiteral(" ---------- end ----------")));
}

void LogWindowsTest::openAndSaveKeepTheEncoding_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("encoding");
    QTest::addColumn<QString>("shown");
    QTest::newRow("UTF-8 without signature")
        << QByteArray("\xe3\x81\x82\r\nb\r\n") << 2 << QStringLiteral("あ\nb\n");
    QTest::newRow("UTF-16LE") << QByteArray("\xff\xfe\x42\x30\x0d\x00\x0a\x00", 8) << 1
                              << QStringLiteral("あ\n");
    QTest::newRow("ANSI") << QByteArray("\x82\xa0") << 0 << QStringLiteral("あ");
}

void LogWindowsTest::openAndSaveKeepTheEncoding()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, encoding);
    QFETCH(QString, shown);
    TestHome home;
    Viewer v;
    v.openPath = home.path() + QStringLiteral("/in.txt");
    v.savePath = home.path() + QStringLiteral("/out.txt");
    writeBytes(v.openPath, bytes);
    QVERIFY(v.dialog->OnLogOpen());
    QCOMPARE(v.dialog->encoding(), encoding);
    QCOMPARE(v.dialog->edit()->toPlainText(), shown);
    QCOMPARE(v.dialog->windowTitle(), CStringTable::get(155) + v.openPath);
    QVERIFY(v.dialog->OnLogSaveAs());
    QCOMPARE(readBytes(v.savePath), bytes);
    QCOMPARE(v.dialog->path(), v.savePath);
    QVERIFY(!v.dialog->edit()->document()->isModified());
}

void LogWindowsTest::unsavedEditsAsked_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("opened");
    QTest::addColumn<bool>("savedFirst");
    QTest::newRow("cancel leaves everything") << int(CDlgLog::Answer::Cancel) << false << false;
    QTest::newRow("no discards the edits") << int(CDlgLog::Answer::No) << true << false;
    QTest::newRow("yes saves them first") << int(CDlgLog::Answer::Yes) << true << true;
}

void LogWindowsTest::unsavedEditsAsked()
{
    QFETCH(int, answer);
    QFETCH(bool, opened);
    QFETCH(bool, savedFirst);
    TestHome home;
    Viewer v;
    v.answer = static_cast<CDlgLog::Answer>(answer);
    v.openPath = home.path() + QStringLiteral("/other.txt");
    v.savePath = home.path() + QStringLiteral("/edits.txt");
    writeBytes(v.openPath, QByteArray("other"));
    v.dialog->edit()->setPlainText(QStringLiteral("typed"));
    v.dialog->edit()->document()->setModified(true);

    QCOMPARE(v.dialog->OnLogOpen(), opened);
    QCOMPARE(v.questions, 1);
    QCOMPARE(v.dialog->edit()->toPlainText(), opened ? QStringLiteral("other") : QStringLiteral("typed"));
    QCOMPARE(v.dialog->path(), opened ? v.openPath : QString());
    QCOMPARE(QFileInfo::exists(v.savePath), savedFirst);
    // Only the open dialog, and the save dialog before it when saving first.
    QCOMPARE(v.fileDialogs, (opened ? 1 : 0) + (savedFirst ? 1 : 0));

    // Without edits nothing is asked.
    v.dialog->edit()->document()->setModified(false);
    QVERIFY(v.dialog->OnLogNew());
    QCOMPARE(v.questions, 1);
    QVERIFY(v.dialog->edit()->toPlainText().isEmpty());
    QCOMPARE(v.dialog->encoding(), 1);
    QCOMPARE(v.dialog->windowTitle(), CStringTable::get(155));
}

void LogWindowsTest::topAndBottom()
{
    Viewer v;
    v.captions = QStringLiteral("one\r\ntwo\r\nthree");
    v.dialog->ShowWindow();
    v.dialog->OnForwardedCommand(CommandId::LogBottom);
    QCOMPARE(v.dialog->edit()->textCursor().position(), 8);
    v.dialog->OnForwardedCommand(CommandId::LogTop);
    QCOMPARE(v.dialog->edit()->textCursor().position(), 0);
    v.dialog->OnForwardedCommand(CommandId::LogSelectAll);
    QCOMPARE(v.dialog->edit()->textCursor().selectedText().size(), 13);
}

void LogWindowsTest::closeCommandHidesAndRefreshes()
{
    Viewer v;
    v.dialog->ShowWindow();
    v.dialog->OnForwardedCommand(CommandId::LogClose);
    QVERIFY(!v.dialog->isShown());
    QVERIFY(!v.dialog->isVisible());
    QCOMPARE(v.posted, QList<int>{CommandId::RefreshWindowState});
}

void LogWindowsTest::settingsDialogStoresOnOk()
{
    TestHome home;
    CConfig config;
    config.SetInt(QStringLiteral("miscellaneous.log.display_i"), 1);
    config.SetInt(QStringLiteral("miscellaneous.log.chat_i"), 0);
    config.SetString(QStringLiteral("miscellaneous.log.folder"), home.path());
    CDlgCfgLog dialog(config);
    QVERIFY(dialog.displayCheck()->isChecked());
    QVERIFY(!dialog.chatCheck()->isChecked());
    QCOMPARE(dialog.folderEdit()->text(), home.path());
    QVERIFY(!dialog.folderChanged());
    dialog.displayCheck()->setChecked(false);
    dialog.chatCheck()->setChecked(true);
    const QString chosen = home.path() + QStringLiteral("/elsewhere");
    QString start;
    QString title;
    dialog.setFolderDialog([&](QWidget *, const QString &caption, const QString &from) {
        start = from;
        title = caption;
        return chosen;
    });
    dialog.OnChangeFolder();
    QCOMPARE(start, home.path());
    QCOMPARE(title, CStringTable::get(135));
    QVERIFY(dialog.folderChanged());
    dialog.accept();

    qint32 value = -1;
    QVERIFY(config.GetInt(QStringLiteral("miscellaneous.log.display_i"), value));
    QCOMPARE(value, 0);
    QVERIFY(config.GetInt(QStringLiteral("miscellaneous.log.chat_i"), value));
    QCOMPARE(value, 1);
    QString folder;
    config.GetString(QStringLiteral("miscellaneous.log.folder"), folder);
    QCOMPARE(folder, chosen);
    const QStringList log = operationLogLines();
    QVERIFY(log.contains(QStringLiteral("CDlgCfgLog set log.display(0) and log.chat(1).")));
    QCOMPARE(log.last(), QStringLiteral("CDlgCfgLog finished by [OK]."));
}

void LogWindowsTest::settingsDialogCancelStoresNothing()
{
    TestHome home;
    CConfig config;
    config.SetInt(QStringLiteral("miscellaneous.log.chat_i"), 0);
    CDlgCfgLog dialog(config);
    dialog.chatCheck()->setChecked(true);
    dialog.reject();
    qint32 value = -1;
    QVERIFY(config.GetInt(QStringLiteral("miscellaneous.log.chat_i"), value));
    QCOMPARE(value, 0);
    QCOMPARE(operationLogLines().last(), QStringLiteral("CDlgCfgLog finished by [cancel]."));
}

void LogWindowsTest::openFolderCreatesIt()
{
    TestHome home;
    CConfig config;
    const QString folder = home.path() + QStringLiteral("/a/b/logs");
    config.SetString(QStringLiteral("miscellaneous.log.folder"), folder);
    CDlgCfgLog dialog(config);
    QList<QUrl> opened;
    int messages = 0;
    dialog.setUrlOpener([&](const QUrl &url) {
        opened.append(url);
        return true;
    });
    dialog.setMessageBox([&](QWidget *, const QString &, const QString &) { ++messages; });
    QCOMPARE(dialog.OnOpenLogFolder(), 0u);
    QVERIFY(QFileInfo(folder).isDir());
    QCOMPARE(opened, QList<QUrl>{QUrl::fromLocalFile(folder)});
    QCOMPARE(messages, 0);
    QVERIFY(operationLogLines().contains(QStringLiteral("OnOpenLogFolder folder=") + folder +
                                         QStringLiteral(" : OK")));
}

void LogWindowsTest::openFolderFailure()
{
    TestHome home;
    // A folder cannot be made under a regular file, whoever runs the test.
    const QString file = home.path() + QStringLiteral("/plain.txt");
    writeBytes(file, QByteArray("x"));
    const QString folder = file + QStringLiteral("/logs");
    CConfig config;
    config.SetString(QStringLiteral("miscellaneous.log.folder"), folder);
    CDlgCfgLog dialog(config);
    int opens = 0;
    QStringList shown;
    dialog.setUrlOpener([&](const QUrl &) {
        ++opens;
        return true;
    });
    dialog.setMessageBox(
        [&](QWidget *, const QString &text, const QString &caption) { shown << caption << text; });
    QCOMPARE(dialog.OnOpenLogFolder(), CDlgCfgLog::kErrorFileNotFound);
    QCOMPARE(opens, 0);
    QString expected = CStringTable::get(170);
    expected.replace(QStringLiteral("%1!lu!"), QStringLiteral("2"));
    QCOMPARE(shown, (QStringList{CStringTable::get(116), expected}));
    const QStringList log = operationLogLines();
    QVERIFY(log.contains(QStringLiteral("OnOpenLogFolder folder=") + folder + QStringLiteral(" : NG")));
    // The message keeps its line break in the log too.
    QVERIFY(log.contains(QStringLiteral("ERROR : ") + expected.section(QStringLiteral("\r\n"), 0, 0)));

    // The desktop refusing a folder that exists is reported the same way.
    dialog.folderEdit()->setText(home.path());
    dialog.setUrlOpener([](const QUrl &) { return false; });
    shown.clear();
    QCOMPARE(dialog.OnOpenLogFolder(), CDlgCfgLog::kErrorNoAssociation);
    QCOMPARE(shown.size(), 2);
}

QTEST_MAIN(LogWindowsTest)
#include "LogWindowsTest.moc"
