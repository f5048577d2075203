#pragma once

class CMainWindow;

// Gives the main window the display and contact log writer, the end-of-run flush, the log
// viewer and the log settings dialog.
void InstallLogWindows(CMainWindow &mainWindow);
