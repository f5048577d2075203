#include "contact/CTurnIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

QColor fillFor(CTurnIcons::Kind kind, bool active)
{
    if (!active)
        return QColor(0xb4, 0xb4, 0xb4);
    switch (kind) {
    case CTurnIcons::Kind::Start:
        return QColor(0x2e, 0x9d, 0x3c);
    case CTurnIcons::Kind::Stop:
        return QColor(0xd0, 0x36, 0x2c);
    case CTurnIcons::Kind::Reset:
        return QColor(0x2f, 0x6f, 0xc4);
    }
    return Qt::black;
}

QPixmap draw(CTurnIcons::Kind kind, bool active, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor fill = fillFor(kind, active);
    const QColor edge = fill.darker(140);
    const qreal s = size;
    painter.setPen(QPen(edge, s / 16.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(fill);
    switch (kind) {
    case CTurnIcons::Kind::Start: {
        QPainterPath path;
        path.moveTo(s * 0.28, s * 0.18);
        path.lineTo(s * 0.82, s * 0.50);
        path.lineTo(s * 0.28, s * 0.82);
        path.closeSubpath();
        painter.drawPath(path);
        break;
    }
    case CTurnIcons::Kind::Stop:
        painter.drawRoundedRect(QRectF(s * 0.22, s * 0.22, s * 0.56, s * 0.56), s * 0.06, s * 0.06);
        break;
    case CTurnIcons::Kind::Reset: {
        // Three quarters of a ring with an arrow head at its open end.
        const QRectF ring(s * 0.2, s * 0.2, s * 0.6, s * 0.6);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(fill, s * 0.12, Qt::SolidLine, Qt::FlatCap));
        painter.drawArc(ring, 90 * 16, 270 * 16);
        QPainterPath head;
        head.moveTo(s * 0.50, s * 0.04);
        head.lineTo(s * 0.72, s * 0.20);
        head.lineTo(s * 0.50, s * 0.36);
        head.closeSubpath();
        painter.setPen(Qt::NoPen);
        painter.setBrush(fill);
        painter.drawPath(head);
        break;
    }
    }
    return pixmap;
}

} // namespace

QIcon CTurnIcons::icon(Kind kind, bool active)
{
    QIcon result;
    for (int size : {16, 24, 32, 48})
        result.addPixmap(draw(kind, active, size));
    return result;
}
