#pragma once

#include <QColor>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QPen>
#include <QPoint>
#include <QStringList>

#include <functional>

class QPainter;

// The off-screen image of the caption column: the lines on screen plus the one coming in,
// drawn in the display font and colours, optionally with every glyph outlined. The window
// shows a window-high slice of it, moved down by the scroll offset; scrolling only moves that
// slice, so text is drawn here only when the set of lines changes.
class CCaptionRenderer final
{
public:
    // Runs over a freshly drawn band of the image (whole rows) before it is shown; the window
    // effects use it to make the background see-through.
    using BandFilter = std::function<void(QImage &band)>;

    // The font must be the display font (without kerning) the lines were wrapped with.
    void setFont(const QFont &font);
    void setColors(const QColor &text, const QColor &background, const QColor &outline);
    // Width in pixels; while outlining is off the outline offset is 0.
    void setOutline(bool outlining, int width);
    void setBandFilter(BandFilter filter) { m_bandFilter = std::move(filter); }

    const QFont &font() const { return m_font; }
    QColor textColor() const { return m_text; }
    QColor backgroundColor() const { return m_background; }
    QColor outlineColor() const { return m_outline; }
    bool outlining() const { return m_bOutline; }
    int outlineWidth() const { return m_nOutlineWidth; }
    // Where a line's text starts inside its cell: the outline must fit above and left of it.
    int outlineOffset() const { return m_bOutline ? m_nOutlineWidth : 0; }
    const QPen &outlinePen() const { return m_outlinePen; }

    // Redraws the whole image: client size plus one pitch in height, background, then lines
    // 0 … count − 1 of lines at row k × pitch.
    void Render(const QSize &client, int pitch, int left, const QStringList &lines, int count);
    // Moves the image up by one pitch: the lines already drawn keep their text.
    void ShiftUp(int pitch);
    // Clears the image from line first to its bottom and draws lines first … count − 1.
    void RenderFrom(int first, int pitch, int left, const QStringList &lines, int count);
    // Copies the image, from row offset on, into area (a rectangle of the window); the window
    // rows above and below area get the background. Only what the painter's clip lets through
    // is copied, so a thin exposed strip costs a thin copy.
    void Present(QPainter &painter, const QRect &window, const QRect &area, int offset,
                 const QColor &fill) const;

    const QImage &image() const { return m_image; }
    bool isValid() const { return !m_image.isNull(); }
    // Pitch and left inset of the last Render: a later band must be drawn with the same ones.
    int renderedPitch() const { return m_nPitch; }
    int renderedLeft() const { return m_nLeft; }

    // Outlined glyphs kept ready to copy (they are made again after a change of font, colour or
    // outline).
    int cachedGlyphs() const { return static_cast<int>(m_glyphs.size()); }

private:
    // One outlined glyph: its outline (stroke, then fill over it) and its fill alone, placed
    // relative to the glyph's origin on the baseline.
    struct Glyph
    {
        QImage outlined;
        QImage fill;
        QPoint offset;
        qreal advance = 0;
    };

    void drawLine(QPainter &painter, int index, const QString &text) const;
    // Copies cached glyphs; false when the text needs shaping across characters (marks,
    // joining scripts) and must be outlined as a whole.
    bool drawOutlinedGlyphs(QPainter &painter, qreal x, qreal baseline, const QString &text) const;
    const Glyph &glyph(char32_t codePoint) const;
    void dropGlyphs() { m_glyphs.clear(); }
    void filterRows(int top, int bottom);

    QFont m_font;
    qreal m_ascent = 0;
    QColor m_text = Qt::black;
    QColor m_background = Qt::white;
    QColor m_outline = QColor(0x00, 0xff, 0x33);
    bool m_bOutline = false;
    int m_nOutlineWidth = 0;
    QPen m_outlinePen;
    BandFilter m_bandFilter;
    mutable QHash<char32_t, Glyph> m_glyphs;

    QImage m_image;
    int m_nPitch = 0;
    int m_nLeft = 0;
};
