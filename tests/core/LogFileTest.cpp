#include "TestHome.h"
#include "core/CLogFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A hand-set local time shared by the writer and the test.
struct ManualTime
{
    QDateTime now{QDate(2024, 3, 5), QTime(9, 5, 3, 47)};
    CLogFile::TimeSource source()
    {
        return [this] { return now; };
    }
};

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QByteArray utf16(const QString &text)
{
    return QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
}

void makeFile(const QString &path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

} // namespace

class LogFileTest final : public QObject
{
    Q_OBJECT

private slots:
    void linePrefix_data();
    void linePrefix();
    void fileLayout();
    void writeIsRaw();
    void nameFromPattern_data();
    void nameFromPattern();
    void defaultsToDocumentsFolder();
    void neverWrittenCreatesNoFile();
    void folderRecreated();
    void settingsApplyAtNextOpening();
    void reopenWithinSameSecondKeepsLines();
    void fallsBackToDocumentsFolder();
    void failureIsReported();
};

void LogFileTest::linePrefix_data()
{
    QTest::addColumn<QTime>("time");
    QTest::addColumn<QString>("prefix");

    QTest::newRow("47 ms") << QTime(9, 5, 3, 47) << QStringLiteral("090503.04 ");
    QTest::newRow("8 ms") << QTime(9, 5, 3, 8) << QStringLiteral("090503.00 ");
    QTest::newRow("quarter second") << QTime(9, 5, 7, 250) << QStringLiteral("090507.25 ");
    QTest::newRow("midnight") << QTime(0, 0, 0, 0) << QStringLiteral("000000.00 ");
    QTest::newRow("last moment") << QTime(23, 59, 59, 999) << QStringLiteral("235959.99 ");
}

void LogFileTest::linePrefix()
{
    QFETCH(QTime, time);
    QFETCH(QString, prefix);

    QTemporaryDir dir;
    ManualTime clock;
    clock.now.setTime(time);
    CLogFile log(clock.source());
    log.SetFolder(dir.path());
    QCOMPARE(log.WriteLine(QStringLiteral("A：こんにちは")), 0);
    const QByteArray bytes = readBytes(log.GetPath());
    QVERIFY(bytes.endsWith(utf16(prefix + QStringLiteral("A：こんにちは\r\n"))));
}

void LogFileTest::fileLayout()
{
    QTemporaryDir dir;
    ManualTime clock;
    QString path;
    {
        CLogFile log(clock.source());
        log.SetFolder(dir.path());
        QCOMPARE(log.WriteLine(QStringLiteral("first")), 0);
        clock.now = clock.now.addMSecs(1000);
        QCOMPARE(log.WriteLine(QStringLiteral("second")), 0);
        path = log.GetPath();
        // Each line is on disk as soon as it was written.
        QVERIFY(readBytes(path).endsWith(utf16(QStringLiteral("090504.04 second\r\n"))));
    }
    // Destruction closed the file with the end line.
    const QByteArray expected = QByteArray("\xFF\xFE") +
                                utf16(QStringLiteral("090503.04 ---------- start ----------\r\n"
                                                     "090503.04 first\r\n"
                                                     "090504.04 second\r\n"
                                                     "090504.04 ---------- end ----------\r\n"));
    QCOMPARE(readBytes(path), expected);
    QCOMPARE(QFileInfo(path).fileName(), QStringLiteral("log_20240305_090503.txt"));
}

void LogFileTest::writeIsRaw()
{
    QTemporaryDir dir;
    ManualTime clock;
    CLogFile log(clock.source());
    log.SetFolder(dir.path());
    QCOMPARE(log.Write(QStringLiteral("line 1\r\nline 2\r\n")), 0);
    QCOMPARE(log.Write(QStringLiteral("tail")), 0);
    QVERIFY(log.IsOpen());
    QCOMPARE(readBytes(log.GetPath()),
             QByteArray("\xFF\xFE") + utf16(QStringLiteral("090503.04 ---------- start ----------\r\n"
                                                           "line 1\r\nline 2\r\ntail")));
}

void LogFileTest::nameFromPattern_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("name");

    const QString fill120(120, QLatin1Char('x'));
    QTest::newRow("default") << QStringLiteral("log_%Y%m%d_%H%M%S.txt") << QStringLiteral("log_20240305_090503.txt");
    QTest::newRow("display") << QStringLiteral("log_%Y%m%d_%H%M%S_display.txt")
                             << QStringLiteral("log_20240305_090503_display.txt");
    QTest::newRow("chat") << QStringLiteral("log_%Y%m%d_%H%M%S_chat.txt") << QStringLiteral("log_20240305_090503_chat.txt");
    QTest::newRow("literal percent") << QStringLiteral("100%%.txt") << QStringLiteral("100%.txt");
    QTest::newRow("non-ASCII") << QStringLiteral("字幕_%Y.txt") << QStringLiteral("字幕_2024.txt");
    QTest::newRow("127 characters") << fill120 + QStringLiteral("%H_.txt") << fill120 + QStringLiteral("09_.txt");
    QTest::newRow("128 characters") << fill120 + QStringLiteral("%H__.txt") << QString();
    QTest::newRow("empty") << QString() << QString();
}

void LogFileTest::nameFromPattern()
{
    QFETCH(QString, pattern);
    QFETCH(QString, name);
    QCOMPARE(CLogFile::FormatName(pattern, QDateTime(QDate(2024, 3, 5), QTime(9, 5, 3, 47))), name);
}

void LogFileTest::defaultsToDocumentsFolder()
{
    TestHome home;
    ManualTime clock;
    CLogFile log(clock.source());
    QCOMPARE(log.GetFolder(), home.documentsFolder());
    QCOMPARE(log.GetPattern(), QStringLiteral("log_%Y%m%d_%H%M%S.txt"));
    QCOMPARE(log.WriteLine(QStringLiteral("x")), 0);
    QCOMPARE(log.GetPath(), QDir(home.documentsFolder()).filePath(QStringLiteral("log_20240305_090503.txt")));
    QVERIFY(QFileInfo::exists(log.GetPath()));
}

void LogFileTest::neverWrittenCreatesNoFile()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("logs"));
    {
        CLogFile log;
        log.SetFolder(folder);
        log.Close();
        QVERIFY(!log.IsOpen());
    }
    QVERIFY(!QFileInfo::exists(folder));
    QVERIFY(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
}

void LogFileTest::folderRecreated()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("nested/logs"));
    ManualTime clock;
    CLogFile log(clock.source());
    log.SetFolder(folder);
    QCOMPARE(log.WriteLine(QStringLiteral("before")), 0);
    log.Close();
    QVERIFY(QDir(dir.filePath(QStringLiteral("nested"))).removeRecursively());

    clock.now = clock.now.addSecs(60);
    QCOMPARE(log.WriteLine(QStringLiteral("after")), 0);
    QCOMPARE(log.GetPath(), QDir(folder).filePath(QStringLiteral("log_20240305_090603.txt")));
    QVERIFY(readBytes(log.GetPath()).endsWith(utf16(QStringLiteral("090603.04 after\r\n"))));
}

void LogFileTest::settingsApplyAtNextOpening()
{
    QTemporaryDir dir;
    const QString first = dir.filePath(QStringLiteral("a"));
    const QString second = dir.filePath(QStringLiteral("b"));
    ManualTime clock;
    CLogFile log(clock.source());
    log.SetFolder(first);
    QCOMPARE(log.WriteLine(QStringLiteral("one")), 0);
    log.SetFolder(second);
    log.SetPattern(QStringLiteral("log_%Y%m%d_%H%M%S_chat.txt"));
    QCOMPARE(log.WriteLine(QStringLiteral("two")), 0);
    QCOMPARE(log.GetPath(), QDir(first).filePath(QStringLiteral("log_20240305_090503.txt")));
    QVERIFY(!QFileInfo::exists(second));

    log.Close();
    clock.now = clock.now.addSecs(1);
    QCOMPARE(log.WriteLine(QStringLiteral("three")), 0);
    QCOMPARE(log.GetPath(), QDir(second).filePath(QStringLiteral("log_20240305_090504_chat.txt")));
    QCOMPARE(log.GetOpenedAt(), clock.now.toSecsSinceEpoch());
}

void LogFileTest::reopenWithinSameSecondKeepsLines()
{
    QTemporaryDir dir;
    ManualTime clock;
    CLogFile log(clock.source());
    log.SetFolder(dir.path());
    QCOMPARE(log.WriteLine(QStringLiteral("one")), 0);
    log.Close();
    // Same second, same name: the earlier lines stay, and the file keeps a single mark.
    QCOMPARE(log.WriteLine(QStringLiteral("two")), 0);
    log.Close();
    const QByteArray bytes = readBytes(log.GetPath());
    QVERIFY(bytes.startsWith("\xFF\xFE"));
    QCOMPARE(bytes.count("\xFF\xFE"), 1);
    QVERIFY(bytes.contains(utf16(QStringLiteral("090503.04 one\r\n"))));
    QVERIFY(bytes.contains(utf16(QStringLiteral("090503.04 two\r\n"))));
}

void LogFileTest::fallsBackToDocumentsFolder()
{
    TestHome home;
    // A folder below a regular file can be neither created nor written.
    const QString blocker = QDir(home.path()).filePath(QStringLiteral("blocker"));
    makeFile(blocker);
    ManualTime clock;
    CLogFile log(clock.source());
    log.SetFolder(blocker + QStringLiteral("/logs"));
    QCOMPARE(log.WriteLine(QStringLiteral("saved anyway")), 0);
    QCOMPARE(log.GetFolder(), home.documentsFolder());
    QCOMPARE(QFileInfo(log.GetPath()).path(), home.documentsFolder());
    QVERIFY(readBytes(log.GetPath()).endsWith(utf16(QStringLiteral("090503.04 saved anyway\r\n"))));
}

void LogFileTest::failureIsReported()
{
    TestHome home;
    const QString blocker = QDir(home.path()).filePath(QStringLiteral("blocker"));
    makeFile(blocker);
    // The documents fallback is blocked as well.
    makeFile(home.documentsFolder());

    ManualTime clock;
    CLogFile log(clock.source());
    log.SetFolder(blocker + QStringLiteral("/logs"));
    QVERIFY(log.WriteLine(QStringLiteral("lost")) != 0);
    QVERIFY(log.Write(QStringLiteral("lost")) != 0);
    QVERIFY(!log.IsOpen());

    // A name too long to format gives no file at all.
    QTemporaryDir dir;
    CLogFile unnamed(clock.source());
    unnamed.SetFolder(dir.path());
    unnamed.SetPattern(QString(200, QLatin1Char('n')));
    QVERIFY(unnamed.WriteLine(QStringLiteral("lost")) != 0);
    QVERIFY(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
}

QTEST_APPLESS_MAIN(LogFileTest)
#include "LogFileTest.moc"
