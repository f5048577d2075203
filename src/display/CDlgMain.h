#pragma once

#include <QHash>
#include <QString>
#include <QWidget>

#include <functional>

class CConfig;
class QAction;
class QMenu;
class QMenuBar;
class ReceivedMain;

// The display window: the window the audience looks at, and the one that carries the program's
// menu bar. It keeps the display settings and its placement; the captions themselves are drawn
// by the renderer that comes with the outlined scrolling display. Every menu command that is not
// the display's own goes to the main window through commandRequested.
class CDlgMain final : public QWidget
{
    Q_OBJECT

public:
    // Asked before the exit command goes on; true means go on.
    using ExitConfirmation = std::function<bool(QWidget *owner)>;

    // The store must outlive the window.
    CDlgMain(CConfig &config, ReceivedMain &store, QWidget *parent = nullptr);
    ~CDlgMain() override;

    // Settings in and out: placement ("main.position/size", "main.size.config_i"), the line
    // height and margins the store wraps with, the cover check mark ("hide.display_i").
    void CopyConfigToWindow();
    void CopyWindowToConfig();

    // New lines at the end, lines inserted or withdrawn, jump to the newest line.
    void Refresh();
    void Redraw();
    void RequestGoLast();
    bool goLastRequested() const { return m_bGoLast; }

    QMenuBar *menuBar() const { return m_menuBar; }
    // The context menu (the same items sit in the system menu on other desktops).
    QMenu *contextMenu() const { return m_contextMenu; }
    // The menu-bar action of a command, or nullptr.
    QAction *action(int command) const;
    void SetChecked(int command, bool checked);
    bool isChecked(int command) const;

    // Replaces the message box asking before exit (tests answer it themselves).
    void setExitConfirmation(ExitConfirmation confirmation);

    // Set when the display met an inconsistency worth sending the operation log to the developer.
    static bool abnormalResponse();
    static void clearAbnormalResponse();

signals:
    // A command for the main window (menu, context menu, the exit after confirmation).
    void commandRequested(int command);
    // The window was minimised (true) or came back (false).
    void minimizedChanged(bool minimized);

public slots:
    // A command of the menu bar or the context menu.
    void OnCommand(int command);

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void buildMenu101();
    void buildMenu125();
    QAction *addItem(QMenu *menu, int command, const QString &text, bool checkable = false);
    void OnDisplayCommand(int command);
    bool confirmExit();

    CConfig &m_config;
    ReceivedMain &m_store;
    QMenuBar *m_menuBar = nullptr;
    QMenu *m_contextMenu = nullptr;
    QHash<int, QAction *> m_actions;
    ExitConfirmation m_confirmExit;
    bool m_bGoLast = true;
    bool m_bWasMinimized = false;
    int m_nMaxDisplayLines = 0;
    quint32 m_backgroundColor = 0xffffff;
};
