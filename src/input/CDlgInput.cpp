#include "input/CDlgInput.h"

#include "core/CommandIds.h"
#include "core/OperationLog.h"
#include "input/CDlgFKey.h"
#include "input/CFunctionKeyRules.h"
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
        // Both boxes feed one gate: the peers show one text per member, whichever box it came from.
        connect(box, &CInputBox::monitorTextRefreshed, this,
                [this](const QString &text, CMonitorTextGate::Cause cause) {
                    if (!m_monitorGate.Pass(text, cause))
                        return;
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

void CDlgInput::OnFunctionKey(CInputBox *box, int index, bool shift)
{
    const CFunctionKeyRules rules(CFunctionKeyRules::Target::InputBox, config(),
                                  m_functionKeys ? m_functionKeys() : nullptr);
    const int caret = box->cursorPosition();
    int anchor = caret;
    if (box->hasSelectedText())
        anchor = caret == box->selectionStart() ? box->selectionEnd() : box->selectionStart();
    const CFunctionKeyRules::Step step = rules.Press(index + 1, shift, box->text(), anchor, caret);
    switch (step.action) {
    case CFunctionKeyRules::Action::Edit: {
        const QString text = box->text();
        box->PutText(text.left(step.from) + step.text + text.mid(step.to), step.caret);
        if (step.anchor != step.caret)
            box->setSelection(step.anchor, step.caret - step.anchor);
        return;
    }
    case CFunctionKeyRules::Action::Undo:
        post([this] {
            if (m_actions.undo)
                m_actions.undo();
        });
        return;
    case CFunctionKeyRules::Action::ClearScreen:
        post([this] {
            if (m_actions.clearScreen)
                m_actions.clearScreen();
        });
        return;
    case CFunctionKeyRules::Action::None:
        return;
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
