#pragma once

#include <QRect>
#include <QString>

class CConfig;
class CQrCodeView;
class QWidget;

// The web page's QR code in a corner of the caption text ("main.qrcode.*"): whether it is on,
// how big it is against the text area and which corner it keeps to. The code is a child of the
// canvas, so the canvas's scrolling leaves it where it stands; it covers the captions in its
// corner only while shown.
class CQrCorner final
{
public:
    explicit CQrCorner(QWidget &canvas);
    Q_DISABLE_COPY_MOVE(CQrCorner)

    void readConfig(const CConfig &config);
    void writeConfig(CConfig &config) const;

    // On or off, as the menu's check mark says; the next place() shows or hides it.
    void toggle() { m_bOn = !m_bOn; }
    bool isOn() const { return m_bOn; }
    // Size and corner within the text area; shown as the flag says.
    void place(const QRect &textArea);

    // The address to encode, or an empty one with the note shown in its place.
    void setCode(const QString &url, const QString &note);
    bool isShown() const;
    // The code's square, in canvas coordinates; empty while hidden.
    QRect area() const;
    CQrCodeView *view() const { return m_view; }

private:
    CQrCodeView *m_view = nullptr;
    bool m_bOn = false;
    int m_nSize = 25;
    int m_nCorner = 1;
};
