#pragma once

#include <QLineEdit>
#include <QString>

// One line of caption input. Enter hands the line over and empties the box; every key release
// (and every change of the input method's composition) refreshes the monitor text, which shows
// what the member is typing now, the unconfirmed composition included.
class CInputBox final : public QLineEdit
{
    Q_OBJECT

public:
    // Typed text stops here; text put in by the function keys or an undo is not cut.
    static constexpr int kTypedLimit = 127;
    // The composition contributes at most this many UTF-16 units to the monitor text.
    static constexpr int kCompositionLimit = 127;

    explicit CInputBox(QWidget *parent = nullptr);

    // The last line confirmed with Enter.
    QString confirmedLine() const { return m_strConfirmed; }
    // The last monitor text handed over.
    QString monitorText() const { return m_strMonitor; }
    // The input method's open composition (empty when none).
    QString composition() const { return m_strComposition; }

    // Replaces the text as the function keys and the undo do: not cut to the typed limit, and the
    // caret put at caret.
    void PutText(const QString &text, int caret);
    // Refreshes the monitor text from the text, the selection and the composition, and hands it
    // over.
    void RefreshMonitorText();

    // Text before the selection, the composition, text after the selection: the composition
    // stands where the input method will put it.
    static QString ComposeMonitorText(const QString &text, int selectionStart, int selectionEnd,
                                      const QString &composition);

signals:
    // Enter: the line (possibly empty) was taken out of the box.
    void lineEntered(const QString &line);
    void monitorTextChanged(const QString &text);
    void tabPressed();
    void focusGained();
    // F1 (0) to F12 (11) went down in this box.
    void functionKeyPressed(int index, bool shift);

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    void OnTextEdited();
    void setLimitKeepingSelection(int limit);

    QString m_strConfirmed;
    QString m_strMonitor;
    QString m_strComposition;
    bool m_bAdjustingLimit = false;
};
