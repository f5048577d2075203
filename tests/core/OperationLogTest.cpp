#include "core/OperationLog.h"
#include "TestFiles.h"
#include "TestHome.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>

class OperationLogTest final : public QObject
{
    Q_OBJECT

private slots:
    void lineFormat()
    {
        TestHome home;
        QVERIFY(OperationLogPath().isEmpty());
        // The settings folder does not exist yet: the first line creates it and opens run 0.
        QVERIFY(!QFileInfo::exists(home.settingsFolder()));
        QVERIFY(WriteLog(QStringLiteral("--- application starts. ---")));
        QCOMPARE(OperationLogPath(), QDir(home.settingsFolder()).filePath(QStringLiteral("tavrin0.log")));
        QVERIFY(WriteLogInt(QStringLiteral("WSAStartup"), 0));
        QVERIFY(WriteLogInt(QStringLiteral("error"), -10048, 2));
        QVERIFY(!WriteLogInt(QStringLiteral("verbose"), 7, 3));
        QVERIFY(WriteLogHex(QStringLiteral("flags"), 0xDEADBEEFu));
        QVERIFY(WriteLogHex(QStringLiteral("flags"), 0u));
        // Each line: the bracketed local date and time, a blank, the text, CR LF; after the mark.
        static const QRegularExpression line(
            QStringLiteral("^(\\[\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\] "
                           "[^\r\n]+\r\n){5}$"));
        QVERIFY(readUtf16File(OperationLogPath()).contains(line));
        QCOMPARE(operationLogLines(),
                 (QStringList{u"--- application starts. ---"_qs, u"WSAStartup : 0"_qs, u"error : -10048"_qs,
                              u"flags : deadbeef"_qs, u"flags : 0"_qs}));
    }

    void rotationOverElevenRuns()
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
            const QString text = readUtf16File(QDir(home.settingsFolder()).filePath(expected.at(i)));
            QVERIFY2(text.endsWith(QStringLiteral("] run %1\r\n").arg(10 - i)), qPrintable(text));
        }
    }

    void failedOpenStaysOffForTheRun()
    {
        TestHome home;
        // A regular file where the settings folder should be: the log cannot be created.
        const QString folder = home.settingsFolder();
        QVERIFY(QDir().mkpath(QFileInfo(folder).path()));
        writeBytes(folder, "x");
        QVERIFY(!WriteLog(QStringLiteral("lost")));
        QVERIFY(QFile::remove(folder));
        // No second attempt during the same run, even though it would now succeed.
        QVERIFY(!WriteLog(QStringLiteral("also lost")));
        QVERIFY(!QFileInfo::exists(folder));
        CloseOperationLog();
        QVERIFY(WriteLog(QStringLiteral("next run")));
        QCOMPARE(operationLogLines(), QStringList{QStringLiteral("next run")});
    }
};

QTEST_APPLESS_MAIN(OperationLogTest)
#include "OperationLogTest.moc"
