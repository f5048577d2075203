#include "logs/CLogFiles.h"

#include "config/CConfig.h"
#include "core/AppPaths.h"

namespace {

const QString kFolderKey = QStringLiteral("miscellaneous.log.folder");

} // namespace

CLogFiles::CLogFiles(const CLogFile::TimeSource &now) : m_display(now), m_contact(now), m_transcript(now) {}

void CLogFiles::Start(CConfig &config, int displayLines)
{
    m_nDisplayLines = displayLines;
    m_nLastLoggedLine = displayLines;
    m_nLinesPerLogWrite = config.GetIntOr(QStringLiteral("miscellaneous.log.lines.save_i"), 0);
    if (CAppPaths::IsPortable())
        config.SetString(kFolderKey, CAppPaths::GetExeFolder());
    const QString folder = config.GetStringOr(kFolderKey);
    m_display.SetFolder(folder);
    m_display.SetPattern(QStringLiteral("log_%Y%m%d_%H%M%S_display.txt"));
    m_contact.SetFolder(folder);
    m_contact.SetPattern(QStringLiteral("log_%Y%m%d_%H%M%S_chat.txt"));
}

void CLogFiles::SwitchFolder(const QString &folder)
{
    Close();
    m_display.SetFolder(folder);
    m_contact.SetFolder(folder);
}

void CLogFiles::Close()
{
    m_display.Close();
    m_contact.Close();
    m_transcript.Close();
}
