#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>

class CCustomPalette;
class QFontDialog;
class QPushButton;

// The font dialog of the display: face, style and size as the font dialog offers them, and the
// text colour beside them, since the display's font and text colour are chosen together.
class CFontColorDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CFontColorDialog)

public:
    static constexpr int kMinPointSize = 4;
    static constexpr int kMaxPointSize = 2000;

    // maxPointSize lowers the largest size for windows whose boxes cannot show more.
    CFontColorDialog(const QFont &font, const QColor &color, CCustomPalette *palette,
                     QWidget *parent = nullptr, int maxPointSize = kMaxPointSize);

    // The size is kept within kMinPointSize … the largest size.
    QFont selectedFont() const;
    QColor selectedColor() const { return m_color; }

    // Runs the dialog; on OK font and color hold the choice.
    static bool Choose(QWidget *owner, QFont &font, QColor &color, CCustomPalette *palette,
                       int maxPointSize = kMaxPointSize);

private:
    void chooseColor();
    void showColor();

    QFontDialog *m_fonts = nullptr;
    QPushButton *m_colorButton = nullptr;
    QColor m_color;
    CCustomPalette *m_palette = nullptr;
    int m_nMaxPointSize = kMaxPointSize;
};
