#include "config/LogFont.h"

#include "config/CConfig.h"

namespace {

// a × b ÷ c rounded to the nearest integer, halves away from zero (the platform's MulDiv).
qint32 mulDiv(qint64 a, qint64 b, qint64 c)
{
    const qint64 product = a * b;
    const qint64 magnitude =
        ((product < 0 ? -product : product) * 2 + (c < 0 ? -c : c)) / (2 * (c < 0 ? -c : c));
    const bool negative = (product < 0) != (c < 0);
    return static_cast<qint32>(negative ? -magnitude : magnitude);
}

QString key(const QString &prefix, QLatin1String suffix)
{
    return prefix + suffix;
}

} // namespace

bool ConfigToLogFont(const CConfig &config, const QString &prefix, int dpiY, LogFont &font)
{
    font = LogFont();
    bool ok = true;

    qint32 point = 0;
    ok = config.GetInt(key(prefix, QLatin1String(".font.point_i")), point) && ok;
    if (dpiY > 0) {
        font.height = -mulDiv(point, dpiY, 72);
    } else {
        font.height = -10 * point;
        ok = false;
    }

    qint32 weight = 0;
    ok = config.GetInt(key(prefix, QLatin1String(".font.weight_i")), weight) && ok;
    font.weight = weight != 0 ? 700 : 400;

    qint32 italic = 0;
    ok = config.GetInt(key(prefix, QLatin1String(".font.italic_i")), italic) && ok;
    font.italic = static_cast<quint8>(italic);

    qint32 underline = 0;
    ok = config.GetInt(key(prefix, QLatin1String(".font.underline_i")), underline) && ok;
    font.underline = static_cast<quint8>(underline);

    qint32 charSet = 0;
    ok = config.GetInt(key(prefix, QLatin1String(".font.charset_i")), charSet) && ok;
    font.charSet = static_cast<quint8>(charSet);

    QString name;
    ok = config.GetString(key(prefix, QLatin1String(".font.name")), name) && ok;
    font.faceName = name.left(LogFont::kMaxFaceName);
    return ok;
}

bool LogFontToConfig(CConfig &config, const QString &prefix, int dpiY, const LogFont &font)
{
    bool ok = true;
    qint32 point = 0;
    if (dpiY > 0) {
        point = -mulDiv(font.height, 72, dpiY);
    } else {
        point = font.height / -10;
        ok = false;
    }
    ok = config.SetInt(key(prefix, QLatin1String(".font.point_i")), point) && ok;
    ok = config.SetInt(key(prefix, QLatin1String(".font.weight_i")), font.weight == 700 ? 1 : 0) && ok;
    ok = config.SetInt(key(prefix, QLatin1String(".font.italic_i")), font.italic != 0 ? 1 : 0) && ok;
    ok = config.SetInt(key(prefix, QLatin1String(".font.underline_i")), font.underline != 0 ? 1 : 0) && ok;
    ok = config.SetInt(key(prefix, QLatin1String(".font.charset_i")), font.charSet) && ok;
    ok = config.SetString(key(prefix, QLatin1String(".font.name")),
                          font.faceName.left(LogFont::kMaxFaceName)) &&
         ok;
    return ok;
}
