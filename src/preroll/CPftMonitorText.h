#pragma once

#include <QString>

// The shown pre-roll as a text box holds it. Line ends arrive as CR LF (or a lone CR or LF from a
// peer) but a text document keeps one separator per line end, so the marker's character index
// has to move with the text.
class CPftMonitorText final
{
public:
    CPftMonitorText() = default;
    // shown: former text followed by latter text; boundary: where the latter text starts in it
    // (clamped to the text).
    CPftMonitorText(const QString &shown, int boundary);

    // Every line end as one LF.
    const QString &text() const { return m_text; }
    // Where the latter text starts in text().
    int boundary() const { return m_nBoundary; }
    // The boundary is at the very end and the last line has characters: the marker belongs on
    // the line after it, which the text box does not have.
    bool boundaryAfterLastLine() const;

private:
    QString m_text;
    int m_nBoundary = 0;
};
