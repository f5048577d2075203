#include "input/CFunctionKeyRules.h"

#include "config/CConfig.h"
#include "core/StringTable.h"
#include "input/IFunctionKeyPhrases.h"

#include <algorithm>

namespace {

// The built-in marks: 「 」 for pair 1, （ ） for pair 2.
constexpr int kBeginStrings[2] = {176, 178};
constexpr int kEndStrings[2] = {177, 179};

QString quoteKey(int pair, const char *end)
{
    return QStringLiteral("input.quote.%1.%2").arg(pair).arg(QLatin1StringView(end));
}

// A step that leaves the text alone.
CFunctionKeyRules::Step only(CFunctionKeyRules::Action action)
{
    CFunctionKeyRules::Step step;
    step.action = action;
    return step;
}

} // namespace

CFunctionKeyRules::CFunctionKeyRules(Target target, const CConfig *config, const IFunctionKeyPhrases *phrases)
    : m_target(target), m_config(config), m_phrases(phrases)
{
}

QString CFunctionKeyRules::PhraseKey(int key)
{
    return QStringLiteral("fkey.string.%1").arg(key, 2, 10, QLatin1Char('0'));
}

QString CFunctionKeyRules::Phrase(int key) const
{
    if (m_phrases)
        return m_phrases->phrase(key);
    return m_config ? m_config->GetStringOr(PhraseKey(key)) : QString();
}

QString CFunctionKeyRules::QuoteBegin(int pair) const
{
    const QString builtIn = CStringTable::get(kBeginStrings[pair == 2 ? 1 : 0]);
    return m_config ? m_config->GetStringOr(quoteKey(pair, "begin"), builtIn) : builtIn;
}

QString CFunctionKeyRules::QuoteEnd(int pair) const
{
    const QString builtIn = CStringTable::get(kEndStrings[pair == 2 ? 1 : 0]);
    return m_config ? m_config->GetStringOr(quoteKey(pair, "end"), builtIn) : builtIn;
}

CFunctionKeyRules::Step CFunctionKeyRules::Press(int key, bool shift, const QString &line, int anchor,
                                                 int caret) const
{
    switch (key) {
    case 8: {
        const int pair = shift ? 2 : 1;
        return Quote(line, anchor, caret, QuoteBegin(pair), QuoteEnd(pair));
    }
    case 9:
        // A pane has no sent line of its own to take back.
        return only(m_target == Target::InputBox ? Action::Undo : Action::None);
    case 10:
        return {};
    case 11:
        if (shift)
            return only(Action::ClearScreen);
        break;
    default:
        if (key < 1 || key > 12)
            return {};
        break;
    }
    const QString phrase = Phrase(key);
    if (m_target == Target::InputBox)
        return InsertPhrase(static_cast<int>(line.size()), anchor, caret, phrase);
    return ReplaceSelection(anchor, caret, phrase);
}

CFunctionKeyRules::Step CFunctionKeyRules::InsertPhrase(int lineLength, int anchor, int caret,
                                                        const QString &phrase)
{
    const int start = std::clamp(std::min(anchor, caret), 0, lineLength);
    const int after = start + static_cast<int>(phrase.size());
    return {Action::Edit, start, start, phrase, after, after};
}

CFunctionKeyRules::Step CFunctionKeyRules::ReplaceSelection(int anchor, int caret, const QString &phrase)
{
    const int start = std::min(anchor, caret);
    const int after = start + static_cast<int>(phrase.size());
    return {Action::Edit, start, std::max(anchor, caret), phrase, after, after};
}

CFunctionKeyRules::Step CFunctionKeyRules::Quote(const QString &line, int anchor, int caret,
                                                 const QString &begin, const QString &end)
{
    const int length = static_cast<int>(line.size());
    const int opening = static_cast<int>(begin.size());
    const QString quoted = begin + line + end;
    const int quotedLength = static_cast<int>(quoted.size());
    if (anchor == caret && caret == length)
        return {Action::Edit, 0, length, quoted, quotedLength, quotedLength};
    // Characters move behind the opening mark; the text before and after the line stays put.
    const auto moved = [length, opening, quotedLength](int position) {
        if (position < 0)
            return position;
        if (position > length)
            return position + quotedLength - length;
        return position + opening;
    };
    return {Action::Edit, 0, length, quoted, moved(anchor), moved(caret)};
}
