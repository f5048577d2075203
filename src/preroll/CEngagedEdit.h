#pragma once

#include <QKeyCombination>
#include <QPlainTextEdit>
#include <QString>

#include <functional>

// The text of one pre-roll pane. It tells its window when the caret line may have moved on
// screen (focus gained, scrolled), hands the window's accelerator keys and the function keys to
// it before editing sees them, and keeps the input method's open composition for the pre-roll
// state.
class CEngagedEdit final : public QPlainTextEdit
{
    Q_OBJECT

public:
    // Inner left and right margins of the text.
    static constexpr int kMargin = 2;

    explicit CEngagedEdit(QWidget *parent = nullptr);

    // The command of a key of the window's accelerator table, or 0.
    using CommandForKey = std::function<int(QKeyCombination key)>;
    void setCommandForKey(CommandForKey commandForKey) { m_commandForKey = std::move(commandForKey); }

    // The input method's composition that is open now (empty when none).
    QString composition() const { return m_strComposition; }

signals:
    // Posted: the marker beside the caret line needs redrawing.
    void caretMoved();
    // An accelerator key went down in the edit; the command runs before the edit sees the key.
    void commandKey(int command);
    // F1 (0) to F12 (11) went down and is not an accelerator.
    void functionKeyPressed(int index, bool shift);
    // A key came up (auto-repeat releases included; the window decides).
    void keyReleased(int key, Qt::KeyboardModifiers modifiers, bool autoRepeat);
    // The composition changed; input methods keep the key releases of composing to themselves.
    void compositionChanged();
    void focusGained();

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    int commandFor(const QKeyEvent *event) const;
    void postCaretMoved();

    CommandForKey m_commandForKey;
    QString m_strComposition;
};
