#include "config/CPaletteColorDialog.h"

#include "config/CConfigGui.h"
#include "config/CCustomPalette.h"

#include <QColorDialog>

void CPaletteColorDialog::LoadInto(const CCustomPalette &palette)
{
    const int count = std::min(CCustomPalette::kCount, QColorDialog::customCount());
    for (int i = 0; i < count; ++i)
        QColorDialog::setCustomColor(i, CConfigGui::toQColor(palette.color(i)));
}

void CPaletteColorDialog::ReadBack(CCustomPalette &palette)
{
    const int count = std::min(CCustomPalette::kCount, QColorDialog::customCount());
    for (int i = 0; i < count; ++i)
        palette.setColor(i, CConfigGui::fromQColor(QColorDialog::customColor(i)));
}

bool CPaletteColorDialog::Choose(QWidget *owner, QColor &color, CCustomPalette *palette)
{
    if (palette)
        LoadInto(*palette);
    QColorDialog dialog(color, owner);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    // Custom colours edited in the dialog are kept whichever button closed it.
    if (palette)
        ReadBack(*palette);
    if (accepted)
        color = dialog.selectedColor();
    return accepted;
}
