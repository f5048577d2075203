#include "app/wiring/InstallWindows.h"

#include "app/CMainWindow.h"
#include "input/CDlgFKey.h"
#include "net/CNetController.h"
#include "preroll/CDlgPft.h"
#include "preroll/CDlgPftMonitor.h"

void InstallPrerollWindows(CMainWindow &mainWindow)
{
    // The editor's text goes out through the same send paths as typed lines.
    mainWindow.setToolWindowFactory(CMainWindow::ToolWindow::Preroll, [](CMainWindow &main) {
        CDlgPft::Actions actions;
        actions.sendLine = [&main](const QString &line) { main.net().SendCaptionLine(line); };
        actions.sendBlock = [&main](const QStringList &lines) { main.net().SendGross(lines); };
        actions.sendState = [&main](const QStringList &former, const QStringList &latter) {
            main.net().SendPreroll(former, latter);
        };
        actions.clearScreen = [&main] { main.net().ClearScreen(); };
        auto functionKeys = [&main]() -> const CDlgFKey * {
            return dynamic_cast<const CDlgFKey *>(main.toolWindow(CMainWindow::ToolWindow::FunctionKeys));
        };
        auto window = std::make_unique<CDlgPft>(MakeToolWindowHost(main), std::move(actions), functionKeys);
        window->CopyConfigToWindow();
        return std::unique_ptr<IToolWindow>(std::move(window));
    });

    // The monitor shows whatever the model holds when it is made, then follows it as its view.
    mainWindow.setToolWindowFactory(CMainWindow::ToolWindow::PrerollMonitor, [](CMainWindow &main) {
        auto window =
            std::make_unique<CDlgPftMonitor>(MakeToolWindowHost(main), main.pftMonitor(), main.members());
        main.pftMonitor().setView(window.get());
        QObject::connect(window.get(), &QObject::destroyed, &main,
                         [&main] { main.pftMonitor().setView(nullptr); });
        window->CopyConfigToWindow();
        return std::unique_ptr<IToolWindow>(std::move(window));
    });
}
