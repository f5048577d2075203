#pragma once

#include <QWidget>

// The narrow strip left of a pre-roll text: a black triangle with a white one inside points at
// the line that goes out next (editor) or where the latter text begins (monitor).
class CPftMarkerStrip final : public QWidget
{
    Q_OBJECT

public:
    explicit CPftMarkerStrip(QWidget *parent = nullptr);

    // Vertical centre of the marked line in the strip's own coordinates, and that line's height;
    // a negative centre hides the marker.
    void setMarker(int centerY, int lineHeight);
    int markerCenterY() const { return m_nCenterY; }
    bool hasMarker() const { return m_nCenterY >= 0; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_nCenterY = -1;
    int m_nLineHeight = 12;
};
