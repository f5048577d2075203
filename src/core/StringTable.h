#pragma once

#include <QString>

// The user-visible texts, keyed by their resource numbers. Japanese is built in; a language
// resource may replace entries at start-up.
class CStringTable final
{
public:
    CStringTable() = delete;

    // The text of string id, or an empty string for an unknown id.
    static QString get(int id);
    // Replaces the built-in text of id (a loaded language resource). An empty text restores it.
    static void setOverride(int id, const QString &text);
    static void clearOverrides();
};
