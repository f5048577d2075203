#include "app/CAcceleratorTables.h"

#include "core/CommandIds.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace {

constexpr Qt::KeyboardModifiers kCtrl = Qt::ControlModifier;
constexpr Qt::KeyboardModifiers kShiftCtrl = Qt::ShiftModifier | Qt::ControlModifier;

QKeyCombination normalised(QKeyCombination key)
{
    // The keypad flag tells nothing about which accelerator was meant.
    return QKeyCombination(key.keyboardModifiers() & ~Qt::KeypadModifier, key.key());
}

int lookup(const QList<CAcceleratorTables::Entry> &table, QKeyCombination key)
{
    for (const CAcceleratorTables::Entry &entry : table) {
        if (entry.key == key)
            return entry.command;
    }
    return 0;
}

} // namespace

CAcceleratorTables::CAcceleratorTables(QObject *parent) : QObject(parent) {}

CAcceleratorTables::~CAcceleratorTables()
{
    uninstall();
}

QList<CAcceleratorTables::Entry> CAcceleratorTables::table123()
{
    using namespace CommandId;
    return {
        {QKeyCombination(kCtrl, Qt::Key_R), FocusContact},
        {QKeyCombination(kCtrl, Qt::Key_F), FocusFunctionKeys},
        {QKeyCombination(kCtrl, Qt::Key_I), FocusInput},
        {QKeyCombination(kCtrl, Qt::Key_D), FocusDisplay},
        {QKeyCombination(kCtrl, Qt::Key_M), FocusMemberMonitor},
        {QKeyCombination(kCtrl, Qt::Key_N), FocusPreroll},
        {QKeyCombination(kCtrl, Qt::Key_T), FocusPrerollMonitor},
        {QKeyCombination(kCtrl, Qt::Key_G), FocusLogViewer},
        {QKeyCombination(kShiftCtrl, Qt::Key_R), ToggleContact},
        {QKeyCombination(kShiftCtrl, Qt::Key_F), ToggleFunctionKeys},
        {QKeyCombination(kShiftCtrl, Qt::Key_I), ToggleInput},
        {QKeyCombination(kShiftCtrl, Qt::Key_M), ToggleMemberMonitor},
        {QKeyCombination(kShiftCtrl, Qt::Key_N), TogglePreroll},
        {QKeyCombination(kShiftCtrl, Qt::Key_T), TogglePrerollMonitor},
        {QKeyCombination(kShiftCtrl, Qt::Key_G), ToggleLogViewer},
        {QKeyCombination(kShiftCtrl, Qt::Key_D), NoAction},
        {QKeyCombination(kShiftCtrl, Qt::Key_Q), ToggleQrCode},
    };
}

QList<CAcceleratorTables::Entry> CAcceleratorTables::table129()
{
    using namespace CommandId;
    return {
        {QKeyCombination(kCtrl, Qt::Key_L), Connect},
        {QKeyCombination(kCtrl, Qt::Key_O), FileOpen},
        {QKeyCombination(kCtrl, Qt::Key_S), FileSaveAs},
    };
}

void CAcceleratorTables::install()
{
    if (m_installed || !qApp)
        return;
    qApp->installEventFilter(this);
    m_installed = true;
}

void CAcceleratorTables::uninstall()
{
    if (!m_installed)
        return;
    if (qApp)
        qApp->removeEventFilter(this);
    m_installed = false;
}

void CAcceleratorTables::addTable129Window(QWidget *window)
{
    if (window && !m_windows.contains(window))
        m_windows.append(window);
}

void CAcceleratorTables::addTable129Widget(QWidget *widget)
{
    if (widget && !m_widgets.contains(widget))
        m_widgets.append(widget);
}

void CAcceleratorTables::removeTable129Target(QWidget *widget)
{
    m_windows.removeAll(widget);
    m_widgets.removeAll(widget);
}

bool CAcceleratorTables::table129Applies(const QWidget *focus) const
{
    if (!focus)
        return false;
    for (const QPointer<QWidget> &widget : m_widgets) {
        if (widget && widget == focus)
            return true;
    }
    const QWidget *window = focus->window();
    for (const QPointer<QWidget> &target : m_windows) {
        if (target && target == window)
            return true;
    }
    return false;
}

int CAcceleratorTables::commandFor(QKeyCombination key, const QWidget *focus) const
{
    key = normalised(key);
    if (const int command = lookup(table123(), key))
        return command;
    if (table129Applies(focus))
        return lookup(table129(), key);
    return 0;
}

bool CAcceleratorTables::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if ((type != QEvent::KeyPress && type != QEvent::ShortcutOverride) || !watched->isWidgetType())
        return false;
    // A modal dialog runs its own loop: the main window's keys wait until it is closed.
    if (QApplication::activeModalWidget())
        return false;
    auto *keyEvent = static_cast<QKeyEvent *>(event);
    const int command = commandFor(keyEvent->keyCombination(), static_cast<QWidget *>(watched));
    if (command == 0)
        return false;
    keyEvent->accept();
    // Claiming the override keeps a window's own shortcut on the same key from firing; the
    // command runs on the key press that follows.
    if (type == QEvent::KeyPress)
        emit commandTriggered(command);
    return true;
}
