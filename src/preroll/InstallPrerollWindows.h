#pragma once

// Included only by the application shell, where the main window's hooks are defined.
#include "app/CMainWindow.h"
#include "input/InstallInputWindows.h"
#include "preroll/CDlgPftMonitor.h"

#include <memory>

// The pre-roll editor and the pre-roll monitor.
inline void InstallPrerollWindows(CMainWindow &mainWindow)
{
    static_cast<void>(mainWindow);

    // The monitor shows whatever the model holds when it is made, then follows it as its view.
    mainWindow.setToolWindowFactory(CMainWindow::ToolWindow::PrerollMonitor, [](CMainWindow &main) {
        auto window = std::make_unique<CDlgPftMonitor>(MakeToolWindowHost(main), main.pftMonitor(), main.members());
        main.pftMonitor().setView(window.get());
        QObject::connect(window.get(), &QObject::destroyed, &main, [&main] { main.pftMonitor().setView(nullptr); });
        window->CopyConfigToWindow();
        return std::unique_ptr<IToolWindow>(std::move(window));
    });
}
