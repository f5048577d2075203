#include "preroll/CPftLineRules.h"

#include "preroll/IPftLines.h"

#include <algorithm>

QString CPftLineRules::Cut(const QString &text, int limit)
{
    if (text.size() <= limit)
        return text;
    QString cut = text.left(limit);
    // Half a character would reach the peers as a broken one.
    if (!cut.isEmpty() && cut.back().isHighSurrogate())
        cut.chop(1);
    return cut;
}

QString CPftLineRules::ReadLine(const IPftLines &lines, int index)
{
    // One unit more than the limit tells whether a surrogate pair is cut.
    return Cut(lines.linePrefix(index, kLineLimit + 1), kLineLimit);
}

CPftLineRules::LineStep CPftLineRules::SendCaretLine(const IPftLines &lines, int caretLine)
{
    LineStep step;
    const int count = lines.lineCount();
    if (count <= 0)
        return step;
    caretLine = std::clamp(caretLine, 0, count - 1);
    step.line = ReadLine(lines, caretLine);
    step.send = !IsComment(step.line);
    step.caretMoves = caretLine + 1 < count;
    step.caretLine = step.caretMoves ? caretLine + 1 : caretLine;
    return step;
}

CPftLineRules::BlockStep CPftLineRules::CollectBlock(const IPftLines &lines, int caretLine)
{
    BlockStep step;
    const int count = lines.lineCount();
    const int first = std::max(caretLine, 0);
    step.caretLine = first;
    const int last = std::min(first + kBlockLimit, count);
    for (int i = first; i < last; ++i) {
        const QString line = ReadLine(lines, i);
        if (IsComment(line))
            continue;
        step.block.append(line);
        if (IsSeparator(line)) {
            step.found = true;
            step.caretLine = i + 1 < count ? i + 1 : i;
            return step;
        }
    }
    step.block.clear();
    return step;
}

CPftLineRules::State CPftLineRules::BuildState(const IPftLines &lines, int caretLine, int caretColumn,
                                               const QString &composition)
{
    State state;
    const int count = lines.lineCount();
    if (count <= 0) {
        state.latter.append(composition.isEmpty() ? QString() : Cut(composition, kCompositionLimit));
        state.latter.append(QString());
        return state;
    }
    const int c = std::clamp(caretLine, 0, count - 1);
    for (int i = std::max(c - kFormerLines, 0); i < c; ++i)
        state.former.append(ReadLine(lines, i));

    QString current = ReadLine(lines, c);
    if (!composition.isEmpty()) {
        const int at = std::clamp(caretColumn, 0, static_cast<int>(current.size()));
        current.insert(at, Cut(composition, kCompositionLimit));
    }
    state.latter.append(current);
    for (int i = c + 1; i < std::min(c + kLatterLines, count); ++i)
        state.latter.append(ReadLine(lines, i));
    // The latter list always ends in one empty entry; the peers' monitors get it that way.
    state.latter.append(QString());
    return state;
}

int CPftLineRules::NextComment(const IPftLines &lines, int caretLine)
{
    const int count = lines.lineCount();
    for (int i = std::max(caretLine + 1, 0); i < count; ++i) {
        if (IsComment(ReadLine(lines, i)))
            return i;
    }
    return std::max(count - 1, 0);
}

int CPftLineRules::PreviousComment(const IPftLines &lines, int caretLine)
{
    for (int i = std::min(caretLine, lines.lineCount()) - 1; i >= 0; --i) {
        if (IsComment(ReadLine(lines, i)))
            return i;
    }
    return 0;
}

bool CPftLineRules::PostsStateOnRelease(int key, Qt::KeyboardModifiers modifiers, bool autoRepeat)
{
    if (autoRepeat || key == Qt::Key_Control)
        return false;
    if (modifiers & Qt::ControlModifier)
        return key != Qt::Key_O && key != Qt::Key_A && key != Qt::Key_S;
    return true;
}
