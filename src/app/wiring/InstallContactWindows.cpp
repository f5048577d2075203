#include "app/wiring/InstallWindows.h"

#include "app/CMainWindow.h"
#include "contact/CDlgChat.h"
#include "net/CNetController.h"

// On creation the contact window becomes the controller's contact view; what it sends goes
// through the controller's contact message path (which puts the member name in front).
void InstallContactWindows(CMainWindow &mainWindow)
{
    mainWindow.setToolWindowFactory(CMainWindow::ToolWindow::Contact, [](CMainWindow &main) {
        // Posted, as the window's request to the main window is: the message comes back to the
        // window's log after the handler that sent it has returned.
        auto send = [&main](const QString &message) {
            QMetaObject::invokeMethod(
                &main,
                [&main, message] {
                    if (!main.isDestroyed())
                        main.net().SendContactMessage(message);
                },
                Qt::QueuedConnection);
        };
        auto window = std::make_unique<CDlgChat>(MakeToolWindowHost(main), std::move(send));
        main.net().setContactView(window.get());
        QObject::connect(window.get(), &QObject::destroyed, &main,
                         [&main] { main.net().setContactView(nullptr); });
        window->CopyConfigToWindow();
        return std::unique_ptr<IToolWindow>(std::move(window));
    });
}
