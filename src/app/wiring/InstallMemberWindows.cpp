#include "app/wiring/InstallWindows.h"

#include "app/CMainWindow.h"
#include "members/CDlgMember.h"

// On creation the member monitor becomes the member list's view and the controller's member
// monitor, which the main window's one-second timer refreshes.
void InstallMemberWindows(CMainWindow &mainWindow)
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
