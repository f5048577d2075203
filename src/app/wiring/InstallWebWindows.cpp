#include "app/wiring/InstallWindows.h"

#include "app/CMainWindow.h"
#include "core/CommandIds.h"
#include "display/CDlgMain.h"
#include "display/CModalScope.h"
#include "net/CNetController.h"
#include "web/CDlgCfgHttp.h"
#include "web/CWebServer.h"

#include <QCoreApplication>

#include <memory>

namespace {

const QString kServerKey = QStringLiteral("communication.http.server_i");

QStringList adapterAddresses(CMainWindow &window)
{
    QStringList addresses;
    for (const AdapterEntry &adapter : window.net().adapters())
        addresses.append(adapter.address);
    return addresses;
}

// The address the audience is given: the adapter the session runs on, else the first one.
QString roomAddress(CMainWindow &window)
{
    const QString own = window.net().isOnline() ? window.net().ownAddress() : QString();
    return own.isEmpty() ? adapterAddresses(window).value(0) : own;
}

// The display's QR code and the title follow the server: the code only for a port really
// listened on, and a title that says so when the server is on but cannot listen.
void ShowServerState(CMainWindow &window, const CWebServer &server)
{
    window.setTitleNotice(server.TitleNotice());
    CDlgMain *display = window.displayWindow();
    if (!display)
        return;
    const QString url =
        server.isListening() ? CWebServer::LiveUrl(roomAddress(window), server.port()) : QString();
    QString note;
    if (server.listenFailed())
        note = server.TitleNotice();
    else if (!server.isRunning())
        note = QCoreApplication::translate("CWebServer", "Webサーバーは停止中です");
    display->setQrCode(url, note);
}

// The switch goes into the settings, so that a restart brings the pages back by itself.
void SwitchServer(CMainWindow &window, CWebServer &server, bool on)
{
    if (on)
        server.Start();
    else
        server.Stop();
    server.ApplySettings();
    window.config().SetInt(kServerKey, on ? 1 : 0);
    ShowServerState(window, server);
}

void ShowInDialog(CMainWindow &window, const CWebServer &server, CDlgCfgHttp &dialog)
{
    // The port the page is reached on, also before the server has ever started.
    const int port = server.expectedPort();
    dialog.setServerView(server.StatusText(), CWebServer::AccessText(adapterAddresses(window), port),
                         CWebServer::LiveUrl(roomAddress(window), port));
}

void OpenWebSettings(CMainWindow &window, CWebServer &server)
{
    CModalScope scope;
    window.net().EnumerateAdapters();
    CDlgCfgHttp dialog(server.isRunning(),
                       CWebServer::AccessText(adapterAddresses(window), server.expectedPort()),
                       window.config(), window.displayWindow());
    ShowInDialog(window, server, dialog);
    dialog.setApplyHook([&window, &server, &dialog](bool on) {
        SwitchServer(window, server, on);
        ShowInDialog(window, server, dialog);
        return !server.listenFailed();
    });
    dialog.exec();
}

} // namespace

void InstallWebWindows(CMainWindow &mainWindow, CHttpSockOptions options)
{
    // The hooks own the server, so it lives exactly as long as the main window keeps them.
    auto server = std::make_shared<CWebServer>(mainWindow.config(), mainWindow.captions(),
                                               mainWindow.captionFeed(), std::move(options));
    CMainWindow *window = &mainWindow;
    mainWindow.setCommandHook(CommandId::WebServerSettings,
                              [window, server] { OpenWebSettings(*window, *server); });
    // At start-up and whenever settings are opened or reset, the server follows its switch.
    mainWindow.addSettingsStep([window, server] {
        const bool on = window->config().GetIntOr(kServerKey, 0) == 1;
        if (on != server->isRunning())
            SwitchServer(*window, *server, on);
        else
            ShowServerState(*window, *server);
    });
    QObject::connect(&mainWindow.net(), &CNetController::onlineChanged, &mainWindow,
                     [window, server] { ShowServerState(*window, *server); });
    mainWindow.addShutdownStep([server] { server->Stop(); });
}
