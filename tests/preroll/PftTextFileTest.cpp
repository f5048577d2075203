#include "FileSizeLimit.h"
#include "TestFiles.h"
#include "TestHome.h"
#include "core/CTextDocument.h"
#include "core/StringTable.h"
#include "core/TextEncoding.h"
#include "preroll/CPftTextFile.h"

#include <QDir>
#include <QTest>

// The pre-roll window's own words around its files: the messages of a load, the encoding a save
// takes from the name, the log line of a failed save.
class PftTextFileTest final : public QObject
{
    Q_OBJECT

private slots:
    void loadTellsWhichStepFailed_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("logged");
        QTest::addColumn<int>("message");
        QTest::newRow("read") << u"logged.txt"_qs << u"LoadText : file [%1] size [5]"_qs << 0;
        QTest::newRow("cannot be opened")
            << u"missing-folder/x.txt"_qs << u"CDlgPft::LoadText() Create() failed."_qs << 163;
        // A device has no size to read.
        QTest::newRow("size unknown")
            << u"/dev/null"_qs << u"CDlgPft::LoadText() GetSize() failed."_qs << 162;
    }
    void loadTellsWhichStepFailed()
    {
        QFETCH(QString, path);
        QFETCH(QString, logged);
        QFETCH(int, message);
        TestHome home;
        if (!path.startsWith(u'/'))
            path = home.path() + u'/' + path;
        writeBytes(home.path() + u"/logged.txt"_qs, "abcde");
        qint64 size = 77;
        QString shown;
        const CTextDocument::FileText file = CTextDocument::ReadFile(path);
        QCOMPARE(CPftTextFile::EndLoad(file, size, shown), message == 0 ? 1 : 0);
        QCOMPARE(size, message == 0 ? 5 : 77);
        QCOMPARE(shown, message == 0 ? QString() : CStringTable::get(message));
        QVERIFY(operationLogLines().contains(logged.contains(u'%') ? logged.arg(path) : logged));
    }

    void saveEncodingFromTheName_data()
    {
        QTest::addColumn<QString>("newPath");
        QTest::addColumn<QString>("currentPath");
        QTest::addColumn<int>("paneEncoding");
        QTest::addColumn<int>("encoding");
        const int ansi = CTextEncoding::kAnsi;
        const int utf16 = CTextEncoding::kUtf16Le;
        const int utf8 = CTextEncoding::kUtf8;
        QTest::newRow(".TV8 any case") << u"/d/a.TV8"_qs << QString() << ansi << utf8;
        QTest::newRow(".txt from a new pane") << u"/d/a.txt"_qs << QString() << utf8 << ansi;
        QTest::newRow(".txt from a .tvu") << u"/d/a.txt"_qs << u"/d/b.tvu"_qs << utf16 << ansi;
        QTest::newRow(".txt read as utf-8 stays") << u"/d/a.txt"_qs << u"/d/b.TXT"_qs << utf8 << utf8;
        QTest::newRow("other name keeps the pane's") << u"/d/notes.md"_qs << QString() << utf8 << utf8;
        QTest::newRow("four characters are no extension") << u"/d/.tvu"_qs << QString() << utf8 << utf8;
        QTest::newRow("nor is a folder's name") << u"/d.tvu/x"_qs << QString() << utf8 << utf8;
        QTest::newRow("five characters are") << u"/d/a.tvu"_qs << QString() << utf8 << utf16;
        QTest::newRow("a .txt folder is no .txt file") << u"/d/a.txt"_qs << u"/d.txt/b"_qs << utf8 << ansi;
    }
    void saveEncodingFromTheName()
    {
        QFETCH(QString, newPath);
        QFETCH(QString, currentPath);
        QFETCH(int, paneEncoding);
        QTEST(CPftTextFile::SaveEncodingFor(newPath, currentPath, paneEncoding), "encoding");
    }

    // Whether a save fails creating or writing the file goes into the operation log; the
    // document's own tests cover what is left on disk.
    void failedSaveLogsWhichStep()
    {
        TestHome home;
        CTextDocument document(u"CDlgPft"_qs, CTextEncoding::kAnsi);
        QVERIFY(!CPftTextFile::SaveText(document, home.path() + u"/missing/x.txt"_qs, u"x"));
        QCOMPARE(operationLogLines().last(), u"CDlgPft::SaveText() Create() failed."_qs);
        const FileSizeLimit limit(8192);
        QVERIFY(!CPftTextFile::SaveText(document, home.path() + u"/x.tv8"_qs, QString(20000, u'x')));
        QCOMPARE(operationLogLines().last(), u"CDlgPft::SaveText() Write() failed."_qs);
    }
};

QTEST_APPLESS_MAIN(PftTextFileTest)
#include "PftTextFileTest.moc"
