#pragma once

#include "input/CToolWindow.h"
#include "web/CHttpSock.h"

class CMainWindow;

// The wiring of every part's windows and dialogs into the main window, before it is created:
// factories for the tool windows and the cover, views for the controller, command hooks and
// shutdown steps. One file per part; InstallAppWindows gives the main window all of them, and
// the application's own language and About dialogs.
void InstallAppWindows(CMainWindow &mainWindow);

// What a tool window gets from the main window: its store, its custom colours, its command queue.
ToolWindowHost MakeToolWindowHost(CMainWindow &mainWindow);

// The display window's custom colours and the cover.
void InstallDisplayWindows(CMainWindow &mainWindow);
// The input window, the function-key window and the input settings.
void InstallInputWindows(CMainWindow &mainWindow);
// The display and contact log writer with its last lines at the end of the run, and the viewer.
void InstallLogWindows(CMainWindow &mainWindow);
// The member monitor.
void InstallMemberWindows(CMainWindow &mainWindow);
// The contact window.
void InstallContactWindows(CMainWindow &mainWindow);
// The pre-roll editor and the pre-roll monitor.
void InstallPrerollWindows(CMainWindow &mainWindow);
// The web server: its settings command switches it on and off, the settings' switch starts it;
// it stops at the end of the run. The options say how it listens (tests pass loopback ports).
void InstallWebWindows(CMainWindow &mainWindow, CHttpSockOptions options = {});
// The caption relay to Zoom and YouTube: started with the saved targets, set up in its dialog.
void InstallRelayWindows(CMainWindow &mainWindow);
