#pragma once

// Included only by the application shell, where the main window's hooks are defined.
#include "app/CMainWindow.h"
#include "input/InstallInputWindows.h"

#include <memory>

// The pre-roll editor and the pre-roll monitor.
inline void InstallPrerollWindows(CMainWindow &mainWindow)
{
    static_cast<void>(mainWindow);
}
