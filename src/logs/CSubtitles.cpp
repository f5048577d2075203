#include "logs/CSubtitles.h"

#include "core/SafeFile.h"

#include <QFile>
#include <QRegularExpression>

#include <algorithm>

namespace {

const QString kZeroNote = QStringLiteral("NOTE 00:00:00.000 = ");
const QString kArrow = QStringLiteral("-->");

// The text's lines without the blank ones, which would end a cue early.
QStringList cueLines(const QString &text)
{
    QString normalised = text;
    normalised.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normalised.replace(u'\r', u'\n');
    QStringList lines;
    for (const QString &line : normalised.split(u'\n')) {
        if (!line.trimmed().isEmpty())
            lines.append(line);
    }
    return lines;
}

QString escaped(QString line)
{
    line.replace(u'&', QStringLiteral("&amp;"));
    line.replace(u'<', QStringLiteral("&lt;"));
    line.replace(u'>', QStringLiteral("&gt;"));
    return line;
}

QString unescaped(QString text)
{
    text.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    text.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    text.replace(QStringLiteral("&nbsp;"), QStringLiteral(" "));
    text.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return text;
}

// "hh:mm:ss.ttt" or "mm:ss.ttt"; -1 when it is neither.
qint64 parseTimestamp(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^(?:(\\d+):)?([0-5]\\d):([0-5]\\d)\\.(\\d{3})$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return -1;
    return ((match.captured(1).toLongLong() * 60 + match.captured(2).toLongLong()) * 60 +
            match.captured(3).toLongLong()) *
               1000 +
           match.captured(4).toLongLong();
}

} // namespace

QString CSubtitles::WebVttHeader(const QDateTime &zeroUtc)
{
    return QStringLiteral("WEBVTT\n\n") + kZeroNote +
           zeroUtc.toUTC().toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss.zzz'Z'")) + QStringLiteral("\n\n");
}

QString CSubtitles::Timestamp(qint64 ms, Format format)
{
    ms = std::max<qint64>(0, ms);
    return QStringLiteral("%1:%2:%3%4%5")
        .arg(ms / 3600000, 2, 10, QLatin1Char('0'))
        .arg(ms / 60000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
        .arg(QChar(format == Format::Srt ? u',' : u'.'))
        .arg(ms % 1000, 3, 10, QLatin1Char('0'));
}

QString CSubtitles::WebVttCue(const SubtitleCue &cue)
{
    QString block = Timestamp(cue.startMs, Format::WebVtt) + QStringLiteral(" --> ") +
                    Timestamp(cue.endMs, Format::WebVtt) + u'\n';
    for (const QString &line : cueLines(cue.text))
        block += escaped(line) + u'\n';
    return block + u'\n';
}

QString CSubtitles::SrtCue(int number, const SubtitleCue &cue)
{
    QString block = QString::number(number) + QStringLiteral("\r\n") + Timestamp(cue.startMs, Format::Srt) +
                    QStringLiteral(" --> ") + Timestamp(cue.endMs, Format::Srt) + QStringLiteral("\r\n");
    for (const QString &line : cueLines(cue.text))
        block += line + QStringLiteral("\r\n");
    return block + QStringLiteral("\r\n");
}

QList<SubtitleCue> CSubtitles::ParseWebVtt(const QString &text, bool *ok)
{
    QString normalised = text;
    normalised.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normalised.replace(u'\r', u'\n');
    if (normalised.startsWith(QChar(0xFEFF)))
        normalised.remove(0, 1);
    const bool isWebVtt = normalised.startsWith(QStringLiteral("WEBVTT"));
    if (ok)
        *ok = isWebVtt;
    QList<SubtitleCue> cues;
    if (!isWebVtt)
        return cues;
    const QStringList blocks = normalised.split(QRegularExpression(QStringLiteral("\n[ \t]*\n")));
    // The first block is the header.
    for (qsizetype b = 1; b < blocks.size(); ++b) {
        QStringList lines = blocks.at(b).split(u'\n');
        while (!lines.isEmpty() && lines.constFirst().trimmed().isEmpty())
            lines.removeFirst();
        while (!lines.isEmpty() && lines.constLast().trimmed().isEmpty())
            lines.removeLast();
        // An identifier line may come before the timing line.
        if (!lines.isEmpty() && !lines.constFirst().contains(kArrow))
            lines.removeFirst();
        if (lines.isEmpty())
            continue;
        const QStringList times = lines.takeFirst().split(kArrow);
        const qint64 start = parseTimestamp(times.value(0).trimmed());
        const qint64 end = parseTimestamp(times.value(1).trimmed().section(u' ', 0, 0));
        if (times.size() != 2 || start < 0 || end < 0)
            continue;
        cues.append({start, end, unescaped(lines.join(u'\n'))});
    }
    return cues;
}

QDateTime CSubtitles::ZeroTime(const QString &webVtt)
{
    const qsizetype at = webVtt.indexOf(kZeroNote);
    if (at < 0)
        return {};
    const QString stamp = webVtt.mid(at + kZeroNote.size(), 24);
    QDateTime zero = QDateTime::fromString(stamp, QStringLiteral("yyyy-MM-dd'T'HH:mm:ss.zzz'Z'"));
    zero.setTimeSpec(Qt::UTC);
    return zero;
}

QList<SubtitleCue> CSubtitles::Shifted(const QList<SubtitleCue> &cues, qint64 offsetMs)
{
    QList<SubtitleCue> result;
    for (SubtitleCue cue : cues) {
        cue.startMs = std::max<qint64>(0, cue.startMs + offsetMs);
        cue.endMs += offsetMs;
        if (cue.endMs > 0)
            result.append(cue);
    }
    return result;
}

QString CSubtitles::ToText(const QList<SubtitleCue> &cues, Format format)
{
    QString text = format == Format::WebVtt ? QStringLiteral("WEBVTT\n\n") : QString();
    int number = 0;
    for (const SubtitleCue &cue : cues)
        text += format == Format::WebVtt ? WebVttCue(cue) : SrtCue(++number, cue);
    return text;
}

bool CSubtitles::Export(const QString &transcriptPath, const QString &outputPath, Format format,
                        qint64 offsetMs, QString *error)
{
    QFile file(transcriptPath);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    bool ok = false;
    const QList<SubtitleCue> cues = ParseWebVtt(QString::fromUtf8(file.readAll()), &ok);
    if (!ok) {
        if (error)
            *error = QStringLiteral("not a WebVTT file");
        return false;
    }
    return CSafeFile::writeAtomically(outputPath, ToText(Shifted(cues, offsetMs), format).toUtf8(), error);
}
