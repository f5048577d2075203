#pragma once

#include <QDateTime>
#include <QFile>
#include <QList>
#include <QString>

#include <functional>

// The timed transcript beside the display log: a WebVTT file in the same folder with the same
// name stem ("log_20240501_090000_display.txt" → "log_20240501_090000_captions.vtt"), one cue per
// caption line. Its times count from the typing time of its first line; the header notes which
// moment that is, so that a recording can be lined up afterwards. Each batch is on disk when
// Append returns, complete with the cues' end times, so a crash leaves a readable file.
class CTranscriptFile final
{
public:
    // Where the local date and time come from (as for the log files); tests hand in their own.
    using TimeSource = std::function<QDateTime()>;

    static constexpr qint64 kMinCueMs = 1000;
    static constexpr qint64 kMaxCueMs = 10000;

    // One caption line: when it was typed, when the next line was (or, for the last line, the
    // moment it is written), and its text.
    struct Line
    {
        QDateTime typedUtc;
        QDateTime nextUtc;
        QString text;
    };

    explicit CTranscriptFile(TimeSource now = {});
    CTranscriptFile(const CTranscriptFile &) = delete;
    CTranscriptFile &operator=(const CTranscriptFile &) = delete;

    QDateTime currentUtc() const;
    // Appends the lines as cues to the transcript of that display log file, starting a new
    // transcript when the display log went to a new file. A line typed before the one before it
    // (typists' clocks differ) starts with it, so that cue times never go back. Returns false
    // when the file cannot be written.
    bool Append(const QString &displayLogPath, const QList<Line> &lines);
    void Close();
    // The transcript being written, or the last one.
    QString GetPath() const { return m_file.fileName(); }

    static QString PathFor(const QString &displayLogPath);

private:
    bool open(const QString &displayLogPath, const QDateTime &firstLineUtc);

    TimeSource m_now;
    QFile m_file;
    QString m_strDisplayLogPath;
    QDateTime m_zeroUtc;
    qint64 m_nLastStartMs = 0;
};
