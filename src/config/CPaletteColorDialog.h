#pragma once

#include <QColor>

class CCustomPalette;
class QWidget;

// The colour dialog with the program's 16 custom colours: they are put into the dialog before it
// opens and read back afterwards, so every colour dialog of the program shares them.
class CPaletteColorDialog final
{
public:
    CPaletteColorDialog() = delete;

    // True on OK, with the choice in color. palette may be nullptr (the dialog's own colours).
    static bool Choose(QWidget *owner, QColor &color, CCustomPalette *palette);
    // The palette into the dialog's custom colours, and back.
    static void LoadInto(const CCustomPalette &palette);
    static void ReadBack(CCustomPalette &palette);
};
