#pragma once

#include <QString>

class CConfig;
class IFunctionKeyPhrases;

// What a function key does to the text a typist works on, in the input window's boxes and in
// the pre-roll panes: F1-F7, F11 and F12 put in the key's phrase, F8 and Shift+F8 put the line
// between the quote marks of pair 1 or 2, F9 takes the last sent line back (input window only),
// Shift+F11 clears the screen, F10 belongs to the system. Nothing here edits: each key press
// gives a step that the window applies to its text.
class CFunctionKeyRules final
{
public:
    // An input box puts a phrase in before its selection; a pane replaces its selection.
    enum class Target
    {
        InputBox,
        PrerollPane
    };
    enum class Action
    {
        None,
        Edit,
        Undo,
        ClearScreen
    };

    struct Step
    {
        Action action = Action::None;
        // Edit: the characters from..to of the line become text; afterwards the selection runs
        // from anchor to caret (none when they are equal). Positions count from the line's start.
        int from = 0;
        int to = 0;
        QString text;
        int anchor = 0;
        int caret = 0;
    };

    // config supplies the quote marks and the stored phrases, phrases the phrases being typed;
    // either may be nullptr (built-in marks; stored phrases while there is no function-key
    // window).
    CFunctionKeyRules(Target target, const CConfig *config, const IFunctionKeyPhrases *phrases);

    // Key 1-12 (F1-F12) went down. line is the text it acts on (a box's text, a pane's caret
    // line); anchor and caret are the selection's ends in it. A pane's selection may reach into
    // other lines: such an end lies below 0 or beyond the line's length.
    Step Press(int key, bool shift, const QString &line, int anchor, int caret) const;

    // The phrase of key (1-12): what its box holds now, or the stored text while there is no
    // function-key window.
    QString Phrase(int key) const;
    // The marks of quote pair 1 or 2, read at each press.
    QString QuoteBegin(int pair) const;
    QString QuoteEnd(int pair) const;
    // "fkey.string.01" ... "fkey.string.12".
    static QString PhraseKey(int key);

    // The phrase goes in at the selection's start (inside the line), which it does not remove;
    // the caret follows the phrase.
    static Step InsertPhrase(int lineLength, int anchor, int caret, const QString &phrase);
    // The phrase replaces the selection (an empty one removes it); the caret follows it.
    static Step ReplaceSelection(int anchor, int caret, const QString &phrase);
    // begin + line + end. A caret at the line's end without a selection stays at the end;
    // otherwise the selection keeps covering the same characters.
    static Step Quote(const QString &line, int anchor, int caret, const QString &begin, const QString &end);

private:
    Target m_target;
    const CConfig *m_config;
    const IFunctionKeyPhrases *m_phrases;
};
