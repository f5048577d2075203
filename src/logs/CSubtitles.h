#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

// One subtitle: its times from the start of the file and its text (lines separated by LF).
struct SubtitleCue
{
    qint64 startMs = 0;
    qint64 endMs = 0;
    QString text;

    bool operator==(const SubtitleCue &) const = default;
};

// WebVTT and SubRip (SRT) as the caption transcript and its exports use them: cues written and
// read back, and a transcript turned into either format with all times shifted. Plain functions
// over text and files; no window.
class CSubtitles final
{
public:
    CSubtitles() = delete;

    enum class Format
    {
        Srt,
        WebVtt,
    };

    // "WEBVTT", and a note that tells which moment 00:00:00.000 stands for.
    static QString WebVttHeader(const QDateTime &zeroUtc);
    // One cue block, ending with a blank line. Blank lines inside the text are left out (they
    // would end the cue) and <, > and & are escaped.
    static QString WebVttCue(const SubtitleCue &cue);
    static QString SrtCue(int number, const SubtitleCue &cue);
    // "01:02:03.004" (WebVTT) or "01:02:03,004" (SRT); hours grow beyond two digits as needed.
    static QString Timestamp(qint64 ms, Format format);

    // The cues of a WebVTT text, in file order, escapes undone; ok is false when the text does not
    // start with "WEBVTT". Blocks without a valid timing line are skipped.
    static QList<SubtitleCue> ParseWebVtt(const QString &text, bool *ok = nullptr);
    // The moment 00:00:00.000 stands for, from the note the header writes; invalid when there is none.
    static QDateTime ZeroTime(const QString &webVtt);

    // Every time moved by offsetMs. A cue that then ends at or before 0 is dropped; one that
    // starts before 0 and ends after it starts at 0.
    static QList<SubtitleCue> Shifted(const QList<SubtitleCue> &cues, qint64 offsetMs);
    static QString ToText(const QList<SubtitleCue> &cues, Format format);

    // Reads a transcript (WebVTT, UTF-8) and writes it in the format, shifted. False with the
    // reason when the transcript cannot be read or is no WebVTT, or the file cannot be written.
    static bool Export(const QString &transcriptPath, const QString &outputPath, Format format,
                       qint64 offsetMs, QString *error = nullptr);
};
