#pragma once

#include <QStringList>

// File dialog filters from a resource string "name|patterns|name|patterns||", as Qt's dialogs
// take them: "name (patterns)" entries.
class CFileDialogFilters final
{
public:
    CFileDialogFilters() = delete;

    static QStringList fromString(int stringId);
};
