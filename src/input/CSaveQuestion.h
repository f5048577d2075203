#pragma once

#include <functional>

class QWidget;

// "Save the edits first?" as the editing windows ask it before a new text, an open or replacing
// their text: yes saves, no drops the edits, cancel stops.
class CSaveQuestion final
{
public:
    CSaveQuestion() = delete;

    // True when the caller may go on: nothing modified, no, or yes and the save succeeded.
    static bool Settle(QWidget *owner, bool modified, const std::function<bool()> &save);
};
