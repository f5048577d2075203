#pragma once

#include "core/TextFileIo.h"

#include <QString>
#include <QStringView>

#include <functional>
#include <optional>

// A text file as an editing window holds it (the log viewer, each pre-roll pane): the path it was
// opened from or saved to, and the encoding its next save writes. Opening recognises the file's
// encoding and hands the text over with one kind of line break; saving writes CR LF line ends
// and falls back from ANSI to UTF-16LE when a character has no ANSI form, which the document then
// keeps for later saves.
class CTextDocument final
{
public:
    // logName starts the line that names the encoding a file opens as ("CDlgLog opens file as
    // UTF-8.").
    CTextDocument(QString logName, int encoding);
    CTextDocument(const CTextDocument &) = delete;
    CTextDocument &operator=(const CTextDocument &) = delete;

    // Empty while the text came from no file.
    QString path() const { return m_strPath; }
    // 0 ANSI, 1 UTF-16LE, 2 UTF-8 (CTextEncoding).
    int encoding() const { return m_nEncoding; }
    void setEncoding(int encoding) { m_nEncoding = encoding; }
    // The text no longer belongs to a file; the encoding stays.
    void ForgetPath() { m_strPath.clear(); }

    // A file read and turned into text. Making one touches neither the operation log nor a
    // document, so it may be made on any thread and shown later on the window's.
    struct FileText
    {
        QString path;
        // The file's size; on a failure after the size was read, that size.
        qint64 size = 0;
        CTextFileIo::Failure failure = CTextFileIo::Failure::None;
        QString error;
        // As recognised (CTextEncoding).
        int encoding = 0;
        // With a line feed for every line break.
        QString text;
        // False when the memory for the text ran out: the file was read but cannot be shown.
        bool converted = false;

        bool read() const { return failure == CTextFileIo::Failure::None; }
    };
    // Reads the whole file, recognises its encoding and converts it; a missing file is created
    // empty. Safe to call on any thread.
    static FileText ReadFile(const QString &path);

    // ReadFile(), kept for Open(); a missing file is created empty. The document itself changes
    // only with Open(). On failure readFailure() and readError() tell which step failed.
    bool Read(const QString &path);
    qint64 readSize() const { return m_readSize; }
    CTextFileIo::Failure readFailure() const { return m_readFailure; }
    QString readError() const { return m_strReadError; }

    // The file just read becomes the document: the line naming its encoding is logged, show
    // receives the text with a line feed for every line break, and then the document takes the
    // file's path and encoding; the text is not kept. When show throws, the document stays as
    // it was. Does nothing without a successful Read().
    void Open(const std::function<void(const QString &text)> &show);

    // Open() in two halves, for a window that shows the text at its own pace. AnnounceOpen logs
    // the line naming the file's encoding and throws std::bad_alloc when its text could not be
    // had; Adopt makes the document that file once the text is shown.
    void AnnounceOpen(const FileText &file) const;
    void Adopt(const FileText &file);

    // Writes text (any line breaks; CR LF in the file) under path in encoding. On success the
    // document is that file in the encoding written; on failure saveError() has the reason and
    // saveFailure() the step, and the document and any old file are unchanged.
    bool Save(const QString &path, QStringView text, int encoding);
    bool Save(const QString &path, QStringView text) { return Save(path, text, m_nEncoding); }
    CTextFileIo::Failure saveFailure() const { return m_saveFailure; }
    QString saveError() const { return m_strSaveError; }

    // Every CR LF and every lone CR and LF become lineBreak.
    static QString NormaliseLineBreaks(QStringView text, QStringView lineBreak);

private:
    QString m_strLogName;
    QString m_strPath;
    int m_nEncoding = 0;
    std::optional<FileText> m_read;
    qint64 m_readSize = 0;
    CTextFileIo::Failure m_readFailure = CTextFileIo::Failure::None;
    QString m_strReadError;
    CTextFileIo::Failure m_saveFailure = CTextFileIo::Failure::None;
    QString m_strSaveError;
};
