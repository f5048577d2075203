#include "net/CNetContext.h"

#include "config/CConfig.h"
#include "net/ICaptionLog.h"
#include "net/ICaptionView.h"
#include "net/IContactView.h"
#include "net/IMemberMonitorView.h"

#include <algorithm>

CNetContext::CNetContext(CConfig &config, ReceivedMain &captions, ReceivedChat &contacts,
                         CMemberList &members, CPftMonitorModel &pftMonitor)
    : m_config(config), m_captions(captions), m_contacts(contacts), m_members(members),
      m_pftMonitor(pftMonitor)
{
}

int CNetContext::undoMax() const
{
    return std::max(m_config.GetIntOr(QStringLiteral("main.undo.max_i"), 0), 0);
}

void CNetContext::undoStep()
{
    m_undoCount = std::min(m_undoCount + 1, undoMax());
}

void CNetContext::undoRelease()
{
    m_undoCount = std::max(m_undoCount - 1, 0);
}

void CNetContext::undoExhaust()
{
    m_undoCount = undoMax();
}

void CNetContext::captionRefresh()
{
    if (captionView)
        captionView->captionRefresh();
}

void CNetContext::captionRedraw()
{
    if (captionView)
        captionView->captionRedraw();
}

void CNetContext::captionGoLast()
{
    if (captionView)
        captionView->captionGoLast();
}

void CNetContext::contactAppendLine(const QString &text)
{
    if (contactView)
        contactView->contactAppendLine(text);
}

void CNetContext::displayLog(const CReceivedMainData &record)
{
    if (displayLogEnabled && log)
        log->displayLogRecord(record);
}

void CNetContext::contactLog(const QString &text)
{
    if (contactLogEnabled && log)
        log->contactLogLine(text);
}

void CNetContext::refreshMemberMonitor()
{
    if (memberMonitor)
        memberMonitor->refreshMemberMonitor();
}
