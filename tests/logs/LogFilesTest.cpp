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
    void startNamesBothFilesInTheFolder()
    {
        TestHome home;
        CConfig config;
        config.SetString(u"miscellaneous.log.folder"_qs, home.path());
        config.SetInt(u"miscellaneous.log.lines.save_i"_qs, 25);
        CLogFiles logs([] { return kOpenedAt; });

        logs.Start(config, 12);

        // The start-up blanks count as written.
        QCOMPARE(logs.displayLines(), 12);
        QCOMPARE(logs.lastLoggedLine(), 12);
        QCOMPARE(logs.linesPerLogWrite(), 25);
        QCOMPARE(logs.display().WriteLine(u"caption"_qs), 0);
        QCOMPARE(logs.contact().WriteLine(u"contact"_qs), 0);
        QCOMPARE(logs.display().GetPath(), home.path() + u"/log_20240131_093005_display.txt"_qs);
        QCOMPARE(logs.contact().GetPath(), home.path() + u"/log_20240131_093005_chat.txt"_qs);
    }

    void switchFolderEndsBothFiles()
    {
        TestHome home;
        const QString before = home.path() + u"/before"_qs;
        const QString after = home.path() + u"/after"_qs;
        QVERIFY(QDir().mkpath(before) && QDir().mkpath(after));
        CConfig config;
        config.SetString(u"miscellaneous.log.folder"_qs, before);
        CLogFiles logs([] { return kOpenedAt; });
        logs.Start(config, 0);
        logs.display().WriteLine(u"first"_qs);
        logs.contact().WriteLine(u"first"_qs);

        logs.SwitchFolder(after);

        for (CLogFile *file : {&logs.display(), &logs.contact()}) {
            QVERIFY(!file->IsOpen());
            QVERIFY(readUtf16File(file->GetPath()).endsWith(u"---------- end ----------\r\n"_qs));
            file->WriteLine(u"second"_qs);
            QCOMPARE(QFileInfo(file->GetPath()).absolutePath(), after);
        }
        // The next start takes the folder from the settings again.
        logs.Close();
        logs.Start(config, 0);
        QCOMPARE(logs.display().GetFolder(), before);
    }
};

QTEST_GUILESS_MAIN(LogFilesTest)
#include "LogFilesTest.moc"
