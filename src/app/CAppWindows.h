#pragma once

class CMainWindow;

// Gives the main window the factories, hooks and views of every window the program has, before
// the main window is created. Each subsystem's windows add one call here.
void InstallAppWindows(CMainWindow &mainWindow);
