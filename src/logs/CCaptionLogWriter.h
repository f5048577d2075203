#pragma once

#include "net/ICaptionLog.h"

#include <QDateTime>
#include <QMap>
#include <QString>

class CLogFile;
class CTranscriptFile;
class IDisplayLogHost;
class ReceivedMain;

// The display log with its timed transcript, and the contact log. Caption records are written in
// batches a screenful behind the newest one, so that a line withdrawn while it is still on screen
// never reaches the files; contact messages are written as they are shown, each with the time of
// day in front.
class CCaptionLogWriter final : public ICaptionLog
{
public:
    // Everything must outlive the writer. Without a transcript only the display log is written.
    CCaptionLogWriter(const ReceivedMain &captions, CLogFile &displayLog, CLogFile &contactLog,
                      IDisplayLogHost &host, CTranscriptFile *transcript = nullptr);
    CCaptionLogWriter(const CCaptionLogWriter &) = delete;
    CCaptionLogWriter &operator=(const CCaptionLogWriter &) = delete;

    // Appends the records of serials first to last (withdrawn ones left out), each ending in
    // CR LF, and returns how many; -1 for a range that starts before the loggable records or
    // ends after the newest. Both -1: every loggable record still kept.
    int GetLogText(int first, int last, QString &text) const;
    // Writes the next batches once enough newer records have scrolled in behind them.
    void ManageMainLog();
    // End of the run: every record not yet written, up to the newest.
    void FlushDisplayLog();

    // The first serial that may be logged: the start-up blanks come before it.
    int logStartSerial() const;

    // ICaptionLog
    void displayLogRecord(const CReceivedMainData &record) override;
    void contactLogLine(const QString &text) override;

private:
    void start();
    int lowerBound() const;
    int batchSize() const;
    // Position of the kept record that is the same line (typist and send time), searching
    // back from newestPosition; -1 when there is none.
    int findLine(const CReceivedMainData &line, int newestPosition) const;
    void noteInsertion(const CReceivedMainData &record);
    void writeDisplay(const QString &text);
    // The transcript's cues of the records of serials first to last, written with their display
    // log lines. The last ends when the next shown record began, or now when there is none.
    void writeTranscript(int first, int last);
    QDateTime typedUtc(const CReceivedMainData &record, const QDateTime &now) const;

    const ReceivedMain &m_captions;
    CLogFile &m_displayLog;
    CLogFile &m_contactLog;
    IDisplayLogHost &m_host;
    CTranscriptFile *m_transcript = nullptr;
    // When the records that carry no typing time (a Quorel peer's lines) arrived, by record id.
    QMap<qint64, QDateTime> m_arrivedUtc;
    bool m_bStarted = false;
};
