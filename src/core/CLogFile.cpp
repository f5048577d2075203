#include "core/CLogFile.h"

#include "core/AppPaths.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <ctime>
#include <cwchar>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr size_t kMaxNameLength = 127;

QByteArray toUtf16LeBytes(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    for (const QChar c : text) {
        bytes.append(static_cast<char>(c.unicode() & 0xFF));
        bytes.append(static_cast<char>(c.unicode() >> 8));
    }
    return bytes;
}

int writeAll(int fd, const QByteArray &bytes)
{
    const char *data = bytes.constData();
    size_t left = static_cast<size_t>(bytes.size());
    while (left > 0) {
        const ssize_t n = ::write(fd, data, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return EIO;
        data += n;
        left -= static_cast<size_t>(n);
    }
    return 0;
}

} // namespace

CLogFile::CLogFile(TimeSource now) : m_now(now ? std::move(now) : TimeSource(&QDateTime::currentDateTime))
{
    if (!CAppPaths::GetDocumentFolder(m_folder))
        m_folder = CAppPaths::GetExeFolder();
}

CLogFile::~CLogFile()
{
    Close();
}

QString CLogFile::FormatName(const QString &pattern, const QDateTime &localTime)
{
    const QDate date = localTime.date();
    const QTime time = localTime.time();
    const QByteArray zone = localTime.timeZoneAbbreviation().toUtf8();
    std::tm tm{};
    tm.tm_year = date.year() - 1900;
    tm.tm_mon = date.month() - 1;
    tm.tm_mday = date.day();
    tm.tm_hour = time.hour();
    tm.tm_min = time.minute();
    tm.tm_sec = time.second();
    tm.tm_wday = date.dayOfWeek() % 7;
    tm.tm_yday = date.dayOfYear() - 1;
    tm.tm_isdst = localTime.isDaylightTime() ? 1 : 0;
#ifdef __USE_MISC
    tm.tm_gmtoff = localTime.offsetFromUtc();
    tm.tm_zone = zone.constData();
#endif
    const std::wstring format = pattern.toStdWString();
    wchar_t name[kMaxNameLength + 1];
    // 0 both for an empty result and for one that does not fit: either way no name.
    const size_t length = std::wcsftime(name, kMaxNameLength + 1, format.c_str(), &tm);
    return QString::fromWCharArray(name, static_cast<qsizetype>(length));
}

int CLogFile::tryCreate()
{
    // Appending rather than truncating: a file reopened within the same second gets the same
    // name, and its earlier lines must survive.
    const QByteArray native = QFile::encodeName(m_path);
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (fd < 0)
        return errno;
    struct stat info
    {
    };
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const int error = errno ? errno : EISDIR;
        ::close(fd);
        return error;
    }
    if (info.st_size == 0) {
        const int error = writeAll(fd, QByteArrayLiteral("\xFF\xFE"));
        if (error != 0) {
            ::close(fd);
            return error;
        }
    }
    m_fd = fd;
    m_open = true;
    return 0;
}

int CLogFile::open(const QDateTime &now)
{
    m_openedAt = now.toSecsSinceEpoch();
    m_fileName = FormatName(m_pattern, now);
    int error = ENOENT;
    // Without a folder the path would point at the file-system root.
    if (!m_folder.isEmpty() && !m_fileName.isEmpty()) {
        m_path = CAppPaths::JoinPath(m_folder, m_fileName);
        // The folder may have been removed while the program ran.
        QDir().mkpath(m_folder);
        error = tryCreate();
    }
    if (error != 0 && !m_fileName.isEmpty()) {
        QString documents;
        if (CAppPaths::GetDocumentFolder(documents)) {
            m_folder = documents;
            m_path = CAppPaths::JoinPath(m_folder, m_fileName);
            QDir().mkpath(m_folder);
            error = tryCreate();
        }
    }
    if (error != 0)
        return error;
    writeLineAt(m_now(), QStringLiteral("---------- start ----------"));
    return 0;
}

int CLogFile::writeRaw(const QString &text)
{
    return writeAll(m_fd, toUtf16LeBytes(text));
}

int CLogFile::writeLineAt(const QDateTime &time, const QString &text)
{
    m_lastLineTime = time;
    const QTime t = time.time();
    const QString line = QStringLiteral("%1%2%3.%4 ")
                             .arg(t.hour(), 2, 10, QLatin1Char('0'))
                             .arg(t.minute(), 2, 10, QLatin1Char('0'))
                             .arg(t.second(), 2, 10, QLatin1Char('0'))
                             .arg(t.msec() / 10, 2, 10, QLatin1Char('0')) +
                         text + QStringLiteral("\r\n");
    return writeRaw(line);
}

int CLogFile::WriteLine(const QString &text)
{
    const QDateTime now = m_now();
    if (!m_open) {
        const int error = open(now);
        if (error != 0)
            return error;
    }
    return writeLineAt(now, text);
}

int CLogFile::Write(const QString &text)
{
    if (!m_open) {
        const int error = open(m_now());
        if (error != 0)
            return error;
    }
    return writeRaw(text);
}

void CLogFile::Close()
{
    if (!m_open)
        return;
    WriteLine(QStringLiteral("---------- end ----------"));
    ::close(m_fd);
    m_fd = -1;
    m_open = false;
}
