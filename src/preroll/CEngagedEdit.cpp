#include "preroll/CEngagedEdit.h"

#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTextDocument>

CEngagedEdit::CEngagedEdit(QWidget *parent) : QPlainTextEdit(parent)
{
    document()->setDocumentMargin(kMargin);
    // The margin is a format of the root frame, and setting it counts as an edit that could be
    // undone: a pane nobody typed in would ask to be saved before a file is opened into it.
    document()->clearUndoRedoStacks();
    document()->setModified(false);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &CEngagedEdit::postCaretMoved);
}

void CEngagedEdit::postCaretMoved()
{
    QMetaObject::invokeMethod(this, &CEngagedEdit::caretMoved, Qt::QueuedConnection);
}

int CEngagedEdit::commandFor(const QKeyEvent *event) const
{
    if (!m_commandForKey)
        return 0;
    // The keypad flag tells nothing about which accelerator was meant.
    const QKeyCombination key(event->modifiers() & ~Qt::KeypadModifier, static_cast<Qt::Key>(event->key()));
    return m_commandForKey(key);
}

bool CEngagedEdit::event(QEvent *event)
{
    // The window's accelerators come before the edit's own keys of the same combination (Ctrl+K
    // deletes to the line end, Ctrl+arrows move by words).
    if (event->type() == QEvent::ShortcutOverride && commandFor(static_cast<QKeyEvent *>(event)) != 0) {
        event->accept();
        return true;
    }
    return QPlainTextEdit::event(event);
}

void CEngagedEdit::keyPressEvent(QKeyEvent *event)
{
    if (const int command = commandFor(event)) {
        event->accept();
        emit commandKey(command);
        return;
    }
    const int key = event->key();
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12) {
        event->accept();
        emit functionKeyPressed(key - Qt::Key_F1, (event->modifiers() & Qt::ShiftModifier) != 0);
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void CEngagedEdit::keyReleaseEvent(QKeyEvent *event)
{
    QPlainTextEdit::keyReleaseEvent(event);
    emit keyReleased(event->key(), event->modifiers(), event->isAutoRepeat());
}

void CEngagedEdit::inputMethodEvent(QInputMethodEvent *event)
{
    m_strComposition = event->preeditString();
    QPlainTextEdit::inputMethodEvent(event);
    emit compositionChanged();
}

void CEngagedEdit::focusInEvent(QFocusEvent *event)
{
    QPlainTextEdit::focusInEvent(event);
    emit focusGained();
    postCaretMoved();
}
