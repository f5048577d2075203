#pragma once

#include "core/TextFileIo.h"

#include <QString>

#include <optional>

// The pre-roll window's file input and output: the shared loader and saver with the window's
// own log lines and the messages it shows the user, the encoding a saved pane takes from the
// chosen name, and the line breaks of an opened file.
class CPftTextFile final
{
public:
    CPftTextFile() = default;
    CPftTextFile(const CPftTextFile &) = delete;
    CPftTextFile &operator=(const CPftTextFile &) = delete;

    // Reads the whole file. 1 on success (size receives the file size), 0 on failure with message
    // set to the text to show (strings 160-163). A missing file is created empty, as every text
    // file of the program is.
    int LoadText(const QString &path, qint64 &size, QString &message);
    // The encoding detected by the last successful load (0 ANSI, 1 UTF-16LE, 2 UTF-8).
    int encoding() const { return m_io ? m_io->encoding() : 0; }
    // The loaded bytes converted to text; the line breaks are left as they are.
    QString text() const { return m_io ? m_io->text() : QString(); }
    // Gives the file buffer back.
    void Release();

    // Writes text in encoding, replacing the file in one step. ANSI that cannot hold every
    // character is written as UTF-16LE; usedEncoding receives what was written.
    bool SaveText(const QString &path, const QString &text, int encoding, int *usedEncoding = nullptr);

    // The encoding a pane saves in under newPath: ".tvu" UTF-16LE, ".tv8" UTF-8, ".txt" ANSI unless
    // the pane's file already is a ".txt" (it keeps the encoding it was read in), anything else
    // the pane's encoding. Only names of at least five characters have an extension here.
    static int SaveEncodingFor(const QString &newPath, const QString &currentPath, int paneEncoding);
    // Every CR LF and every lone CR and LF become lineBreak.
    static QString NormaliseLineBreaks(QStringView text, QStringView lineBreak = u"\r\n");
    // The log line that names the encoding a file is opened as.
    static QString OpensAsLogLine(int encoding);

private:
    // Made for each load, so that Release() can give the buffer back.
    std::optional<CTextFileIo> m_io;
};
