#include "input/CDlgInput.h"

#include "core/CommandIds.h"
#include "config/CConfig.h"
#include "core/OperationLog.h"
#include "core/StringTable.h"
#include "input/CDlgFKey.h"
#include "input/CInputBox.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QResizeEvent>

#include <algorithm>
#include <utility>

namespace {

// Space between and around the two boxes.
constexpr int kHeldSpacing = 8;

QString readString(const CConfig *config, const QString &key, const QString &fallback)
{
    QString value = fallback;
    if (config && !config->GetString(key, value))
        return fallback;
    return value;
}

} // namespace

CDlgInput::CDlgInput(ToolWindowHost host, Actions actions, FunctionKeysSource functionKeys, QWidget *parent)
    : CToolWindow(std::move(host), QStringLiteral("input"), CommandId::InputFont, CommandId::InputBackground,
                  parent),
      m_actions(std::move(actions)), m_functionKeys(std::move(functionKeys))
{
    WriteLog(QStringLiteral("CDlgInput::OnInitDialog() begins."));
    setWindowTitle(QCoreApplication::translate("CDlgInput", "入力ウインドウ (CTRL+I)"));
    m_box1 = new CInputBox(this);
    m_box2 = new CInputBox(this);
    m_box1->setObjectName(QStringLiteral("box1002"));
    m_box2->setObjectName(QStringLiteral("box1003"));
    m_current = m_box1;
    for (CInputBox *box : {m_box1, m_box2}) {
        addStyledWidget(box);
        // The box's own menu covers the window, so the window's commands join it.
        extendContextMenu(box);
        // A line is posted with its own copy: a second Enter before the first is handled must
        // not replace it.
        connect(box, &CInputBox::lineEntered, this, [this](const QString &line) {
            post([this, line] {
                if (m_actions.sendLine)
                    m_actions.sendLine(line);
            });
        });
        connect(box, &CInputBox::monitorTextChanged, this, [this](const QString &text) {
            post([this, text] {
                if (m_actions.sendMonitor)
                    m_actions.sendMonitor(text);
            });
        });
        connect(box, &CInputBox::tabPressed, this, [this, box] {
            QMetaObject::invokeMethod(
                this, [this, box] { OnTab(box); }, Qt::QueuedConnection);
        });
        connect(box, &CInputBox::focusGained, this, [this, box] { m_current = box; });
        connect(box, &CInputBox::functionKeyPressed, this,
                [this, box](int index, bool shift) { OnFunctionKey(box, index, shift); });
    }
    setTabOrder(m_box1, m_box2);
    HoldHeight();
    LayoutBoxes();
    WriteLog(QStringLiteral("CDlgInput::OnInitDialog() finished."));
}

CDlgInput::~CDlgInput()
{
    CopyWindowToConfig();
    WriteLog(QStringLiteral("CDlgInput::OnDestroy() called."));
}

CInputBox *CDlgInput::box(int index) const
{
    return index == 0 ? m_box1 : index == 1 ? m_box2 : nullptr;
}

void CDlgInput::post(std::function<void()> action)
{
    QMetaObject::invokeMethod(this, std::move(action), Qt::QueuedConnection);
}

void CDlgInput::CopyConfigToWindow()
{
    CToolWindow::CopyConfigToWindow();
    HoldHeight();
}

void CDlgInput::FocusWindow()
{
    activateWindow();
    raise();
    if (m_current)
        m_current->setFocus(Qt::ShortcutFocusReason);
}

QString CDlgInput::focusedMonitorText() const
{
    if (m_box1->hasFocus())
        return m_box1->monitorText();
    if (m_box2->hasFocus())
        return m_box2->monitorText();
    return QString();
}

void CDlgInput::putBackUndoneLine(const QString &text)
{
    CInputBox *box = m_current ? m_current : m_box1;
    box->PutText(text + box->text(), static_cast<int>(text.size()));
}

void CDlgInput::OnTab(CInputBox *from)
{
    CInputBox *to = from == m_box1 ? m_box2 : m_box1;
    to->setFocus(Qt::TabFocusReason);
    m_current = to;
}

QString CDlgInput::phrase(int key) const
{
    if (const CDlgFKey *keys = m_functionKeys ? m_functionKeys() : nullptr)
        return keys->phrase(key);
    return readString(config(), CDlgFKey::phraseKey(key), QString());
}

void CDlgInput::OnFunctionKey(CInputBox *box, int index, bool shift)
{
    const int key = index + 1;
    switch (key) {
    case 8:
        Quote(box, shift ? 2 : 1);
        return;
    case 9:
        post([this] {
            if (m_actions.undo)
                m_actions.undo();
        });
        return;
    case 10:
        return;
    case 11:
        if (shift) {
            post([this] {
                if (m_actions.clearScreen)
                    m_actions.clearScreen();
            });
            return;
        }
        break;
    default:
        break;
    }
    InsertPhrase(box, phrase(key));
}

void CDlgInput::InsertPhrase(CInputBox *box, const QString &phrase)
{
    const QString text = box->text();
    const int length = static_cast<int>(text.size());
    const int start =
        std::clamp(box->hasSelectedText() ? box->selectionStart() : box->cursorPosition(), 0, length);
    box->PutText(text.left(start) + phrase + text.mid(start), start + static_cast<int>(phrase.size()));
}

void CDlgInput::Quote(CInputBox *box, int pair)
{
    const QString prefix = QStringLiteral("input.quote.%1.").arg(pair);
    const QString begin =
        readString(config(), prefix + QStringLiteral("begin"), CStringTable::get(pair == 1 ? 176 : 178));
    const QString end =
        readString(config(), prefix + QStringLiteral("end"), CStringTable::get(pair == 1 ? 177 : 179));
    const QString text = box->text();
    const int length = static_cast<int>(text.size());
    const bool selection = box->hasSelectedText();
    const int start = selection ? box->selectionStart() : box->cursorPosition();
    const int stop = selection ? box->selectionEnd() : start;
    const QString quoted = begin + text + end;
    const int shift = static_cast<int>(begin.size());
    if (!selection && start == length) {
        // The caret stood at the end of the line: it stays at the end.
        box->PutText(quoted, static_cast<int>(quoted.size()));
    } else {
        // The selection keeps covering the same characters, behind the opening mark.
        box->PutText(quoted, start + shift);
        if (stop > start)
            box->setSelection(start + shift, stop - start);
    }
}

int CDlgInput::HeldClientHeight() const
{
    const int textHeight = QFontMetrics(m_box1->font()).height();
    if (textHeight <= 0)
        return 0;
    const int frame = std::max(0, m_box1->sizeHint().height() - textHeight);
    return 2 * (textHeight + frame) + kHeldSpacing;
}

void CDlgInput::HoldHeight()
{
    const int height = HeldClientHeight();
    if (height <= 0) {
        WriteLog(QStringLiteral("CDlgInput::GetEditTextMetrics() failed."));
        return;
    }
    // Only the width stays free: a drag of the edge cannot change the height.
    setFixedHeight(height);
    if (this->height() != height)
        resize(width(), height);
}

void CDlgInput::LayoutBoxes()
{
    const int half = height() / 2;
    m_box1->setGeometry(0, 0, width(), half - 1);
    m_box2->setGeometry(0, half + 1, width(), half - 1);
    update();
}

void CDlgInput::OnFontChanged()
{
    HoldHeight();
    LayoutBoxes();
}

void CDlgInput::resizeEvent(QResizeEvent *event)
{
    CToolWindow::resizeEvent(event);
    LayoutBoxes();
    // A window manager may ignore the fixed height; the height snaps back after the drag.
    if (event->size().height() != HeldClientHeight())
        QMetaObject::invokeMethod(this, &CDlgInput::HoldHeight, Qt::QueuedConnection);
}
