#include "preroll/CPftMarkerStrip.h"

#include <QPainter>
#include <QPolygonF>

namespace {
constexpr int kStripWidth = 12;
}

CPftMarkerStrip::CPftMarkerStrip(QWidget *parent) : QWidget(parent)
{
    setFixedWidth(kStripWidth);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void CPftMarkerStrip::setMarker(int centerY, int lineHeight)
{
    const int height = qMax(lineHeight, 4);
    if (centerY == m_nCenterY && height == m_nLineHeight)
        return;
    m_nCenterY = centerY;
    m_nLineHeight = height;
    update();
}

QSize CPftMarkerStrip::sizeHint() const
{
    return {kStripWidth, 40};
}

void CPftMarkerStrip::paintEvent(QPaintEvent *)
{
    if (m_nCenterY < 0)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // The triangle is as tall as the line, but never wider than the strip allows.
    const double half = qMin(m_nLineHeight / 2.0, (width() - 2) * 0.6);
    const double left = 1.0;
    const double right = qMin(left + half * 1.6, width() - 1.0);
    const double y = m_nCenterY;
    const QPolygonF outer{QPointF(left, y - half), QPointF(right, y), QPointF(left, y + half)};
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    painter.drawPolygon(outer);
    // The white inner triangle keeps the marker visible on a black background too.
    const double inset = half * 0.45;
    const QPolygonF inner{QPointF(left + inset * 0.7, y - half + inset * 1.3),
                          QPointF(right - inset * 1.4, y),
                          QPointF(left + inset * 0.7, y + half - inset * 1.3)};
    painter.setBrush(Qt::white);
    painter.drawPolygon(inner);
}
