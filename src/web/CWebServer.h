#pragma once

#include "web/CHttpSock.h"
#include "web/IHttpPageSource.h"

#include <QString>
#include <QStringList>

#include <memory>

class CCaptionFeed;
class CConfig;
class CLiveEvents;
class ReceivedMain;

// The web server as the main window holds it: switched on and off, fed with the page settings
// from the settings store, answering each request from the caption store and pushing the feed's
// changes to the live pages.
class CWebServer final : public IHttpPageSource
{
public:
    // The store, its feed and the settings must outlive the server. The options say how to listen.
    CWebServer(CConfig &config, const ReceivedMain &captions, CCaptionFeed &feed,
               CHttpSockOptions options = {});
    ~CWebServer() override;
    CWebServer(const CWebServer &) = delete;
    CWebServer &operator=(const CWebServer &) = delete;

    bool isRunning() const { return m_sock != nullptr; }
    // Creates the server (even when it cannot listen: the switch stays on) with the settings.
    void Start();
    // Stops and deletes the server; nothing happens when it is not running.
    void Stop();
    // Takes the page settings from the store again.
    void ApplySettings();
    // The port listened on; 0 when stopped or not listening.
    int port() const;
    CHttpSock *sock() const { return m_sock.get(); }

    int lineLimit() const { return m_nLines; }
    int lettersPerLine() const { return m_nLetters; }

    QString HttpPageText() override;
    CLiveEvents *LiveEvents() override { return m_live.get(); }

    // "http://ADDRESS/" per address, with ":PORT" unless the port is 80 or unknown (0), joined
    // with CR LF.
    static QString AccessText(const QStringList &addresses, int port);

private:
    CConfig &m_config;
    const ReceivedMain &m_captions;
    CCaptionFeed &m_feed;
    CHttpSockOptions m_options;
    // A new run of event ids per start; made before the server that pushes them.
    std::unique_ptr<CLiveEvents> m_live;
    std::unique_ptr<CHttpSock> m_sock;
    int m_nLines = 7;
    int m_nLetters = 16;
};
