#include "FileSizeLimit.h"
#include "TestFiles.h"
#include "TestHome.h"
#include "core/StringTable.h"
#include "core/TextEncoding.h"
#include "preroll/CPftTextFile.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace {

// The operation log lines from the first one equal to first on.
QStringList logFrom(const QString &first)
{
    const QStringList lines = operationLogLines();
    const qsizetype at = lines.lastIndexOf(first);
    return at < 0 ? QStringList() : lines.mid(at);
}

} // namespace

// The pre-roll window's files: loading with its log lines and messages, the encoding a save
// takes from the name, the bytes written, and the line breaks of an opened file.
class PftTextFileTest final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void loadsEachEncoding_data();
    void loadsEachEncoding();
    void loadLogsEveryStep();
    void failedLoadTellsTheUser_data();
    void failedLoadTellsTheUser();
    void missingFileIsCreatedEmpty();
    void saveEncodingFromTheName_data();
    void saveEncodingFromTheName();
    void failedSaveKeepsTheOldFile();
    void lineBreaksNormalised_data();
    void lineBreaksNormalised();

private:
    std::unique_ptr<TestHome> m_home;
    QString m_folder;
};

void PftTextFileTest::init()
{
    m_home = std::make_unique<TestHome>();
    m_folder = m_home->path() + QStringLiteral("/files");
    QVERIFY(QDir().mkpath(m_folder));
}

void PftTextFileTest::cleanup()
{
    m_home.reset();
}

void PftTextFileTest::loadsEachEncoding_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("encoding");
    QTest::addColumn<QString>("text");
    QTest::newRow("utf-16le with signature") << QByteArray("\xFF\xFE"
                                                           "a\0\x42\x30",
                                                           6)
                                             << int(CTextEncoding::kUtf16Le) << QStringLiteral("aあ");
    QTest::newRow("utf-16le without signature")
        << QByteArray("a\0b\0", 4) << int(CTextEncoding::kUtf16Le) << QStringLiteral("ab");
    QTest::newRow("utf-8") << QByteArray("a\xE3\x81\x82\r\n") << int(CTextEncoding::kUtf8)
                           << QStringLiteral("aあ\r\n");
    QTest::newRow("utf-8 with signature") << QByteArray("\xEF\xBB\xBF"
                                                        "abc")
                                          << int(CTextEncoding::kUtf8) << QStringLiteral("abc");
    QTest::newRow("ansi") << QByteArray("\x82\xA0\x82\xA2\r\n") << int(CTextEncoding::kAnsi)
                          << QStringLiteral("あい\r\n");
    QTest::newRow("plain ascii") << QByteArray("abc") << int(CTextEncoding::kUtf8) << QStringLiteral("abc");
    QTest::newRow("empty") << QByteArray() << int(CTextEncoding::kUtf8) << QString();
}

void PftTextFileTest::loadsEachEncoding()
{
    QFETCH(QByteArray, bytes);
    const QString path = m_folder + QStringLiteral("/in.txt");
    writeBytes(path, bytes);
    CPftTextFile file;
    qint64 size = -1;
    QString message;
    QCOMPARE(file.LoadText(path, size, message), 1);
    QCOMPARE(size, bytes.size());
    QVERIFY(message.isEmpty());
    QTEST(file.encoding(), "encoding");
    QTEST(file.text(), "text");
}

void PftTextFileTest::loadLogsEveryStep()
{
    const QString path = m_folder + QStringLiteral("/logged.txt");
    writeBytes(path, "abcde");
    CPftTextFile file;
    qint64 size = 0;
    QString message;
    QCOMPARE(file.LoadText(path, size, message), 1);
    const QStringList expected{
        QStringLiteral("CDlgPft::LoadText() begins."),
        QStringLiteral("LoadText : file [%1]").arg(path),
        QStringLiteral("LoadText : file [%1] size [5]").arg(path),
        QStringLiteral("LoadText memory allocation done."),
        QStringLiteral("CDlgPft::LoadText() goes to Read()."),
        QStringLiteral("CDlgPft::LoadText() Read() succeeded."),
        QStringLiteral("LoadText finished result code : 1"),
    };
    QCOMPARE(logFrom(expected.first()), expected);
}

void PftTextFileTest::failedLoadTellsTheUser_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("failureLine");
    QTest::addColumn<int>("message");
    QTest::newRow("cannot be opened") << QStringLiteral("/missing-folder/x.txt")
                                      << QStringLiteral("CDlgPft::LoadText() Create() failed.") << 163;
    // A device has no size to read.
    QTest::newRow("size unknown") << QStringLiteral("/dev/null")
                                  << QStringLiteral("CDlgPft::LoadText() GetSize() failed.") << 162;
}

void PftTextFileTest::failedLoadTellsTheUser()
{
    QFETCH(QString, path);
    QFETCH(QString, failureLine);
    QFETCH(int, message);
    const QString real = path.startsWith(QStringLiteral("/missing")) ? m_folder + path : path;
    CPftTextFile file;
    qint64 size = 77;
    QString shown;
    QCOMPARE(file.LoadText(real, size, shown), 0);
    QCOMPARE(size, 77);
    QCOMPARE(shown, CStringTable::get(message));
    const QStringList expected{
        QStringLiteral("CDlgPft::LoadText() begins."),
        QStringLiteral("LoadText : file [%1]").arg(real),
        failureLine,
        QStringLiteral("LoadText finished result code : 0"),
    };
    QCOMPARE(logFrom(expected.first()), expected);
}

void PftTextFileTest::missingFileIsCreatedEmpty()
{
    const QString path = m_folder + QStringLiteral("/new.txt");
    CPftTextFile file;
    qint64 size = -1;
    QString message;
    QCOMPARE(file.LoadText(path, size, message), 1);
    QCOMPARE(size, 0);
    QVERIFY(QFile::exists(path));
    QCOMPARE(file.encoding(), CTextEncoding::kUtf8);
    QCOMPARE(file.text(), QString());
}

void PftTextFileTest::saveEncodingFromTheName_data()
{
    QTest::addColumn<QString>("newPath");
    QTest::addColumn<QString>("currentPath");
    QTest::addColumn<int>("paneEncoding");
    QTest::addColumn<int>("encoding");
    const int ansi = CTextEncoding::kAnsi;
    const int utf16 = CTextEncoding::kUtf16Le;
    const int utf8 = CTextEncoding::kUtf8;
    QTest::newRow(".tvu") << QStringLiteral("/d/a.tvu") << QString() << ansi << utf16;
    QTest::newRow(".TV8 any case") << QStringLiteral("/d/a.TV8") << QString() << ansi << utf8;
    QTest::newRow(".txt from a new pane") << QStringLiteral("/d/a.txt") << QString() << utf8 << ansi;
    QTest::newRow(".txt from a .tvu")
        << QStringLiteral("/d/a.txt") << QStringLiteral("/d/b.tvu") << utf16 << ansi;
    QTest::newRow(".txt read as utf-8 stays utf-8")
        << QStringLiteral("/d/a.txt") << QStringLiteral("/d/b.TXT") << utf8 << utf8;
    QTest::newRow(".txt read as ansi stays ansi")
        << QStringLiteral("/d/a.txt") << QStringLiteral("/d/b.txt") << ansi << ansi;
    QTest::newRow("other name keeps the pane's")
        << QStringLiteral("/d/notes.md") << QString() << utf8 << utf8;
    QTest::newRow("no extension keeps the pane's")
        << QStringLiteral("/d/script") << QString() << utf16 << utf16;
    QTest::newRow("four characters are no extension")
        << QStringLiteral("/d/.tvu") << QString() << utf8 << utf8;
    QTest::newRow("five characters are") << QStringLiteral("/d/a.tvu") << QString() << utf8 << utf16;
}

void PftTextFileTest::saveEncodingFromTheName()
{
    QFETCH(QString, newPath);
    QFETCH(QString, currentPath);
    QFETCH(int, paneEncoding);
    QTEST(CPftTextFile::SaveEncodingFor(newPath, currentPath, paneEncoding), "encoding");
}

void PftTextFileTest::failedSaveKeepsTheOldFile()
{
    const QString path = m_folder + QStringLiteral("/keep.txt");
    writeBytes(path, "old");
    {
        // Room for the operation log's few lines, not for the text.
        const FileSizeLimit limit(8192);
        CPftTextFile file;
        QVERIFY(!file.SaveText(path, QString(20000, u'x'), CTextEncoding::kUtf8));
    }
    QCOMPARE(readBytes(path), QByteArray("old"));
    QCOMPARE(operationLogLines().last(), QStringLiteral("CDlgPft::SaveText() Write() failed."));

    CPftTextFile file;
    QVERIFY(!file.SaveText(m_folder + QStringLiteral("/missing/x.txt"), QStringLiteral("x"),
                           CTextEncoding::kUtf8));
    QCOMPARE(operationLogLines().last(), QStringLiteral("CDlgPft::SaveText() Create() failed."));
}

void PftTextFileTest::lineBreaksNormalised_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("crlf");
    QTest::addColumn<QString>("lf");
    QTest::newRow("lone cr") << QStringLiteral("a\rb\r") << QStringLiteral("a\r\nb\r\n")
                             << QStringLiteral("a\nb\n");
    QTest::newRow("crlf kept") << QStringLiteral("a\r\nb") << QStringLiteral("a\r\nb")
                               << QStringLiteral("a\nb");
    QTest::newRow("lone lf") << QStringLiteral("a\nb") << QStringLiteral("a\r\nb") << QStringLiteral("a\nb");
    QTest::newRow("lf cr is two breaks")
        << QStringLiteral("a\n\rb") << QStringLiteral("a\r\n\r\nb") << QStringLiteral("a\n\nb");
    QTest::newRow("mixed") << QStringLiteral("\r\r\n\n") << QStringLiteral("\r\n\r\n\r\n")
                           << QStringLiteral("\n\n\n");
    QTest::newRow("none") << QStringLiteral("abc") << QStringLiteral("abc") << QStringLiteral("abc");
}

void PftTextFileTest::lineBreaksNormalised()
{
    QFETCH(QString, text);
    QTEST(CPftTextFile::NormaliseLineBreaks(text), "crlf");
    QTEST(CPftTextFile::NormaliseLineBreaks(text, u"\n"), "lf");
}

QTEST_APPLESS_MAIN(PftTextFileTest)
#include "PftTextFileTest.moc"
