#include "TestHome.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>

namespace {

// The operation log of the run in home (the only one: a fresh home holds one run).
QString findOperationLog(const QString &settingsFolder)
{
    QDirIterator it(settingsFolder, {QStringLiteral("*.log")}, QDir::Files);
    return it.hasNext() ? it.next() : QString();
}

QStringList logLines(const QString &path)
{
    QStringList lines = readUtf16File(path).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    for (QString &line : lines)
        line = line.mid(line.indexOf(QStringLiteral("] ")) + 2);
    return lines;
}

} // namespace

// The real program, started offscreen in a home of its own with no member name, so that it waits
// in the login dialog and never goes online; an end signal must still take the normal way out.
class TestStartupSignals final : public QObject
{
    Q_OBJECT

private slots:
    void endSignalRunsNormalShutdown_data();
    void endSignalRunsNormalShutdown();
};

void TestStartupSignals::endSignalRunsNormalShutdown_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGHUP") << int(SIGHUP);
}

void TestStartupSignals::endSignalRunsNormalShutdown()
{
    QFETCH(int, signalNumber);
    QTemporaryDir home;
    QVERIFY(home.isValid());
    const QString settingsFolder = home.path() + QStringLiteral("/.config/tavrin");

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/.config"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(TAVRIN_EXECUTABLE), {});
    QVERIFY(program.waitForStarted());

    // The handlers are in place once the main window exists; the login dialog then waits.
    QString logPath;
    QDeadlineTimer deadline(60000);
    while (!deadline.hasExpired()) {
        logPath = findOperationLog(settingsFolder);
        if (!logPath.isEmpty() &&
            logLines(logPath).contains(QStringLiteral("CDlgNic::OnInitDialog() begins.")))
            break;
        QThread::msleep(50);
    }
    QVERIFY2(!deadline.hasExpired(), "the program did not reach its login dialog");

    ::kill(static_cast<pid_t>(program.processId()), signalNumber);
    QVERIFY(program.waitForFinished(60000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);

    QVERIFY(QFile::exists(settingsFolder + QStringLiteral("/tavrin~.tvn")));
    const QStringList lines = logLines(logPath);
    QVERIFY(lines.contains(QStringLiteral("signal received : %1").arg(signalNumber)));
    QVERIFY(lines.contains(QStringLiteral("CMainWindow::OnDestroy() begins.")));
    QVERIFY(lines.contains(QStringLiteral("CMainWindow::SetOffline() begins.")));
    QCOMPARE(lines.last(), QStringLiteral("--- application finishes. ---"));
}

QTEST_GUILESS_MAIN(TestStartupSignals)
#include "test_startup_signals.moc"
