#pragma once

class CMainWindow;

// Gives the main window its web server: the settings command, which switches the server on and
// off, and the stop at the end of the run.
void InstallWebWindows(CMainWindow &mainWindow);
