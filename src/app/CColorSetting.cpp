#include "app/CColorSetting.h"

#include "config/CConfig.h"
#include "config/CConfigGui.h"
#include "config/CPaletteColorDialog.h"

bool CColorSetting::Choose(QWidget *owner, CConfig &config, const QString &key, CCustomPalette &palette)
{
    quint32 current = 0xffffff;
    config.GetColor(key, current);
    QColor color = CConfigGui::toQColor(current);
    if (!CPaletteColorDialog::Choose(owner, color, &palette))
        return false;
    config.SetColor(key, CConfigGui::fromQColor(color));
    return true;
}
