#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The encodings of the program's plain text files (pre-roll files, saved logs): how loaded bytes
// are recognised and turned into text, and how text is turned into the bytes to save. No file
// I/O here, so every loader and saver shares one rule.
class CTextEncoding final
{
public:
    CTextEncoding() = delete;

    // The codes stored in settings and passed between windows; never renumber them.
    static constexpr int kAnsi = 0; // code page 932
    static constexpr int kUtf16Le = 1;
    static constexpr int kUtf8 = 2;

    // Only this many leading bytes are examined when there is no signature.
    static constexpr qsizetype kDetectionWindow = 200;

    struct Detection
    {
        int encoding = kUtf8;
        // Where the text begins: 2 after a UTF-16LE signature, else 0 (a UTF-8 signature is
        // dropped by decode()).
        qsizetype textStart = 0;
    };

    // Recognises the encoding of a whole file's bytes.
    static Detection detect(QByteArrayView bytes);
    // Converts text bytes (from Detection::textStart on) in the given encoding. UTF-16LE units are
    // taken as they are (an odd last byte counts as a unit with a zero high byte); UTF-8 loses a
    // leading U+FEFF; ANSI is code page 932. An unknown code is read as ANSI.
    static QString decode(QByteArrayView textBytes, int encoding);
    // detect() and decode() together; encoding (when given) receives the detected code.
    static QString decodeFile(QByteArrayView bytes, int *encoding = nullptr);

    // The bytes to save text in the requested encoding. ANSI falls back to UTF-16LE when any
    // character has no code page 932 form that reads back as that same character; usedEncoding
    // receives the encoding actually produced.
    // UTF-16LE starts with the signature FF FE unless the text already begins with U+FEFF; UTF-8
    // gets no signature. An unknown code is saved as UTF-16LE, which loses nothing.
    static QByteArray encode(QStringView text, int encoding, int *usedEncoding = nullptr);
    // The name used in log lines: "ANSI", "UTF-16LE" or "UTF-8".
    static QString name(int encoding);
};
