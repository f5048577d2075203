#include "display/CCaptionRenderer.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <QtMath>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Beyond this many distinct characters the cache starts afresh, so it stays a few megabytes.
constexpr int kMaxCachedGlyphs = 2048;

// Characters drawn the same alone as inside a run: no marks, no joining or reordering scripts.
bool drawnAlone(char32_t codePoint)
{
    switch (QChar::category(codePoint)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Other_Format:
        return false;
    default:
        break;
    }
    switch (QChar::script(codePoint)) {
    case QChar::Script_Common:
    case QChar::Script_Latin:
    case QChar::Script_Greek:
    case QChar::Script_Cyrillic:
    case QChar::Script_Han:
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
    case QChar::Script_Hangul:
    case QChar::Script_Bopomofo:
        return true;
    default:
        return false;
    }
}

} // namespace

void CCaptionRenderer::setFont(const QFont &font)
{
    dropGlyphs();
    m_font = font;
    m_ascent = QFontMetricsF(m_font).ascent();
}

void CCaptionRenderer::setColors(const QColor &text, const QColor &background, const QColor &outline)
{
    m_text = text;
    m_background = background;
    m_outline = outline;
    dropGlyphs();
    setOutline(m_bOutline, m_nOutlineWidth);
}

void CCaptionRenderer::setOutline(bool outlining, int width)
{
    if (outlining != m_bOutline || std::max(width, 0) != m_nOutlineWidth)
        dropGlyphs();
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
    if (m_bOutline && drawOutlinedGlyphs(painter, x, baseline, text))
        return;
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

const CCaptionRenderer::Glyph &CCaptionRenderer::glyph(char32_t codePoint) const
{
    const auto found = m_glyphs.constFind(codePoint);
    if (found != m_glyphs.cend())
        return found.value();
    if (m_glyphs.size() >= kMaxCachedGlyphs)
        m_glyphs.clear();
    Glyph made;
    const QString text = QString::fromUcs4(&codePoint, 1);
    made.advance = QFontMetricsF(m_font).horizontalAdvance(text);
    // The baseline's fraction is the same on every line, so it is drawn into the glyph.
    const qreal fraction = m_ascent - std::floor(m_ascent);
    QPainterPath path;
    path.addText(0, fraction, m_font, text);
    if (!path.isEmpty()) {
        const qreal reach = m_outlinePen.widthF() / 2 + 1;
        const QRect box = path.boundingRect().adjusted(-reach, -reach, reach, reach).toAlignedRect();
        made.offset = box.topLeft();
        made.outlined = QImage(box.size(), QImage::Format_ARGB32_Premultiplied);
        made.outlined.fill(Qt::transparent);
        made.fill = made.outlined;
        {
            QPainter painter(&made.outlined);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.translate(-box.topLeft());
            painter.strokePath(path, m_outlinePen);
            painter.fillPath(path, m_text);
        }
        QPainter painter(&made.fill);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.translate(-box.topLeft());
        painter.fillPath(path, m_text);
    }
    return m_glyphs.insert(codePoint, made).value();
}

bool CCaptionRenderer::drawOutlinedGlyphs(QPainter &painter, qreal x, qreal baseline,
                                          const QString &text) const
{
    const QList<uint> codePoints = text.toUcs4();
    for (const uint codePoint : codePoints) {
        if (!drawnAlone(codePoint))
            return false;
    }
    const int originY = static_cast<int>(std::floor(baseline));
    // Every outline first, then every glyph over them, as when the whole run is stroked and
    // then filled: no outline covers a neighbouring glyph.
    for (int pass = 0; pass < 2; ++pass) {
        qreal pen = x;
        for (const uint codePoint : codePoints) {
            const Glyph &g = glyph(codePoint);
            if (!g.fill.isNull()) {
                const QPoint at(qRound(pen) + g.offset.x(), originY + g.offset.y());
                painter.drawImage(at, pass == 0 ? g.outlined : g.fill);
            }
            pen += g.advance;
        }
    }
    return true;
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
