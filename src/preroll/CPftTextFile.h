#pragma once

#include "core/CTextDocument.h"

#include <QString>
#include <QStringView>

// The pre-roll window's own words around its files: the log lines of a load and the message the
// user sees when it fails, the encoding a pane saves in under a chosen name, and the log line of
// a failed save. Reading and writing are the text document's.
class CPftTextFile final
{
public:
    CPftTextFile() = delete;

    // The log lines of a load, written on the window's thread around a read that runs elsewhere:
    // BeginLoad as the read starts, EndLoad once it is done. EndLoad returns 1 when the file was
    // read (size receives its size), 0 with message set to the text to show (strings 160-163).
    static void BeginLoad(const QString &path);
    static int EndLoad(const CTextDocument::FileText &file, qint64 &size, QString &message);
    // Saves a pane's text under path in the encoding the name asks for (SaveEncodingFor); false,
    // logged, when the file could not be written.
    static bool SaveText(CTextDocument &document, const QString &path, QStringView text);

    // The encoding a pane saves in under newPath: ".tvu" UTF-16LE, ".tv8" UTF-8, ".txt" ANSI unless
    // the pane's file already is a ".txt" (it keeps the encoding it was read in), anything else
    // the pane's encoding. Only names of at least five characters have an extension here.
    static int SaveEncodingFor(const QString &newPath, const QString &currentPath, int paneEncoding);
};
