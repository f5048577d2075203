#include "MainWindowTestSupport.h"
#include "TestHome.h"

#include "app/CAppRunner.h"
#include "app/CMainWindow.h"
#include "config/CConfig.h"
#include "core/AppPaths.h"
#include "core/OperationLog.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace {

CAppRunner::Options testOptions(FakeAdapters &adapters, int *notices = nullptr)
{
    CAppRunner::Options options;
    options.adapters = &adapters;
    options.handleSignals = false;
    options.prepare = [](CMainWindow &window) {
        window.setLoginDialog([](QWidget *, const QList<AdapterEntry> &, CConfig &) { return -1; });
    };
    options.abnormalNotice = [notices](const QString &, const QString &) {
        if (notices)
            ++*notices;
    };
    return options;
}

// A settings file whose member name tells it apart from the defaults.
QString writeSettings(const QString &path, const QString &name)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    CConfig config;
    config.SetString(QStringLiteral("communication.name"), name);
    config.SaveToFile(path);
    return path;
}

QString memberName(CMainWindow &window)
{
    QString name;
    window.config().GetString(QStringLiteral("communication.name"), name);
    return name;
}

} // namespace

class TestStartup final : public QObject
{
    Q_OBJECT

private slots:
    void commandLineFromArguments_data();
    void commandLineFromArguments();
    void settingsFileOnCommandLine_data();
    void settingsFileOnCommandLine();
    void longCommandLineIsCut();
    void noArgumentsNoDefaultFile();
    void defaultFileLoaded();
    void runLogsItsSteps();
    void operationLogHandedOver();
    void normalRunKeepsOperationLog();
};

void TestStartup::commandLineFromArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("expected");
    const auto args = [](std::initializer_list<const char *> list) {
        QStringList out;
        for (const char *item : list)
            out << QString::fromUtf8(item);
        return out;
    };
    QTest::newRow("nothing") << args({"tavrin"}) << "";
    QTest::newRow("one path") << args({"tavrin", "/tmp/a.tvn"}) << "/tmp/a.tvn";
    QTest::newRow("path split at its blank") << args({"tavrin", "/tmp/my", "settings/a.tvn"})
                                             << "/tmp/my settings/a.tvn";
    QTest::newRow("quotes kept for the unquoting") << args({"tavrin", "\"/tmp/my settings/a.tvn\""})
                                                   << "\"/tmp/my settings/a.tvn\"";
}

void TestStartup::commandLineFromArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, expected);
    QCOMPARE(CAppRunner::CommandLineFromArguments(arguments), expected);
}

void TestStartup::settingsFileOnCommandLine_data()
{
    QTest::addColumn<bool>("quoted");
    QTest::newRow("in double quotes") << true;
    QTest::newRow("without quotes") << false;
}

void TestStartup::settingsFileOnCommandLine()
{
    QFETCH(bool, quoted);
    TestHome home;
    const QString path = writeSettings(home.path() + QStringLiteral("/my settings/team a.tvn"), QStringLiteral("fromfile"));
    FakeAdapters adapters;
    CAppRunner runner(testOptions(adapters));

    QVERIFY(runner.Start(quoted ? u'"' + path + u'"' : path));

    QCOMPARE(memberName(*runner.mainWindow()), QStringLiteral("fromfile"));
    QCOMPARE(runner.mainWindow()->commandLineFile(), path);
    const QStringList lines = operationLogLines();
    QVERIFY(lines.contains(QStringLiteral("CMainWindow::SetCmdLine() begins.")));
    QVERIFY(lines.contains(QStringLiteral("CMainWindow::SetCmdLine() finishes. filename=") + path));
    QVERIFY(!lines.contains(QStringLiteral("CMainWindow::LoadDefaultConfig() begins.")));
    runner.Finish(0);
}

void TestStartup::longCommandLineIsCut()
{
    TestHome home;
    FakeAdapters adapters;
    CAppRunner runner(testOptions(adapters));
    const QString longPath = home.path() + u'/' + QString(300, u'x') + QStringLiteral(".tvn");

    QVERIFY(runner.Start(longPath));

    QCOMPARE(runner.mainWindow()->commandLineFile(), longPath.left(259));
    // The defaults stay in force.
    QCOMPARE(memberName(*runner.mainWindow()), QString());
    runner.Finish(0);
}

void TestStartup::noArgumentsNoDefaultFile()
{
    TestHome home;
    FakeAdapters adapters;
    CAppRunner runner(testOptions(adapters));

    QVERIFY(runner.Start(QString()));

    const QString path = CAppPaths::JoinPath(home.settingsFolder(), CAppPaths::GetExeBaseName() + QStringLiteral(".tvn"));
    QVERIFY(QDir(home.settingsFolder()).exists());
    QVERIFY(operationLogLines().contains(QStringLiteral("CMainWindow::LoadDefaultConfig() failed. filename=") + path));
    CConfig defaults;
    QString expected;
    defaults.GetString(QStringLiteral("communication.channel_i"), expected);
    QString channel;
    runner.mainWindow()->config().GetString(QStringLiteral("communication.channel_i"), channel);
    QCOMPARE(channel, expected);
    QCOMPARE(memberName(*runner.mainWindow()), QString());
    runner.Finish(0);
}

void TestStartup::defaultFileLoaded()
{
    TestHome home;
    const QString path = writeSettings(
        CAppPaths::JoinPath(home.settingsFolder(), CAppPaths::GetExeBaseName() + QStringLiteral(".tvn")),
        QStringLiteral("fromdefault"));
    FakeAdapters adapters;
    CAppRunner runner(testOptions(adapters));

    QVERIFY(runner.Start(QString()));

    QCOMPARE(memberName(*runner.mainWindow()), QStringLiteral("fromdefault"));
    QVERIFY(operationLogLines().contains(QStringLiteral("CMainWindow::LoadDefaultConfig() finishes. filename=") + path));
    runner.Finish(0);
}

void TestStartup::runLogsItsSteps()
{
    TestHome home;
    FakeAdapters adapters;
    CAppRunner runner(testOptions(adapters));
    QVERIFY(runner.Start(QString()));
    // The display window's close button, confirmed: the loop ends with the main window's code.
    runner.mainWindow()->Close();
    const int code = runner.Loop();
    QCOMPARE(runner.Finish(code), 0);

    const QStringList lines = operationLogLines();
    const QStringList expectedOrder = {
        QStringLiteral("--- application starts. ---"),
        QStringLiteral("CMainWindow::LoadDefaultConfig() begins."),
        QStringLiteral("WSAStartup : 0"),
        QStringLiteral("CMainWindow::OnCreate() begins."),
        QStringLiteral("CMainWindow::OnCreate() finishes."),
        QStringLiteral("CMainWindow::OnDestroy() begins."),
        QStringLiteral("CMainWindow::OnDestroy() finishes."),
        QStringLiteral("Loop returns : 0"),
        QStringLiteral("WSACleanup : 0"),
        QStringLiteral("--- application finishes. ---"),
    };
    qsizetype previous = -1;
    for (const QString &line : expectedOrder) {
        const qsizetype at = lines.indexOf(line, previous + 1);
        QVERIFY2(at > previous, qPrintable(line));
        previous = at;
    }
    QCOMPARE(lines.last(), QStringLiteral("--- application finishes. ---"));
    QVERIFY(QFile::exists(CAppPaths::JoinPath(home.settingsFolder(), CAppPaths::GetExeBaseName() + QStringLiteral("~.tvn"))));
}

void TestStartup::operationLogHandedOver()
{
    TestHome home;
    WriteLog(QStringLiteral("something unusual"));
    const QString logPath = OperationLogPath();
    QVERIFY(QFile::exists(logPath));

    const QString target = CAppRunner::HandOverOperationLog(QDateTime(QDate(2024, 1, 31), QTime(9, 30, 5)));

    QCOMPARE(target, CAppPaths::JoinPath(home.settingsFolder(),
                                         CAppPaths::GetExeBaseName() + QStringLiteral("_20240131_093005.txt")));
    QVERIFY(QFile::exists(target));
    QVERIFY(!QFile::exists(logPath));
    QVERIFY(OperationLogPath().isEmpty());
    QVERIFY(readUtf16File(target).contains(QStringLiteral("something unusual")));
}

void TestStartup::normalRunKeepsOperationLog()
{
    TestHome home;
    FakeAdapters adapters;
    int notices = 0;
    CAppRunner runner(testOptions(adapters, &notices));
    QVERIFY(runner.Start(QString()));
    const QString logPath = OperationLogPath();
    runner.Finish(0);

    QVERIFY(!CAppRunner::AbnormalResponse());
    QCOMPARE(notices, 0);
    QCOMPARE(OperationLogPath(), logPath);
    QVERIFY(QFile::exists(logPath));
}

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
