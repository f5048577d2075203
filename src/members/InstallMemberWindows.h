#pragma once

// Included only by the application shell, where the main window's hooks are defined.
#include "app/CMainWindow.h"
#include "input/InstallInputWindows.h"
#include "members/CDlgMember.h"

#include <memory>

// The member monitor: on creation it becomes the member list's view and the controller's member
// monitor, which the main window's one-second timer refreshes.
inline void InstallMemberWindows(CMainWindow &mainWindow)
{
    mainWindow.setToolWindowFactory(CMainWindow::ToolWindow::MemberMonitor, [](CMainWindow &main) {
        auto window = std::make_unique<CDlgMember>(MakeToolWindowHost(main), main.members());
        main.setMemberMonitorView(window.get());
        QObject::connect(window.get(), &QObject::destroyed, &main,
                         [&main] { main.setMemberMonitorView(nullptr); });
        window->CopyConfigToWindow();
        return std::unique_ptr<IToolWindow>(std::move(window));
    });
}
