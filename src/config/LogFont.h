#pragma once

#include <QString>

class CConfig;

// A font description as the font keys store it: the fields of the platform's font structure
// that the program sets. Everything it does not set (width, escapement, pitch …) stays zero.
struct LogFont
{
    // Negative: the character height in pixels; built from the point size and the DPI.
    qint32 height = 0;
    // 700 bold, 400 normal.
    qint32 weight = 0;
    quint8 italic = 0;
    quint8 underline = 0;
    // 1 is the platform's default character set.
    quint8 charSet = 0;
    // At most kMaxFaceName characters.
    QString faceName;

    static constexpr qsizetype kMaxFaceName = 31;

    friend bool operator==(const LogFont &, const LogFont &) = default;
};

// Reads the six font keys under prefix ("main", "pft.name", …). dpiY is the vertical resolution
// of the window's drawing context; 0 when there is none, which gives height -10 × points and
// false. False also when any key cannot be read; the fields read so far are set regardless.
bool ConfigToLogFont(const CConfig &config, const QString &prefix, int dpiY, LogFont &font);
// Stores font into the six keys under prefix. Only weight 700 counts as bold. False when there is
// no drawing context (dpiY 0; the point size is then height ÷ -10) or a key could not be stored.
bool LogFontToConfig(CConfig &config, const QString &prefix, int dpiY, const LogFont &font);
