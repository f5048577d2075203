#include "config/CCustomPalette.h"

#include "config/CConfig.h"

#include <QStringList>

CCustomPalette::CCustomPalette()
{
    m_colors.fill(kWhite);
}

bool CCustomPalette::SaveCustomColors(CConfig &config) const
{
    QStringList fields;
    fields.reserve(kCount);
    for (const quint32 color : m_colors)
        fields.append(QStringLiteral("%1").arg(color & kWhite, 6, 16, QLatin1Char('0')).toUpper());
    return config.SetString(QStringLiteral("miscellaneous.customcolors"), fields.join(u','));
}

bool CCustomPalette::LoadCustomColors(const CConfig &config)
{
    QString text;
    if (config.GetString(QStringLiteral("miscellaneous.customcolors"), text) && text.size() == kTextLength) {
        std::array<quint32, kCount> parsed{};
        bool valid = true;
        for (int i = 0; i < kCount && valid; ++i)
            valid = ParseHex6(text, i * 7, parsed.at(static_cast<size_t>(i))) == ParseResult::Ok;
        if (valid) {
            m_colors = parsed;
            return true;
        }
    }

    // The windows' own colours are the likeliest ones to be wanted again.
    static const char16_t *const sources[] = {
        u"main.color.background",
        u"hide.color.background",
        u"main.color.outline",
        u"monitor.color.background",
        u"monitor.color.background.lost",
        u"input.color.background",
        u"chat.color.background",
        u"chat.color.flash",
        u"pft.color.background",
        u"pft.name.color.background",
        u"pft.name.nonsel.color.background",
        u"pft_monitor.color.background",
        u"fkey.color.background",
    };
    m_colors.fill(kWhite);
    size_t index = 0;
    for (const char16_t *key : sources) {
        quint32 color = 0;
        if (config.GetColor(QString::fromUtf16(key), color))
            m_colors.at(index) = color;
        ++index;
    }
    return false;
}

CCustomPalette::ParseResult CCustomPalette::ParseHex6(const QString &text, qsizetype start, quint32 &value)
{
    if (start < 0 || start > text.size())
        return ParseResult::InvalidArgument;
    const QString window = text.mid(start, 6).toUpper();
    quint32 result = 0;
    bool digitSeen = false;
    for (const QChar c : window) {
        if (!digitSeen && (c == u' ' || c == u'\t'))
            continue;
        int digit = -1;
        if (c >= u'0' && c <= u'9')
            digit = c.unicode() - u'0';
        else if (c >= u'A' && c <= u'F')
            digit = c.unicode() - u'A' + 10;
        if (digit < 0)
            return ParseResult::Invalid;
        digitSeen = true;
        result = (result << 4) | static_cast<quint32>(digit);
    }
    value = result;
    return ParseResult::Ok;
}
