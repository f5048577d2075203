#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include "FileSizeLimit.h"

// Small file helpers shared by the configuration tests.
namespace ConfigTestFiles {

inline QByteArray utf16(const QString &text, bool withMark = true)
{
    QByteArray bytes;
    if (withMark)
        bytes.append("\xFF\xFE", 2);
    for (const QChar c : text) {
        bytes.append(static_cast<char>(c.unicode() & 0xFF));
        bytes.append(static_cast<char>(c.unicode() >> 8));
    }
    return bytes;
}

inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

inline QByteArray readBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

using ::FileSizeLimit;

} // namespace ConfigTestFiles
