#pragma once

#include <QString>
#include <QStringList>

class ReceivedMain;

// How the page looks. The colours are six hexadecimal digits in HTML order (RRGGBB).
struct CHttpPageStyle
{
    QString textColor = QStringLiteral("FFFFFF");
    QString backgroundColor = QStringLiteral("000000");
    int reloadMs = 800;
    int fontSizePercent = 150;
    int lineHeightPercent = 140;
};

// The web page: the newest caption lines of the store as HTML text, and the page template filled
// with the style and that text. No sockets here.
class CHttpPage final
{
public:
    CHttpPage() = delete;

    // The newest lines of the current channel and group, oldest on top, joined with "<br>".
    // maxLines is the line budget; a line costs the rows it takes at lettersPerLine letters a row,
    // broken at spaces like the display's rows (ceil(n / lettersPerLine) for text without spaces).
    static QString BuildPageText(const ReceivedMain &store, int maxLines, int lettersPerLine);

    // A record's text as page lines: line breaks of any kind split it, empty lines are dropped,
    // and a text without any line yields one empty line.
    static QStringList RecordLines(const QString &text);
    // "&", "<" and ">" as entities.
    static QString EscapeLine(const QString &line);

    // The template with its printf placeholders filled in order: text colour, background
    // colour, reload interval, font size, line height, page text. "%%" gives "%".
    static QString FillTemplate(const QString &pageTemplate, const CHttpPageStyle &style,
                                const QString &pageText);

    // Exactly six characters of 0-9, A-F, a-f.
    static bool IsHexColor(const QString &color);
};
