#pragma once

#include "app/CSettingsFiles.h"
#include "config/CConfig.h"
#include "config/CCustomPalette.h"
#include "config/CScreenWorkArea.h"
#include "contact/ReceivedChat.h"
#include "core/CLogFile.h"
#include "members/CMemberList.h"
#include "net/IAdapterSource.h"
#include "net/ICaptionView.h"
#include "preroll/CPftMonitorModel.h"
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
class CDlgMain;
class CNetController;
class ICaptionLog;
class IContactView;
class IInputSource;
class IMemberMonitorView;
class IToolWindow;
class QTimer;
class QWidget;

// The application's frame. It owns the settings store, the stores, the member list, the network
// controller, the log files and every window, and routes each command, timer and idle step to
// where it belongs; the work itself lives in those parts. The user never sees this object: the
// display window is the visible top level and carries the menu bar.
class CMainWindow final : public QObject, private ICaptionView
{
    Q_OBJECT

public:
    // The tool windows, created on first use and then only shown and hidden.
    enum class ToolWindow { MemberMonitor, Input, Contact, Preroll, PrerollMonitor, FunctionKeys, LogViewer };
    static constexpr int kToolWindowCount = 7;

    // Builds a tool window (or the cover) when it is first needed; nullptr when it cannot be.
    using ToolWindowFactory = std::function<std::unique_ptr<IToolWindow>(CMainWindow &)>;
    // The login dialog: the index of the chosen adapter entry, or a negative value for cancel.
    using LoginDialog = std::function<int(QWidget *owner, const QList<AdapterEntry> &adapters, CConfig &config)>;
    // A message box with an OK button; returns whether it was accepted (OK/Cancel boxes).
    using MessageBox = std::function<bool(const QString &text, const QString &caption, bool withCancel)>;
    // The log settings dialog: true on OK, folderChanged when the log folder was changed.
    using LogSettingsDialog = std::function<bool(QWidget *owner, CConfig &config, bool &folderChanged)>;

    // adapterSource nullptr: this machine's adapters. A given source must outlive the window.
    explicit CMainWindow(IAdapterSource *adapterSource = nullptr, QObject *parent = nullptr);
    ~CMainWindow() override;

    CConfig &config() { return m_config; }
    ReceivedMain &captions() { return m_captions; }
    ReceivedChat &contacts() { return m_contacts; }
    CMemberList &members() { return m_members; }
    CPftMonitorModel &pftMonitor() { return m_pftMonitor; }
    CNetController &net() { return *m_net; }
    CCustomPalette &customPalette() { return m_palette; }
    CLogFile &displayLog() { return m_displayLog; }
    CLogFile &contactLog() { return m_contactLog; }
    CAcceleratorTables &accelerators() { return *m_accelerators; }
    CDlgMain *displayWindow() const;

    // Start-up: the settings file named on the command line, or the default settings file.
    void SetCmdLine(const QString &commandLine);
    bool LoadDefaultConfig();
    QString commandLineFile() const { return m_strCmdLineFile; }
    QString currentSettingsFile() const { return m_settingsFiles.CurrentFile(); }
    CSettingsFiles &settingsFiles() { return m_settingsFiles; }

    // Creation builds every window, starts the timers and logs in; destruction saves the
    // settings, logs off and closes every window, then asks for the end of the run.
    bool Create();
    // Posts the close request. The window is destroyed once the current handler and every modal
    // dialog of the program have returned (open dialogs are cancelled).
    void Close();
    // Destruction now; only where no modal dialog can be running.
    void Destroy();
    bool isCreated() const { return m_bWindowCreated; }
    bool isDestroyed() const { return m_bDestroyed; }

    void CopyConfigToApplication();
    void DoFileConnect(bool refreshAdapters);
    bool SaveDefaultConfig(bool toDefaultFile, bool allWindows);

    // Commands of the menus, accelerators and tool windows; PostCommand runs it after the
    // current handler, as a posted command does.
    void OnCommand(int command);
    void PostCommand(int command);

    // The title the display window shows.
    void UpdateTitle();
    QString title() const { return m_strTitle; }
    static QString ComposeTitle(const QString &version, bool online, const QString &memberName, int channel,
                                int group);
    // "1.4.1.0" gives "1.4"; fewer than two full stops give the version whole.
    static QString ShortVersion(const QString &version);
    static QString ProductVersion();

    // Hooks for the windows and dialogs of other parts of the program.
    void setToolWindowFactory(ToolWindow window, ToolWindowFactory factory);
    void setCoverWindowFactory(ToolWindowFactory factory);
    IToolWindow *toolWindow(ToolWindow window) const;
    IToolWindow *coverWindow() const { return m_cover.get(); }
    bool coverShown() const { return m_bCoverShown; }
    // The input window's two boxes: Ctrl+L, Ctrl+O and Ctrl+S work while they have the focus.
    void registerTable129Widget(QWidget *widget);
    void setLoginDialog(LoginDialog dialog);
    void setMessageBox(MessageBox messageBox);
    void setLogSettingsDialog(LogSettingsDialog dialog);
    // Commands whose dialogs come from other parts (the web server settings, the language ...).
    void setCommandHook(int command, std::function<void()> hook);
    // Writes the caption lines not yet in the display log (at the end of the run).
    void setDisplayLogFlush(std::function<void()> flush);
    // Stops and deletes the web server, if one was started.
    void setWebServerStop(std::function<void()> stop);
    // Windows the network side tells; each is passed on to the controller.
    void setMemberMonitorView(IMemberMonitorView *view);
    void setContactView(IContactView *view);
    void setCaptionLog(ICaptionLog *log);
    void setInputSource(IInputSource *input);

    // Display-log markers for an undone line and a screen clear.
    QString undoMarker() const { return m_strUndoMarker; }
    QString clearMarker() const { return m_strClearMarker; }
    // "miscellaneous.log.lines.save_i" and the kept lines (at least twice the display lines), as
    // read at creation.
    int linesPerLogWrite() const { return m_nLinesPerLogWrite; }
    int linesKept() const { return m_nLinesKept; }
    // Index of the last caption line written to the display log.
    int lastLoggedLine() const { return m_nLastLoggedLine; }
    void setLastLoggedLine(int line) { m_nLastLoggedLine = line; }

signals:
    // Destruction finished: the run should end with this code.
    void quitRequested(int code);

private:
    struct ToolSlot
    {
        QString displayKey;
        int command = 0;
        ToolWindowFactory factory;
        std::unique_ptr<IToolWindow> window;
    };

    // ICaptionView: the network side's news for the display.
    void captionRefresh() override;
    void captionRedraw() override;
    void captionGoLast() override;

    ToolSlot &slot(ToolWindow window) { return m_tools[static_cast<size_t>(window)]; }
    const ToolSlot &slot(ToolWindow window) const { return m_tools[static_cast<size_t>(window)]; }
    void OnClose();
    void ToggleWindow(ToolWindow window);
    void RefreshWindowState();
    void FocusToolWindow(ToolWindow window);
    void ForwardCommand(ToolWindow window, int command);
    void ShowCover();
    void ToggleCover();
    void ChooseCoverColor();
    void OnLogSettings();
    void OnAbout();
    void OnLanguage();
    void addStateCopiers();
    bool showMessage(const QString &text, const QString &caption, bool withCancel = false);
    int readInt(const QString &key, int fallback) const;

    void RequestIdlePass();
    void OnIdle();
    void OnMemberMonitorTimer();
    void OnDisplayMinimized(bool minimized);
    void OnApplicationStateChanged(Qt::ApplicationState state);

    CScreenWorkArea m_workArea;
    CConfig m_config;
    ReceivedMain m_captions;
    ReceivedChat m_contacts;
    CMemberList m_members;
    CPftMonitorModel m_pftMonitor;
    std::unique_ptr<IAdapterSource> m_ownAdapters;
    IAdapterSource *m_adapters = nullptr;
    CNetController *m_net = nullptr;
    CCustomPalette m_palette;
    CSettingsFiles m_settingsFiles{m_config, m_palette};
    CLogFile m_displayLog;
    CLogFile m_contactLog;
    CAcceleratorTables *m_accelerators = nullptr;

    std::unique_ptr<CDlgMain> m_display;
    std::array<ToolSlot, kToolWindowCount> m_tools;
    ToolWindowFactory m_coverFactory;
    std::unique_ptr<IToolWindow> m_cover;
    bool m_bCoverShown = false;

    LoginDialog m_loginDialog;
    MessageBox m_messageBox;
    LogSettingsDialog m_logSettingsDialog;
    QHash<int, std::function<void()>> m_commandHooks;
    std::function<void()> m_flushDisplayLog;
    std::function<void()> m_stopWebServer;
    IMemberMonitorView *m_memberMonitorView = nullptr;

    QString m_strCmdLineFile;
    QString m_strTitle;
    QString m_strUndoMarker;
    QString m_strClearMarker;
    int m_nMaxDisplayLines = 0;
    int m_nLinesPerLogWrite = 0;
    int m_nLinesKept = 0;
    int m_nLastLoggedLine = 0;

    QTimer *m_memberMonitorTimer = nullptr; // 105
    QTimer *m_idleTimer = nullptr;
    bool m_bCreated = false;        // first idle pass still to come
    bool m_bWindowCreated = false;  // OnCreate ran
    bool m_bDestroyed = false;
    bool m_bCoverPending = false;
    bool m_bRestorePending = false;
    bool m_bDeactivated = false;
    QPointer<QWidget> m_focusToRestore;
};
