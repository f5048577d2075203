#pragma once

#include <functional>

class QWidget;

// "Save the edits first?" as the editing tool windows ask it before a new, an open or a close:
// yes saves, no drops the edits, cancel stops. The box can be replaced (tests).
class CSaveQuestion final
{
public:
    enum class Answer
    {
        Yes,
        No,
        Cancel
    };
    using AskSave = std::function<Answer(QWidget *owner)>;

    // The answer from ask when set, else from the platform's message box over owner.
    static Answer Ask(QWidget *owner, const AskSave &ask);
    // True when the caller may go on: nothing modified, no, or yes and the save succeeded.
    static bool Settle(QWidget *owner, bool modified, const AskSave &ask, const std::function<bool()> &save);
};
