#pragma once

#include <QString>

// Where the program's files live. The operation log needs these before the settings store
// exists, so they sit here rather than beside the store. Paths use "/" on this platform.
class CAppPaths final
{
public:
    CAppPaths() = delete;

    // True when the executable's base name contains "portable": everything then lives beside it.
    static bool IsPortable();
    // Folder of the running executable, no trailing separator. False when it cannot be obtained.
    static bool GetExeFolder(QString &folder);
    static QString GetExeFolder();
    // Executable file name without folder and extension; the product name (string 101) and false
    // when it cannot be obtained.
    static bool GetExeBaseName(QString &name);
    static QString GetExeBaseName();
    // folder + name with exactly one separator where the folder does not end in one.
    static QString JoinPath(const QString &folder, const QString &name);
    static QString GetSettingsFolder();
    // The documents folder joined with the product name; false and empty when there is none.
    static bool GetDocumentFolder(QString &folder);
    static QString GetDocumentFolder();
};
