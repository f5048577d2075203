#include "logs/CTranscriptFile.h"

#include "core/OperationLog.h"
#include "logs/CSubtitles.h"

#include <algorithm>

CTranscriptFile::CTranscriptFile(TimeSource now) : m_now(std::move(now)) {}

QDateTime CTranscriptFile::currentUtc() const
{
    return m_now ? m_now().toUTC() : QDateTime::currentDateTimeUtc();
}

QString CTranscriptFile::PathFor(const QString &displayLogPath)
{
    QString path = displayLogPath;
    const QString suffix = QStringLiteral("_display.txt");
    if (path.endsWith(suffix))
        path.chop(suffix.size());
    else
        path = path.section(u'.', 0, -2, QString::SectionIncludeLeadingSep);
    return path + QStringLiteral("_captions.vtt");
}

bool CTranscriptFile::open(const QString &displayLogPath, const QDateTime &firstLineUtc)
{
    Close();
    m_strDisplayLogPath = displayLogPath;
    m_file.setFileName(PathFor(displayLogPath));
    if (!m_file.open(QIODevice::ReadWrite | QIODevice::Append)) {
        WriteLog(QStringLiteral("CTranscriptFile::open() failed: ") + m_file.errorString());
        return false;
    }
    // A display log reopened within the same second goes on in the same file, and so does this.
    m_nLastStartMs = 0;
    if (m_file.size() > 0) {
        m_file.seek(0);
        m_zeroUtc = CSubtitles::ZeroTime(QString::fromUtf8(m_file.read(256)));
        m_file.seek(m_file.size());
        if (m_zeroUtc.isValid())
            return true;
    }
    m_zeroUtc = firstLineUtc;
    return m_file.write(CSubtitles::WebVttHeader(m_zeroUtc).toUtf8()) >= 0;
}

bool CTranscriptFile::Append(const QString &displayLogPath, const QList<Line> &lines)
{
    if (lines.isEmpty())
        return true;
    if ((!m_file.isOpen() || displayLogPath != m_strDisplayLogPath) &&
        !open(displayLogPath, lines.constFirst().typedUtc))
        return false;
    QString text;
    for (const Line &line : lines) {
        const qint64 start = std::max(m_nLastStartMs, m_zeroUtc.msecsTo(line.typedUtc));
        const qint64 next = m_zeroUtc.msecsTo(line.nextUtc);
        const qint64 end = start + std::clamp(next - start, kMinCueMs, kMaxCueMs);
        text += CSubtitles::WebVttCue({start, end, line.text});
        m_nLastStartMs = start;
    }
    const QByteArray bytes = text.toUtf8();
    // Flushed to the system at once: a crash of the program loses no batch.
    return m_file.write(bytes) == bytes.size() && m_file.flush();
}

void CTranscriptFile::Close()
{
    if (m_file.isOpen())
        m_file.close();
}
