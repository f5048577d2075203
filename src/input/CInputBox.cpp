#include "input/CInputBox.h"

#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>

#include <algorithm>

CInputBox::CInputBox(QWidget *parent) : QLineEdit(parent)
{
    setMaxLength(kTypedLimit);
    connect(this, &QLineEdit::textEdited, this, &CInputBox::OnTextEdited);
}

QString CInputBox::ComposeMonitorText(const QString &text, int selectionStart, int selectionEnd,
                                      const QString &composition)
{
    const int length = static_cast<int>(text.size());
    const int start = std::clamp(std::min(selectionStart, selectionEnd), 0, length);
    const int end = std::clamp(std::max(selectionStart, selectionEnd), 0, length);
    QString inserted = composition.left(kCompositionLimit);
    // A cut through a surrogate pair would hand half a character to the peers.
    if (!inserted.isEmpty() && inserted.size() < composition.size() && inserted.back().isHighSurrogate())
        inserted.chop(1);
    return text.left(start) + inserted + text.mid(end);
}

void CInputBox::RefreshMonitorText()
{
    if (testAttribute(Qt::WA_InputMethodEnabled)) {
        const int start = hasSelectedText() ? selectionStart() : cursorPosition();
        const int end = hasSelectedText() ? selectionEnd() : cursorPosition();
        m_strMonitor = ComposeMonitorText(text(), start, end, m_strComposition);
    } else {
        m_strMonitor = text();
    }
    emit monitorTextChanged(m_strMonitor);
}

void CInputBox::PutText(const QString &text, int caret)
{
    // The limit only stops typing; it must not cut what the program puts in.
    const int length = static_cast<int>(text.size());
    if (length > maxLength())
        setLimitKeepingSelection(length);
    setText(text);
    if (maxLength() > std::max(kTypedLimit, length))
        setLimitKeepingSelection(std::max(kTypedLimit, length));
    setCursorPosition(std::clamp(caret, 0, length));
}

void CInputBox::setLimitKeepingSelection(int limit)
{
    if (limit == maxLength())
        return;
    // Changing the limit sets the text anew, which moves the caret to the end.
    const int cursor = cursorPosition();
    const int start = selectionStart();
    const int length = static_cast<int>(selectedText().size());
    m_bAdjustingLimit = true;
    setMaxLength(limit);
    if (start >= 0 && length > 0) {
        if (cursor == start)
            setSelection(start + length, -length);
        else
            setSelection(start, length);
    } else {
        setCursorPosition(cursor);
    }
    m_bAdjustingLimit = false;
}

void CInputBox::OnTextEdited()
{
    // Text above the typed limit (put in by a function key) may shrink but never grow by typing.
    if (!m_bAdjustingLimit && maxLength() > kTypedLimit)
        setLimitKeepingSelection(std::max(kTypedLimit, static_cast<int>(text().size())));
}

bool CInputBox::event(QEvent *event)
{
    // Tab goes to the other box, not along the focus chain.
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            emit tabPressed();
            return true;
        }
    }
    return QLineEdit::event(event);
}

void CInputBox::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        m_strConfirmed = text();
        PutText(QString(), 0);
        emit lineEntered(m_strConfirmed);
        event->accept();
        return;
    }
    if (key == Qt::Key_Escape) {
        selectAll();
        del();
        event->accept();
        return;
    }
    if (key == Qt::Key_A && (event->modifiers() & Qt::ControlModifier)) {
        selectAll();
        event->accept();
        return;
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12) {
        emit functionKeyPressed(key - Qt::Key_F1, (event->modifiers() & Qt::ShiftModifier) != 0);
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void CInputBox::keyReleaseEvent(QKeyEvent *event)
{
    QLineEdit::keyReleaseEvent(event);
    RefreshMonitorText();
}

void CInputBox::inputMethodEvent(QInputMethodEvent *event)
{
    m_strComposition = event->preeditString();
    QLineEdit::inputMethodEvent(event);
    // Input methods take the keys while composing, so their releases may never reach the box;
    // the composition's own changes refresh the monitor text instead.
    RefreshMonitorText();
}

void CInputBox::focusInEvent(QFocusEvent *event)
{
    m_strMonitor = text();
    emit monitorTextChanged(m_strMonitor);
    QLineEdit::focusInEvent(event);
    emit focusGained();
}
