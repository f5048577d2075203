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
        QTest::newRow("47 ms") << QTime(9, 5, 3, 47) << u"090503.04 "_qs;
        QTest::newRow("8 ms") << QTime(9, 5, 3, 8) << u"090503.00 "_qs;
        QTest::newRow("last moment") << QTime(23, 59, 59, 999) << u"235959.99 "_qs;
    }

    void linePrefix()
    {
        QFETCH(QTime, time);
        QFETCH(QString, prefix);
        QTemporaryDir dir;
        m_now.setTime(time);
        CLogFile log(clock());
        log.SetFolder(dir.path());
        QCOMPARE(log.WriteLine(u"A：こんにちは"_qs), 0);
        QVERIFY(readBytes(log.GetPath()).endsWith(utf16le(prefix + u"A：こんにちは\r\n"_qs, false)));
    }

    void fileLayout()
    {
        QTemporaryDir dir;
        QString path;
        {
            CLogFile log(clock());
            log.SetFolder(dir.path());
            QCOMPARE(log.WriteLine(u"first"_qs), 0);
            QCOMPARE(log.Write(u"raw\r\n"_qs), 0);
            m_now = m_now.addMSecs(1000);
            QCOMPARE(log.WriteLine(u"second"_qs), 0);
            path = log.GetPath();
            // Each line is on disk as soon as it was written.
            QVERIFY(readBytes(path).endsWith(utf16le(u"090504.04 second\r\n"_qs, false)));
        }
        // Destruction closed the file with the end line.
        QCOMPARE(readBytes(path), utf16le(QStringLiteral("090503.04 ---------- start ----------\r\n"
                                                         "090503.04 first\r\nraw\r\n090504.04 second\r\n"
                                                         "090504.04 ---------- end ----------\r\n")));
        QCOMPARE(QFileInfo(path).fileName(), u"log_20240305_090503.txt"_qs);
    }

    void nameFromPattern_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("name");
        const QString fill120(120, QLatin1Char('x'));
        QTest::newRow("date and time") << u"log_%Y%m%d_%H%M%S.txt"_qs << u"log_20240305_090503.txt"_qs;
        QTest::newRow("literal percent") << u"100%%.txt"_qs << u"100%.txt"_qs;
        QTest::newRow("non-ASCII") << u"字幕_%Y.txt"_qs << u"字幕_2024.txt"_qs;
        QTest::newRow("127 characters") << fill120 + u"%H_.txt"_qs << fill120 + u"09_.txt"_qs;
        QTest::newRow("128 characters") << fill120 + u"%H__.txt"_qs << QString();
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
            log.SetFolder(dir.filePath(u"logs"_qs));
            log.Close();
            QVERIFY(!log.IsOpen());
        }
        QVERIFY(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
    }

    void settingsApplyAtNextOpening()
    {
        QTemporaryDir dir;
        const QString first = dir.filePath(u"a"_qs);
        const QString second = dir.filePath(u"b/nested"_qs);
        CLogFile log(clock());
        log.SetFolder(first);
        QCOMPARE(log.WriteLine(u"one"_qs), 0);
        log.SetFolder(second);
        log.SetPattern(u"log_%Y%m%d_%H%M%S_chat.txt"_qs);
        QCOMPARE(log.WriteLine(u"two"_qs), 0);
        QCOMPARE(log.GetPath(), QDir(first).filePath(u"log_20240305_090503.txt"_qs));
        QVERIFY(!QFileInfo::exists(second));
        log.Close();
        // The opening makes the folder: a new one, or one removed while the program ran.
        m_now = m_now.addSecs(1);
        QCOMPARE(log.WriteLine(u"three"_qs), 0);
        QCOMPARE(log.GetPath(), QDir(second).filePath(u"log_20240305_090504_chat.txt"_qs));
        QVERIFY(readBytes(log.GetPath()).endsWith(utf16le(u"090504.04 three\r\n"_qs, false)));
        QCOMPARE(log.GetOpenedAt(), m_now.toSecsSinceEpoch());
    }

    void reopenWithinSameSecondKeepsLines()
    {
        QTemporaryDir dir;
        CLogFile log(clock());
        log.SetFolder(dir.path());
        QCOMPARE(log.WriteLine(u"one"_qs), 0);
        log.Close();
        // Same second, same name: the earlier lines stay, and the file keeps a single mark.
        QCOMPARE(log.WriteLine(u"two"_qs), 0);
        log.Close();
        const QByteArray bytes = readBytes(log.GetPath());
        QVERIFY(bytes.startsWith("\xFF\xFE"));
        QCOMPARE(bytes.count("\xFF\xFE"), 1);
        QVERIFY(bytes.contains(utf16le(u"090503.04 one\r\n"_qs, false)));
        QVERIFY(bytes.contains(utf16le(u"090503.04 two\r\n"_qs, false)));
    }

    void unwritableFolders()
    {
        TestHome home;
        // A folder below a regular file can be neither created nor written.
        const QString blocker = QDir(home.path()).filePath(u"blocker"_qs);
        writeBytes(blocker, "x");
        CLogFile log(clock());
        QCOMPARE(log.GetFolder(), home.documentsFolder());
        log.SetFolder(blocker + u"/logs"_qs);
        QCOMPARE(log.WriteLine(u"saved anyway"_qs), 0);
        QCOMPARE(QFileInfo(log.GetPath()).path(), home.documentsFolder());
        QCOMPARE(log.GetFolder(), home.documentsFolder());
        log.Close();

        // With the documents folder blocked as well the failure is returned.
        QVERIFY(QDir(home.documentsFolder()).removeRecursively());
        writeBytes(home.documentsFolder(), "x");
        CLogFile lost(clock());
        lost.SetFolder(blocker + u"/logs"_qs);
        QVERIFY(lost.WriteLine(u"lost"_qs) != 0);
        QVERIFY(lost.Write(u"lost"_qs) != 0);
        QVERIFY(!lost.IsOpen());

        // A name too long to format gives no file at all.
        QTemporaryDir dir;
        CLogFile unnamed(clock());
        unnamed.SetFolder(dir.path());
        unnamed.SetPattern(QString(200, QLatin1Char('n')));
        QVERIFY(unnamed.WriteLine(u"lost"_qs) != 0);
        QVERIFY(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
    }
};

QTEST_APPLESS_MAIN(LogFileTest)
#include "LogFileTest.moc"
