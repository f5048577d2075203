#include "app/wiring/InstallWindows.h"

#include "app/CMainWindow.h"
#include "core/CommandIds.h"
#include "display/CDlgMain.h"
#include "display/CModalScope.h"
#include "logs/CCaptionLogWriter.h"
#include "logs/CDlgLog.h"
#include "logs/CDlgSubtitleExport.h"
#include "net/CNetController.h"

#include <QObject>

namespace {

// The writer lives as long as the main window: a child object of it.
class LogWriterHolder final : public QObject
{
public:
    explicit LogWriterHolder(CMainWindow &mainWindow)
        : QObject(&mainWindow),
          writer(mainWindow.captions(), mainWindow.logFiles().display(), mainWindow.logFiles().contact(),
                 mainWindow.logFiles(), &mainWindow.logFiles().transcript())
    {
    }

    CCaptionLogWriter writer;
};

// The transcript being written, else the folder the logs go to.
QString CurrentTranscript(CMainWindow &mainWindow)
{
    const QString path = mainWindow.logFiles().transcript().GetPath();
    return path.isEmpty() ? mainWindow.logFiles().folder() : path;
}

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
        return std::make_unique<CDlgLog>(MakeToolWindowHost(main), captionText, storeDisplayLook,
                                         [&main] { return CurrentTranscript(main); });
    });
    mainWindow.setCommandHook(CommandId::ExportSubtitles, [&mainWindow] {
        CModalScope scope;
        CDlgSubtitleExport::Run(mainWindow.displayWindow(), CurrentTranscript(mainWindow));
    });
}
