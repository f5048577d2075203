#include "TestFiles.h"
#include "TestHome.h"
#include "core/CLogFile.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

class LogFileTest final : public QObject
{
    Q_OBJECT

    // The local time the writers take, set by hand.
    QDateTime m_now;
    CLogFile::TimeSource clock()
    {
        return [this] { return m_now; };
    }

private slots:
    void init() { m_now = QDateTime(QDate(2024, 3, 5), QTime(9, 5, 3, 47)); }

    void linePrefix_data()
    {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("prefix");
        QTest::newRow("47 ms") << QTime(9, 5, 3, 47) << QStringLiteral("090503.04 ");
        QTest::newRow("8 ms") << QTime(9, 5, 3, 8) << QStringLiteral("090503.00 ");
        QTest::newRow("quarter second") << QTime(9, 5, 7, 250) << QStringLiteral("090507.25 ");
        QTest::newRow("midnight") << QTime(0, 0, 0, 0) << QStringLiteral("000000.00 ");
        QTest::newRow("last moment") << QTime(23, 59, 59, 999) << QStringLiteral("235959.99 ");
    }

    void linePrefix()
    {
        QFETCH(QTime, time);
        QFETCH(QString, prefix);
        QTemporaryDir dir;
        m_now.setTime(time);
        CLogFile log(clock());
        log.SetFolder(dir.path());
        QCOMPARE(log.WriteLine(QStringLiteral("A：こんにちは")), 0);
        QVERIFY(
            readBytes(log.GetPath()).endsWith(utf16le(prefix + QStringLiteral("A：こんにちは\r\n"), false)));
    }

    void fileLayout()
    {
        QTemporaryDir dir;
        QString path;
        {
            CLogFile log(clock());
            log.SetFolder(dir.path());
            QCOMPARE(log.WriteLine(QStringLiteral("first")), 0);
            QCOMPARE(log.Write(QStringLiteral("raw\r\n")), 0);
            m_now = m_now.addMSecs(1000);
            QCOMPARE(log.WriteLine(QStringLiteral("second")), 0);
            path = log.GetPath();
            // Each line is on disk as soon as it was written.
            QVERIFY(readBytes(path).endsWith(utf16le(QStringLiteral("090504.04 second\r\n"), false)));
        }
        // Destruction closed the file with the end line.
        QCOMPARE(readBytes(path), utf16le(QStringLiteral("090503.04 ---------- start ----------\r\n"
                                                         "090503.04 first\r\nraw\r\n090504.04 second\r\n"
                                                         "090504.04 ---------- end ----------\r\n")));
        QCOMPARE(QFileInfo(path).fileName(), QStringLiteral("log_20240305_090503.txt"));
    }

    void nameFromPattern_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("name");
        const QString fill120(120, QLatin1Char('x'));
        QTest::newRow("date and time") << u"log_%Y%m%d_%H%M%S.txt"_qs << u"log_20240305_090503.txt"_qs;
        QTest::newRow("literal percent") << u"100%%.txt"_qs << u"100%.txt"_qs;
        QTest::newRow("non-ASCII") << u"字幕_%Y.txt"_qs << u"字幕_2024.txt"_qs;
        QTest::newRow("127 characters")
            << fill120 + QStringLiteral("%H_.txt") << fill120 + QStringLiteral("09_.txt");
        QTest::newRow("128 characters") << fill120 + QStringLiteral("%H__.txt") << QString();
        QTest::newRow("empty") << QString() << QString();
    }

    void nameFromPattern()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, name);
        QCOMPARE(CLogFile::FormatName(pattern, m_now), name);
    }

    void neverWrittenCreatesNoFile()
    {
        QTemporaryDir dir;
        {
            CLogFile log;
            log.SetFolder(dir.filePath(QStringLiteral("logs")));
            log.Close();
            QVERIFY(!log.IsOpen());
        }
        QVERIFY(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
    }

    void settingsApplyAtNextOpening()
    {
        QTemporaryDir dir;
        const QString first = dir.filePath(QStringLiteral("a"));
        const QString second = dir.filePath(QStringLiteral("b/nested"));
        CLogFile log(clock());
        log.SetFolder(first);
        QCOMPARE(log.WriteLine(QStringLiteral("one")), 0);
        log.SetFolder(second);
        log.SetPattern(QStringLiteral("log_%Y%m%d_%H%M%S_chat.txt"));
        QCOMPARE(log.WriteLine(QStringLiteral("two")), 0);
        QCOMPARE(log.GetPath(), QDir(first).filePath(QStringLiteral("log_20240305_090503.txt")));
        QVERIFY(!QFileInfo::exists(second));
        log.Close();
        // The opening makes the folder: a new one, or one removed while the program ran.
        m_now = m_now.addSecs(1);
        QCOMPARE(log.WriteLine(QStringLiteral("three")), 0);
        QCOMPARE(log.GetPath(), QDir(second).filePath(QStringLiteral("log_20240305_090504_chat.txt")));
        QVERIFY(readBytes(log.GetPath()).endsWith(utf16le(QStringLiteral("090504.04 three\r\n"), false)));
        QCOMPARE(log.GetOpenedAt(), m_now.toSecsSinceEpoch());
    }

    void reopenWithinSameSecondKeepsLines()
    {
        QTemporaryDir dir;
        CLogFile log(clock());
        log.SetFolder(dir.path());
        QCOMPARE(log.WriteLine(QStringLiteral("one")), 0);
        log.Close();
        // Same second, same name: the earlier lines stay, and the file keeps a single mark.
        QCOMPARE(log.WriteLine(QStringLiteral("two")), 0);
        log.Close();
        const QByteArray bytes = readBytes(log.GetPath());
        QVERIFY(bytes.startsWith("\xFF\xFE"));
        QCOMPARE(bytes.count("\xFF\xFE"), 1);
        QVERIFY(bytes.contains(utf16le(QStringLiteral("090503.04 one\r\n"), false)));
        QVERIFY(bytes.contains(utf16le(QStringLiteral("090503.04 two\r\n"), false)));
    }

    void unwritableFolders()
    {
        TestHome home;
        // A folder below a regular file can be neither created nor written.
        const QString blocker = QDir(home.path()).filePath(QStringLiteral("blocker"));
        writeBytes(blocker, "x");
        CLogFile log(clock());
        QCOMPARE(log.GetFolder(), home.documentsFolder());
        log.SetFolder(blocker + QStringLiteral("/logs"));
        QCOMPARE(log.WriteLine(QStringLiteral("saved anyway")), 0);
        QCOMPARE(QFileInfo(log.GetPath()).path(), home.documentsFolder());
        QCOMPARE(log.GetFolder(), home.documentsFolder());
        log.Close();

        // With the documents folder blocked as well the failure is returned.
        QVERIFY(QDir(home.documentsFolder()).removeRecursively());
        writeBytes(home.documentsFolder(), "x");
        CLogFile lost(clock());
        lost.SetFolder(blocker + QStringLiteral("/logs"));
        QVERIFY(lost.WriteLine(QStringLiteral("lost")) != 0);
        QVERIFY(lost.Write(QStringLiteral("lost")) != 0);
        QVERIFY(!lost.IsOpen());

        // A name too long to format gives no file at all.
        QTemporaryDir dir;
        CLogFile unnamed(clock());
        unnamed.SetFolder(dir.path());
        unnamed.SetPattern(QString(200, QLatin1Char('n')));
        QVERIFY(unnamed.WriteLine(QStringLiteral("lost")) != 0);
        QVERIFY(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
    }
};

QTEST_APPLESS_MAIN(LogFileTest)
#include "LogFileTest.moc"
