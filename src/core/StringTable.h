#pragma once

#include <QList>
#include <QString>

// The user-visible texts, keyed by their resource numbers. Japanese is built in and is the
// source text of each entry; an installed translator (a language resource chosen at start-up)
// replaces it through QCoreApplication::translate in the context "CStringTable".
class CStringTable final
{
public:
    CStringTable() = delete;

    // The translation context of every entry.
    static const char *context();

    // The text of string id in the current language, or an empty string for an unknown id.
    static QString get(int id);
    // The built-in Japanese text of id, untouched by translators and overrides.
    static QString source(int id);
    // Every id that has a text, ascending.
    static QList<int> ids();

    // The table's texts end their lines with CR LF, as do messages built from them; Qt's labels,
    // boxes and edits want a plain line feed.
    static QString forDisplay(QString text);

    // Replaces the text of id for this run, ahead of any translation. An empty text restores it.
    static void setOverride(int id, const QString &text);
    static void clearOverrides();
};
