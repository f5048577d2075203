#pragma once

#include "core/CLogFile.h"
#include "logs/CTranscriptFile.h"
#include "logs/IDisplayLogHost.h"

class CConfig;

// The display log, its timed transcript and the contact log of a run: the folder they go to, their
// file names, the switch to another folder, and how far the display log has got (what the writer
// asks its host).
class CLogFiles final : public IDisplayLogHost
{
public:
    explicit CLogFiles(const CLogFile::TimeSource &now = {});
    CLogFiles(const CLogFiles &) = delete;
    CLogFiles &operator=(const CLogFiles &) = delete;

    // At creation, once the store holds displayLines blank lines: the folder from the settings
    // (in portable mode the executable's, which becomes the setting), the file names, and the
    // records per write. The blanks count as written, so they never reach the display log.
    void Start(CConfig &config, int displayLines);
    // The log settings changed the folder: both files end here, the next line opens a file there.
    void SwitchFolder(const QString &folder);
    // Both files write their end line; the transcript ends too.
    void Close();

    CLogFile &display() { return m_display; }
    CLogFile &contact() { return m_contact; }
    CTranscriptFile &transcript() { return m_transcript; }
    // Where the log files go now.
    QString folder() const { return m_display.GetFolder(); }

    // IDisplayLogHost
    int displayLines() const override { return m_nDisplayLines; }
    int linesPerLogWrite() const override { return m_nLinesPerLogWrite; }
    int lastLoggedLine() const override { return m_nLastLoggedLine; }
    void setLastLoggedLine(int serial) override { m_nLastLoggedLine = serial; }

private:
    CLogFile m_display;
    CLogFile m_contact;
    CTranscriptFile m_transcript;
    int m_nDisplayLines = 0;
    int m_nLinesPerLogWrite = 0;
    int m_nLastLoggedLine = 0;
};
