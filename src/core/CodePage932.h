#pragma once

#include <QByteArray>
#include <QString>

// Code page 932 (Shift_JIS with the vendor extensions), the multibyte code page of the shared
// protocol and of "ANSI" text files. Converted with iconv so the bytes match the peer's exactly.
class CCodePage932 final
{
public:
    CCodePage932() = delete;

    // Characters with no representation become '?'; allRepresentable tells whether any did.
    static QByteArray encode(QStringView text, bool *allRepresentable = nullptr);
    // Bytes that form no character become U+30FB, as the platform's own conversion does.
    static QString decode(QByteArrayView bytes);
};
