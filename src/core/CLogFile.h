#pragma once

#include <QDateTime>
#include <QString>

#include <functional>

// A log file named after the local time it was opened, one line per event with the time of day
// in front: the display log and the contact log. UTF-16LE with a byte-order mark. The file is
// created at the first write; every write goes straight to the system, so a crash loses nothing.
class CLogFile final
{
public:
    // Where the local date and time come from; tests hand in a fixed time.
    using TimeSource = std::function<QDateTime()>;

    static constexpr const char16_t *kDefaultPattern = u"log_%Y%m%d_%H%M%S.txt";

    // The folder starts as the documents folder, or the executable's folder when there is none.
    explicit CLogFile(TimeSource now = {});
    ~CLogFile();
    CLogFile(const CLogFile &) = delete;
    CLogFile &operator=(const CLogFile &) = delete;

    // "hhmmss.cc " (cc = hundredths of a second), text, CR LF. Returns 0, or the errno of the
    // failed open or write.
    int WriteLine(const QString &text);
    // The text unchanged: no time, no line end. Returns like WriteLine.
    int Write(const QString &text);
    // Writes the end line and closes. A later write opens a new file under a new name.
    void Close();

    // Both take effect at the next opening.
    void SetFolder(const QString &folder) { m_folder = folder; }
    // A strftime-style pattern formatted with the local time of the opening.
    void SetPattern(const QString &pattern) { m_pattern = pattern; }

    QString GetFolder() const { return m_folder; }
    QString GetPattern() const { return m_pattern; }
    // Path of the open file, or of the last one opened.
    QString GetPath() const { return m_path; }
    bool IsOpen() const { return m_open; }
    // Seconds since the epoch of the last opening.
    qint64 GetOpenedAt() const { return m_openedAt; }

    // The pattern formatted like strftime with the given local time; empty when the result is
    // longer than 127 characters.
    static QString FormatName(const QString &pattern, const QDateTime &localTime);

private:
    int open(const QDateTime &now);
    int tryCreate();
    int writeLineAt(const QDateTime &time, const QString &text);
    int writeRaw(const QString &text);

    TimeSource m_now;
    int m_fd = -1;
    bool m_open = false;
    qint64 m_openedAt = 0;
    QDateTime m_lastLineTime;
    QString m_fileName;
    QString m_folder;
    QString m_path;
    QString m_pattern = QString::fromUtf16(kDefaultPattern);
};
