#include "config/CConfigGui.h"

#include "config/ColorRef.h"

#include <cmath>

QFont CConfigGui::toQFont(const LogFont &font, int dpiY)
{
    QFont result;
    result.setFamily(font.faceName);
    const int pixels = std::abs(font.height);
    const double points = dpiY > 0 ? pixels * 72.0 / dpiY : pixels / 10.0;
    if (points > 0)
        result.setPointSizeF(points);
    if (font.weight >= 1 && font.weight <= 1000)
        result.setWeight(static_cast<QFont::Weight>(font.weight));
    else
        result.setWeight(QFont::Normal);
    result.setItalic(font.italic != 0);
    result.setUnderline(font.underline != 0);
    return result;
}

LogFont CConfigGui::fromQFont(const QFont &font, int dpiY, quint8 charSet)
{
    LogFont result;
    const double points = font.pointSizeF();
    if (points > 0) {
        result.height = dpiY > 0 ? -static_cast<qint32>(std::lround(points * dpiY / 72.0))
                                 : -static_cast<qint32>(std::lround(points * 10.0));
    } else if (font.pixelSize() > 0) {
        result.height = -font.pixelSize();
    }
    result.weight = static_cast<qint32>(font.weight());
    result.italic = font.italic() ? 1 : 0;
    result.underline = font.underline() ? 1 : 0;
    result.charSet = charSet;
    result.faceName = font.family().left(LogFont::kMaxFaceName);
    return result;
}

QColor CConfigGui::toQColor(quint32 colorRef)
{
    return QColor(CColorRef::red(colorRef), CColorRef::green(colorRef), CColorRef::blue(colorRef));
}

quint32 CConfigGui::fromQColor(const QColor &color)
{
    const QColor rgb = color.toRgb();
    return CColorRef::fromRgb(rgb.red(), rgb.green(), rgb.blue());
}
