#include "app/CLocaleTable.h"

#include <iterator>

namespace {

struct LocaleEntry
{
    quint16 lcid;
    const char *language; // ISO 639-1
    const char *country;  // ISO 3166-1 alpha-2
};

// The primary language of the identifier sits in its low byte; entries of one language are
// listed with the language's main country first, since lcidOf falls back to that one.
constexpr LocaleEntry kLocales[] = {
    {0x0411, "ja", "JP"}, {0x0409, "en", "US"}, {0x0809, "en", "GB"}, {0x0C09, "en", "AU"},
    {0x1009, "en", "CA"}, {0x1409, "en", "NZ"}, {0x1809, "en", "IE"}, {0x4009, "en", "IN"},
    {0x4809, "en", "SG"}, {0x0804, "zh", "CN"}, {0x0404, "zh", "TW"}, {0x0C04, "zh", "HK"},
    {0x1004, "zh", "SG"}, {0x1404, "zh", "MO"}, {0x0412, "ko", "KR"}, {0x040C, "fr", "FR"},
    {0x080C, "fr", "BE"}, {0x0C0C, "fr", "CA"}, {0x100C, "fr", "CH"}, {0x0407, "de", "DE"},
    {0x0807, "de", "CH"}, {0x0C07, "de", "AT"}, {0x0C0A, "es", "ES"}, {0x080A, "es", "MX"},
    {0x2C0A, "es", "AR"}, {0x0410, "it", "IT"}, {0x0416, "pt", "BR"}, {0x0816, "pt", "PT"},
    {0x0413, "nl", "NL"}, {0x0813, "nl", "BE"}, {0x0419, "ru", "RU"}, {0x0422, "uk", "UA"},
    {0x0415, "pl", "PL"}, {0x0405, "cs", "CZ"}, {0x040E, "hu", "HU"}, {0x0408, "el", "GR"},
    {0x041D, "sv", "SE"}, {0x0414, "nb", "NO"}, {0x0406, "da", "DK"}, {0x040B, "fi", "FI"},
    {0x041F, "tr", "TR"}, {0x0401, "ar", "SA"}, {0x040D, "he", "IL"}, {0x0439, "hi", "IN"},
    {0x041E, "th", "TH"}, {0x042A, "vi", "VN"}, {0x0421, "id", "ID"}, {0x043E, "ms", "MY"},
};

const LocaleEntry *find(quint16 lcid)
{
    for (const LocaleEntry &entry : kLocales) {
        if (entry.lcid == lcid)
            return &entry;
    }
    return nullptr;
}

QLocale localeOf(const LocaleEntry &entry)
{
    return QLocale(QLatin1String(entry.language) + u'_' + QLatin1String(entry.country));
}

} // namespace

bool CLocaleTable::isoNames(quint16 lcid, QString &language, QString &country)
{
    const LocaleEntry *entry = find(lcid);
    if (!entry)
        return false;
    language = QLatin1String(entry->language);
    country = QLatin1String(entry->country);
    return true;
}

QLocale CLocaleTable::locale(quint16 lcid)
{
    const LocaleEntry *entry = find(lcid);
    return entry ? localeOf(*entry) : QLocale::c();
}

quint16 CLocaleTable::lcidOf(const QLocale &locale)
{
    quint16 sameLanguage = 0;
    for (const LocaleEntry &entry : kLocales) {
        const QLocale candidate = localeOf(entry);
        if (candidate.language() != locale.language())
            continue;
        if (candidate.territory() == locale.territory())
            return entry.lcid;
        if (sameLanguage == 0)
            sameLanguage = entry.lcid;
    }
    return sameLanguage;
}

QString CLocaleTable::displayName(quint16 lcid)
{
    const LocaleEntry *entry = find(lcid);
    if (!entry)
        return {};
    const QLocale loc = localeOf(*entry);
    QString language = loc.nativeLanguageName();
    if (language.isEmpty())
        return {};
    // The bare "ไทย" reads oddly in a list of languages; Thai speakers name it "ภาษาไทย".
    if (language == QStringView(u"ไทย"))
        language = QStringLiteral("ภาษาไทย");
    return language + QStringLiteral(" (") + loc.nativeTerritoryName() + u')';
}
