#pragma once

#include <QString>
#include <QStringList>
#include <Qt>

class IPftLines;

// How the pre-roll editor reads its lines and what its sending and jumping commands do with
// them. Nothing here edits: each rule tells the window what to send and where the caret goes.
class CPftLineRules final
{
public:
    CPftLineRules() = delete;

    // A line is read into a buffer of this many characters; the rest of a longer line is cut.
    static constexpr int kLineLimit = 246;
    // Shift+F1 looks at most this many lines for the separator.
    static constexpr int kBlockLimit = 20;
    // Lines before the caret line that go out as the former text.
    static constexpr int kFormerLines = 4;
    // The caret line and the lines after it that go out as the latter text.
    static constexpr int kLatterLines = 10;
    // The composition contributes at most this many UTF-16 units (255 bytes).
    static constexpr int kCompositionLimit = 127;

    // "<-" at the start of a line marks a note to the typist, never sent.
    static QString commentMarker() { return QStringLiteral("<-"); }
    // A line of exactly "`@" ends a block for Shift+F1.
    static QString separatorLine() { return QStringLiteral("`@"); }

    static bool IsComment(QStringView line) { return line.startsWith(commentMarker()); }
    static bool IsSeparator(QStringView line) { return line == separatorLine(); }

    // text cut to limit units, never through a surrogate pair.
    static QString Cut(const QString &text, int limit);
    // Line index as read for sending: cut to kLineLimit.
    static QString ReadLine(const IPftLines &lines, int index);

    // F1: the line to send (unless it is a comment) and the caret line afterwards.
    struct LineStep
    {
        QString line;
        bool send = false;
        // The start of the following line, or the caret line itself when it is the last (the
        // caret then stays where it is).
        int caretLine = 0;
        bool caretMoves = false;
    };
    static LineStep SendCaretLine(const IPftLines &lines, int caretLine);

    // Shift+F1: the lines from the caret line to the separator, comments left out, the
    // separator last. Nothing is found when no separator lies within kBlockLimit lines.
    struct BlockStep
    {
        QStringList block;
        bool found = false;
        // The line after the separator (the separator itself when it is the last line).
        int caretLine = 0;
    };
    static BlockStep CollectBlock(const IPftLines &lines, int caretLine);

    // What the other members' pre-roll monitors show: up to 4 lines before the caret line, and
    // the caret line (with the open composition put in at the caret) and up to 9 lines after
    // it, followed by one empty entry.
    struct State
    {
        QStringList former;
        QStringList latter;
    };
    static State BuildState(const IPftLines &lines, int caretLine, int caretColumn,
                            const QString &composition);

    // Ctrl+Down: the next comment line after the caret line, else the last line.
    static int NextComment(const IPftLines &lines, int caretLine);
    // Ctrl+Up: the previous comment line before the caret line, else line 0.
    static int PreviousComment(const IPftLines &lines, int caretLine);

    // Whether the release of key (with modifiers held) sends the pre-roll state: not for Ctrl
    // itself, nor for O, A and S with Ctrl, whose commands open dialogs or only select. An
    // auto-repeated release is not the end of a key stroke.
    static bool PostsStateOnRelease(int key, Qt::KeyboardModifiers modifiers, bool autoRepeat = false);
};
