#include "core/SafeFile.h"
#include "FileSizeLimit.h"
#include "TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using Result = CSafeFile::Result;

class SafeFileTest final : public QObject
{
    Q_OBJECT

private slots:
    void write_data()
    {
        QTest::addColumn<QString>("target"); // inside a folder holding "old" (100 bytes) and "plain"
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("sizeLimit"); // 0: none
        QTest::addColumn<int>("result");
        QTest::newRow("new file") << "new"
                                  << QByteArray("\xFF\xFE"
                                                "a\0",
                                                4)
                                  << 0 << int(Result::Ok);
        QTest::newRow("shorter content") << "old" << QByteArray("short") << 0 << int(Result::Ok);
        QTest::newRow("empty content") << "old" << QByteArray() << 0 << int(Result::Ok);
        QTest::newRow("folder is a file")
            << "plain/x" << QByteArray("data") << 0 << int(Result::CreateFailed);
        QTest::newRow("target is a folder") << "." << QByteArray("data") << 0 << int(Result::CreateFailed);
        // The new content does not fit, as on a full disk.
        QTest::newRow("disk full") << "old" << QByteArray(64 * 1024, 'n') << 4096 << int(Result::WriteFailed);
        QTest::newRow("disk full, new file")
            << "new" << QByteArray(8192, 'b') << 1024 << int(Result::WriteFailed);
    }

    void write()
    {
        QFETCH(QString, target);
        QFETCH(QByteArray, bytes);
        QFETCH(int, sizeLimit);
        QFETCH(int, result);
        QTemporaryDir dir;
        writeBytes(dir.filePath(QStringLiteral("old")), QByteArray(100, 'o'));
        writeBytes(dir.filePath(QStringLiteral("plain")), "keep");
        const QString path = target == u"." ? dir.path() : dir.filePath(target);
        QString error = QStringLiteral("stale");
        Result written = Result::Ok;
        {
            std::optional<FileSizeLimit> limit;
            if (sizeLimit > 0)
                limit.emplace(sizeLimit);
            written = CSafeFile::write(path, bytes, &error);
        }
        QCOMPARE(int(written), result);
        QCOMPARE(error.isEmpty(), written == Result::Ok);
        QCOMPARE(readBytes(dir.filePath(QStringLiteral("plain"))), QByteArray("keep"));
        if (written == Result::Ok)
            QCOMPARE(readBytes(path), bytes);
        else if (target == u"old")
            QCOMPARE(readBytes(path), QByteArray(100, 'o'));
        // Whatever happened, no temporary file is left beside the targets.
        QStringList expected{QStringLiteral("old"), QStringLiteral("plain")};
        if (target == u"new" && written == Result::Ok)
            expected.prepend(QStringLiteral("new"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);
    }
};

QTEST_APPLESS_MAIN(SafeFileTest)
#include "SafeFileTest.moc"
