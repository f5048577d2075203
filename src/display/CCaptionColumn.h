#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>
#include <QStringList>

class ITextMeasurer;
class ReceivedMain;

// The caption column without its pixels: where in the store the first line on screen is, which
// lines are on screen plus the one coming in from below, and how far the column has moved up
// within the current line. The display window owns the timer and the off-screen image; it tells
// the column what happened (new lines, a timer tick, a paint) and draws what the answer asks for.
//
// The client size and the frame insets are passed in with every call that lays out, so the
// column always works with what the window is at that moment.
class CCaptionColumn final
{
    Q_DISABLE_COPY_MOVE(CCaptionColumn)

public:
    // What the off-screen image needs: nothing, every collected line drawn again, or the image
    // moved up one pitch with the lines from shownLines() on drawn into the band that came free.
    enum class Image
    {
        Keep,
        Whole,
        NewLine
    };
    // What the window needs: nothing, the text area's pixels moved up by scrollPixels() with
    // the strip below taken from the image, the same and the rows from incomingTop() down taken
    // from the image as well, or the whole window painted again.
    enum class Screen
    {
        Keep,
        ScrollUp,
        ScrollUpWithIncoming,
        Whole
    };
    struct Repaint
    {
        Image image = Image::Keep;
        Screen screen = Screen::Keep;
        bool operator==(const Repaint &) const = default;
    };
    // The window's off-screen image: not made yet, made for another width or background, or
    // matching the window.
    enum class ImageState
    {
        Missing,
        Stale,
        Current
    };

    // The store and the measurer must outlive the column; the measurer stands for the display
    // font and is replaced with it.
    CCaptionColumn(ReceivedMain &store, const ITextMeasurer &measurer);
    void setMeasurer(const ITextMeasurer &measurer) { m_measurer = &measurer; }

    // Room for "main.line.max_i" lines (at least 2); logs the allocation. False when the memory
    // could not be had.
    bool Allocate(int maxDisplayLines);
    // "main.margin.x_i" and "main.margin.y_i": the insets, and the store wraps with them.
    void setMargins(int x, int y);
    void setScrollPixels(int pixels) { m_nScrollPixels = pixels; }

    // Anything that changes wrapping (size, font, colours, settings): every record is wrapped
    // again and the next paint collects the whole column.
    void InvalidateLayout();
    // Lines were inserted or withdrawn: the next paint collects the whole column.
    void RequestRedraw() { m_bFullPaint = true; }
    // The next paint places the newest lines at the bottom at once and stops scrolling.
    void RequestGoLast();
    bool goLastRequested() const { return m_bGoLast; }
    // The next paint must collect the column and draw the image anew.
    bool fullPaintPending() const { return m_bFullPaint; }

    // A paint that draws the whole image: the go-last request, Collect, and scrolling starts
    // when a line waits below. The window draws every collected line afterwards.
    void Paint(const QSize &client, const QMargins &frame);
    // New lines at the end of the store: drawn at once while they fit; else scrolling starts,
    // or goes on at its own pace if it already runs.
    Repaint Refresh(const QSize &client, const QMargins &frame, ImageState image);
    // One tick of the scroll timer. Nothing happens while the column stands still.
    Repaint ScrollStep(const QSize &client, const QMargins &frame, ImageState image);
    // True while lines wait below the window: more steps will follow, and only then does a tick
    // of the timer do anything.
    bool isScrolling() const { return m_bScrolling; }

    // Every collected line is in lines() up to collected(); the last may still be below the window.
    const QStringList &lines() const { return m_aStringDisplay; }
    int collected() const { return m_nCollected; }
    QStringList collectedLines() const { return m_aStringDisplay.mid(0, m_nCollected); }
    int shownLines() const { return m_nShownLines; }
    int topSerial() const { return m_nTopSerial; }
    int topLine() const { return m_nTopLine; }
    int scrollOffset() const { return m_nScrollOffset; }
    int scrollPixels() const { return m_nScrollPixels; }
    int pitch() const { return m_nPitch; }
    // Where the line coming in from below starts, in rows of the text area. A step that ends a
    // line collects the next one; when the text area is not a whole number of lines high its
    // top already shows above the strip the step brings in, so those rows are drawn from the
    // image too (Screen::ScrollUpWithIncoming).
    int incomingTop() const { return m_nShownLines * m_nPitch - m_nScrollOffset; }
    int insetLeft() const { return m_insets.left(); }
    // The part of a client area of this size that shows the column: less the top and bottom insets.
    QRect textArea(const QSize &client) const;

private:
    // Shown lines, pitch and insets, with the store's metrics brought up to date.
    void ComputeMetrics(const QSize &client, const QMargins &frame);
    // Fills the lines from the top position; moves the top past withdrawn records.
    void Collect();
    // Scrolling ends on the line grid once every collected line is on screen.
    void settleIfAllShown();

    ReceivedMain &m_store;
    const ITextMeasurer *m_measurer;

    QStringList m_aStringDisplay;
    int m_nMaxDisplayLines = 50;
    int m_nTopSerial = 0;
    int m_nTopLine = 0;
    bool m_bGoLast = true;
    int m_nShownLines = 1;
    int m_nCollected = 0;
    int m_nPitch = 1;
    // Margin plus the frameless inset on each side.
    QMargins m_insets;
    int m_nMarginX = 4;
    int m_nMarginY = 4;
    int m_nScrollPixels = 4;
    bool m_bScrolling = false;
    // Pixels (0 … pitch − 1) the column has moved up within the top line.
    int m_nScrollOffset = 0;
    bool m_bFullPaint = true;
};
