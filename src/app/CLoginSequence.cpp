#include "app/CLoginSequence.h"

#include "config/CConfig.h"
#include "core/CDialogs.h"
#include "core/OperationLog.h"
#include "net/CNetController.h"

void CLoginSequence::AtStart(QWidget *owner)
{
    const QString memberName = m_config.GetStringOr(QStringLiteral("communication.name"));
    const int adapterCount = m_net.EnumerateAdapters();
    bool loggedIn = false;
    if (adapterCount == 1 && !memberName.isEmpty()) {
        WriteLog(QStringLiteral("auto login because NIC exists only one."));
        loggedIn = m_net.DoLogin(0);
    }
    if (!loggedIn)
        Ask(owner, false);
}

void CLoginSequence::Ask(QWidget *owner, bool refreshAdapters)
{
    WriteLog(QStringLiteral("CMainWindow::DoFileConnect() begins."));
    if (refreshAdapters)
        m_net.EnumerateAdapters();
    const QList<AdapterEntry> adapters = m_net.adapters();
    const int result = m_dialog ? m_dialog(owner, adapters, m_config) : -1;
    WriteLogInt(QStringLiteral("CMainWindow::DoFileConnect() Dialog return code:"), result);
    if (result >= 0 && !adapters.isEmpty() && !m_net.DoLogin(result))
        CDialogs::tell(owner, CDialogs::Icon::Warning, m_net.errorTitle(), m_net.errorMessage());
    WriteLog(QStringLiteral("CMainWindow::DoFileConnect() ends."));
}
