#include "app/CAppWindows.h"

#include "app/CMainWindow.h"
#include "display/InstallDisplayEffects.h"
#include "display/InstallDisplayWindow.h"
#include "input/InstallInputWindows.h"
#include "web/InstallWebWindows.h"
#include "logs/InstallLogWindows.h"
#include "members/InstallMemberWindows.h"
#include "contact/InstallContactWindows.h"
#include "preroll/InstallPrerollWindows.h"

void InstallAppWindows(CMainWindow &mainWindow)
{
    InstallDisplayEffects(mainWindow);
    InstallInputWindows(mainWindow);
    InstallWebWindows(mainWindow);
    InstallLogWindows(mainWindow);
    InstallMemberWindows(mainWindow);
    InstallContactWindows(mainWindow);
    InstallPrerollWindows(mainWindow);
    InstallDisplayWindow(mainWindow);
}
