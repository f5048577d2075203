#include "input/CSaveQuestion.h"

#include "core/CDialogs.h"
#include "core/StringTable.h"

bool CSaveQuestion::Settle(QWidget *owner, bool modified, const std::function<bool()> &save)
{
    if (!modified)
        return true;
    const CDialogs::Message question{CDialogs::Icon::Question, CDialogs::Buttons::YesNoCancel,
                                     CStringTable::get(119), CStringTable::get(120), CDialogs::Answer::Yes};
    switch (CDialogs::ask(owner, question)) {
    case CDialogs::Answer::Yes:
        return save();
    case CDialogs::Answer::No:
        return true;
    default:
        return false;
    }
}
