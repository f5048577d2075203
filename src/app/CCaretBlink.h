#pragma once

#include <QObject>

#include <functional>

class QTimer;

// The text cursor of the focused box blinks for a while after the user last typed, clicked or
// moved the focus, then stays on until the next of those. A blinking cursor repaints its box
// twice a second, and an idle program at a three-hour event should let a laptop sleep instead.
// Watches the events of the object it is installed on (the application).
class CCaretBlink final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CCaretBlink)

public:
    // Sets the cursor's flash time (0: no blinking), e.g. QApplication::setCursorFlashTime.
    using Apply = std::function<void(int flashTime)>;

    // flashTime: the desktop's own; when it is 0 the cursor never blinks and nothing is done.
    // restAfter: milliseconds of blinking after the last key, click or focus change.
    CCaretBlink(int flashTime, int restAfter, Apply apply, QObject *parent = nullptr);
    // Blinking as the desktop has it again.
    ~CCaretBlink() override;

    // Starts watching target's events, with the cursor blinking; uninstall blinks as before.
    void install(QObject *target);
    void uninstall();
    bool isBlinking() const { return m_bBlinking; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Wake();
    void Rest();

    const int m_nFlashTime;
    Apply m_apply;
    QTimer *m_rest = nullptr;
    QObject *m_target = nullptr;
    bool m_bBlinking = false;
};
