#include "display/CCaptionColumn.h"

#include "core/OperationLog.h"
#include "timeline/ReceivedMain.h"

#include <algorithm>
#include <new>

CCaptionColumn::CCaptionColumn(ReceivedMain &store, const ITextMeasurer &measurer)
    : m_store(store), m_measurer(&measurer)
{
}

bool CCaptionColumn::Allocate(int maxDisplayLines)
{
    // Collect gathers at most one line more than are shown, and at least one line is shown.
    m_nMaxDisplayLines = std::max(maxDisplayLines, 2);
    bool allocated = true;
    try {
        m_aStringDisplay.resize(m_nMaxDisplayLines);
    } catch (const std::bad_alloc &) {
        allocated = false;
    }
    allocated = allocated && m_aStringDisplay.size() == m_nMaxDisplayLines;
    WriteLog(QStringLiteral("m_aStringDisplay.SetCount finished. number : %1 %2")
                 .arg(m_nMaxDisplayLines)
                 .arg(allocated ? QStringLiteral("(success)") : QStringLiteral("(failure)")));
    return allocated;
}

void CCaptionColumn::setMargins(int x, int y)
{
    m_nMarginX = x;
    m_nMarginY = y;
    m_store.setMargins(x, y);
}

void CCaptionColumn::InvalidateLayout()
{
    m_store.BumpLayoutGeneration();
    m_store.InvalidateMetrics();
    m_bFullPaint = true;
}

void CCaptionColumn::RequestGoLast()
{
    m_bGoLast = true;
    m_bFullPaint = true;
}

QRect CCaptionColumn::textArea(const QSize &client) const
{
    return QRect(0, m_insets.top(), client.width(),
                 std::max(client.height() - m_insets.top() - m_insets.bottom(), 0));
}

void CCaptionColumn::ComputeMetrics(const QSize &client, const QMargins &frame)
{
    m_store.setDisplayClientRect(QRect(QPoint(0, 0), client));
    if (!m_store.metricsValid())
        m_store.UpdateMetrics(*m_measurer);
    m_nShownLines = std::max(std::min(m_store.linesPerScreen(), m_nMaxDisplayLines - 1), 1);
    m_nPitch = std::max(m_store.linePitch(), 1);
    m_insets = QMargins(m_nMarginX, m_nMarginY, m_nMarginX, m_nMarginY) + frame;
}

void CCaptionColumn::Collect()
{
    int serial = m_nTopSerial;
    int line = m_nTopLine;
    bool first = true;
    int n = 0;
    while (n < m_nShownLines + 1) {
        QString text;
        const int result = m_store.GetLine(serial, line, text, *m_measurer);
        if (result == ReceivedMain::LINE_MORE) {
            m_aStringDisplay[n++] = text;
            ++line;
            first = false;
        } else if (result == ReceivedMain::LINE_LAST) {
            m_aStringDisplay[n++] = text;
            ++serial;
            line = 0;
            first = false;
        } else if (result == ReceivedMain::LINE_SKIP) {
            ++serial;
            line = 0;
            // A withdrawn record, or a top line past its record's end: the top moves on.
            if (first) {
                m_nTopSerial = serial;
                m_nTopLine = 0;
            }
        } else {
            if (serial == m_nTopSerial && line == m_nTopLine)
                m_nTopLine = 0;
            break;
        }
    }
    m_nCollected = n;
}

void CCaptionColumn::settleIfAllShown()
{
    if (m_nCollected <= m_nShownLines) {
        m_nScrollOffset = 0;
        m_bScrolling = false;
    }
}

void CCaptionColumn::Paint(const QSize &client, const QMargins &frame)
{
    ComputeMetrics(client, frame);
    if (m_bGoLast) {
        int serial = 0;
        int line = 0;
        if (m_store.GoLast(*m_measurer, serial, line)) {
            m_nTopSerial = serial;
            m_nTopLine = line;
        }
        m_bScrolling = false;
        m_nScrollOffset = 0;
        m_bGoLast = false;
    }
    Collect();
    m_bFullPaint = false;
    if (m_nCollected > m_nShownLines && !m_bScrolling) {
        m_nScrollOffset = 0;
        m_bScrolling = true;
    }
}

CCaptionColumn::Repaint CCaptionColumn::Refresh(const QSize &client, const QMargins &frame, ImageState image)
{
    if (m_bFullPaint || image == ImageState::Missing || client.isEmpty()) {
        // Nothing on screen to add to yet: the coming paint collects everything.
        m_bFullPaint = true;
        return {Image::Keep, Screen::Whole};
    }
    ComputeMetrics(client, frame);
    Collect();
    if (m_nCollected <= m_nShownLines)
        return {Image::Whole, Screen::Whole};
    if (!m_bScrolling) {
        m_nScrollOffset = 0;
        m_bScrolling = true;
        return {Image::Whole, Screen::Whole};
    }
    // Scrolling already: the steps bring the new lines in at their own pace.
    return {};
}

CCaptionColumn::Repaint CCaptionColumn::ScrollStep(const QSize &client, const QMargins &frame,
                                                   ImageState image)
{
    if (!m_bScrolling || image == ImageState::Missing)
        return {};
    m_nScrollOffset += m_nScrollPixels;
    if (m_nScrollOffset < m_nPitch)
        return {Image::Keep, Screen::ScrollUp};

    // A whole line has passed.
    ++m_nTopLine;
    m_nScrollOffset -= m_nPitch;
    // Steps of more than a pitch still complete one line each; the image holds only one pitch
    // below the window, so the offset cannot stay beyond it. The column then moved by less than
    // a step, and the pixels on screen cannot simply be moved up by one.
    const bool cutShort = m_nScrollOffset >= m_nPitch;
    if (cutShort)
        m_nScrollOffset = 0;
    const QRect before = textArea(client);
    const int pitch = m_nPitch;
    const int left = insetLeft();
    ComputeMetrics(client, frame);
    Collect();
    const bool relaid = m_bFullPaint || textArea(client) != before || pitch != m_nPitch ||
                        left != insetLeft() || image == ImageState::Stale;
    // The last line came in part way through a step: the column jumps onto the line grid.
    const bool offGrid = m_nCollected <= m_nShownLines && m_nScrollOffset != 0;
    settleIfAllShown();
    if (relaid) {
        // The layout changed under the column: draw it anew where it now stands.
        m_bFullPaint = false;
        return {Image::Whole, Screen::Whole};
    }
    if (offGrid || cutShort)
        return {Image::NewLine, Screen::Whole};
    // The lines already drawn move up with the image; only the one coming in is drawn, and on
    // screen what of it shows above the strip the step brings in.
    const bool incomingAboveStrip =
        m_bScrolling && incomingTop() < textArea(client).height() - m_nScrollPixels;
    return {Image::NewLine, incomingAboveStrip ? Screen::ScrollUpWithIncoming : Screen::ScrollUp};
}
