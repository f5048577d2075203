#include "app/wiring/InstallWindows.h"

#include "app/CMainWindow.h"
#include "display/CDlgMain.h"
#include "logs/CCaptionLogWriter.h"
#include "logs/CDlgLog.h"
#include "net/CNetController.h"

#include <QObject>

namespace {

// The writer lives as long as the main window: a child object of it.
class LogWriterHolder final : public QObject
{
public:
    explicit LogWriterHolder(CMainWindow &mainWindow)
        : QObject(&mainWindow), writer(mainWindow.captions(), mainWindow.logFiles().display(),
                                       mainWindow.logFiles().contact(), mainWindow.logFiles())
    {
    }

    CCaptionLogWriter writer;
};

} // namespace

void InstallLogWindows(CMainWindow &mainWindow)
{
    CCaptionLogWriter *writer = &(new LogWriterHolder(mainWindow))->writer;
    mainWindow.net().setLog(writer);
    mainWindow.addShutdownStep([&mainWindow, writer] {
        if (mainWindow.net().displayLogEnabled())
            writer->FlushDisplayLog();
    });
    mainWindow.setToolWindowFactory(CMainWindow::ToolWindow::LogViewer, [writer](CMainWindow &main) {
        const auto captionText = [writer] {
            QString text;
            writer->GetLogText(-1, -1, text);
            return text;
        };
        const auto storeDisplayLook = [&main] {
            if (CDlgMain *display = main.displayWindow())
                display->CopyWindowToConfig();
        };
        return std::make_unique<CDlgLog>(MakeToolWindowHost(main), captionText, storeDisplayLook);
    });
}
