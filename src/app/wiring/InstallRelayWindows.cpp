#include "app/wiring/InstallWindows.h"

#include "app/CLanguageResources.h"
#include "app/CLocaleTable.h"
#include "app/CMainWindow.h"
#include "core/CommandIds.h"
#include "display/CDlgMain.h"
#include "display/CModalScope.h"
#include "relay/CDlgCfgRelay.h"
#include "relay/CRelay.h"
#include "relay/CRelayFeedAdapter.h"
#include "relay/CRelaySecrets.h"

#include <memory>

namespace {

// The relay and what feeds it, for the whole run.
struct RelayParts
{
    explicit RelayParts(CCaptionFeed &feed) : lines(feed)
    {
        QObject::connect(&lines, &CRelayFeedAdapter::lineShown, &relay, &CRelay::lineShown);
        QObject::connect(&lines, &CRelayFeedAdapter::lineWithdrawn, &relay, &CRelay::lineWithdrawn);
    }

    CRelay relay;
    CRelayFeedAdapter lines;
};

// Zoom's language for a new target: the program's own (built-in Japanese when no file was loaded).
QString DefaultLanguage()
{
    QString language;
    QString country;
    const quint16 lcid = CLanguageResources::instance().chosenLcid();
    if (lcid != 0 && CLocaleTable::isoNames(lcid, language, country))
        return language + u'-' + country;
    return QStringLiteral("ja-JP");
}

} // namespace

void InstallRelayWindows(CMainWindow &mainWindow)
{
    // The hooks own the relay, so it lives as long as the main window keeps them; they go before
    // the caption feed the adapter listens to.
    auto parts = std::make_shared<RelayParts>(mainWindow.captionFeed());
    parts->relay.ApplySettings(CRelaySecrets::Load());
    CMainWindow *window = &mainWindow;
    mainWindow.setCommandHook(CommandId::RelaySettings, [window, parts] {
        CModalScope scope;
        CDlgCfgRelay(parts->relay, DefaultLanguage(), CRelaySecrets::DefaultPath(), window->displayWindow())
            .exec();
    });
    mainWindow.addShutdownStep([parts] { parts->relay.Stop(); });
}
