#include "app/wiring/InstallWindows.h"

#include "app/CMainWindow.h"
#include "core/CommandIds.h"
#include "display/CDlgMain.h"
#include "display/CModalScope.h"
#include "net/CNetController.h"
#include "web/CDlgCfgHttp.h"
#include "web/CWebServer.h"

#include <memory>

namespace {

void OpenWebSettings(CMainWindow &window, CWebServer &server)
{
    CModalScope scope;
    window.net().EnumerateAdapters();
    QStringList addresses;
    for (const AdapterEntry &adapter : window.net().adapters())
        addresses.append(adapter.address);
    CDlgCfgHttp dialog(server.isRunning(), CWebServer::AccessText(addresses, server.port()), window.config(),
                       window.displayWindow());
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (dialog.serverOn() && !server.isRunning())
        server.Start();
    else if (!dialog.serverOn() && server.isRunning())
        server.Stop();
    server.ApplySettings();
}

} // namespace

void InstallWebWindows(CMainWindow &mainWindow)
{
    // The hooks own the server, so it lives exactly as long as the main window keeps them.
    auto server =
        std::make_shared<CWebServer>(mainWindow.config(), mainWindow.captions(), mainWindow.captionFeed());
    CMainWindow *window = &mainWindow;
    mainWindow.setCommandHook(CommandId::WebServerSettings,
                              [window, server] { OpenWebSettings(*window, *server); });
    mainWindow.addShutdownStep([server] { server->Stop(); });
}
