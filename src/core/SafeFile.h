#pragma once

#include <QByteArray>
#include <QString>

// Replaces a file in one step: the bytes go to a temporary file in the same folder, which is then
// renamed over the target. A crash or a full disk during the write leaves the old file as it was.
class CSafeFile final
{
public:
    CSafeFile() = delete;

    // Writes bytes as the whole new content of path. On failure the old file (if any) is
    // untouched, no temporary file is left behind and error (when given) receives the reason.
    static bool writeAtomically(const QString &path, const QByteArray &bytes, QString *error = nullptr);
};
