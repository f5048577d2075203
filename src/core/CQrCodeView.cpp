#include "core/CQrCodeView.h"

#include <QPaintEvent>
#include <QPainter>

CQrCodeView::CQrCodeView(QWidget *parent) : QWidget(parent)
{
    // Readers need dark modules on light ground whatever the window's colours are.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CQrCodeView::setText(const QString &text)
{
    if (text == m_strText)
        return;
    m_strText = text;
    m_code = text.isEmpty() ? std::nullopt : CQrCode::Encode(text);
    setToolTip(text);
    update();
}

void CQrCodeView::setNote(const QString &note)
{
    m_strNote = note;
    update();
}

QSize CQrCodeView::sizeHint() const
{
    // Three pixels a module are read reliably by a phone held near a screen.
    const int modules = (m_code ? m_code->size() : 25) + 2 * CQrCode::kQuietZone;
    return {modules * 3, modules * 3};
}

void CQrCodeView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (!m_code) {
        painter.setPen(Qt::black);
        painter.drawText(rect().adjusted(4, 4, -4, -4), Qt::AlignCenter | Qt::TextWordWrap, m_strNote);
        return;
    }
    const int modules = m_code->size() + 2 * CQrCode::kQuietZone;
    // Whole pixels per module: a module drawn at a fractional size blurs into its neighbours.
    const int scale = std::max(1, std::min(width(), height()) / modules);
    const int side = modules * scale;
    const int left = (width() - side) / 2 + CQrCode::kQuietZone * scale;
    const int top = (height() - side) / 2 + CQrCode::kQuietZone * scale;
    for (int y = 0; y < m_code->size(); ++y) {
        for (int x = 0; x < m_code->size(); ++x) {
            if (m_code->isDark(x, y))
                painter.fillRect(left + x * scale, top + y * scale, scale, scale, Qt::black);
        }
    }
}
