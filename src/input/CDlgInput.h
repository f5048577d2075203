#pragma once

#include "input/CMonitorTextGate.h"
#include "input/CToolWindow.h"
#include "net/IInputSource.h"

#include <functional>

class CDlgFKey;
class CInputBox;

// The input window: two input boxes, one above the other, so that one line can be prepared
// while another is finished. It hands lines and monitor texts to the send paths, turns the
// function keys into editing actions, and keeps its height at two text lines.
class CDlgInput final : public CToolWindow, public IInputSource
{
    Q_OBJECT

public:
    // Where the member's actions go (the main window's send paths). Each is called after the key
    // handler has returned, with its own copy of the text.
    struct Actions
    {
        std::function<void(const QString &line)> sendLine;
        std::function<void(const QString &text)> sendMonitor;
        std::function<void()> undo;
        std::function<void()> clearScreen;
    };
    // The function-key window when it exists (it is made on first use), else nullptr.
    using FunctionKeysSource = std::function<const CDlgFKey *()>;

    CDlgInput(ToolWindowHost host, Actions actions, FunctionKeysSource functionKeys,
              QWidget *parent = nullptr);
    ~CDlgInput() override;

    // 0 the upper box, 1 the lower one.
    CInputBox *box(int index) const;
    // The box that last had the focus.
    CInputBox *currentBox() const { return m_current; }

    void CopyConfigToWindow() override;
    void FocusWindow() override;

    // IInputSource
    QString focusedMonitorText() const override;
    void putBackUndoneLine(const QString &text) override;

    // The client height that holds two lines of the box font; 0 when the font cannot be
    // measured.
    int HeldClientHeight() const;

protected:
    void OnFontChanged() override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void OnTab(CInputBox *from);
    // Applies what the function-key rules make of the key.
    void OnFunctionKey(CInputBox *box, int index, bool shift);
    void HoldHeight();
    void LayoutBoxes();
    void post(std::function<void()> action);

    Actions m_actions;
    FunctionKeysSource m_functionKeys;
    CInputBox *m_box1 = nullptr;
    CInputBox *m_box2 = nullptr;
    CInputBox *m_current = nullptr;
    CMonitorTextGate m_monitorGate;
};
