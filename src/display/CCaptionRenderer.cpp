#include "display/CCaptionRenderer.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cstring>

void CCaptionRenderer::setFont(const QFont &font)
{
    m_font = font;
    m_ascent = QFontMetricsF(m_font).ascent();
}

void CCaptionRenderer::setColors(const QColor &text, const QColor &background, const QColor &outline)
{
    m_text = text;
    m_background = background;
    m_outline = outline;
    setOutline(m_bOutline, m_nOutlineWidth);
}

void CCaptionRenderer::setOutline(bool outlining, int width)
{
    m_bOutline = outlining;
    m_nOutlineWidth = std::max(width, 0);
    // The stroke is centred on the glyph's contour: half of it lies outside, width + 1 pixels.
    m_outlinePen = QPen(m_outline, 2 * m_nOutlineWidth + 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void CCaptionRenderer::drawLine(QPainter &painter, int index, const QString &text) const
{
    if (text.isEmpty())
        return;
    const qreal x = m_nLeft + outlineOffset();
    const qreal baseline = index * m_nPitch + outlineOffset() + m_ascent;
    if (m_bOutline) {
        // Outline first, then the glyphs over it, both from one path so they cannot drift apart.
        QPainterPath path;
        path.addText(x, baseline, m_font, text);
        painter.strokePath(path, m_outlinePen);
        painter.fillPath(path, m_text);
    } else {
        painter.setPen(m_text);
        painter.drawText(QPointF(x, baseline), text);
    }
}

void CCaptionRenderer::filterRows(int top, int bottom)
{
    top = std::clamp(top, 0, m_image.height());
    bottom = std::clamp(bottom, top, m_image.height());
    if (!m_bandFilter || bottom <= top)
        return;
    // A view on the rows, not a copy: the filter works in place.
    QImage band(m_image.scanLine(top), m_image.width(), bottom - top, m_image.bytesPerLine(),
                m_image.format());
    m_bandFilter(band);
}

void CCaptionRenderer::Render(const QSize &client, int pitch, int left, const QStringList &lines, int count)
{
    const QSize size(std::max(client.width(), 1), std::max(client.height(), 0) + std::max(pitch, 1));
    if (m_image.size() != size)
        m_image = QImage(size, QImage::Format_ARGB32_Premultiplied);
    m_nPitch = pitch;
    m_nLeft = left;
    m_image.fill(m_background);
    {
        QPainter painter(&m_image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.setFont(m_font);
        for (int k = 0; k < count && k < lines.size(); ++k)
            drawLine(painter, k, lines.at(k));
    }
    filterRows(0, m_image.height());
}

void CCaptionRenderer::ShiftUp(int pitch)
{
    if (m_image.isNull() || pitch <= 0)
        return;
    const int rows = m_image.height() - pitch;
    if (rows > 0) {
        uchar *bits = m_image.bits();
        const qsizetype stride = m_image.bytesPerLine();
        std::memmove(bits, bits + pitch * stride, static_cast<size_t>(rows * stride));
    }
}

void CCaptionRenderer::RenderFrom(int first, int pitch, int left, const QStringList &lines, int count)
{
    if (m_image.isNull())
        return;
    m_nPitch = pitch;
    m_nLeft = left;
    const int top = std::clamp(first * pitch, 0, m_image.height());
    {
        QPainter painter(&m_image);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(QRect(0, top, m_image.width(), m_image.height() - top), m_background);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.setFont(m_font);
        // The band starts at the line's cell; an outline reaching above it stays cut there, as
        // it would at the window's edge.
        painter.setClipRect(QRect(0, top, m_image.width(), m_image.height() - top));
        for (int k = first; k < count && k < lines.size(); ++k)
            drawLine(painter, k, lines.at(k));
    }
    filterRows(top, m_image.height());
}

void CCaptionRenderer::Present(QPainter &painter, const QRect &window, const QRect &area, int offset,
                               const QColor &fill) const
{
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    if (area.top() > window.top())
        painter.fillRect(QRect(window.left(), window.top(), window.width(), area.top() - window.top()), fill);
    const int below = area.top() + area.height();
    const int windowBottom = window.top() + window.height();
    if (windowBottom > below)
        painter.fillRect(QRect(window.left(), below, window.width(), windowBottom - below), fill);
    if (m_image.isNull() || area.height() <= 0) {
        painter.fillRect(area, fill);
        return;
    }
    const int rows = std::min(area.height(), m_image.height() - offset);
    painter.drawImage(QRect(area.left(), area.top(), area.width(), rows), m_image,
                      QRect(area.left(), offset, area.width(), rows));
    if (rows < area.height())
        painter.fillRect(QRect(area.left(), area.top() + rows, area.width(), area.height() - rows), fill);
}
