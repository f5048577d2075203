#include "app/CAppWindows.h"

#include "app/CMainWindow.h"

void InstallAppWindows(CMainWindow &mainWindow)
{
    static_cast<void>(mainWindow);
}
