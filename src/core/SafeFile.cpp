#include "core/SafeFile.h"

#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <unistd.h>
#endif

bool CSafeFile::writeAtomically(const QString &path, const QByteArray &bytes, QString *error)
{
    return write(path, bytes, error) == Result::Ok;
}

CSafeFile::Result CSafeFile::write(const QString &path, const QByteArray &bytes, QString *error)
{
    QSaveFile file(path);
    // Never write in place when the temporary file cannot be created: that is exactly the
    // truncation this class exists to avoid.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return Result::CreateFailed;
    }
    // commit() ignores a failure of its own final flush and of the sync, and would then rename
    // a truncated file over the old one; so both are done and checked here first.
    QString reason;
    if (file.write(bytes) != bytes.size() || !file.flush())
        reason = file.errorString();
#ifdef Q_OS_UNIX
    else if (::fsync(file.handle()) != 0)
        reason = qt_error_string(errno);
#endif
    if (!reason.isNull()) {
        if (error)
            *error = reason.isEmpty() ? QStringLiteral("write failed") : reason;
        file.cancelWriting();
        return Result::WriteFailed;
    }
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return Result::WriteFailed;
    }
    if (error)
        error->clear();
    return Result::Ok;
}
