#include "app/wiring/InstallWindows.h"

#include "app/CAcceleratorTables.h"
#include "app/CMainWindow.h"
#include "core/CommandIds.h"
#include "display/CDlgMain.h"
#include "display/CModalScope.h"
#include "input/CDlgCfgInput.h"
#include "input/CDlgFKey.h"
#include "input/CDlgInput.h"
#include "input/CInputBox.h"
#include "net/CNetController.h"

void InstallInputWindows(CMainWindow &mainWindow)
{
    mainWindow.setToolWindowFactory(CMainWindow::ToolWindow::FunctionKeys, [](CMainWindow &main) {
        auto window = std::make_unique<CDlgFKey>(MakeToolWindowHost(main));
        window->CopyConfigToWindow();
        return std::unique_ptr<IToolWindow>(std::move(window));
    });

    mainWindow.setToolWindowFactory(CMainWindow::ToolWindow::Input, [](CMainWindow &main) {
        CDlgInput::Actions actions;
        actions.sendLine = [&main](const QString &line) { main.net().SendCaptionLine(line); };
        actions.sendMonitor = [&main](const QString &text) { main.net().SendMonitor(text); };
        actions.undo = [&main] { main.net().Undo(); };
        actions.clearScreen = [&main] { main.net().ClearScreen(); };
        auto functionKeys = [&main]() -> const CDlgFKey * {
            return dynamic_cast<const CDlgFKey *>(main.toolWindow(CMainWindow::ToolWindow::FunctionKeys));
        };
        auto window = std::make_unique<CDlgInput>(MakeToolWindowHost(main), std::move(actions), functionKeys);
        // Ctrl+L, Ctrl+O and Ctrl+S work while the two boxes have the focus.
        main.accelerators().addTable129Widget(window->box(0));
        main.accelerators().addTable129Widget(window->box(1));
        main.net().setInputSource(window.get());
        QObject::connect(window.get(), &QObject::destroyed, &main,
                         [&main] { main.net().setInputSource(nullptr); });
        window->CopyConfigToWindow();
        return std::unique_ptr<IToolWindow>(std::move(window));
    });

    mainWindow.setCommandHook(CommandId::InputSettings, [&mainWindow] {
        CModalScope scope;
        CDlgCfgInput dialog(mainWindow.config(), mainWindow.displayWindow());
        dialog.exec();
    });
}
