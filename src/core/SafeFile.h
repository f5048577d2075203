#pragma once

#include <QByteArray>
#include <QString>

// Replaces a file in one step: the bytes go to a temporary file in the same folder, which is then
// renamed over the target. A crash or a full disk during the write leaves the old file as it was.
class CSafeFile final
{
public:
    CSafeFile() = delete;

    enum class Result
    {
        Ok,
        // The temporary file could not be created (missing folder, no permission, a directory
        // of that name); nothing was written.
        CreateFailed,
        // Writing, flushing or the final rename failed; the temporary file is gone again.
        WriteFailed,
    };

    // Writes bytes as the whole new content of path. On failure the old file (if any) is
    // untouched, no temporary file is left behind and error (when given) receives the reason.
    static bool writeAtomically(const QString &path, const QByteArray &bytes, QString *error = nullptr);
    // The same, telling the stage that failed.
    static Result write(const QString &path, const QByteArray &bytes, QString *error = nullptr);
};
