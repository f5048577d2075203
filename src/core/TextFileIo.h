#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Loads a whole text file into memory and detects its encoding; saves text in a chosen encoding
// without ever leaving a half-written file behind. Used by the log viewer.
class CTextFileIo final
{
public:
    // Which step failed, so that a caller can choose its own message for the user.
    enum class Failure
    {
        None,
        Create,
        GetSize,
        Allocate,
        Read,
        Write
    };

    CTextFileIo() = default;
    CTextFileIo(const CTextFileIo &) = delete;
    CTextFileIo &operator=(const CTextFileIo &) = delete;

    // Reads the whole file; a path that does not exist is created as an empty file first.
    // On failure the previously loaded content is kept and lastError() tells why.
    bool LoadText(const QString &path);
    // Writes text in encoding (CTextEncoding::kAnsi, kUtf16Le or kUtf8); ANSI falls back to
    // UTF-16LE when a character has no code page 932 form. The file is replaced in one step:
    // on failure the old file is left as it was. usedEncoding receives the encoding written.
    bool SaveText(const QString &path, const QString &text, int encoding, int *usedEncoding = nullptr);

    // The file's bytes followed by six zero bytes.
    const QByteArray &buffer() const { return m_buffer; }
    qint64 fileSize() const { return m_fileSize; }
    // The text's bytes within the buffer (without a UTF-16LE signature).
    QByteArrayView textBytes() const;
    // The encoding detected by the last load.
    int encoding() const { return m_encoding; }
    // The loaded text converted from its encoding.
    QString text() const;

    QString lastError() const { return m_lastError; }
    Failure lastFailure() const { return m_lastFailure; }

private:
    bool fail(Failure failure, const QString &error);

    QByteArray m_buffer;
    qint64 m_fileSize = 0;
    qint64 m_textStart = 0;
    qint64 m_textLength = 0;
    int m_encoding = 0;
    QString m_lastError;
    Failure m_lastFailure = Failure::None;
};
