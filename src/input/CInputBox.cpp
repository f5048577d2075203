#include "input/CInputBox.h"

#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>

#include <algorithm>

namespace {

// The mark shows at most this much of what was not taken.
constexpr int kShownNotTaken = 12;
constexpr int kMarkGap = 4;

} // namespace

CInputBox::CInputBox(QWidget *parent) : QLineEdit(parent)
{
    setMaxLength(kTypedLimit);
    connect(this, &QLineEdit::textEdited, this, &CInputBox::OnTextEdited);
    // Red with white text, so that it stands out on whatever background the member chose.
    m_limitMark = new QLabel(this);
    m_limitMark->setObjectName(QStringLiteral("limitMark"));
    m_limitMark->setAutoFillBackground(true);
    m_limitMark->setAttribute(Qt::WA_TransparentForMouseEvents);
    QPalette palette = m_limitMark->palette();
    palette.setColor(QPalette::Window, QColor(0xd0, 0x10, 0x10));
    palette.setColor(QPalette::WindowText, Qt::white);
    m_limitMark->setPalette(palette);
    // A child of an edit box would take the box's own roles (Base, Text) instead.
    m_limitMark->setBackgroundRole(QPalette::Window);
    m_limitMark->setForegroundRole(QPalette::WindowText);
    m_limitMark->hide();
    // The mark stays until the typist deletes something or the line is sent.
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (!m_strNotTaken.isEmpty() && text().size() < m_nCutLength)
            HideNotTaken();
    });
    connect(this, &CInputBox::typedTextCut, this, &CInputBox::ShowNotTaken);
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

void CInputBox::RefreshMonitorText(CMonitorTextGate::Cause cause)
{
    if (testAttribute(Qt::WA_InputMethodEnabled)) {
        const int start = hasSelectedText() ? selectionStart() : cursorPosition();
        const int end = hasSelectedText() ? selectionEnd() : cursorPosition();
        m_strMonitor = ComposeMonitorText(text(), start, end, m_strComposition);
    } else {
        m_strMonitor = text();
    }
    emit monitorTextRefreshed(m_strMonitor, cause);
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

void CInputBox::CheckCut(qsizetype lengthBefore, qsizetype removed, const QString &inserted)
{
    // The box keeps the head of an insertion that does not fit; the rest is lost.
    const qsizetype expected = lengthBefore - removed + inserted.size();
    const qsizetype missing = std::min(expected - text().size(), inserted.size());
    // Only a full box cuts; a key the box ignored for another reason is no loss.
    if (missing > 0 && text().size() >= maxLength())
        emit typedTextCut(inserted.right(missing));
}

void CInputBox::ShowNotTaken(const QString &notTaken)
{
    QApplication::beep();
    m_strNotTaken = notTaken;
    m_nCutLength = text().size();
    QString shown = notTaken.left(kShownNotTaken);
    if (shown.size() < notTaken.size()) {
        if (shown.back().isHighSurrogate())
            shown.chop(1);
        shown += QChar(0x2026);
    }
    m_limitMark->setText(QStringLiteral(" %1/%2 \u2212%3 ").arg(text().size()).arg(maxLength()).arg(shown));
    m_limitMark->setToolTip(notTaken);
    m_limitMark->adjustSize();
    m_limitMark->show();
    PlaceLimitMark();
}

void CInputBox::HideNotTaken()
{
    m_strNotTaken.clear();
    m_limitMark->hide();
    setTextMargins(0, 0, 0, 0);
}

void CInputBox::PlaceLimitMark()
{
    if (m_limitMark->isHidden())
        return;
    const QRect inside = contentsRect();
    const QSize size = m_limitMark->sizeHint().boundedTo(inside.size());
    m_limitMark->setGeometry(inside.right() - size.width() + 1,
                             inside.top() + (inside.height() - size.height()) / 2, size.width(),
                             size.height());
    // The text and the caret stay left of the mark.
    setTextMargins(0, 0, size.width() + kMarkGap, 0);
}

void CInputBox::resizeEvent(QResizeEvent *event)
{
    QLineEdit::resizeEvent(event);
    PlaceLimitMark();
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
    QString inserted;
    if (event->matches(QKeySequence::Paste))
        inserted = QGuiApplication::clipboard()->text();
    else if (!(event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) && !event->text().isEmpty() &&
             event->text().front().isPrint())
        inserted = event->text();
    const qsizetype before = text().size();
    const qsizetype selected = selectedText().size();
    QLineEdit::keyPressEvent(event);
    if (!inserted.isEmpty())
        CheckCut(before, selected, inserted);
}

void CInputBox::keyReleaseEvent(QKeyEvent *event)
{
    QLineEdit::keyReleaseEvent(event);
    RefreshMonitorText(CMonitorTextGate::Cause::KeyRelease);
}

void CInputBox::inputMethodEvent(QInputMethodEvent *event)
{
    m_strComposition = event->preeditString();
    const QString commit = event->commitString();
    const qsizetype before = text().size();
    // A commit replaces the selection and the range the input method names.
    const qsizetype removed = selectedText().size() + event->replacementLength();
    QLineEdit::inputMethodEvent(event);
    if (!commit.isEmpty())
        CheckCut(before, removed, commit);
    // Input methods take the keys while composing, so their releases may never reach the box;
    // the composition's own changes refresh the monitor text instead.
    RefreshMonitorText(CMonitorTextGate::Cause::Refresh);
}

void CInputBox::focusInEvent(QFocusEvent *event)
{
    m_strMonitor = text();
    emit monitorTextRefreshed(m_strMonitor, CMonitorTextGate::Cause::Refresh);
    QLineEdit::focusInEvent(event);
    emit focusGained();
}
