#pragma once

#include <QHash>
#include <QObject>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

// The display window's two menus: the program's menu bar (menu 101) and the context menu
// (menu 125), whose items repeat some of the menu bar's. Every item reports its command; a
// click does not flip a check mark by itself, the owner of the state sets it.
class CDisplayMenus final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CDisplayMenus)

public:
    // Both menus are children of owner.
    explicit CDisplayMenus(QWidget *owner);

    QMenuBar *menuBar() const { return m_menuBar; }
    QMenu *contextMenu() const { return m_contextMenu; }
    // The menu-bar action of a command, or nullptr.
    QAction *action(int command) const { return m_actions.value(command, nullptr); }
    // Sets the mark in both menus.
    void SetChecked(int command, bool checked);
    bool isChecked(int command) const;

signals:
    void commandTriggered(int command);

private:
    QAction *addItem(QMenu *menu, int command, const QString &text, bool checkable = false);
    void buildMenu101();
    void buildMenu125(QWidget *owner);

    QMenuBar *m_menuBar = nullptr;
    QMenu *m_contextMenu = nullptr;
    QHash<int, QAction *> m_actions;
};
