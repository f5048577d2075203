#pragma once

#include <QString>
#include <QStringView>

class CTextDocument;

// The pre-roll window's own words around its files: the log lines of a load and the message the
// user sees when it fails, the encoding a pane saves in under a chosen name, and the log line of
// a failed save. Reading and writing are the text document's.
class CPftTextFile final
{
public:
    CPftTextFile() = delete;

    // Reads path into the pane's document (Open() then shows it). 1 on success (size receives
    // the file size), 0 on failure with message set to the text to show (strings 160-163).
    static int LoadText(CTextDocument &document, const QString &path, qint64 &size, QString &message);
    // Saves a pane's text under path in the encoding the name asks for (SaveEncodingFor); false,
    // logged, when the file could not be written.
    static bool SaveText(CTextDocument &document, const QString &path, QStringView text);

    // The encoding a pane saves in under newPath: ".tvu" UTF-16LE, ".tv8" UTF-8, ".txt" ANSI unless
    // the pane's file already is a ".txt" (it keeps the encoding it was read in), anything else
    // the pane's encoding. Only names of at least five characters have an extension here.
    static int SaveEncodingFor(const QString &newPath, const QString &currentPath, int paneEncoding);
};
