#pragma once

#include "CFixedAdapterSource.h"
#include "CStoreWatcher.h"
#include "config/CConfig.h"
#include "contact/ReceivedChat.h"
#include "members/CMemberList.h"
#include "members/IMemberView.h"
#include "net/ICaptionLog.h"
#include "net/ICaptionView.h"
#include "net/IContactView.h"
#include "net/IInputSource.h"
#include "net/IMemberMonitorView.h"
#include "preroll/CPftMonitorModel.h"
#include "preroll/IPftMonitorView.h"
#include "relay/RelayTypes.h"
#include "timeline/ICaptionFeedListener.h"
#include "timeline/ReceivedMain.h"

#include <QObject>
#include <QString>

#include <memory>

class CCaptionFeed;
class CNetController;
class CRelay;
class CRelayFeedAdapter;
class CWebServer;
class QTimer;

// A member without windows: the network controller with its stores, driven by commands and
// reporting what a window would have been told as event lines. Every view interface the
// controller knows is answered here by printing.
class CTavrinNode final : public QObject,
                          private ICaptionView,
                          private IContactView,
                          private ICaptionLog,
                          private IInputSource,
                          private IMemberMonitorView,
                          private IMemberView,
                          private IPftMonitorView,
                          private ICaptionFeedListener
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CTavrinNode)

public:
    struct Settings
    {
        QString address;
        QString broadcast;
        QString settingsFile; // empty: defaults
        QString name;         // empty: keep the settings file's
        int channel = 0;      // 0: keep the settings file's
        int group = 0;
        bool login = true;
        // Targets the captions are relayed to, through the caption feed as in the program.
        QList<RelayTargetSettings> relayTargets;
        // The built-in web server on the node's address: -1 off, 0 any free port, else that port.
        int webPort = -1;
    };

    explicit CTavrinNode(Settings settings, QObject *parent = nullptr);
    ~CTavrinNode() override;

    // Applies the settings, starts the heartbeat and logs in (unless told not to).
    bool start();
    // One command line; false once the node should end.
    bool command(const QString &line);
    // Going offline at the end sends the logoff datagrams.
    void shutdown();

    static qint64 monotonicNs();

signals:
    void quitRequested();

private:
    // ICaptionView
    void captionRefresh() override;
    void captionRedraw() override;
    void captionGoLast() override;
    // IContactView
    void contactAppendLine(const QString &text) override;
    // ICaptionLog
    void displayLogRecord(const CReceivedMainData &record) override;
    void contactLogLine(const QString &text) override;
    // IInputSource
    QString focusedMonitorText() const override { return m_monitorText; }
    void putBackUndoneLine(const QString &text) override;
    // IMemberMonitorView
    void refreshMemberMonitor() override {}
    // IMemberView
    void memberAdded(const CMemberEntry &entry) override;
    void memberNameChanged(const CMemberEntry &entry) override;
    void memberInputChanged(const CMemberEntry &entry) override;
    void memberRemoved(const QString &address) override;
    void allMembersRemoved() override;
    void membersReordered() override {}
    // IPftMonitorView
    void pftMonitorChanged() override;
    // ICaptionFeedListener: stamps the moment a line reaches the live pages' feed.
    void captionAdded(const CaptionFeedLine &line) override;
    void captionWithdrawn(qint64 id) override;

    bool login();
    void printState();
    void dumpCaptions();
    void dumpChat();
    void dumpMembers();
    void configure(const QString &rest);
    void printRelay();
    void printWeb();

    Settings m_settings;
    CConfig m_config;
    ReceivedMain m_captions;
    ReceivedChat m_contacts;
    CMemberList m_members;
    CPftMonitorModel m_pftMonitor;
    CFixedAdapterSource m_adapters;
    std::unique_ptr<CNetController> m_controller;
    std::unique_ptr<CCaptionFeed> m_feed;
    std::unique_ptr<CRelay> m_relay;
    std::unique_ptr<CRelayFeedAdapter> m_relayFeed;
    std::unique_ptr<CWebServer> m_web;
    CStoreWatcher m_watcher;
    QTimer *m_sweep = nullptr;
    QString m_monitorText;
    int m_warnings = 0;
};
