#include "app/CCaretBlink.h"

#include <QEvent>
#include <QTimer>

CCaretBlink::CCaretBlink(int flashTime, int restAfter, Apply apply, QObject *parent)
    : QObject(parent), m_nFlashTime(flashTime), m_apply(std::move(apply)), m_rest(new QTimer(this)),
      m_bBlinking(flashTime > 0)
{
    m_rest->setSingleShot(true);
    m_rest->setInterval(restAfter);
    connect(m_rest, &QTimer::timeout, this, &CCaretBlink::Rest);
}

CCaretBlink::~CCaretBlink()
{
    uninstall();
}

void CCaretBlink::install(QObject *target)
{
    if (m_target || !target || m_nFlashTime <= 0)
        return;
    m_target = target;
    m_target->installEventFilter(this);
    Wake();
}

void CCaretBlink::uninstall()
{
    if (!m_target)
        return;
    m_target->removeEventFilter(this);
    m_target = nullptr;
    m_rest->stop();
    if (!m_bBlinking && m_apply)
        m_apply(m_nFlashTime);
    m_bBlinking = m_nFlashTime > 0;
}

bool CCaretBlink::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::InputMethod:
    case QEvent::MouseButtonPress:
    case QEvent::FocusIn:
        Wake();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void CCaretBlink::Wake()
{
    m_rest->start();
    if (m_bBlinking)
        return;
    m_bBlinking = true;
    if (m_apply)
        m_apply(m_nFlashTime);
}

void CCaretBlink::Rest()
{
    if (!m_bBlinking)
        return;
    m_bBlinking = false;
    // The boxes show the cursor steadily from now on.
    if (m_apply)
        m_apply(0);
}
