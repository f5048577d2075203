#pragma once

#include "net/ICaptionLog.h"

#include <QString>

class CLogFile;
class IDisplayLogHost;
class ReceivedMain;

// The display log and the contact log. Caption records are written in batches a screenful
// behind the newest one, so that a line withdrawn while it is still on screen never reaches the
// file; contact messages are written as they are shown, each with the time of day in front.
class CCaptionLogWriter final : public ICaptionLog
{
public:
    // Everything must outlive the writer.
    CCaptionLogWriter(const ReceivedMain &captions, CLogFile &displayLog, CLogFile &contactLog,
                      IDisplayLogHost &host);
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

    const ReceivedMain &m_captions;
    CLogFile &m_displayLog;
    CLogFile &m_contactLog;
    IDisplayLogHost &m_host;
    bool m_bStarted = false;
};
