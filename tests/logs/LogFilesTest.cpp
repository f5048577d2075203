#include "TestHome.h"

#include "config/CConfig.h"
#include "logs/CLogFiles.h"

#include <QDir>
#include <QTest>

namespace {

const QDateTime kOpenedAt(QDate(2024, 1, 31), QTime(9, 30, 5));

} // namespace

// The two log files of a run: where they go, what they are called, and the folder switch.
class LogFilesTest final : public QObject
{
    Q_OBJECT

private slots:
    void startNamesBothFilesInTheFolder();
    void switchFolderEndsBothFiles();
};

void LogFilesTest::startNamesBothFilesInTheFolder()
{
    TestHome home;
    CConfig config;
    config.SetString(QStringLiteral("miscellaneous.log.folder"), home.path());
    config.SetInt(QStringLiteral("miscellaneous.log.lines.save_i"), 25);
    CLogFiles logs([] { return kOpenedAt; });

    logs.Start(config, 12);

    // The start-up blanks count as written.
    QCOMPARE(logs.displayLines(), 12);
    QCOMPARE(logs.lastLoggedLine(), 12);
    QCOMPARE(logs.linesPerLogWrite(), 25);
    QCOMPARE(logs.display().WriteLine(QStringLiteral("caption")), 0);
    QCOMPARE(logs.contact().WriteLine(QStringLiteral("contact")), 0);
    QCOMPARE(logs.display().GetPath(), home.path() + QStringLiteral("/log_20240131_093005_display.txt"));
    QCOMPARE(logs.contact().GetPath(), home.path() + QStringLiteral("/log_20240131_093005_chat.txt"));
}

void LogFilesTest::switchFolderEndsBothFiles()
{
    TestHome home;
    const QString before = home.path() + QStringLiteral("/before");
    const QString after = home.path() + QStringLiteral("/after");
    QVERIFY(QDir().mkpath(before) && QDir().mkpath(after));
    CConfig config;
    config.SetString(QStringLiteral("miscellaneous.log.folder"), before);
    CLogFiles logs([] { return kOpenedAt; });
    logs.Start(config, 0);
    logs.display().WriteLine(QStringLiteral("first"));
    logs.contact().WriteLine(QStringLiteral("first"));

    logs.SwitchFolder(after);

    for (CLogFile *file : {&logs.display(), &logs.contact()}) {
        QVERIFY(!file->IsOpen());
        QVERIFY(readUtf16File(file->GetPath()).endsWith(QStringLiteral("---------- end ----------\r\n")));
        file->WriteLine(QStringLiteral("second"));
        QCOMPARE(QFileInfo(file->GetPath()).absolutePath(), after);
    }
    // The next start takes the folder from the settings again.
    logs.Close();
    logs.Start(config, 0);
    QCOMPARE(logs.display().GetFolder(), before);
}

QTEST_GUILESS_MAIN(LogFilesTest)
#include "LogFilesTest.moc"
