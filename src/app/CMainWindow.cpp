#include "app/CMainWindow.h"

#include "app/CAcceleratorTables.h"
#include "core/CommandIds.h"
#include "app/CDlgCfgLang.h"
#include "app/CDlgMessage.h"
#include "app/CDlgNic.h"
#include "app/CLanguageResources.h"
#include "app/IToolWindow.h"
#include "config/CConfigGui.h"
#include "core/AppPaths.h"
#include "core/ContinuousTime.h"
#include "core/OperationLog.h"
#include "core/StringTable.h"
#include "display/CDlgMain.h"
#include "display/CModalScope.h"
#include "net/CNetController.h"
#include "net/CNetworkInterfaceAdapters.h"
#include "net/IMemberMonitorView.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QDir>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>

namespace {

constexpr int kMaxCommandLine = 259;
constexpr qint32 kBlankLineType = 'i';
const QString kLocalAddress = QStringLiteral("127.0.0.1");

// The string table's insert syntax: "%1", "%1!d!", "%2!c!" take the argument of that number,
// "%%" is a percent sign.
QString formatInserts(const QString &pattern, const QStringList &args)
{
    QString out;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        if (c != u'%' || i + 1 >= pattern.size()) {
            out += c;
            continue;
        }
        const QChar next = pattern.at(i + 1);
        if (next == u'%') {
            out += c;
            ++i;
            continue;
        }
        if (!next.isDigit() || next == u'0') {
            out += c;
            continue;
        }
        const int index = next.digitValue() - 1;
        i += 1;
        if (i + 1 < pattern.size() && pattern.at(i + 1) == u'!') {
            const qsizetype end = pattern.indexOf(u'!', i + 2);
            if (end > 0)
                i = end;
        }
        if (index < args.size())
            out += args.at(index);
    }
    return out;
}

QString groupLetter(int group)
{
    if (group < 1 || group > 26)
        return QStringLiteral("?");
    return QString(QChar(u'A' + group - 1));
}

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
    connect(m_net, &CNetController::onlineChanged, this, &CMainWindow::UpdateTitle);
    connect(m_net, &CNetController::refusalWarningPending, this, &CMainWindow::RequestIdlePass);

    if (auto *gui = qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        connect(gui, &QGuiApplication::applicationStateChanged, this, &CMainWindow::OnApplicationStateChanged);

    m_accelerators = new CAcceleratorTables(this);
    connect(m_accelerators, &CAcceleratorTables::commandTriggered, this, &CMainWindow::OnCommand);

    m_memberMonitorTimer = new QTimer(this);
    connect(m_memberMonitorTimer, &QTimer::timeout, this, &CMainWindow::OnMemberMonitorTimer);
    // Idle steps run once the queue has drained: a zero timer fires after pending events.
    m_idleTimer = new QTimer(this);
    m_idleTimer->setSingleShot(true);
    m_idleTimer->setInterval(0);
    connect(m_idleTimer, &QTimer::timeout, this, &CMainWindow::OnIdle);

    const auto init = [this](ToolWindow window, const char16_t *key, int command) {
        slot(window).displayKey = key ? QString::fromUtf16(key) : QString();
        slot(window).command = command;
    };
    init(ToolWindow::MemberMonitor, u"monitor.display_i", CommandId::ToggleMemberMonitor);
    init(ToolWindow::Input, u"input.display_i", CommandId::ToggleInput);
    init(ToolWindow::Contact, u"chat.display_i", CommandId::ToggleContact);
    init(ToolWindow::Preroll, u"pft.display_i", CommandId::TogglePreroll);
    init(ToolWindow::PrerollMonitor, u"pft_monitor.display_i", CommandId::TogglePrerollMonitor);
    init(ToolWindow::FunctionKeys, u"fkey.display_i", CommandId::ToggleFunctionKeys);
    init(ToolWindow::LogViewer, nullptr, CommandId::ToggleLogViewer);

    m_loginDialog = [](QWidget *owner, const QList<AdapterEntry> &adapters, CConfig &config) {
        CDlgNic dialog(adapters, config, owner);
        return dialog.DoModal();
    };
    addStateCopiers();
    m_settingsFiles.SetApplyHandler([this] { CopyConfigToApplication(); });
}

void CMainWindow::addStateCopiers()
{
    using Scope = CSettingsFiles::CopyScope;
    m_settingsFiles.AddStateCopier(Scope::Always, [this](CConfig &config) {
        config.SetInt(QStringLiteral("miscellaneous.log.display_i"), m_net->displayLogEnabled() ? 1 : 0);
        config.SetInt(QStringLiteral("miscellaneous.log.chat_i"), m_net->contactLogEnabled() ? 1 : 0);
    });
    m_settingsFiles.AddStateCopier(Scope::Always, [this](CConfig &) {
        if (m_display)
            m_display->CopyWindowToConfig();
    });
    static constexpr std::array kOrder = {ToolWindow::Input,   ToolWindow::MemberMonitor,  ToolWindow::Contact,
                                          ToolWindow::Preroll, ToolWindow::PrerollMonitor, ToolWindow::FunctionKeys};
    for (ToolWindow window : kOrder) {
        m_settingsFiles.AddStateCopier(Scope::AllWindows, [this, window](CConfig &) {
            if (IToolWindow *tool = slot(window).window.get())
                tool->CopyWindowToConfig();
        });
    }
    m_settingsFiles.AddStateCopier(Scope::AllWindows, [this](CConfig &) {
        if (m_cover)
            m_cover->CopyWindowToConfig();
    });
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

CDlgMain *CMainWindow::displayWindow() const
{
    return m_display.get();
}

int CMainWindow::readInt(const QString &key, int fallback) const
{
    qint32 value = fallback;
    if (!m_config.GetInt(key, value))
        return fallback;
    return value;
}

// ---- start-up --------------------------------------------------------------------------------

void CMainWindow::SetCmdLine(const QString &commandLine)
{
    WriteLog(QStringLiteral("CMainWindow::SetCmdLine() begins."));
    QString path = commandLine.left(kMaxCommandLine);
    // A file opened from the desktop arrives in double quotes.
    if (path.size() >= 2 && path.startsWith(u'"') && path.endsWith(u'"'))
        path = path.mid(1, path.size() - 2);
    m_strCmdLineFile = path;
    m_config.LoadFromFile(path);
    WriteLog(QStringLiteral("CMainWindow::SetCmdLine() finishes. filename=") + path);
}

bool CMainWindow::LoadDefaultConfig()
{
    return m_settingsFiles.LoadDefaultConfig();
}

// ---- creation ---------------------------------------------------------------------------------

bool CMainWindow::Create()
{
    if (m_bWindowCreated || m_bDestroyed)
        return false;
    const CModalScope modal;
    WriteLog(QStringLiteral("CMainWindow::OnCreate() begins."));
    WriteLog(CDlgMessage::ProductName(CLanguageResources::instance().chosenLcid()) + QStringLiteral(" ") +
             ProductVersion());
    ContinuousTime::Initialize();

    m_accelerators->install();

    m_nMaxDisplayLines = readInt(QStringLiteral("main.line.max_i"), 50);
    m_nLinesPerLogWrite = readInt(QStringLiteral("miscellaneous.log.lines.save_i"), 0);
    m_nLinesKept = std::max(readInt(QStringLiteral("miscellaneous.log.lines.keep_i"), 0), 2 * m_nMaxDisplayLines);
    m_nLinesKept = m_captions.Configure(m_nLinesKept, m_nMaxDisplayLines);

    m_display = std::make_unique<CDlgMain>(m_config, m_captions);
    connect(m_display.get(), &CDlgMain::commandRequested, this, &CMainWindow::PostCommand);
    connect(m_display.get(), &CDlgMain::minimizedChanged, this, &CMainWindow::OnDisplayMinimized);
    m_accelerators->addTable129Window(m_display.get());
    m_display->show();

    CopyConfigToApplication();

    if (m_coverFactory)
        m_cover = m_coverFactory(*this);

    for (int i = 0; i < m_nMaxDisplayLines; ++i)
        m_captions.AddString(QString(), kLocalAddress, kBlankLineType);
    // The blank lines never reach the display log.
    m_nLastLoggedLine = m_nMaxDisplayLines;

    m_net->StartHeartbeat();
    m_memberMonitorTimer->start(1000);

    if (CAppPaths::IsPortable())
        m_config.SetString(QStringLiteral("miscellaneous.log.folder"), CAppPaths::GetExeFolder());
    QString logFolder;
    m_config.GetString(QStringLiteral("miscellaneous.log.folder"), logFolder);
    m_displayLog.SetFolder(logFolder);
    m_displayLog.SetPattern(QStringLiteral("log_%Y%m%d_%H%M%S_display.txt"));
    m_contactLog.SetFolder(logFolder);
    m_contactLog.SetPattern(QStringLiteral("log_%Y%m%d_%H%M%S_chat.txt"));

    QString memberName;
    m_config.GetString(QStringLiteral("communication.name"), memberName);
    const int adapterCount = m_net->EnumerateAdapters();
    bool loggedIn = false;
    if (adapterCount == 1 && !memberName.isEmpty()) {
        WriteLog(QStringLiteral("auto login because NIC exists only one."));
        loggedIn = m_net->DoLogin(0);
    }
    if (!loggedIn)
        DoFileConnect(false);

    m_strUndoMarker = CStringTable::get(152);
    m_strClearMarker = CStringTable::get(153);
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
    m_net->setDisplayLogEnabled(readInt(QStringLiteral("miscellaneous.log.display_i"), 0) != 0);
    m_net->setContactLogEnabled(readInt(QStringLiteral("miscellaneous.log.chat_i"), 0) != 0);

    if (m_display) {
        m_display->CopyConfigToWindow();
        m_display->Redraw();
    }

    static constexpr std::array kOrder = {ToolWindow::Input,   ToolWindow::MemberMonitor,  ToolWindow::Contact,
                                          ToolWindow::Preroll, ToolWindow::PrerollMonitor, ToolWindow::FunctionKeys};
    for (ToolWindow window : kOrder) {
        ToolSlot &tool = slot(window);
        const bool shown = readInt(tool.displayKey, 0) == 1;
        if (m_display)
            m_display->SetChecked(tool.command, shown);
        if (shown && !tool.window)
            ToggleWindow(window);
    }
    for (ToolWindow window : kOrder) {
        if (IToolWindow *tool = slot(window).window.get())
            tool->CopyConfigToWindow();
    }
    if (m_cover)
        m_cover->CopyConfigToWindow();

    m_bCoverPending = readInt(QStringLiteral("hide.display_i"), 0) == 1;
    if (m_bCoverPending) {
        RequestIdlePass();
    } else if (m_bCoverShown) {
        m_bCoverShown = false;
        if (m_cover)
            m_cover->HideWindow();
        if (m_display)
            m_display->SetChecked(CommandId::ToggleCover, false);
    }
    m_palette.LoadCustomColors(m_config);
    WriteLog(QStringLiteral("CMainWindow::CopyConfigToApplication() ends."));
}

void CMainWindow::DoFileConnect(bool refreshAdapters)
{
    WriteLog(QStringLiteral("CMainWindow::DoFileConnect() begins."));
    if (refreshAdapters)
        m_net->EnumerateAdapters();
    const QList<AdapterEntry> adapters = m_net->adapters();
    const int result = m_loginDialog ? m_loginDialog(m_display.get(), adapters, m_config) : -1;
    WriteLogInt(QStringLiteral("CMainWindow::DoFileConnect() Dialog return code:"), result);
    if (result >= 0 && !adapters.isEmpty()) {
        if (!m_net->DoLogin(result))
            showMessage(m_net->errorMessage(), m_net->errorTitle());
    }
    UpdateTitle();
    WriteLog(QStringLiteral("CMainWindow::DoFileConnect() ends."));
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
    // A signal may arrive while a dialog runs its own loop: cancel it and wait until its exec()
    // has returned, since destroying the windows would delete the dialog under it.
    if (CModalScope::depth() > 0 || QApplication::activeModalWidget()) {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            if (auto *dialog = qobject_cast<QDialog *>(modal))
                dialog->reject();
            else
                modal->close();
        }
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
    if (m_net->displayLogEnabled() && m_flushDisplayLog)
        m_flushDisplayLog();
    if (m_stopWebServer)
        m_stopWebServer();

    m_settingsFiles.SaveAtExit();

    m_net->StopHeartbeat();
    m_memberMonitorTimer->stop();
    m_net->StopMonitorResend();

    m_displayLog.Close();
    m_contactLog.Close();

    m_net->SetOffline();

    static constexpr std::array kOrder = {ToolWindow::MemberMonitor, ToolWindow::Input,          ToolWindow::Contact,
                                          ToolWindow::Preroll,       ToolWindow::PrerollMonitor, ToolWindow::FunctionKeys,
                                          ToolWindow::LogViewer};
    m_net->setMemberMonitorView(nullptr);
    m_net->setContactView(nullptr);
    m_net->setInputSource(nullptr);
    m_memberMonitorView = nullptr;
    for (ToolWindow window : kOrder)
        slot(window).window.reset();
    m_cover.reset();
    m_net->setCaptionView(nullptr);
    m_display.reset();

    m_accelerators->uninstall();
    m_idleTimer->stop();

    WriteLog(QStringLiteral("CMainWindow::OnDestroy() finishes."));
    emit quitRequested(0);
}

// ---- settings files -------------------------------------------------------------------------

bool CMainWindow::SaveDefaultConfig(bool toDefaultFile, bool allWindows)
{
    return m_settingsFiles.SaveDefaultConfig(toDefaultFile, allWindows);
}

// ---- commands ---------------------------------------------------------------------------------

void CMainWindow::PostCommand(int command)
{
    QMetaObject::invokeMethod(this, [this, command] { OnCommand(command); }, Qt::QueuedConnection);
}

void CMainWindow::OnCommand(int command)
{
    if (m_bDestroyed)
        return;
    const CModalScope modal;
    using namespace CommandId;
    switch (command) {
    case Connect: DoFileConnect(true); return;
    case FileOpen: m_settingsFiles.DoFileOpen(m_display.get()); return;
    case FileSaveAs: m_settingsFiles.DoFileSaveAs(m_display.get()); return;
    case Exit: Close(); return;

    case ToggleInput: ToggleWindow(ToolWindow::Input); return;
    case ToggleMemberMonitor: ToggleWindow(ToolWindow::MemberMonitor); return;
    case ToggleContact: ToggleWindow(ToolWindow::Contact); return;
    case TogglePreroll: ToggleWindow(ToolWindow::Preroll); return;
    case TogglePrerollMonitor: ToggleWindow(ToolWindow::PrerollMonitor); return;
    case ToggleFunctionKeys: ToggleWindow(ToolWindow::FunctionKeys); return;
    case ToggleLogViewer: ToggleWindow(ToolWindow::LogViewer); return;
    case CommandId::ToggleCover: ToggleCover(); return;
    case CoverColor: ChooseCoverColor(); return;
    case CommandId::RefreshWindowState: RefreshWindowState(); return;

    case LogSettings: OnLogSettings(); return;
    case StartupSettings: m_settingsFiles.DoCfgInit(m_display.get()); return;
    case ResetSettings: m_settingsFiles.DoReset(m_display.get()); return;
    case Language: OnLanguage(); return;
    case About: OnAbout(); return;

    case InputFont:
    case InputBackground: ForwardCommand(ToolWindow::Input, command); return;
    case MonitorFont:
    case MonitorBackground:
    case MonitorLostBackground: ForwardCommand(ToolWindow::MemberMonitor, command); return;
    case PrerollMonitorFont:
    case PrerollMonitorBackground: ForwardCommand(ToolWindow::PrerollMonitor, command); return;
    case FunctionKeysFont:
    case FunctionKeysBackground: ForwardCommand(ToolWindow::FunctionKeys, command); return;

    case FocusContact: FocusToolWindow(ToolWindow::Contact); return;
    case FocusFunctionKeys: FocusToolWindow(ToolWindow::FunctionKeys); return;
    case FocusInput: FocusToolWindow(ToolWindow::Input); return;
    case FocusMemberMonitor: FocusToolWindow(ToolWindow::MemberMonitor); return;
    case FocusPreroll: FocusToolWindow(ToolWindow::Preroll); return;
    case FocusPrerollMonitor: FocusToolWindow(ToolWindow::PrerollMonitor); return;
    case FocusLogViewer: FocusToolWindow(ToolWindow::LogViewer); return;
    case FocusDisplay:
        if (m_display) {
            m_display->activateWindow();
            m_display->raise();
            m_display->setFocus(Qt::ShortcutFocusReason);
        }
        return;
    case NoAction: return;
    default:
        if (const auto hook = m_commandHooks.value(command))
            hook();
        return;
    }
}

void CMainWindow::ToggleWindow(ToolWindow window)
{
    ToolSlot &tool = slot(window);
    if (!tool.window) {
        if (!tool.displayKey.isEmpty())
            m_config.SetInt(tool.displayKey, 1);
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
    if (m_display)
        m_display->SetChecked(tool.command, tool.window && tool.window->isShown());
}

void CMainWindow::RefreshWindowState()
{
    if (!m_display)
        return;
    for (const ToolSlot &tool : m_tools)
        m_display->SetChecked(tool.command, tool.window && tool.window->isShown());
}

void CMainWindow::FocusToolWindow(ToolWindow window)
{
    IToolWindow *tool = slot(window).window.get();
    if (tool && tool->isShown())
        tool->FocusWindow();
}

void CMainWindow::ForwardCommand(ToolWindow window, int command)
{
    // Posted, as the window would get it from its own menu.
    QMetaObject::invokeMethod(
        this,
        [this, window, command] {
            if (IToolWindow *tool = slot(window).window.get())
                tool->OnForwardedCommand(command);
        },
        Qt::QueuedConnection);
}

void CMainWindow::ShowCover()
{
    m_bCoverShown = true;
    if (m_cover)
        m_cover->ShowWindow();
    static constexpr std::array kOrder = {ToolWindow::MemberMonitor, ToolWindow::Input,          ToolWindow::Contact,
                                          ToolWindow::Preroll,       ToolWindow::PrerollMonitor, ToolWindow::FunctionKeys,
                                          ToolWindow::LogViewer};
    // Whatever is shown stays above the cover.
    for (ToolWindow window : kOrder) {
        IToolWindow *tool = slot(window).window.get();
        if (tool && tool->isShown() && tool->widget()) {
            tool->widget()->show();
            tool->widget()->raise();
        }
    }
    if (m_display) {
        m_display->raise();
        m_display->SetChecked(CommandId::ToggleCover, true);
    }
}

void CMainWindow::ToggleCover()
{
    if (!m_bCoverShown) {
        ShowCover();
        return;
    }
    m_bCoverShown = false;
    if (m_cover)
        m_cover->HideWindow();
    if (m_display)
        m_display->SetChecked(CommandId::ToggleCover, false);
}

void CMainWindow::ChooseCoverColor()
{
    quint32 current = 0xffffff;
    m_config.GetColor(QStringLiteral("hide.color.background"), current);
    for (int i = 0; i < CCustomPalette::kCount; ++i)
        QColorDialog::setCustomColor(i, CConfigGui::toQColor(m_palette.color(i)));
    const QColor chosen = QColorDialog::getColor(CConfigGui::toQColor(current), m_display.get());
    for (int i = 0; i < CCustomPalette::kCount; ++i)
        m_palette.setColor(i, CConfigGui::fromQColor(QColorDialog::customColor(i)));
    if (chosen.isValid()) {
        m_config.SetColor(QStringLiteral("hide.color.background"), CConfigGui::fromQColor(chosen));
        // The cover takes its new brush from the store.
        if (m_cover)
            m_cover->OnForwardedCommand(CommandId::CoverColor);
    }
    if (m_display)
        m_display->setFocus(Qt::OtherFocusReason);
}

void CMainWindow::OnLogSettings()
{
    if (!m_logSettingsDialog)
        return;
    bool folderChanged = false;
    if (!m_logSettingsDialog(m_display.get(), m_config, folderChanged))
        return;
    m_net->setDisplayLogEnabled(readInt(QStringLiteral("miscellaneous.log.display_i"), 0) != 0);
    m_net->setContactLogEnabled(readInt(QStringLiteral("miscellaneous.log.chat_i"), 0) != 0);
    if (!folderChanged)
        return;
    QString folder;
    m_config.GetString(QStringLiteral("miscellaneous.log.folder"), folder);
    m_displayLog.Close();
    m_contactLog.Close();
    m_displayLog.SetFolder(folder);
    m_contactLog.SetFolder(folder);
}

void CMainWindow::OnAbout()
{
    if (const auto hook = m_commandHooks.value(CommandId::About)) {
        hook();
        return;
    }
    CDlgMessage dialog(CDlgMessage::AboutText(CLanguageResources::instance().chosenLcid()), m_display.get());
    dialog.exec();
}

void CMainWindow::OnLanguage()
{
    if (const auto hook = m_commandHooks.value(CommandId::Language)) {
        hook();
        return;
    }
    CDlgCfgLang dialog(m_config, CLanguageResources::instance(), m_display.get());
    dialog.exec();
}

bool CMainWindow::showMessage(const QString &text, const QString &caption, bool withCancel)
{
    if (m_messageBox)
        return m_messageBox(text, caption, withCancel);
    QMessageBox box(withCancel ? QMessageBox::Question : QMessageBox::Warning, caption, CStringTable::forDisplay(text),
                    withCancel ? (QMessageBox::Ok | QMessageBox::Cancel) : QMessageBox::Ok, m_display.get());
    return box.exec() == QMessageBox::Ok;
}

// ---- title and version ------------------------------------------------------------------------

QString CMainWindow::ProductVersion()
{
    return QStringLiteral(TAVRIN_VERSION_STRING);
}

QString CMainWindow::ShortVersion(const QString &version)
{
    const qsizetype first = version.indexOf(u'.');
    const qsizetype second = first < 0 ? -1 : version.indexOf(u'.', first + 1);
    return second < 0 ? version : version.left(second);
}

QString CMainWindow::ComposeTitle(const QString &version, bool online, const QString &memberName, int channel,
                                  int group)
{
    QString title = CStringTable::get(101);
    if (!version.isEmpty())
        title += u' ' + ShortVersion(version);
    if (online) {
        title += QStringLiteral(" [") + memberName + QStringLiteral("] ") +
                 formatInserts(CStringTable::get(165), {QString::number(channel), groupLetter(group)});
    } else {
        title += u' ' + CStringTable::get(164);
    }
    title += u' ' + CStringTable::get(167);
    return title;
}

void CMainWindow::UpdateTitle()
{
    m_strTitle = ComposeTitle(ProductVersion(), m_net->isOnline(), m_net->memberName(), m_net->channel(),
                              m_net->group());
    if (m_display)
        m_display->setWindowTitle(m_strTitle);
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
        m_bCreated = false;
        FocusToolWindow(ToolWindow::Input);
    }
    if (m_net->TakeRefusalWarning())
        showMessage(CStringTable::get(128), CStringTable::get(129));
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
    if (minimized) {
        m_focusToRestore = QApplication::focusWidget();
        return;
    }
    if (m_focusToRestore) {
        m_bRestorePending = true;
        RequestIdlePass();
    }
}

void CMainWindow::OnApplicationStateChanged(Qt::ApplicationState state)
{
    if (state != Qt::ApplicationActive) {
        m_bDeactivated = true;
        return;
    }
    if (m_bDeactivated && m_bCoverShown && m_cover)
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

void CMainWindow::setToolWindowFactory(ToolWindow window, ToolWindowFactory factory)
{
    slot(window).factory = std::move(factory);
}

void CMainWindow::setCoverWindowFactory(ToolWindowFactory factory)
{
    m_coverFactory = std::move(factory);
}

IToolWindow *CMainWindow::toolWindow(ToolWindow window) const
{
    return slot(window).window.get();
}

void CMainWindow::registerTable129Widget(QWidget *widget)
{
    m_accelerators->addTable129Widget(widget);
}

void CMainWindow::setLoginDialog(LoginDialog dialog)
{
    m_loginDialog = std::move(dialog);
}

void CMainWindow::setMessageBox(MessageBox messageBox)
{
    m_messageBox = std::move(messageBox);
}

void CMainWindow::setLogSettingsDialog(LogSettingsDialog dialog)
{
    m_logSettingsDialog = std::move(dialog);
}

void CMainWindow::setCommandHook(int command, std::function<void()> hook)
{
    m_commandHooks.insert(command, std::move(hook));
}

void CMainWindow::setDisplayLogFlush(std::function<void()> flush)
{
    m_flushDisplayLog = std::move(flush);
}

void CMainWindow::setWebServerStop(std::function<void()> stop)
{
    m_stopWebServer = std::move(stop);
}

void CMainWindow::setMemberMonitorView(IMemberMonitorView *view)
{
    m_memberMonitorView = view;
    m_net->setMemberMonitorView(view);
}

void CMainWindow::setContactView(IContactView *view)
{
    m_net->setContactView(view);
}

void CMainWindow::setCaptionLog(ICaptionLog *log)
{
    m_net->setLog(log);
}

void CMainWindow::setInputSource(IInputSource *input)
{
    m_net->setInputSource(input);
}
