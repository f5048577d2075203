#pragma once

#include <QString>
#include <QStringList>

// The line protocol of the tools: one command or event per line. Texts that may hold line breaks
// or backslashes are escaped ("\\n", "\\r", "\\t", "\\\\") so an event always stays one line.
namespace ToolText {

QString escape(const QString &text);
QString unescape(const QString &text);

// Writes one event line (UTF-8) to stdout and flushes, so a driving script sees it at once.
void emitLine(const QString &line);

// "a|b||c" -> {"a", "b", "", "c"}; an empty argument is an empty list. "\|" keeps a bar.
QStringList splitBars(const QString &argument);

// "verb rest of line" -> verb and the rest (the rest keeps its inner blanks).
void splitCommand(const QString &line, QString &verb, QString &rest);

} // namespace ToolText
