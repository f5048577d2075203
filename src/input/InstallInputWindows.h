#pragma once

// Included only by the application shell: the main window's hooks are defined there, so the
// wiring is compiled with it.
#include "core/CommandIds.h"
#include "app/CMainWindow.h"
#include "display/CDlgMain.h"
#include "display/CModalScope.h"
#include "input/CDlgCfgInput.h"
#include "input/CDlgFKey.h"
#include "input/CDlgInput.h"
#include "input/CInputBox.h"
#include "net/CNetController.h"

#include <memory>

// The tool window context of the main window: its store, its custom colours, its command queue.
inline ToolWindowHost MakeToolWindowHost(CMainWindow &mainWindow)
{
    ToolWindowHost host;
    host.config = &mainWindow.config();
    host.palette = &mainWindow.customPalette();
    host.postCommand = [&mainWindow](int command) { mainWindow.PostCommand(command); };
    return host;
}

// The input window, the function-key window and the input settings dialog.
inline void InstallInputWindows(CMainWindow &mainWindow)
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
        main.registerTable129Widget(window->box(0));
        main.registerTable129Widget(window->box(1));
        main.setInputSource(window.get());
        QObject::connect(window.get(), &QObject::destroyed, &main, [&main] { main.setInputSource(nullptr); });
        window->CopyConfigToWindow();
        return std::unique_ptr<IToolWindow>(std::move(window));
    });

    mainWindow.setCommandHook(CommandId::InputSettings, [&mainWindow] {
        CModalScope scope;
        CDlgCfgInput dialog(mainWindow.config(), mainWindow.displayWindow());
        dialog.exec();
    });
}
