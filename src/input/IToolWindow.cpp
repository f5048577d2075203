#include "input/IToolWindow.h"

#include <QWidget>

void IToolWindow::FocusWindow()
{
    QWidget *window = widget();
    if (!window)
        return;
    window->activateWindow();
    window->raise();
    window->setFocus(Qt::ShortcutFocusReason);
}
