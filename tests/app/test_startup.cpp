#include "MainWindowTestSupport.h"
#include "TestFiles.h"

#include "app/CAppRunner.h"
#include "config/CConfig.h"
#include "core/AppPaths.h"
#include "core/OperationLog.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRandomGenerator>
#include <QTest>

namespace {

// A run on made-up adapters whose login dialog is cancelled; message boxes are recorded.
struct Run
{
    Run()
    {
        CDialogs::setScripted(true);
        CAppRunner::Options options;
        options.adapters = &adapters;
        options.handleSignals = false;
        options.prepare = [](CMainWindow &window) {
            window.setLoginDialog([](QWidget *, const QList<AdapterEntry> &, CConfig &) { return -1; });
        };
        runner = std::make_unique<CAppRunner>(options);
    }
    ~Run()
    {
        if (runner->mainWindow())
            runner->Finish(0);
        runner.reset();
        CDialogs::reset();
    }

    CConfig &config() { return runner->mainWindow()->config(); }
    QString memberName() { return config().GetStringOr(QStringLiteral("communication.name")); }

    FakeAdapterSource adapters;
    std::unique_ptr<CAppRunner> runner;
};

// A settings file whose member name (and channel, when given) tell it apart from the defaults.
QString writeSettings(const QString &path, const QString &name, int channel = 0)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    CConfig config;
    config.SetString(QStringLiteral("communication.name"), name);
    if (channel)
        config.SetInt(QStringLiteral("communication.channel_i"), channel);
    config.SaveToFile(path);
    return path;
}

QString defaultFilePath(const TestHome &home)
{
    return CAppPaths::JoinPath(home.settingsFolder(), CAppPaths::GetExeBaseName() + QStringLiteral(".tvn"));
}

// A settings file that is none: head, then noise random bytes, then, with keys, every registered
// key with a random value of printable and control characters, digits, signs and long numbers.
QByteArray damagedFile(const QByteArray &head, qsizetype noise, bool keys)
{
    QRandomGenerator random(static_cast<quint32>(noise) + 1);
    QByteArray bytes = head;
    for (qsizetype i = 0; i < noise; ++i)
        bytes.append(static_cast<char>(random.bounded(256)));
    const QString pieces[] = {u"-"_qs, u"999999999999"_qs, u"0x"_qs, u"\""_qs, u" "_qs, u"="_qs};
    for (const QString &key : keys ? CConfig().GetKeys() : QStringList()) {
        QString value;
        for (int i = static_cast<int>(random.bounded(6)); i > 0; --i)
            value += random.bounded(2) ? pieces[random.bounded(6)]
                                       : QString(QChar(char16_t(0x20 + random.bounded(0x3000))));
        if (random.bounded(8) == 0)
            value = QString(300, u'9'); // longer than any value is read
        bytes += utf16le(key + u'=' + value + QStringLiteral("\r\n"), false);
    }
    return bytes;
}

} // namespace

class TestStartup final : public QObject
{
    Q_OBJECT

private slots:
    void settingsFileAtStart_data();
    void settingsFileAtStart();
    void runEndsInOrder();
    void operationLogHandedOver();
    void damagedSettingsStartWithDefaults_data();
    void damagedSettingsStartWithDefaults();
};

void TestStartup::settingsFileAtStart_data()
{
    QTest::addColumn<QString>("commandLine"); // "file", "\"file\"", "long" or none
    QTest::addColumn<bool>("defaultFile");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("channel");
    QTest::newRow("file in double quotes") << u"\"file\""_qs << true << u"fromfile"_qs << 1;
    QTest::newRow("file without quotes") << u"file"_qs << true << u"fromfile"_qs << 1;
    QTest::newRow("no default file: the defaults") << QString() << false << QString() << 1;
    QTest::newRow("default file") << QString() << true << u"fromdefault"_qs << 5;
    // Not found: the defaults stay, and the default file is not read instead.
    QTest::newRow("long command line is cut") << u"long"_qs << true << QString() << 1;
}

void TestStartup::settingsFileAtStart()
{
    QFETCH(QString, commandLine);
    QFETCH(bool, defaultFile);
    TestHome home;
    if (defaultFile)
        writeSettings(defaultFilePath(home), QStringLiteral("fromdefault"), 5);
    QString path = home.path() + u'/' + QString(300, u'x') + QStringLiteral(".tvn");
    if (commandLine != u"long")
        path = writeSettings(home.path() + QStringLiteral("/my settings/team a.tvn"),
                             QStringLiteral("fromfile"));
    Run run;

    const QString given = commandLine == u"long" ? path : QString(commandLine).replace(u"file"_qs, path);
    QVERIFY(run.runner->Start(given));

    QTEST(run.memberName(), "name");
    QTEST(run.config().GetIntOr(QStringLiteral("communication.channel_i"), 0), "channel");
    QCOMPARE(run.runner->mainWindow()->commandLineFile(), commandLine.isEmpty() ? QString() : path.left(259));
    // An unquoted path with a blank arrives in two arguments.
    QCOMPARE(CAppRunner::CommandLineFromArguments({u"tavrin"_qs, u"/tmp/my"_qs, u"settings/a.tvn"_qs}),
             u"/tmp/my settings/a.tvn"_qs);
}

void TestStartup::runEndsInOrder()
{
    TestHome home;
    Run run;
    QVERIFY(run.runner->Start(QString()));
    const QString logPath = OperationLogPath();
    // The close request, as an end signal or the exit command makes it: the loop ends with the
    // main window's code.
    run.runner->mainWindow()->Close();
    QCOMPARE(run.runner->Finish(run.runner->Loop()), 0);

    const QStringList lines = operationLogLines();
    qsizetype previous = -1;
    for (const char *line :
         {"--- application starts. ---", "CMainWindow::LoadDefaultConfig() begins.", "WSAStartup : 0",
          "CMainWindow::OnCreate() begins.", "CMainWindow::OnCreate() finishes.",
          "CMainWindow::OnDestroy() begins.", "CMainWindow::OnDestroy() finishes.", "Loop returns : 0",
          "WSACleanup : 0", "--- application finishes. ---"}) {
        const qsizetype at = lines.indexOf(QString::fromUtf8(line), previous + 1);
        QVERIFY2(at > previous, line);
        previous = at;
    }
    QCOMPARE(lines.last(), QStringLiteral("--- application finishes. ---"));
    QVERIFY(QFile::exists(
        CAppPaths::JoinPath(home.settingsFolder(), CAppPaths::GetExeBaseName() + QStringLiteral("~.tvn"))));
    // A normal run keeps its operation log where it is and tells nothing.
    QVERIFY(!CAppRunner::AbnormalResponse());
    QVERIFY(CDialogs::takeAsked().isEmpty());
    QCOMPARE(OperationLogPath(), logPath);
}

void TestStartup::operationLogHandedOver()
{
    TestHome home;
    WriteLog(QStringLiteral("something unusual"));
    const QString logPath = OperationLogPath();
    QVERIFY(QFile::exists(logPath));

    const QString target = CAppRunner::HandOverOperationLog(QDateTime(QDate(2024, 1, 31), QTime(9, 30, 5)));

    QCOMPARE(target, CAppPaths::JoinPath(home.settingsFolder(), CAppPaths::GetExeBaseName() +
                                                                    QStringLiteral("_20240131_093005.txt")));
    QVERIFY(!QFile::exists(logPath));
    QVERIFY(OperationLogPath().isEmpty());
    QVERIFY(readUtf16File(target).contains(QStringLiteral("something unusual")));
}

void TestStartup::damagedSettingsStartWithDefaults_data()
{
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<qsizetype>("noise");
    QTest::addColumn<bool>("keys");
    const QByteArray mark = QByteArrayLiteral("\xFF\xFE");
    const QByteArray header = utf16le(QStringLiteral("[tavrin]\r\n"));
    QTest::newRow("empty") << QByteArray() << qsizetype(0) << false;
    QTest::newRow("1 byte") << QByteArray() << qsizetype(1) << false;
    QTest::newRow("2 bytes") << QByteArray() << qsizetype(2) << false;
    QTest::newRow("1 MiB") << QByteArray() << qsizetype(1 << 20) << false;
    QTest::newRow("UTF-16 mark, 64 KiB noise") << mark << qsizetype(65535) << false;
    QTest::newRow("section header, 1 MiB noise") << header << qsizetype(1 << 20) << false;
    QTest::newRow("every key, noisy values") << header << qsizetype(0) << true;
    QTest::newRow("every key after a stray character") << header << qsizetype(2) << true;
}

void TestStartup::damagedSettingsStartWithDefaults()
{
    QFETCH(QByteArray, head);
    QFETCH(qsizetype, noise);
    QFETCH(bool, keys);
    TestHome home;
    const QStringList names = CConfig().GetKeys();
    const QString path = home.path() + QStringLiteral("/damaged.tvn");
    writeBytes(path, damagedFile(head, noise, keys));

    // The program's own defaults: a start without any settings file.
    QHash<QString, QString> started;
    {
        Run plain;
        QVERIFY(plain.runner->Start(QString()));
        for (const QString &key : names)
            started.insert(key, plain.config().GetStringOr(key));
        QCOMPARE(plain.runner->Finish(0), 0);
    }

    Run run;
    QVERIFY(run.runner->Start(path));
    const CConfig &config = run.config();
    const QStringList log = operationLogLines();
    if (keys) {
        // Whatever was taken lies within its bounds; the log says how much was refused.
        for (const QString &key : names) {
            int max = 0;
            if (!config.GetMax(key, max))
                continue;
            const QString value = config.GetStringOr(key);
            if (key.endsWith(QStringLiteral("_i")))
                QVERIFY2(config.GetIntOr(key, 0) <= max, qPrintable(key + u'=' + value));
            else
                QVERIFY2(value.size() <= max, qPrintable(key));
        }
        // The noise does not stop the reading: most keys are found (empty values and values that
        // hold no number are not), and some refused.
        const QString foundPrefix = QStringLiteral("CConfig::LoadFromFile() settings found in the file : ");
        const int found = log.filter(foundPrefix).value(0).mid(foundPrefix.size()).toInt();
        QVERIFY(found > names.size() / 2 && found <= names.size());
        QVERIFY(!log.filter(QStringLiteral("settings out of bounds, defaults kept : ")).isEmpty());
    } else {
        // Nothing readable: every setting at its default, and the log says nothing was found.
        for (const QString &key : names)
            QVERIFY2(config.GetStringOr(key) == started.value(key),
                     qPrintable(key + u'=' + config.GetStringOr(key)));
        QVERIFY(log.contains(QStringLiteral("CConfig::LoadFromFile() settings found in the file : 0")));
    }
    QCOMPARE(run.runner->Finish(0), 0);
}

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
