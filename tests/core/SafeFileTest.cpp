#include "core/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

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

// Lowers the file size limit for its lifetime: writes past it fail with EFBIG, the way a full
// disk makes them fail, and this works even when the tests run as root.
class FileSizeLimit final
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

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

QTEST_APPLESS_MAIN(SafeFileTest)
#include "SafeFileTest.moc"
