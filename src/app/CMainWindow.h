#pragma once

#include "app/CLoginSequence.h"
#include "app/CSettingsFiles.h"
#include "app/ToolWindowTable.h"
#include "config/CConfig.h"
#include "config/CCustomPalette.h"
#include "config/CScreenWorkArea.h"
#include "contact/ReceivedChat.h"
#include "logs/CLogFiles.h"
#include "members/CMemberList.h"
#include "net/IAdapterSource.h"
#include "net/ICaptionView.h"
#include "preroll/CPftMonitorModel.h"
#include "timeline/CCaptionFeed.h"
#include "timeline/ReceivedMain.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <array>
#include <functional>
#include <memory>

class CAcceleratorTables;
class CCaretBlink;
class CDlgMain;
class CNetController;
class IMemberMonitorView;
class IToolWindow;
class QTimer;
class QWidget;

// The application's frame. It owns the settings store, the stores, the member list, the network
// controller, the log files and every window, and routes each command, timer and idle step to
// where it belongs; the work itself lives in those parts. The user never sees this object: the
// display window is the visible top level and carries the menu bar. The windows of the other
// parts come in through the hooks below (src/app/wiring).
class CMainWindow final : public QObject, private ICaptionView
{
    Q_OBJECT

public:
    // The tool windows (app/ToolWindowTable.h).
    using ToolWindow = ::ToolWindow;

    // Builds a tool window (or the cover) when it is first needed; nullptr when it cannot be.
    using ToolWindowFactory = std::function<std::unique_ptr<IToolWindow>(CMainWindow &)>;
    // The login dialog: the index of the chosen adapter entry, or a negative value for cancel.
    // The program shows CDlgNic; a test answers here instead.
    using LoginDialog = CLoginSequence::LoginDialog;

    // adapterSource nullptr: this machine's adapters. A given source must outlive the window.
    explicit CMainWindow(IAdapterSource *adapterSource = nullptr, QObject *parent = nullptr);
    ~CMainWindow() override;

    CConfig &config() { return m_config; }
    ReceivedMain &captions() { return m_captions; }
    // Every caption as it is stored or withdrawn, for the readers beyond the room (relay, live page).
    CCaptionFeed &captionFeed() { return m_captionFeed; }
    ReceivedChat &contacts() { return m_contacts; }
    CMemberList &members() { return m_members; }
    CPftMonitorModel &pftMonitor() { return m_pftMonitor; }
    CNetController &net() { return *m_net; }
    CCustomPalette &customPalette() { return m_palette; }
    CLogFiles &logFiles() { return m_logs; }
    CAcceleratorTables &accelerators() { return *m_accelerators; }
    CDlgMain *displayWindow() const { return m_display.get(); }

    // Start-up: the settings file named on the command line, or the default settings file.
    void SetCmdLine(const QString &commandLine)
    {
        m_strCmdLineFile = m_settingsFiles.LoadCommandLineFile(commandLine);
    }
    bool LoadDefaultConfig() { return m_settingsFiles.LoadDefaultConfig(); }
    QString commandLineFile() const { return m_strCmdLineFile; }

    // Creation builds every window, starts the timers and logs in; destruction saves the
    // settings, logs off and closes every window, then asks for the end of the run.
    bool Create();
    // Posts the close request. The window is destroyed once the current handler and every modal
    // dialog of the program have returned (open dialogs are cancelled).
    void Close();
    // Destruction now; only where no modal dialog can be running.
    void Destroy();
    bool isDestroyed() const { return m_bDestroyed; }

    // Commands of the menus, accelerators and tool windows; PostCommand runs it after the
    // current handler, as a posted command does.
    void OnCommand(int command);
    void PostCommand(int command);

    // The title the display window shows.
    QString title() const { return m_strTitle; }
    // A note at the end of the title, for a part that does not work (empty: none).
    void setTitleNotice(const QString &notice);
    bool coverShown() const { return m_bCoverShown; }

    // Hooks for the windows and dialogs of the other parts, set before creation.
    void setToolWindowFactory(ToolWindow window, ToolWindowFactory factory)
    {
        slot(window).factory = std::move(factory);
    }
    void setCoverWindowFactory(ToolWindowFactory factory) { m_coverFactory = std::move(factory); }
    IToolWindow *toolWindow(ToolWindow window) const { return slot(window).window.get(); }
    void setLoginDialog(LoginDialog dialog) { m_login->setDialog(std::move(dialog)); }
    // Commands whose dialogs belong to other parts (input settings, the web server ...). The main
    // window's own commands are kept here too.
    void setCommandHook(int command, std::function<void()> hook)
    {
        m_commandHooks.insert(command, std::move(hook));
    }
    // Runs first at destruction, in the order added (the display log's last lines, the web
    // server's stop), before the settings are saved.
    void addShutdownStep(std::function<void()> step) { m_shutdownSteps.append(std::move(step)); }
    // Runs whenever the settings are applied to the application (creation, a settings file
    // opened, a reset), after the windows have taken theirs.
    void addSettingsStep(std::function<void()> step) { m_settingsSteps.append(std::move(step)); }
    // The member monitor, refreshed every second; passed on to the controller.
    void setMemberMonitorView(IMemberMonitorView *view);

signals:
    // Destruction finished: the run should end with this code.
    void quitRequested(int code);

private:
    struct ToolSlot
    {
        ToolWindowFactory factory;
        std::unique_ptr<IToolWindow> window;
    };

    // ICaptionView: the network side's news for the display.
    void captionRefresh() override;
    void captionRedraw() override;
    void captionGoLast() override;

    ToolSlot &slot(ToolWindow window) { return m_tools[static_cast<size_t>(window)]; }
    const ToolSlot &slot(ToolWindow window) const { return m_tools[static_cast<size_t>(window)]; }
    void CopyConfigToApplication();
    void DoFileConnect();
    void UpdateTitle();
    void OnClose();
    void SetChecked(int command, bool checked);
    void ToggleWindow(ToolWindow window);
    void RefreshWindowState();
    void FocusToolWindow(ToolWindow window);
    void FocusDisplayWindow();
    void ForwardCommand(ToolWindow window, int command);
    void ShowCover();
    void HideCover();
    void ChooseCoverColor();
    void OnLogSettings();

    void RequestIdlePass();
    void OnIdle();
    void OnMemberMonitorTimer();
    void OnDisplayMinimized(bool minimized);
    // Hides the cover and the tool windows marked shown, or shows them again.
    void ShowShownWindows(bool show);
    void OnApplicationStateChanged(Qt::ApplicationState state);

    CScreenWorkArea m_workArea;
    CConfig m_config;
    ReceivedMain m_captions;
    // Its listeners live in the hooks below, which go first.
    CCaptionFeed m_captionFeed{m_captions};
    ReceivedChat m_contacts;
    CMemberList m_members;
    CPftMonitorModel m_pftMonitor;
    std::unique_ptr<IAdapterSource> m_ownAdapters;
    IAdapterSource *m_adapters = nullptr;
    CNetController *m_net = nullptr;
    CCustomPalette m_palette;
    CSettingsFiles m_settingsFiles{m_config, m_palette};
    CLogFiles m_logs;
    CAcceleratorTables *m_accelerators = nullptr;
    // Stops the text cursor's blinking a while after the last key.
    CCaretBlink *m_caretBlink = nullptr;

    std::unique_ptr<CDlgMain> m_display;
    std::array<ToolSlot, kToolWindows.size()> m_tools;
    ToolWindowFactory m_coverFactory;
    std::unique_ptr<IToolWindow> m_cover;
    bool m_bCoverShown = false;

    std::unique_ptr<CLoginSequence> m_login;
    QHash<int, std::function<void()>> m_commandHooks;
    QList<std::function<void()>> m_shutdownSteps;
    QList<std::function<void()>> m_settingsSteps;
    IMemberMonitorView *m_memberMonitorView = nullptr;

    QString m_strCmdLineFile;
    QString m_strTitle;
    QString m_strTitleNotice;

    QTimer *m_memberMonitorTimer = nullptr; // 105
    QTimer *m_idleTimer = nullptr;
    bool m_bCreated = false;       // first idle pass still to come
    bool m_bWindowCreated = false; // OnCreate ran
    bool m_bDestroyed = false;
    bool m_bCoverPending = false;
    bool m_bRestorePending = false;
    bool m_bDeactivated = false;
    QPointer<QWidget> m_focusToRestore;
};
