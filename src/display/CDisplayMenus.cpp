#include "display/CDisplayMenus.h"

#include "core/CommandIds.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>

namespace {

QString menu101(const char *text)
{
    return QCoreApplication::translate("Menu101", text);
}

QString menu125(const char *text)
{
    return QCoreApplication::translate("Menu125", text);
}

} // namespace

CDisplayMenus::CDisplayMenus(QWidget *owner) : QObject(owner), m_menuBar(new QMenuBar(owner))
{
    buildMenu101();
    buildMenu125(owner);
}

QAction *CDisplayMenus::addItem(QMenu *menu, int command, const QString &text, bool checkable)
{
    auto *item = menu->addAction(text);
    item->setData(command);
    item->setCheckable(checkable);
    // As on the menus the program was designed for, a click does not flip the mark by itself:
    // the owner of the state sets it.
    connect(item, &QAction::triggered, this, [this, item, command] {
        if (item->isCheckable())
            item->setChecked(!item->isChecked());
        emit commandTriggered(command);
    });
    return item;
}

void CDisplayMenus::buildMenu101()
{
    using namespace CommandId;
    const auto item = [this](QMenu *menu, int command, const QString &text, bool checkable = false) {
        m_actions.insert(command, addItem(menu, command, text, checkable));
    };
    // The text after the tab is what the menu shows as the key; the keys themselves are the
    // main window's accelerator tables.
    QMenu *file = m_menuBar->addMenu(menu101("ファイル(&F)"));
    item(file, Connect, menu101("LANカードを選んで（再）接続... (&L)\tCtrl+L"));
    file->addSeparator();
    item(file, FileOpen, menu101("設定ファイルを開く...(&O)\tCtrl+O"));
    item(file, FileSaveAs, menu101("設定に名前をつけて保存...(&A)\tCtrl+S"));
    item(file, ExportSubtitles, menu101("字幕ファイルに書き出す (SRT・WebVTT)...(&E)"));
    file->addSeparator();
    item(file, Exit, menu101("終了...(&X)\tAlt+F4"));

    QMenu *window = m_menuBar->addMenu(menu101("ウインドウ(&W)"));
    item(window, ToggleInput, menu101("入力ウインドウ(&I)\tShift+Ctrl+I"), true);
    item(window, ToggleMemberMonitor, menu101("入力モニターウインドウ(&M)\tShift+Ctrl+M"), true);
    item(window, ToggleContact, menu101("連絡窓(&C)\tShift+Ctrl+R"), true);
    item(window, TogglePreroll, menu101("前ロールウインドウ(&N)\tShift+Ctrl+N"), true);
    item(window, TogglePrerollMonitor, menu101("前ロールモニター(&T)\tShift+Ctrl+T"), true);
    item(window, ToggleFunctionKeys, menu101("Fキーウインドウ(&F)\tShift+Ctrl+F"), true);
    window->addSeparator();
    item(window, ToggleLogViewer, menu101("ここまでのログを見る(&L)\tShift+Ctrl+G"), true);
    window->addSeparator();
    item(window, Frameless, menu101("ウインドウの枠を消す(&H)\tF1"), true);
    item(window, ToggleCover, menu101("ウインドウ以外を単一色でカバー (&S)"), true);
    item(window, CoverColor, menu101("ウインドウ以外をカバーする色... (&S)"));
    window->addSeparator();
    item(window, ToggleQrCode, menu101("Webページの QR コードを表示 (&Q)\tShift+Ctrl+Q"), true);

    QMenu *settings = m_menuBar->addMenu(menu101("設定(&S)"));
    item(settings, DisplaySettings, menu101("表示... (&D)"));
    item(settings, DisplayFont, menu101("フォント... (&F)"));
    item(settings, DisplayBackground, menu101("背景色... (&B)"));
    item(settings, DisplayOutlineColor, menu101("縁取りの色... (&O)"));
    item(settings, InputSettings, menu101("入力... (&I)"));
    settings->addSeparator();
    QMenu *input = settings->addMenu(menu101("入力ウインドウ(&I)"));
    item(input, InputFont, menu101("フォント... (&F)"));
    item(input, InputBackground, menu101("背景色... (&B)"));
    QMenu *monitor = settings->addMenu(menu101("入力モニターウインドウ(&M)"));
    item(monitor, MonitorFont, menu101("フォント... (&F)"));
    item(monitor, MonitorBackground, menu101("背景色... (&B)"));
    item(monitor, MonitorLostBackground, menu101("通信断の際の背景色... (&L)"));
    QMenu *prerollMonitor = settings->addMenu(menu101("前ロールモニター(&T)"));
    item(prerollMonitor, PrerollMonitorFont, menu101("フォント... (&F)"));
    item(prerollMonitor, PrerollMonitorBackground, menu101("背景色... (&B)"));
    QMenu *functionKeys = settings->addMenu(menu101("Fキーウインドウ(&F)"));
    item(functionKeys, FunctionKeysFont, menu101("フォント... (&F)"));
    item(functionKeys, FunctionKeysBackground, menu101("背景色... (&B)"));
    settings->addSeparator();
    item(settings, LogSettings, menu101("ログ... (&L)"));
    item(settings, WebServerSettings, menu101("簡易Webサーバー...(&W)"));
    item(settings, RelaySettings, menu101("字幕の中継 (Zoom・YouTube)...(&C)"));
    settings->addSeparator();
    item(settings, StartupSettings, menu101("起動時設定...(&N)"));
    item(settings, ResetSettings, menu101("設定を初期化...(&R)"));
    item(settings, Language, menu101("言語 (language)..."));

    QMenu *help = m_menuBar->addMenu(menu101("ヘルプ(&H)"));
    item(help, About, menu101("バージョン情報(&V)"));
}

void CDisplayMenus::buildMenu125(QWidget *owner)
{
    using namespace CommandId;
    m_contextMenu = new QMenu(owner);
    addItem(m_contextMenu, DisplayFont, menu125("フォント... (&F)"));
    addItem(m_contextMenu, DisplayBackground, menu125("背景色... (&B)"));
    addItem(m_contextMenu, DisplaySettings, menu125("表示設定... (&D)"));
    addItem(m_contextMenu, Frameless, menu125("ウインドウ枠を消す (&H)"), true);
    addItem(m_contextMenu, ToggleCover, menu125("ウインドウ以外を単一色でカバー (&S)"), true);
    addItem(m_contextMenu, ToggleQrCode, menu125("Webページの QR コードを表示 (&Q)"), true);
}

void CDisplayMenus::SetChecked(int command, bool checked)
{
    if (QAction *item = action(command))
        item->setChecked(checked);
    // The context menu repeats some items; their marks follow the menu bar's.
    for (QAction *item : m_contextMenu->actions()) {
        if (item->data().toInt() == command)
            item->setChecked(checked);
    }
}

bool CDisplayMenus::isChecked(int command) const
{
    const QAction *item = action(command);
    return item && item->isChecked();
}
