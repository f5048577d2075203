#include "input/CSaveQuestion.h"

#include "core/StringTable.h"

#include <QMessageBox>
#include <QString>

CSaveQuestion::Answer CSaveQuestion::Ask(QWidget *owner, const AskSave &ask)
{
    if (ask)
        return ask(owner);
    QMessageBox box(QMessageBox::Question, CStringTable::get(119), CStringTable::forDisplay(CStringTable::get(120)),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, owner);
    const int result = box.exec();
    return result == QMessageBox::Yes  ? Answer::Yes
           : result == QMessageBox::No ? Answer::No
                                       : Answer::Cancel;
}

bool CSaveQuestion::Settle(QWidget *owner, bool modified, const AskSave &ask, const std::function<bool()> &save)
{
    if (!modified)
        return true;
    switch (Ask(owner, ask)) {
    case Answer::Yes:
        return save();
    case Answer::No:
        return true;
    case Answer::Cancel:
        break;
    }
    return false;
}
