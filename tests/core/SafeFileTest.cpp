#include "FileSizeLimit.h"
#include "core/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void writePlain(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

} // namespace

class SafeFileTest final : public QObject
{
    Q_OBJECT

private slots:
    void writesNewFile();
    void replacesOldContent();
    void replacesWithEmptyContent();
    void failsWhenFolderIsAFile();
    void failedWriteKeepsOldFile();
    void reportsStage();
};

void SafeFileTest::writesNewFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("new.txt"));
    QString error = QStringLiteral("stale");
    QVERIFY(CSafeFile::writeAtomically(path, QByteArray("\xFF\xFE" "a\0", 4), &error));
    QCOMPARE(readAll(path), QByteArray("\xFF\xFE" "a\0", 4));
    QVERIFY(error.isEmpty());
}

void SafeFileTest::replacesOldContent()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("old.txt"));
    writePlain(path, QByteArray(1000, 'x'));
    QVERIFY(CSafeFile::writeAtomically(path, "short"));
    QCOMPARE(readAll(path), QByteArray("short"));
    // Only the target remains: no temporary file left beside it.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("old.txt")});
}

void SafeFileTest::replacesWithEmptyContent()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("old.txt"));
    writePlain(path, "content");
    QVERIFY(CSafeFile::writeAtomically(path, QByteArray()));
    QVERIFY(QFile::exists(path));
    QCOMPARE(readAll(path), QByteArray());
}

void SafeFileTest::failsWhenFolderIsAFile()
{
    QTemporaryDir dir;
    const QString notAFolder = dir.filePath(QStringLiteral("plain"));
    writePlain(notAFolder, "keep");
    QString error;
    QVERIFY(!CSafeFile::writeAtomically(notAFolder + QStringLiteral("/target.txt"), "data", &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(readAll(notAFolder), QByteArray("keep"));
}

void SafeFileTest::failedWriteKeepsOldFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("settings.ini"));
    const QByteArray old(100, 'o');
    writePlain(path, old);
    bool written = true;
    QString error;
    {
        // The new content does not fit, as on a full disk.
        FileSizeLimit limit(4096);
        written = CSafeFile::writeAtomically(path, QByteArray(64 * 1024, 'n'), &error);
    }
    QVERIFY(!written);
    QVERIFY(!error.isEmpty());
    QCOMPARE(readAll(path), old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("settings.ini")});
}

void SafeFileTest::reportsStage()
{
    QTemporaryDir dir;
    const QString notAFolder = dir.filePath(QStringLiteral("plain"));
    writePlain(notAFolder, "keep");
    QCOMPARE(CSafeFile::write(notAFolder + QStringLiteral("/x.txt"), "data"), CSafeFile::Result::CreateFailed);
    // A directory cannot be replaced by a file.
    QCOMPARE(CSafeFile::write(dir.path(), "data") == CSafeFile::Result::Ok, false);
    QVERIFY(QFileInfo(dir.path()).isDir());
    {
        FileSizeLimit limit(1024);
        QCOMPARE(CSafeFile::write(dir.filePath(QStringLiteral("big")), QByteArray(8192, 'b')),
                 CSafeFile::Result::WriteFailed);
    }
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("big"))));
    QCOMPARE(CSafeFile::write(dir.filePath(QStringLiteral("ok")), "data"), CSafeFile::Result::Ok);
}

QTEST_APPLESS_MAIN(SafeFileTest)
#include "SafeFileTest.moc"
