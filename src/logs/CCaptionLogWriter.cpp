#include "logs/CCaptionLogWriter.h"

#include "core/CLogFile.h"
#include "core/OperationLog.h"
#include "logs/CTranscriptFile.h"
#include "logs/IDisplayLogHost.h"
#include "timeline/CCaptionFeed.h"
#include "timeline/ReceivedMain.h"

#include <algorithm>

namespace {

// Every line break of a caption becomes CR LF, and the record ends with one.
QString logLine(const QString &raw)
{
    QString text = raw;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    text += QStringLiteral("\r\n");
    return text;
}

bool isBlank(const QString &text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.isSpace(); });
}

// A line of the transcript: shown text, not a screen clear (a run of line feeds).
bool isCue(const CReceivedMainData &record)
{
    return record.nFlag == 0 && record.nType != 'E' && !isBlank(record.strRaw);
}

} // namespace

CCaptionLogWriter::CCaptionLogWriter(const ReceivedMain &captions, CLogFile &displayLog, CLogFile &contactLog,
                                     IDisplayLogHost &host, CTranscriptFile *transcript)
    : m_captions(captions), m_displayLog(displayLog), m_contactLog(contactLog), m_host(host),
      m_transcript(transcript)
{
}

int CCaptionLogWriter::logStartSerial() const
{
    return std::max(0, m_host.displayLines());
}

int CCaptionLogWriter::lowerBound() const
{
    const int firstKept = m_captions.nextSerial() - m_captions.count();
    return std::max(firstKept, logStartSerial());
}

int CCaptionLogWriter::GetLogText(int first, int last, QString &text) const
{
    const int newest = m_captions.nextSerial() - 1;
    if (first == -1 && last == -1) {
        first = lowerBound();
        last = newest;
    } else if (first < lowerBound() || last > newest) {
        return -1;
    }
    int written = 0;
    for (int serial = first; serial <= last; ++serial) {
        const CReceivedMainData *record = m_captions.at(m_captions.SerialToPosition(serial));
        if (!record || record->nFlag != 0)
            continue;
        text += logLine(record->strRaw);
        ++written;
    }
    return written;
}

void CCaptionLogWriter::start()
{
    if (m_bStarted)
        return;
    m_bStarted = true;
    // The owner counts the start-up blanks as logged by their number, which is the serial of
    // the first real caption; the last blank is one before it, or that caption would be lost.
    const int startSerial = logStartSerial();
    if (m_host.lastLoggedLine() == startSerial)
        m_host.setLastLoggedLine(startSerial - 1);
}

int CCaptionLogWriter::batchSize() const
{
    const int configured = std::max(1, m_host.linesPerLogWrite());
    const int capacity = m_captions.dataMax();
    if (capacity <= 0)
        return configured;
    // A batch must go out while its oldest record is still kept, with room to spare for records
    // that arrive without a call here.
    const int room = std::max(1, (capacity - std::max(0, m_host.displayLines())) / 2);
    return std::min(configured, room);
}

void CCaptionLogWriter::ManageMainLog()
{
    start();
    const int lines = std::max(0, m_host.displayLines());
    const int batch = batchSize();
    const int newest = m_captions.nextSerial() - 1;
    int saved = m_host.lastLoggedLine();
    while (newest - saved > lines + batch) {
        const int last = saved + batch;
        // Records that already left the store cannot be written; those still kept can.
        const int first = std::max(saved + 1, lowerBound());
        QString text;
        if (first > saved + 1) {
            WriteLog(QStringLiteral("ManageMainLog() failed."));
            WriteLogInt(QStringLiteral("iMax"), newest);
            WriteLogInt(QStringLiteral("m_iLogSaved"), saved);
            WriteLogInt(QStringLiteral("m_nMaxDisplayLines"), lines);
            WriteLogInt(QStringLiteral("m_nLogLinesSaveAtOnce"), batch);
        }
        if (first <= last)
            GetLogText(first, last, text);
        writeDisplay(text);
        writeTranscript(first, last);
        saved = last;
    }
    m_host.setLastLoggedLine(saved);
}

void CCaptionLogWriter::FlushDisplayLog()
{
    start();
    const int newest = m_captions.nextSerial() - 1;
    const int first = std::max(m_host.lastLoggedLine() + 1, lowerBound());
    QString text;
    if (first <= newest)
        GetLogText(first, newest, text);
    writeDisplay(text);
    writeTranscript(first, newest);
    m_host.setLastLoggedLine(std::max(newest, m_host.lastLoggedLine()));
}

void CCaptionLogWriter::writeDisplay(const QString &text)
{
    // An empty write would still create a file holding nothing but its banners.
    if (!text.isEmpty())
        m_displayLog.Write(text);
}

int CCaptionLogWriter::findLine(const CReceivedMainData &line, int newestPosition) const
{
    for (int pos = std::min(newestPosition, m_captions.count() - 1); pos >= 0; --pos) {
        const CReceivedMainData *record = m_captions.at(pos);
        if (record->nTimeSent == line.nTimeSent && record->nType == line.nType &&
            record->strIpAddress == line.strIpAddress)
            return pos;
    }
    return -1;
}

void CCaptionLogWriter::noteInsertion(const CReceivedMainData &record)
{
    const int count = m_captions.count();
    if (count == 0)
        return;
    if (m_captions.at(count - 1) == &record || findLine(record, count - 1) == count - 1)
        return;
    // A line that overtook others in the network went in among them. Serials are positions, so
    // every record from it on moved up by one: the last written one now sits one serial higher.
    const int pos = findLine(record, count - 2);
    if (pos < 0)
        return;
    const int saved = m_host.lastLoggedLine();
    if (m_captions.PositionToSerial(pos) > saved)
        return;
    m_host.setLastLoggedLine(saved + 1);
    // Its place in the file has been written already: it follows what was written so far.
    const CReceivedMainData *stored = m_captions.at(pos);
    if (stored->nFlag == 0) {
        writeDisplay(logLine(stored->strRaw));
        const int serial = m_captions.PositionToSerial(pos);
        writeTranscript(serial, serial);
    }
}

QDateTime CCaptionLogWriter::typedUtc(const CReceivedMainData &record, const QDateTime &now) const
{
    const QDateTime arrived = m_arrivedUtc.value(record.nUid, now);
    // The record holds the time of day only: the day is the one nearest to its arrival.
    return record.nTimeSent != 0 ? CCaptionFeed::typedUtcTime(record.nTimeSent, arrived) : arrived;
}

void CCaptionLogWriter::writeTranscript(int first, int last)
{
    if (!m_transcript || !m_displayLog.IsOpen())
        return;
    const QDateTime now = m_transcript->currentUtc();
    QList<CTranscriptFile::Line> lines;
    for (int serial = first; serial <= last; ++serial) {
        const int pos = m_captions.SerialToPosition(serial);
        const CReceivedMainData *record = m_captions.at(pos);
        if (!record || !isCue(*record))
            continue;
        QDateTime next = now;
        for (int after = pos + 1; after < m_captions.count(); ++after) {
            const CReceivedMainData *following = m_captions.at(after);
            if (isCue(*following) || (following->nType == 'E' && following->nFlag == 0)) {
                next = typedUtc(*following, now);
                break;
            }
        }
        lines.append({typedUtc(*record, now), next, record->strRaw});
        m_arrivedUtc.remove(record->nUid);
    }
    m_transcript->Append(m_displayLog.GetPath(), lines);
}

void CCaptionLogWriter::displayLogRecord(const CReceivedMainData &record)
{
    start();
    if (m_transcript && record.nTimeSent == 0 && record.nUid != 0) {
        m_arrivedUtc.insert(record.nUid, m_transcript->currentUtc());
        // Records that left the store unwritten (the log was off meanwhile) are forgotten.
        while (m_arrivedUtc.size() > std::max(1, m_captions.dataMax()))
            m_arrivedUtc.erase(m_arrivedUtc.begin());
    }
    noteInsertion(record);
    ManageMainLog();
}

void CCaptionLogWriter::contactLogLine(const QString &text)
{
    m_contactLog.WriteLine(text);
}
