#include "display/CQrCorner.h"

#include "config/CConfig.h"
#include "core/CQrCodeView.h"

#include <algorithm>

CQrCorner::CQrCorner(QWidget &canvas) : m_view(new CQrCodeView(&canvas))
{
    m_view->setObjectName(QStringLiteral("qrCode"));
    m_view->hide();
}

void CQrCorner::readConfig(const CConfig &config)
{
    m_bOn = config.GetIntOr(QStringLiteral("main.qrcode.display_i"), 0) != 0;
    m_nSize = config.GetIntOr(QStringLiteral("main.qrcode.size_i"), m_nSize);
    m_nCorner = config.GetIntOr(QStringLiteral("main.qrcode.corner_i"), m_nCorner);
}

void CQrCorner::writeConfig(CConfig &config) const
{
    config.SetInt(QStringLiteral("main.qrcode.display_i"), m_bOn ? 1 : 0);
    config.SetInt(QStringLiteral("main.qrcode.size_i"), m_nSize);
    config.SetInt(QStringLiteral("main.qrcode.corner_i"), m_nCorner);
}

void CQrCorner::place(const QRect &textArea)
{
    if (!m_bOn) {
        m_view->hide();
        return;
    }
    const int side = std::max(std::min(textArea.width(), textArea.height()), 0);
    // Never smaller than a phone can read from a few metres at one pixel a module.
    const int size = std::max(side * m_nSize / 100, 64);
    const bool right = m_nCorner == 1 || m_nCorner == 3;
    const bool bottom = m_nCorner >= 2;
    const int x = right ? textArea.right() + 1 - size : textArea.left();
    const int y = bottom ? textArea.bottom() + 1 - size : textArea.top();
    m_view->setGeometry(x, y, size, size);
    m_view->show();
    m_view->raise();
}

void CQrCorner::setCode(const QString &url, const QString &note)
{
    m_view->setText(url);
    m_view->setNote(note);
}

bool CQrCorner::isShown() const
{
    return m_bOn && !m_view->isHidden();
}

QRect CQrCorner::area() const
{
    return isShown() ? m_view->geometry() : QRect();
}
