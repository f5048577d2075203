#pragma once

#include "input/CMonitorTextGate.h"

#include <QLineEdit>
#include <QString>

class QLabel;

// One line of caption input. Enter hands the line over and empties the box; every key release
// (and every change of the input method's composition) refreshes the monitor text, which shows
// what the member is typing now, the unconfirmed composition included. Typed or committed text
// that the typed limit cuts off rings the bell and is shown in a mark at the box's right end
// until the box has room again.
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
    // What the typed limit cut off last, while the mark shows it (empty otherwise).
    QString notTaken() const { return m_strNotTaken; }
    // The mark that shows the limit was reached.
    QLabel *limitMark() const { return m_limitMark; }

    // Replaces the text as the function keys and the undo do: not cut to the typed limit, and the
    // caret put at caret.
    void PutText(const QString &text, int caret);
    // Refreshes the monitor text from the text, the selection and the composition, and hands it
    // over with what caused the refresh.
    void RefreshMonitorText(CMonitorTextGate::Cause cause);

    // Text before the selection, the composition, text after the selection: the composition
    // stands where the input method will put it.
    static QString ComposeMonitorText(const QString &text, int selectionStart, int selectionEnd,
                                      const QString &composition);

signals:
    // Enter: the line (possibly empty) was taken out of the box.
    void lineEntered(const QString &line);
    // The monitor text was refreshed (changed or not); the window decides what goes out.
    void monitorTextRefreshed(const QString &text, CMonitorTextGate::Cause cause);
    // Typed or committed text went past the typed limit; notTaken is what the box did not take.
    void typedTextCut(const QString &notTaken);
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
    void resizeEvent(QResizeEvent *event) override;

private:
    void OnTextEdited();
    void setLimitKeepingSelection(int limit);
    // Compares what an insertion of inserted should have left with what the box holds now.
    void CheckCut(qsizetype lengthBefore, qsizetype removed, const QString &inserted);
    void ShowNotTaken(const QString &notTaken);
    void HideNotTaken();
    void PlaceLimitMark();

    QString m_strConfirmed;
    QString m_strMonitor;
    QString m_strComposition;
    QString m_strNotTaken;
    QLabel *m_limitMark = nullptr;
    qsizetype m_nCutLength = 0;
    bool m_bAdjustingLimit = false;
};
