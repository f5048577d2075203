#pragma once

#include <QLocale>
#include <QString>

// The 16-bit language identifiers (LCIDs) this program knows, with their ISO names. Language
// files are named after these identifiers, so the table is what ties a file to a locale.
class CLocaleTable final
{
public:
    CLocaleTable() = delete;

    // Two-letter ISO 639 language and ISO 3166 country names of lcid; false when unknown.
    static bool isoNames(quint16 lcid, QString &language, QString &country);
    // The locale of lcid; the "C" locale when unknown.
    static QLocale locale(quint16 lcid);
    // The identifier of locale: the entry of the same language and country, else the first
    // entry of the same language (so the primary language still matches), else 0.
    static quint16 lcidOf(const QLocale &locale);
    // "<native language> (<native country>)", e.g. "日本語 (日本)"; empty when the native
    // language name is unknown.
    static QString displayName(quint16 lcid);
};
