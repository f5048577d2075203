#pragma once

#include <QString>

// The lines of one pre-roll text as the line rules read them: the edit's document in the window,
// a plain list in tests and benchmarks. A line never holds its line break.
class IPftLines
{
public:
    virtual ~IPftLines() = default;

    // At least 1 for a text of any kind: an empty text is one empty line.
    virtual int lineCount() const = 0;
    // Line index (0 <= index < lineCount()), whole.
    virtual QString line(int index) const = 0;
    // The first length units of line index; a source can spare copying a very long line whole.
    virtual QString linePrefix(int index, int length) const { return line(index).left(length); }
};
