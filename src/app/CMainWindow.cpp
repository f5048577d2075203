#include "app/CMainWindow.h"

#include "app/CAcceleratorTables.h"
#include "app/CCaptionStoreStart.h"
#include "app/CCaretBlink.h"
#include "app/CColorSetting.h"
#include "app/CDlgMessage.h"
#include "app/CDlgNic.h"
#include "app/CLanguageResources.h"
#include "app/CLogSwitches.h"
#include "app/CModalCancel.h"
#include "app/CWindowTitle.h"
#include "app/ToolWindowTable.h"
#include "core/CDialogs.h"
#include "core/CommandIds.h"
#include "core/ContinuousTime.h"
#include "core/OperationLog.h"
#include "core/StringTable.h"
#include "display/CDlgMain.h"
#include "display/CModalScope.h"
#include "input/CInputContextPrimer.h"
#include "input/IToolWindow.h"
#include "logs/CDlgCfgLog.h"
#include "net/CNetController.h"
#include "net/CNetworkInterfaceAdapters.h"
#include "net/IMemberMonitorView.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

namespace {

// As long as a desktop commonly lets the text cursor blink after the last key.
constexpr int kCaretBlinkMs = 10000;
// How often the first idle pass looks again whether the tool windows are ready for the focus.
constexpr int kPrimerPollMs = 50;

} // namespace

CMainWindow::CMainWindow(IAdapterSource *adapterSource, QObject *parent)
    : QObject(parent), m_config(&m_workArea), m_adapters(adapterSource)
{
    if (!m_adapters) {
        m_ownAdapters = std::make_unique<CNetworkInterfaceAdapters>();
        m_adapters = m_ownAdapters.get();
    }
    m_net = new CNetController(m_config, *m_adapters, m_captions, m_contacts, m_members, m_pftMonitor, this);
    m_net->setCaptionView(this);
    m_login = std::make_unique<CLoginSequence>(m_config, *m_net);
    connect(m_net, &CNetController::onlineChanged, this, &CMainWindow::UpdateTitle);
    connect(m_net, &CNetController::refusalWarningPending, this, &CMainWindow::RequestIdlePass);

    if (auto *gui = qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        connect(gui, &QGuiApplication::applicationStateChanged, this,
                &CMainWindow::OnApplicationStateChanged);

    m_accelerators = new CAcceleratorTables(this);
    connect(m_accelerators, &CAcceleratorTables::commandTriggered, this, &CMainWindow::OnCommand);

    const bool widgets = qobject_cast<QApplication *>(QCoreApplication::instance()) != nullptr;
    m_caretBlink = new CCaretBlink(
        widgets ? QApplication::cursorFlashTime() : 0, kCaretBlinkMs,
        [](int flashTime) { QApplication::setCursorFlashTime(flashTime); }, this);

    m_memberMonitorTimer = new QTimer(this);
    connect(m_memberMonitorTimer, &QTimer::timeout, this, &CMainWindow::OnMemberMonitorTimer);
    // Idle steps run once the queue has drained: a zero timer fires after pending events.
    m_idleTimer = new QTimer(this);
    m_idleTimer->setSingleShot(true);
    m_idleTimer->setInterval(0);
    connect(m_idleTimer, &QTimer::timeout, this, &CMainWindow::OnIdle);

    m_login->setDialog([](QWidget *owner, const QList<AdapterEntry> &adapters, CConfig &config) {
        CDlgNic dialog(adapters, config, owner);
        return dialog.DoModal();
    });

    using Scope = CSettingsFiles::CopyScope;
    m_settingsFiles.AddStateCopier(Scope::Always, [this](CConfig &config) {
        CLogSwitches::Store(*m_net, config);
        if (m_display)
            m_display->CopyWindowToConfig();
    });
    m_settingsFiles.AddStateCopier(Scope::AllWindows, [this](CConfig &) {
        forEachSettingsWindow([this](ToolWindow window) {
            if (IToolWindow *tool = toolWindow(window))
                tool->CopyWindowToConfig();
        });
        if (m_cover)
            m_cover->CopyWindowToConfig();
    });
    m_settingsFiles.SetApplyHandler([this] { CopyConfigToApplication(); });

    // The main window's own commands; those of the tool windows are in their table.
    using namespace CommandId;
    const std::pair<int, std::function<void()>> commands[] = {
        {Connect, [this] { DoFileConnect(); }},
        {FileOpen, [this] { m_settingsFiles.DoFileOpen(m_display.get()); }},
        {FileSaveAs, [this] { m_settingsFiles.DoFileSaveAs(m_display.get()); }},
        {Exit, [this] { Close(); }},
        {CommandId::ToggleCover, [this] { m_bCoverShown ? HideCover() : ShowCover(); }},
        {CoverColor, [this] { ChooseCoverColor(); }},
        {CommandId::RefreshWindowState, [this] { RefreshWindowState(); }},
        {LogSettings, [this] { OnLogSettings(); }},
        {StartupSettings, [this] { m_settingsFiles.DoCfgInit(m_display.get()); }},
        {ResetSettings, [this] { m_settingsFiles.DoReset(m_display.get()); }},
        {FocusDisplay, [this] { FocusDisplayWindow(); }},
    };
    for (const auto &[command, handler] : commands)
        m_commandHooks.insert(command, handler);
}

CMainWindow::~CMainWindow()
{
    // Tool windows may refer to the stores and the controller: they go first.
    for (ToolSlot &tool : m_tools)
        tool.window.reset();
    m_cover.reset();
    m_display.reset();
    // The controller refers to the stores, which are members: it must go before them, not with
    // the QObject children after them.
    delete m_net;
    m_net = nullptr;
}

// ---- start-up and creation --------------------------------------------------------------------

bool CMainWindow::Create()
{
    if (m_bWindowCreated || m_bDestroyed)
        return false;
    const CModalScope modal;
    WriteLog(QStringLiteral("CMainWindow::OnCreate() begins."));
    const quint16 language = CLanguageResources::instance().chosenLcid();
    WriteLog(CDlgMessage::ProductName(language) + u' ' + CDlgMessage::ProductVersion());
    ContinuousTime::Initialize();

    m_accelerators->install();
    m_caretBlink->install(QCoreApplication::instance());

    const int displayLines = CCaptionStoreStart::Configure(m_config, m_captions);

    m_display = std::make_unique<CDlgMain>(m_config, m_captions);
    connect(m_display.get(), &CDlgMain::commandRequested, this, &CMainWindow::PostCommand);
    connect(m_display.get(), &CDlgMain::minimizedChanged, this, &CMainWindow::OnDisplayMinimized);
    m_accelerators->addTable129Window(m_display.get());
    m_display->show();

    CopyConfigToApplication();

    if (m_coverFactory)
        m_cover = m_coverFactory(*this);

    CCaptionStoreStart::FillScreen(m_captions, displayLines);

    m_net->StartHeartbeat();
    m_memberMonitorTimer->start(1000);

    m_logs.Start(m_config, displayLines);

    m_login->AtStart(m_display.get());
    UpdateTitle();

    WriteLog(QStringLiteral("CMainWindow::OnCreate() finishes."));
    m_bWindowCreated = true;
    m_bCreated = true;
    RequestIdlePass();
    return true;
}

void CMainWindow::CopyConfigToApplication()
{
    WriteLog(QStringLiteral("CMainWindow::CopyConfigToApplication() begins."));
    CLogSwitches::Apply(m_config, *m_net);
    if (m_display) {
        m_display->CopyConfigToWindow();
        m_display->Redraw();
    }
    forEachSettingsWindow([this](ToolWindow window) {
        const bool shown = m_config.GetIntOr(QString::fromUtf16(toolWindowRow(window).displayKey), 0) == 1;
        SetChecked(toolWindowRow(window).toggle, shown);
        if (shown && !slot(window).window)
            ToggleWindow(window);
    });
    forEachSettingsWindow([this](ToolWindow window) {
        if (IToolWindow *tool = toolWindow(window))
            tool->CopyConfigToWindow();
    });
    if (m_cover)
        m_cover->CopyConfigToWindow();

    m_bCoverPending = m_config.GetIntOr(QStringLiteral("hide.display_i"), 0) == 1;
    if (m_bCoverPending)
        RequestIdlePass();
    else if (m_bCoverShown)
        HideCover();
    m_palette.LoadCustomColors(m_config);
    for (const auto &step : std::as_const(m_settingsSteps))
        step();
    WriteLog(QStringLiteral("CMainWindow::CopyConfigToApplication() ends."));
}

void CMainWindow::DoFileConnect()
{
    m_login->Ask(m_display.get(), true);
    UpdateTitle();
}

void CMainWindow::UpdateTitle()
{
    m_strTitle = CWindowTitle::Compose(CDlgMessage::ProductVersion(), m_net->isOnline(), m_net->memberName(),
                                       m_net->channel(), m_net->group(), m_strTitleNotice);
    if (m_display)
        m_display->setWindowTitle(m_strTitle);
}

void CMainWindow::setTitleNotice(const QString &notice)
{
    if (notice == m_strTitleNotice)
        return;
    m_strTitleNotice = notice;
    UpdateTitle();
}

// ---- destruction ------------------------------------------------------------------------------

void CMainWindow::Close()
{
    QMetaObject::invokeMethod(this, &CMainWindow::OnClose, Qt::QueuedConnection);
}

void CMainWindow::OnClose()
{
    if (m_bDestroyed)
        return;
    // A signal may arrive while a dialog runs its own loop: wait until its exec() has returned,
    // since destroying the windows would delete the dialog under it.
    if (CModalCancel::CancelRunning()) {
        QTimer::singleShot(50, this, &CMainWindow::OnClose);
        return;
    }
    Destroy();
}

void CMainWindow::Destroy()
{
    if (m_bDestroyed)
        return;
    m_bDestroyed = true;
    WriteLog(QStringLiteral("CMainWindow::OnDestroy() begins."));
    for (const auto &step : std::as_const(m_shutdownSteps))
        step();
    m_settingsFiles.SaveAtExit();

    m_net->StopHeartbeat();
    m_memberMonitorTimer->stop();
    m_net->StopMonitorResend();
    m_logs.Close();
    m_net->SetOffline();

    m_net->setMemberMonitorView(nullptr);
    m_net->setContactView(nullptr);
    m_net->setInputSource(nullptr);
    m_memberMonitorView = nullptr;
    for (const ToolWindowRow &tool : kToolWindows)
        slot(tool.window).window.reset();
    m_cover.reset();
    m_net->setCaptionView(nullptr);
    m_display.reset();

    m_accelerators->uninstall();
    m_caretBlink->uninstall();
    m_idleTimer->stop();

    WriteLog(QStringLiteral("CMainWindow::OnDestroy() finishes."));
    emit quitRequested(0);
}

// ---- commands ---------------------------------------------------------------------------------

void CMainWindow::PostCommand(int command)
{
    QMetaObject::invokeMethod(
        this, [this, command] { OnCommand(command); }, Qt::QueuedConnection);
}

void CMainWindow::OnCommand(int command)
{
    if (m_bDestroyed)
        return;
    const CModalScope modal;
    for (const ToolWindowRow &tool : kToolWindows) {
        if (command == tool.toggle)
            return ToggleWindow(tool.window);
        if (command == tool.focus)
            return FocusToolWindow(tool.window);
        if (command != 0 && std::ranges::find(tool.forwarded, command) != tool.forwarded.end())
            return ForwardCommand(tool.window, command);
    }
    if (const auto handler = m_commandHooks.value(command))
        handler();
}

void CMainWindow::FocusDisplayWindow()
{
    if (m_display) {
        m_display->activateWindow();
        m_display->raise();
        m_display->setFocus(Qt::ShortcutFocusReason);
    }
}

void CMainWindow::SetChecked(int command, bool checked)
{
    if (m_display)
        m_display->SetChecked(command, checked);
}

void CMainWindow::ToggleWindow(ToolWindow window)
{
    ToolSlot &tool = slot(window);
    if (!tool.window) {
        if (toolWindowRow(window).displayKey)
            m_config.SetInt(QString::fromUtf16(toolWindowRow(window).displayKey), 1);
        if (tool.factory)
            tool.window = tool.factory(*this);
        if (tool.window && !tool.window->isShown())
            tool.window->ShowWindow();
    } else if (tool.window->isShown()) {
        tool.window->HideWindow();
        PostCommand(CommandId::RefreshWindowState);
    } else {
        tool.window->ShowWindow();
    }
    SetChecked(toolWindowRow(window).toggle, tool.window && tool.window->isShown());
}

void CMainWindow::RefreshWindowState()
{
    for (const ToolWindowRow &tool : kToolWindows) {
        const IToolWindow *window = toolWindow(tool.window);
        SetChecked(tool.toggle, window && window->isShown());
    }
}

void CMainWindow::FocusToolWindow(ToolWindow window)
{
    IToolWindow *tool = toolWindow(window);
    if (tool && tool->isShown())
        tool->FocusWindow();
}

void CMainWindow::ForwardCommand(ToolWindow window, int command)
{
    // Posted, as the window would get it from its own menu.
    QMetaObject::invokeMethod(
        this,
        [this, window, command] {
            if (IToolWindow *tool = toolWindow(window))
                tool->OnForwardedCommand(command);
        },
        Qt::QueuedConnection);
}

void CMainWindow::ShowCover()
{
    m_bCoverShown = true;
    if (m_cover)
        m_cover->ShowWindow();
    // Whatever is shown stays above the cover.
    for (const ToolWindowRow &row : kToolWindows) {
        IToolWindow *tool = toolWindow(row.window);
        if (tool && tool->isShown() && tool->widget()) {
            tool->widget()->show();
            tool->widget()->raise();
        }
    }
    if (m_display)
        m_display->raise();
    SetChecked(CommandId::ToggleCover, true);
}

void CMainWindow::HideCover()
{
    m_bCoverShown = false;
    if (m_cover)
        m_cover->HideWindow();
    SetChecked(CommandId::ToggleCover, false);
}

void CMainWindow::ChooseCoverColor()
{
    // The cover takes its new brush from the store.
    if (CColorSetting::Choose(m_display.get(), m_config, QStringLiteral("hide.color.background"),
                              m_palette) &&
        m_cover)
        m_cover->OnForwardedCommand(CommandId::CoverColor);
    if (m_display)
        m_display->setFocus(Qt::OtherFocusReason);
}

void CMainWindow::OnLogSettings()
{
    bool folderChanged = false;
    if (!CDlgCfgLog::Run(m_display.get(), m_config, folderChanged))
        return;
    CLogSwitches::Apply(m_config, *m_net);
    if (folderChanged)
        m_logs.SwitchFolder(m_config.GetStringOr(QStringLiteral("miscellaneous.log.folder")));
}

// ---- idle, timers, activation -----------------------------------------------------------------

void CMainWindow::RequestIdlePass()
{
    if (!m_bDestroyed && !m_idleTimer->isActive())
        m_idleTimer->start();
}

void CMainWindow::OnIdle()
{
    if (m_bCreated) {
        // The windows that ready their input contexts at start take the keyboard for a moment;
        // the first focus comes after them, else one of them would keep it.
        if (CInputContextPrimer::Settling()) {
            QTimer::singleShot(kPrimerPollMs, this, &CMainWindow::RequestIdlePass);
        } else {
            m_bCreated = false;
            FocusToolWindow(ToolWindow::Input);
        }
    }
    if (m_net->TakeRefusalWarning())
        CDialogs::tell(m_display.get(), CDialogs::Icon::Warning, CStringTable::get(129),
                       CStringTable::get(128));
    if (m_bRestorePending) {
        m_bRestorePending = false;
        if (m_focusToRestore) {
            m_focusToRestore->activateWindow();
            m_focusToRestore->setFocus(Qt::ActiveWindowFocusReason);
        }
    }
    if (m_bCoverPending) {
        m_bCoverPending = false;
        ShowCover();
    }
}

void CMainWindow::OnMemberMonitorTimer()
{
    if (m_memberMonitorView && slot(ToolWindow::MemberMonitor).window)
        m_memberMonitorView->refreshMemberMonitor();
}

void CMainWindow::OnDisplayMinimized(bool minimized)
{
    // The display stands for the whole program on the task bar: the windows that are shown go
    // with it and come back with it, whoever minimised or restored it (its title bar, the task bar).
    if (minimized) {
        m_focusToRestore = QApplication::focusWidget();
        ShowShownWindows(false);
        return;
    }
    ShowShownWindows(true);
    if (m_focusToRestore) {
        m_bRestorePending = true;
        RequestIdlePass();
    }
}

void CMainWindow::ShowShownWindows(bool show)
{
    // Only hidden or shown on screen: their shown flags, check marks and saved settings stay.
    if (m_bCoverShown && m_cover) {
        if (show)
            m_cover->ShowWindow();
        else if (m_cover->widget())
            m_cover->widget()->hide();
    }
    for (const ToolWindowRow &row : kToolWindows) {
        IToolWindow *tool = toolWindow(row.window);
        if (!tool || !tool->isShown() || !tool->widget())
            continue;
        QWidget *widget = tool->widget();
        if (!show) {
            widget->hide();
            continue;
        }
        // Back in front of the cover, without taking the focus from the display.
        const bool noActivate = widget->testAttribute(Qt::WA_ShowWithoutActivating);
        widget->setAttribute(Qt::WA_ShowWithoutActivating, true);
        widget->show();
        widget->setAttribute(Qt::WA_ShowWithoutActivating, noActivate);
        widget->raise();
    }
    if (show && m_display)
        m_display->raise();
}

void CMainWindow::OnApplicationStateChanged(Qt::ApplicationState state)
{
    if (state != Qt::ApplicationActive) {
        m_bDeactivated = true;
        return;
    }
    // While the display is minimised the cover stays away with the other windows.
    if (m_bDeactivated && m_bCoverShown && m_cover && !(m_display && m_display->isMinimized()))
        m_cover->ShowWindow();
    m_bDeactivated = false;
}

// ---- the network side's news for the display --------------------------------------------------

void CMainWindow::captionRefresh()
{
    if (m_display)
        m_display->Refresh();
}

void CMainWindow::captionRedraw()
{
    if (m_display)
        m_display->Redraw();
}

void CMainWindow::captionGoLast()
{
    if (m_display)
        m_display->RequestGoLast();
}

// ---- hooks ------------------------------------------------------------------------------------

void CMainWindow::setMemberMonitorView(IMemberMonitorView *view)
{
    m_memberMonitorView = view;
    m_net->setMemberMonitorView(view);
}
