#pragma once

#include "display/CCoverToolWindow.h"

// Gives the main window the cover. Header only, for the same reason as CCoverToolWindow.
inline void InstallDisplayEffects(CMainWindow &mainWindow)
{
    mainWindow.setCoverWindowFactory(
        [](CMainWindow &main) -> std::unique_ptr<IToolWindow> { return std::make_unique<CCoverToolWindow>(main); });
}
