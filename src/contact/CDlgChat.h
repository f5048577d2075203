#pragma once

#include "contact/CTurnTimer.h"
#include "input/CToolWindow.h"
#include "net/IContactView.h"

#include <array>
#include <functional>

class CInputChatBox;
class QLabel;
class QPlainTextEdit;
class QSpinBox;
class QTimer;
class QToolButton;

// The contact window: the log of contact messages, a box to type one, and the turn timer that
// tells everybody 30 seconds before each turn ends and when it ends. Every message shown, a
// notice and a turn end make the window flash for "chat.flash.time_i" milliseconds.
class CDlgChat final : public CToolWindow, public IContactView
{
    Q_OBJECT

public:
    // Lines the log keeps; older ones leave it from the top.
    static constexpr int kMaxLogLines = 2000;

    // Hands a message to the send path, which puts the member name in front and sends it to
    // everybody; the message comes back through contactAppendLine.
    using SendFunction = std::function<void(const QString &message)>;

    enum Button
    {
        ButtonStart = 0,
        ButtonStop = 1,
        ButtonReset = 2
    };

    CDlgChat(ToolWindowHost host, SendFunction send, CTurnTimer::LocalTimeSource localTime = {},
             QWidget *parent = nullptr);
    ~CDlgChat() override;

    // IToolWindow: the base keys plus the turn length, the flash colour and time, and the texts.
    void CopyConfigToWindow() override;
    void CopyWindowToConfig() override;
    void OnForwardedCommand(int command) override;
    void FocusWindow() override;

    // IContactView
    void contactAppendLine(const QString &text) override { AppendLine(text); }
    // Adds the line and its line break at the end of the log, shows it and flashes.
    void AppendLine(const QString &text);

    // Timer 101: one second of the countdown. Timer 102: the end of a flash.
    void OnTurnTick();
    void OnFlashEnd();
    void Flash();

    CTurnTimer &turnTimer() { return m_turn; }
    bool isFlashing() const { return m_bFlashing; }
    bool isTurnTimerActive() const;
    quint32 flashColor() const { return m_flashColor; }
    int flashTime() const { return m_nFlashTime; }
    QString remainingText() const;
    QPlainTextEdit *log() const { return m_log; }
    CInputChatBox *inputBox() const { return m_input; }
    QSpinBox *minutesBox() const { return m_minutes; }
    QToolButton *button(Button which) const { return m_buttons.at(static_cast<size_t>(which)); }

protected:
    void OnFontChanged() override;
    void OnColorsChanged() override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void buildControls();
    void LayoutControls();
    void applyEditColors();
    void updateButtons(bool running);
    void showEditMenu(QWidget *edit, const QPoint &pos);
    void chooseFlashColor();

    SendFunction m_send;
    CTurnTimer m_turn;
    QPlainTextEdit *m_log = nullptr;
    CInputChatBox *m_input = nullptr;
    QLabel *m_remaining = nullptr;
    QSpinBox *m_minutes = nullptr;
    QWidget *m_bar = nullptr;
    std::array<QToolButton *, 3> m_buttons{};
    QTimer *m_turnTimer = nullptr;  // 101
    QTimer *m_flashTimer = nullptr; // 102
    quint32 m_flashColor = 0x0000ff;
    int m_nFlashTime = 500;
    bool m_bFlashing = false;
    QString m_strActive;
    QString m_strInactive;
};
