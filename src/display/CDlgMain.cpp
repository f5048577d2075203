#include "display/CDlgMain.h"

#include "app/CCommandIds.h"
#include "config/CConfig.h"
#include "config/CConfigGui.h"
#include "core/OperationLog.h"
#include "core/StringTable.h"
#include "display/CModalScope.h"
#include "timeline/ReceivedMain.h"

#include <QAction>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QShortcut>
#include <QVBoxLayout>

namespace {

bool g_abnormalResponse = false;

QString menu101(const char *text)
{
    return QCoreApplication::translate("Menu101", text);
}

QString menu125(const char *text)
{
    return QCoreApplication::translate("Menu125", text);
}

int readInt(const CConfig &config, const char16_t *key, int fallback)
{
    qint32 value = fallback;
    if (!config.GetInt(QString::fromUtf16(key), value))
        return fallback;
    return value;
}

} // namespace

CDlgMain::CDlgMain(CConfig &config, ReceivedMain &store, QWidget *parent)
    : QWidget(parent, Qt::Window), m_config(config), m_store(store)
{
    WriteLog(QStringLiteral("CDlgMain::OnCreate() begins."));
    setObjectName(QStringLiteral("CDlgMain"));
    m_nMaxDisplayLines = readInt(m_config, u"main.line.max_i", 50);
    WriteLog(QStringLiteral("m_aStringDisplay.SetCount finished. number : %1 (success)").arg(m_nMaxDisplayLines));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_menuBar = new QMenuBar(this);
    layout->setMenuBar(m_menuBar);
    buildMenu101();
    buildMenu125();

    // The window manager's close key, where there is no window manager to supply it.
    auto *closeKey = new QShortcut(QKeySequence(Qt::AltModifier | Qt::Key_F4), this);
    connect(closeKey, &QShortcut::activated, this, &QWidget::close);

    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_store.setMargins(readInt(m_config, u"main.margin.x_i", 4), readInt(m_config, u"main.margin.y_i", 4));
    m_bGoLast = true;
    WriteLog(QStringLiteral("CDlgMain::OnCreate() finished."));
}

CDlgMain::~CDlgMain()
{
    WriteLog(QStringLiteral("CDlgMain::OnDestroy() called."));
    m_store.detachDisplay();
}

QAction *CDlgMain::addItem(QMenu *menu, int command, const QString &text, bool checkable)
{
    auto *item = menu->addAction(text);
    item->setData(command);
    item->setCheckable(checkable);
    // As on the menus the program was designed for, a click does not flip the mark by itself:
    // the owner of the state sets it.
    connect(item, &QAction::triggered, this, [this, item, command] {
        if (item->isCheckable())
            item->setChecked(!item->isChecked());
        OnCommand(command);
    });
    return item;
}

void CDlgMain::buildMenu101()
{
    using namespace CommandId;
    // The text after the tab is what the menu shows as the key; the keys themselves are the
    // main window's accelerator tables.
    QMenu *file = m_menuBar->addMenu(menu101("ファイル(&F)"));
    m_actions.insert(Connect, addItem(file, Connect, menu101("LANカードを選んで（再）接続... (&L)\tCtrl+L")));
    file->addSeparator();
    m_actions.insert(FileOpen, addItem(file, FileOpen, menu101("設定ファイルを開く...(&O)\tCtrl+O")));
    m_actions.insert(FileSaveAs, addItem(file, FileSaveAs, menu101("設定に名前をつけて保存...(&A)\tCtrl+S")));
    file->addSeparator();
    m_actions.insert(Exit, addItem(file, Exit, menu101("終了...(&X)\tAlt+F4")));

    QMenu *window = m_menuBar->addMenu(menu101("ウインドウ(&W)"));
    m_actions.insert(ToggleInput, addItem(window, ToggleInput, menu101("入力ウインドウ(&I)\tShift+Ctrl+I"), true));
    m_actions.insert(ToggleMemberMonitor,
                     addItem(window, ToggleMemberMonitor, menu101("入力モニターウインドウ(&M)\tShift+Ctrl+M"), true));
    m_actions.insert(ToggleContact, addItem(window, ToggleContact, menu101("連絡窓(&C)\tShift+Ctrl+R"), true));
    m_actions.insert(TogglePreroll, addItem(window, TogglePreroll, menu101("前ロールウインドウ(&N)\tShift+Ctrl+N"), true));
    m_actions.insert(TogglePrerollMonitor,
                     addItem(window, TogglePrerollMonitor, menu101("前ロールモニター(&T)\tShift+Ctrl+T"), true));
    m_actions.insert(ToggleFunctionKeys,
                     addItem(window, ToggleFunctionKeys, menu101("Fキーウインドウ(&F)\tShift+Ctrl+F"), true));
    window->addSeparator();
    m_actions.insert(ToggleLogViewer,
                     addItem(window, ToggleLogViewer, menu101("ここまでのログを見る(&L)\tShift+Ctrl+G"), true));
    window->addSeparator();
    m_actions.insert(Frameless, addItem(window, Frameless, menu101("ウインドウの枠を消す(&H)\tF1"), true));
    m_actions.insert(ToggleCover, addItem(window, ToggleCover, menu101("ウインドウ以外を単一色でカバー (&S)"), true));
    m_actions.insert(CoverColor, addItem(window, CoverColor, menu101("ウインドウ以外をカバーする色... (&S)")));

    QMenu *settings = m_menuBar->addMenu(menu101("設定(&S)"));
    m_actions.insert(DisplaySettings, addItem(settings, DisplaySettings, menu101("表示... (&D)")));
    m_actions.insert(DisplayFont, addItem(settings, DisplayFont, menu101("フォント... (&F)")));
    m_actions.insert(DisplayBackground, addItem(settings, DisplayBackground, menu101("背景色... (&B)")));
    m_actions.insert(DisplayOutlineColor, addItem(settings, DisplayOutlineColor, menu101("縁取りの色... (&O)")));
    m_actions.insert(InputSettings, addItem(settings, InputSettings, menu101("入力... (&I)")));
    settings->addSeparator();
    QMenu *input = settings->addMenu(menu101("入力ウインドウ(&I)"));
    m_actions.insert(InputFont, addItem(input, InputFont, menu101("フォント... (&F)")));
    m_actions.insert(InputBackground, addItem(input, InputBackground, menu101("背景色... (&B)")));
    QMenu *monitor = settings->addMenu(menu101("入力モニターウインドウ(&M)"));
    m_actions.insert(MonitorFont, addItem(monitor, MonitorFont, menu101("フォント... (&F)")));
    m_actions.insert(MonitorBackground, addItem(monitor, MonitorBackground, menu101("背景色... (&B)")));
    m_actions.insert(MonitorLostBackground,
                     addItem(monitor, MonitorLostBackground, menu101("通信断の際の背景色... (&L)")));
    QMenu *prerollMonitor = settings->addMenu(menu101("前ロールモニター(&T)"));
    m_actions.insert(PrerollMonitorFont, addItem(prerollMonitor, PrerollMonitorFont, menu101("フォント... (&F)")));
    m_actions.insert(PrerollMonitorBackground,
                     addItem(prerollMonitor, PrerollMonitorBackground, menu101("背景色... (&B)")));
    QMenu *functionKeys = settings->addMenu(menu101("Fキーウインドウ(&F)"));
    m_actions.insert(FunctionKeysFont, addItem(functionKeys, FunctionKeysFont, menu101("フォント... (&F)")));
    m_actions.insert(FunctionKeysBackground,
                     addItem(functionKeys, FunctionKeysBackground, menu101("背景色... (&B)")));
    settings->addSeparator();
    m_actions.insert(LogSettings, addItem(settings, LogSettings, menu101("ログ... (&L)")));
    m_actions.insert(WebServerSettings, addItem(settings, WebServerSettings, menu101("簡易Webサーバー...(&W)")));
    settings->addSeparator();
    m_actions.insert(StartupSettings, addItem(settings, StartupSettings, menu101("起動時設定...(&N)")));
    m_actions.insert(ResetSettings, addItem(settings, ResetSettings, menu101("設定を初期化...(&R)")));
    m_actions.insert(Language, addItem(settings, Language, menu101("言語 (language)...")));

    QMenu *help = m_menuBar->addMenu(menu101("ヘルプ(&H)"));
    m_actions.insert(About, addItem(help, About, menu101("バージョン情報(&V)")));
}

void CDlgMain::buildMenu125()
{
    using namespace CommandId;
    m_contextMenu = new QMenu(this);
    addItem(m_contextMenu, DisplayFont, menu125("フォント... (&F)"));
    addItem(m_contextMenu, DisplayBackground, menu125("背景色... (&B)"));
    addItem(m_contextMenu, DisplaySettings, menu125("表示設定... (&D)"));
    addItem(m_contextMenu, Frameless, menu125("ウインドウ枠を消す (&H)"), true);
    addItem(m_contextMenu, ToggleCover, menu125("ウインドウ以外を単一色でカバー (&S)"), true);
}

QAction *CDlgMain::action(int command) const
{
    return m_actions.value(command, nullptr);
}

void CDlgMain::SetChecked(int command, bool checked)
{
    if (QAction *item = action(command))
        item->setChecked(checked);
    // The context menu repeats some items; their marks follow the menu bar's.
    for (QAction *item : m_contextMenu->actions()) {
        if (item->data().toInt() == command)
            item->setChecked(checked);
    }
}

bool CDlgMain::isChecked(int command) const
{
    const QAction *item = action(command);
    return item && item->isChecked();
}

void CDlgMain::setExitConfirmation(ExitConfirmation confirmation)
{
    m_confirmExit = std::move(confirmation);
}

bool CDlgMain::abnormalResponse()
{
    return g_abnormalResponse;
}

void CDlgMain::clearAbnormalResponse()
{
    g_abnormalResponse = false;
}

void CDlgMain::OnCommand(int command)
{
    using namespace CommandId;
    switch (command) {
    case Exit:
        if (confirmExit())
            close();
        return;
    case DisplayFont:
    case DisplayBackground:
    case DisplayOutlineColor:
    case DisplaySettings:
    case Frameless:
        OnDisplayCommand(command);
        return;
    default:
        emit commandRequested(command);
        return;
    }
}

void CDlgMain::OnDisplayCommand(int command)
{
    // Font, colours, the display settings dialog and the frameless mode belong to the caption
    // renderer; until it is in place they are only logged.
    WriteLogInt(QStringLiteral("CDlgMain::OnCommand() not available in this display"), command);
}

bool CDlgMain::confirmExit()
{
    const CModalScope modal;
    if (m_confirmExit)
        return m_confirmExit(this);
    QMessageBox box(QMessageBox::Warning, CStringTable::get(150), CStringTable::get(166),
                    QMessageBox::Ok | QMessageBox::Cancel, this);
    box.setDefaultButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
}

void CDlgMain::closeEvent(QCloseEvent *event)
{
    WriteLog(QStringLiteral("CDlgMain::OnClose() called."));
    // The main window ends the run and destroys this window itself.
    event->ignore();
    emit commandRequested(CommandId::Exit);
}

void CDlgMain::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    const bool minimized = isMinimized();
    if (minimized != m_bWasMinimized) {
        m_bWasMinimized = minimized;
        emit minimizedChanged(minimized);
    }
}

void CDlgMain::contextMenuEvent(QContextMenuEvent *event)
{
    // From the keyboard the menu opens at the client origin.
    const QPoint at = event->reason() == QContextMenuEvent::Keyboard ? mapToGlobal(QPoint(0, 0)) : event->globalPos();
    m_contextMenu->popup(at);
}

void CDlgMain::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), CConfigGui::toQColor(m_backgroundColor));
}

void CDlgMain::Refresh()
{
    update();
}

void CDlgMain::Redraw()
{
    update();
}

void CDlgMain::RequestGoLast()
{
    m_bGoLast = true;
    update();
}

void CDlgMain::CopyConfigToWindow()
{
    WriteLog(QStringLiteral("DlgMain::CopyConfigToWindow begins."));
    const int x = readInt(m_config, u"main.position.x_i", 0);
    const int y = readInt(m_config, u"main.position.y_i", 0);
    const int width = readInt(m_config, u"main.size.x_i", 370);
    const int height = readInt(m_config, u"main.size.y_i", 260);
    // The stored rectangle is the normal placement; a maximised state is not restored.
    if (isMaximized() || isMinimized() || isFullScreen())
        showNormal();
    setGeometry(x, y, width, height);

    m_store.setMargins(readInt(m_config, u"main.margin.x_i", 4), readInt(m_config, u"main.margin.y_i", 4));
    m_store.setLineHeightPercent(readInt(m_config, u"main.line.height_i", 100));
    m_store.BumpLayoutGeneration();
    m_store.InvalidateMetrics();

    quint32 background = 0xffffff;
    if (m_config.GetColor(QStringLiteral("main.color.background"), background))
        m_backgroundColor = background;
    SetChecked(CommandId::ToggleCover, readInt(m_config, u"hide.display_i", 0) == 1);
    update();
    WriteLog(QStringLiteral("DlgMain::CopyConfigToWindow finished."));
}

void CDlgMain::CopyWindowToConfig()
{
    WriteLog(QStringLiteral("DlgMain::CopyWindowToConfig begins."));
    // The normal placement, also while maximised or minimised.
    const QRect normal = (isMaximized() || isMinimized() || isFullScreen()) ? normalGeometry() : geometry();
    if (normal.isValid()) {
        m_config.SetInt(QStringLiteral("main.position.x_i"), normal.x());
        m_config.SetInt(QStringLiteral("main.position.y_i"), normal.y());
        m_config.SetInt(QStringLiteral("main.size.x_i"), normal.width());
        m_config.SetInt(QStringLiteral("main.size.y_i"), normal.height());
    }
    m_config.SetInt(QStringLiteral("main.size.config_i"), isMaximized() ? 1 : 0);
    m_config.SetInt(QStringLiteral("main.line.height_i"), m_store.lineHeightPercent());
    m_config.SetColor(QStringLiteral("main.color.background"), m_backgroundColor);
    WriteLog(QStringLiteral("DlgMain::CopyWindowToConfig finished."));
}
