#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

class ITextMeasurer;

// Breaks caption text into rows no wider than a given width. Line feeds always break. Otherwise a
// row ends where the next character no longer fits, moved back so that it neither splits a word
// nor leaves a no-line-start character at the front of the next row:
// - a space (U+0020, or the ideographic space U+3000) may end a row; the spaces at such a break
//   are dropped, so no row begins with a blank it did not start with;
// - Japanese and other ideographic text breaks between any two characters, as it always has;
// - only a word longer than the whole row is broken inside, at the last character that fits.
class CLineWrapper final
{
public:
    // noLineStart: characters that must not begin a wrapped row. The measurer and the string
    // must outlive the wrapper.
    CLineWrapper(const ITextMeasurer &measurer, int width, const QString &noLineStart);

    // The rows of text: at least one (an empty text gives one empty row); a text that ends in a
    // line feed gives an empty last row, and a blank line holds its line feed.
    QStringList Wrap(QStringView text) const;

private:
    // Where a row that began at start ends when text[i] is the first character that does not fit.
    qsizetype breakBefore(QStringView text, qsizetype start, qsizetype i) const;

    const ITextMeasurer &m_measurer;
    int m_nWidth;
    const QString &m_strNoLineStart;
};
