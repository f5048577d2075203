#include "core/OperationLog.h"

#include "core/AppPaths.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

namespace {

struct LogState
{
    QString path;
    QFile file;
    bool open = false;
    bool failed = false;
};

LogState &state()
{
    static LogState s;
    return s;
}

QString rotatedName(const QString &base, int index)
{
    return QStringLiteral("%1%2.log").arg(base).arg(index);
}

// Shifts the older runs' logs up by one and picks the first free name for this run.
QString rotateLogs()
{
    const QString folder = CAppPaths::GetSettingsFolder();
    const QString base = CAppPaths::GetExeBaseName();
    QFile::remove(CAppPaths::JoinPath(folder, rotatedName(base, 9)));
    for (int i = 8; i >= 0; --i) {
        const QString from = CAppPaths::JoinPath(folder, rotatedName(base, i));
        if (QFile::exists(from))
            QFile::rename(from, CAppPaths::JoinPath(folder, rotatedName(base, i + 1)));
    }
    QString path = CAppPaths::JoinPath(folder, rotatedName(base, 9));
    for (int i = 0; i <= 9; ++i) {
        const QString candidate = CAppPaths::JoinPath(folder, rotatedName(base, i));
        if (!QFile::exists(candidate)) {
            path = candidate;
            break;
        }
    }
    QDir().mkpath(folder);
    return path;
}

bool openLog()
{
    LogState &s = state();
    if (s.failed)
        return false;
    if (s.path.isEmpty())
        s.path = rotateLogs();
    s.file.setFileName(s.path);
    if (!s.file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        s.open = false;
        s.failed = true;
        return false;
    }
    static const char bom[2] = {'\xFF', '\xFE'};
    if (s.file.write(bom, 2) != 2) {
        s.file.close();
        return false;
    }
    s.open = true;
    return true;
}

} // namespace

bool WriteLog(const QString &text)
{
    LogState &s = state();
    if (!s.open && !openLog())
        return false;
    const QString line = QDateTime::currentDateTime().toString(QStringLiteral("[yyyy-MM-dd HH:mm:ss] ")) +
                         text + QStringLiteral("\r\n");
    // QString holds UTF-16 code units; on a little-endian host they are the file's bytes.
    QByteArray bytes(reinterpret_cast<const char *>(line.utf16()), line.size() * 2);
    if constexpr (Q_BYTE_ORDER == Q_BIG_ENDIAN) {
        for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
            std::swap(bytes[i], bytes[i + 1]);
    }
    return s.file.write(bytes) == bytes.size();
}

bool WriteLogInt(const QString &text, int value, int level)
{
    if (level > 2)
        return false;
    return WriteLog(QStringLiteral("%1 : %2").arg(text).arg(value));
}

bool WriteLogHex(const QString &text, quint32 value)
{
    return WriteLog(QStringLiteral("%1 : %2").arg(text).arg(value, 0, 16));
}

QString OperationLogPath()
{
    return state().path;
}

void CloseOperationLog()
{
    LogState &s = state();
    if (s.file.isOpen())
        s.file.close();
    s.open = false;
    s.failed = false;
    s.path.clear();
}
