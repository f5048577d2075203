#include "logs/InstallLogWindows.h"

#include "app/CMainWindow.h"
#include "display/CDlgMain.h"
#include "logs/CCaptionLogWriter.h"
#include "logs/CDlgCfgLog.h"
#include "logs/CDlgLog.h"
#include "logs/IDisplayLogHost.h"

#include <QObject>

#include <memory>

namespace {

// The main window as the display log writer sees it.
class MainWindowLogHost final : public IDisplayLogHost
{
public:
    explicit MainWindowLogHost(CMainWindow &mainWindow) : m_mainWindow(mainWindow) {}

    int displayLines() const override
    {
        // The main window reads the number at creation and keeps it; so does this.
        if (m_nDisplayLines < 0 && m_mainWindow.isCreated()) {
            qint32 lines = 0;
            m_mainWindow.config().GetInt(QStringLiteral("main.line.max_i"), lines);
            m_nDisplayLines = lines;
        }
        return std::max(0, m_nDisplayLines);
    }
    int linesPerLogWrite() const override { return m_mainWindow.linesPerLogWrite(); }
    int lastLoggedLine() const override { return m_mainWindow.lastLoggedLine(); }
    void setLastLoggedLine(int serial) override { m_mainWindow.setLastLoggedLine(serial); }

private:
    CMainWindow &m_mainWindow;
    mutable int m_nDisplayLines = -1;
};

// Lives as long as the main window: a child object of it.
class LogParts final : public QObject
{
public:
    explicit LogParts(CMainWindow &mainWindow)
        : QObject(&mainWindow), host(mainWindow),
          writer(mainWindow.captions(), mainWindow.displayLog(), mainWindow.contactLog(), host)
    {
    }

    MainWindowLogHost host;
    CCaptionLogWriter writer;
};

} // namespace

void InstallLogWindows(CMainWindow &mainWindow)
{
    auto *parts = new LogParts(mainWindow);
    CCaptionLogWriter *writer = &parts->writer;
    mainWindow.setCaptionLog(writer);
    mainWindow.setDisplayLogFlush([writer] { writer->FlushDisplayLog(); });
    mainWindow.setLogSettingsDialog(&CDlgCfgLog::Run);
    mainWindow.setToolWindowFactory(CMainWindow::ToolWindow::LogViewer, [writer](CMainWindow &owner) {
        ToolWindowHost host;
        host.config = &owner.config();
        host.palette = &owner.customPalette();
        host.postCommand = [&owner](int command) { owner.PostCommand(command); };
        const auto captionText = [writer] {
            QString text;
            writer->GetLogText(-1, -1, text);
            return text;
        };
        const auto storeDisplayLook = [&owner] {
            if (CDlgMain *display = owner.displayWindow())
                display->CopyWindowToConfig();
        };
        return std::make_unique<CDlgLog>(host, captionText, storeDisplayLook);
    });
}
