#include "app/wiring/InstallWindows.h"

#include "app/CMainWindow.h"

ToolWindowHost MakeToolWindowHost(CMainWindow &mainWindow)
{
    ToolWindowHost host;
    host.config = &mainWindow.config();
    host.palette = &mainWindow.customPalette();
    host.postCommand = [&mainWindow](int command) { mainWindow.PostCommand(command); };
    return host;
}

void InstallAppWindows(CMainWindow &mainWindow)
{
    InstallDisplayWindows(mainWindow);
    InstallInputWindows(mainWindow);
    // The display log's last lines are written before the web server stops.
    InstallLogWindows(mainWindow);
    InstallWebWindows(mainWindow);
    InstallRelayWindows(mainWindow);
    InstallMemberWindows(mainWindow);
    InstallContactWindows(mainWindow);
    InstallPrerollWindows(mainWindow);
}
