#include "app/wiring/InstallWindows.h"

#include "app/CMainWindow.h"
#include "app/wiring/CCoverToolWindow.h"
#include "core/CommandIds.h"
#include "display/CDlgMain.h"

void InstallDisplayWindows(CMainWindow &mainWindow)
{
    CDlgMain::setApplicationPalette(&mainWindow.customPalette());
    mainWindow.setCoverWindowFactory([](CMainWindow &main) -> std::unique_ptr<IToolWindow> {
        // Closed by the user: the main window's flag and the check mark follow.
        return std::make_unique<CCoverToolWindow>(main.config(), main.displayWindow(), [&main] {
            if (main.coverShown())
                main.PostCommand(CommandId::ToggleCover);
        });
    });
    // The key works from every window; the display shows the code.
    CMainWindow *window = &mainWindow;
    mainWindow.setCommandHook(CommandId::ToggleQrCode, [window] {
        if (CDlgMain *display = window->displayWindow())
            display->OnCommand(CommandId::ToggleQrCode);
    });
}
