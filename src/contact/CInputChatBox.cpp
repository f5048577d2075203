#include "contact/CInputChatBox.h"

#include <QKeyEvent>

CInputChatBox::CInputChatBox(QWidget *parent) : QLineEdit(parent) {}

void CInputChatBox::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        m_strTyped = text();
        clear();
        emit lineEntered(m_strTyped);
        event->accept();
        return;
    case Qt::Key_Escape:
        // Select and delete rather than clear(), so the deletion can be undone.
        selectAll();
        del();
        event->accept();
        return;
    default:
        QLineEdit::keyPressEvent(event);
        return;
    }
}
