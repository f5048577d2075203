#include "TestHome.h"
#include "core/OperationLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>

namespace {

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QString logFile(const QString &folder, int index)
{
    return QDir(folder).filePath(QStringLiteral("tavrin%1.log").arg(index));
}

} // namespace

class OperationLogTest final : public QObject
{
    Q_OBJECT

private slots:
    void firstLineOpensRunZero();
    void rotationOverElevenRuns();
    void lineFormat_data();
    void lineFormat();
    void levelAboveTwoWritesNothing();
    void failedOpenStaysOffForTheRun();
};

void OperationLogTest::firstLineOpensRunZero()
{
    TestHome home;
    QVERIFY(OperationLogPath().isEmpty());
    // The settings folder does not exist yet: the first line creates it.
    QVERIFY(!QFileInfo::exists(home.settingsFolder()));
    QVERIFY(WriteLog(QStringLiteral("--- application starts. ---")));
    QCOMPARE(OperationLogPath(), logFile(home.settingsFolder(), 0));
    const QByteArray bytes = readBytes(OperationLogPath());
    QVERIFY(bytes.startsWith("\xFF\xFE"));
    QCOMPARE(operationLogLines(), QStringList{QStringLiteral("--- application starts. ---")});
}

void OperationLogTest::rotationOverElevenRuns()
{
    TestHome home;
    for (int run = 0; run < 11; ++run) {
        CloseOperationLog();
        QVERIFY(WriteLog(QStringLiteral("run %1").arg(run)));
    }
    CloseOperationLog();

    QStringList expected;
    for (int i = 0; i < 10; ++i)
        expected << QStringLiteral("tavrin%1.log").arg(i);
    QCOMPARE(QDir(home.settingsFolder()).entryList(QDir::Files, QDir::Name), expected);
    // Newest in 0, oldest kept in 9; run 0 is gone.
    for (int i = 0; i < 10; ++i) {
        const QString text = readUtf16File(logFile(home.settingsFolder(), i));
        QVERIFY2(text.endsWith(QStringLiteral("] run %1\r\n").arg(10 - i)), qPrintable(text));
    }
}

void OperationLogTest::lineFormat_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("expected");

    QTest::newRow("plain") << 0 << QStringLiteral("CConfig::LoadFromFile() begins.");
    QTest::newRow("int zero") << 1 << QStringLiteral("WSAStartup : 0");
    QTest::newRow("int negative") << 2 << QStringLiteral("WSAStartup : -10048");
    QTest::newRow("hex") << 3 << QStringLiteral("flags : deadbeef");
    QTest::newRow("hex zero") << 4 << QStringLiteral("flags : 0");
}

void OperationLogTest::lineFormat()
{
    QFETCH(int, kind);
    QFETCH(QString, expected);

    TestHome home;
    bool written = false;
    switch (kind) {
    case 0:
        written = WriteLog(QStringLiteral("CConfig::LoadFromFile() begins."));
        break;
    case 1:
        written = WriteLogInt(QStringLiteral("WSAStartup"), 0);
        break;
    case 2:
        written = WriteLogInt(QStringLiteral("WSAStartup"), -10048, 2);
        break;
    case 3:
        written = WriteLogHex(QStringLiteral("flags"), 0xDEADBEEFu);
        break;
    case 4:
        written = WriteLogHex(QStringLiteral("flags"), 0u);
        break;
    }
    QVERIFY(written);
    // One whole line: BOM, bracketed local date and time, a blank, the text, CR LF.
    const QString text = readUtf16File(OperationLogPath());
    static const QRegularExpression line(QStringLiteral("^\\[\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\] (.*)\r\n$"));
    const QRegularExpressionMatch match = line.match(text);
    QVERIFY2(match.hasMatch(), qPrintable(text));
    QCOMPARE(match.captured(1), expected);
}

void OperationLogTest::levelAboveTwoWritesNothing()
{
    TestHome home;
    QVERIFY(WriteLog(QStringLiteral("first")));
    QVERIFY(!WriteLogInt(QStringLiteral("verbose"), 7, 3));
    QVERIFY(WriteLogInt(QStringLiteral("normal"), 7, 1));
    QCOMPARE(operationLogLines(), (QStringList{QStringLiteral("first"), QStringLiteral("normal : 7")}));
}

void OperationLogTest::failedOpenStaysOffForTheRun()
{
    TestHome home;
    // A regular file where the settings folder should be: the log cannot be created.
    const QString folder = home.settingsFolder();
    QVERIFY(QDir().mkpath(QFileInfo(folder).path()));
    {
        QFile blocker(folder);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
    }
    QVERIFY(!WriteLog(QStringLiteral("lost")));
    QVERIFY(QFile::remove(folder));
    // No second attempt during the same run, even though it would now succeed.
    QVERIFY(!WriteLog(QStringLiteral("also lost")));
    QVERIFY(!QFileInfo::exists(folder));
    CloseOperationLog();
    QVERIFY(WriteLog(QStringLiteral("next run")));
    QCOMPARE(operationLogLines(), QStringList{QStringLiteral("next run")});
}

QTEST_APPLESS_MAIN(OperationLogTest)
#include "OperationLogTest.moc"
