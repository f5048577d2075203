#include "input/CInputContextPrimer.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QTimer>
#include <QWidget>
#include <QWindow>

QSet<const QWindow *> CInputContextPrimer::s_priming;

CInputContextPrimer::CInputContextPrimer(QWidget *window) : QObject(window), m_window(window)
{
    m_giveUp = new QTimer(this);
    m_giveUp->setSingleShot(true);
    m_giveUp->setInterval(kActivationWaitMs);
    connect(m_giveUp, &QTimer::timeout, this, &CInputContextPrimer::Stop);
    m_window->installEventFilter(this);
}

bool CInputContextPrimer::TakesTypedText(const QWidget *window)
{
    const auto typable = [](const QWidget *box) {
        return box->focusPolicy() != Qt::NoFocus && box->testAttribute(Qt::WA_InputMethodEnabled);
    };
    for (const QLineEdit *box : window->findChildren<QLineEdit *>()) {
        if (!box->isReadOnly() && typable(box))
            return true;
    }
    for (const QPlainTextEdit *box : window->findChildren<QPlainTextEdit *>()) {
        if (!box->isReadOnly() && typable(box->viewport()))
            return true;
    }
    for (const QTextEdit *box : window->findChildren<QTextEdit *>()) {
        if (!box->isReadOnly() && typable(box->viewport()))
            return true;
    }
    return false;
}

bool CInputContextPrimer::Settling()
{
    return !s_priming.isEmpty();
}

bool CInputContextPrimer::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window && !m_bDone) {
        if (event->type() == QEvent::Show && !m_giveUp->isActive())
            Start();
        else if (event->type() == QEvent::WindowActivate && m_giveUp->isActive())
            Finish();
    }
    return QObject::eventFilter(watched, event);
}

void CInputContextPrimer::Start()
{
    QWindow *own = m_window->windowHandle();
    if (!own || !TakesTypedText(m_window)) {
        m_bDone = true;
        return;
    }
    m_own = own;
    s_priming.insert(own);
    // The window that should have the keyboard afterwards: the one that has it now, or one
    // that takes it before this window's turn comes (the window system activates a window
    // only once it is on screen). Windows that are only being readied do not count.
    const auto track = [this](QWindow *focus) {
        if (focus && !s_priming.contains(focus))
            m_focusBack = focus;
    };
    track(QGuiApplication::focusWindow());
    m_focusWatch = connect(qApp, &QGuiApplication::focusWindowChanged, this, track);
    m_giveUp->start();
    own->requestActivate();
}

void CInputContextPrimer::Finish()
{
    m_giveUp->stop();
    m_bDone = true;
    // Hand the keyboard back only when nobody has taken it meanwhile: a window asked to be
    // activated just before may come only now.
    QTimer::singleShot(kHandBackDelayMs, this, [this] {
        Stop();
        QWindow *own = m_window->windowHandle();
        if (own && QGuiApplication::focusWindow() == own && m_focusBack && m_focusBack != own &&
            m_focusBack->isVisible())
            m_focusBack->requestActivate();
    });
}

void CInputContextPrimer::Stop()
{
    QObject::disconnect(m_focusWatch);
    s_priming.remove(m_own);
    m_bDone = true;
}

CInputContextPrimer::~CInputContextPrimer()
{
    s_priming.remove(m_own);
}
