#pragma once

#include <QString>

class CConfig;
class CCustomPalette;
class QWidget;

// A colour setting changed in the colour dialog with the program's custom colours.
class CColorSetting final
{
public:
    CColorSetting() = delete;

    // Offers the stored colour (white where there is none); true when a colour was chosen and
    // stored.
    static bool Choose(QWidget *owner, CConfig &config, const QString &key, CCustomPalette &palette);
};
