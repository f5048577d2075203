#pragma once

#include <QObject>
#include <QPointer>
#include <QSet>

class QTimer;
class QWidget;
class QWindow;

// Some input methods (fcitx5's Qt plugin) make a window's input context only when the window
// first gets the keyboard, and keys typed before that context is ready bypass the input method:
// the first letters typed into a window just clicked for the first time come out as plain
// romaji. When a window with a box to type in is shown for the first time, this gives it the
// keyboard once and then hands the keyboard back to the window that had it (or that took it in
// the meantime), so that the context is ready before the member first types there.
class CInputContextPrimer final : public QObject
{
    Q_OBJECT

public:
    // Gives up when the window system has not activated the window after this long, so that a
    // later activation by the member is never undone.
    static constexpr int kActivationWaitMs = 2000;
    // Activations already on their way arrive within this time after the window's own.
    static constexpr int kHandBackDelayMs = 100;

    explicit CInputContextPrimer(QWidget *window);
    ~CInputContextPrimer() override;

    // Whether some window is being readied now; a focus given meanwhile may be undone by its
    // activation, which the window system delivers only once the window is on screen.
    static bool Settling();

    // Whether window holds a box that takes typed text.
    static bool TakesTypedText(const QWidget *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Start();
    void Finish();
    void Stop();

    // The windows being readied: their activations are not where the keyboard belongs.
    static QSet<const QWindow *> s_priming;

    QWidget *m_window = nullptr;
    const QWindow *m_own = nullptr;
    QPointer<QWindow> m_focusBack;
    QMetaObject::Connection m_focusWatch;
    QTimer *m_giveUp = nullptr;
    bool m_bDone = false;
};
