#include "app/wiring/InstallWindows.h"

#include "app/CDlgCfgLang.h"
#include "app/CDlgMessage.h"
#include "app/CLanguageResources.h"
#include "app/CMainWindow.h"
#include "core/CommandIds.h"
#include "display/CDlgMain.h"

ToolWindowHost MakeToolWindowHost(CMainWindow &mainWindow)
{
    ToolWindowHost host;
    host.config = &mainWindow.config();
    host.palette = &mainWindow.customPalette();
    host.postCommand = [&mainWindow](int command) { mainWindow.PostCommand(command); };
    return host;
}

void InstallAppWindows(CMainWindow &mainWindow)
{
    InstallDisplayWindows(mainWindow);
    InstallInputWindows(mainWindow);
    // The display log's last lines are written before the web server stops.
    InstallLogWindows(mainWindow);
    InstallWebWindows(mainWindow);
    InstallRelayWindows(mainWindow);
    InstallMemberWindows(mainWindow);
    InstallContactWindows(mainWindow);
    InstallPrerollWindows(mainWindow);
    mainWindow.setCommandHook(CommandId::Language, [&mainWindow] {
        CDlgCfgLang(mainWindow.config(), CLanguageResources::instance(), mainWindow.displayWindow()).exec();
    });
    mainWindow.setCommandHook(CommandId::About, [&mainWindow] {
        const quint16 language = CLanguageResources::instance().chosenLcid();
        CDlgMessage(CDlgMessage::AboutText(language), mainWindow.displayWindow()).exec();
    });
}
