#pragma once

#include "app/CMainWindow.h"
#include "display/CDlgMain.h"

// Gives the display window the program's custom colours. Header only: the application library
// links this one, so only the application's sources may include this file.
inline void InstallDisplayWindow(CMainWindow &mainWindow)
{
    CDlgMain::setApplicationPalette(&mainWindow.customPalette());
}
