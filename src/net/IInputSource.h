#pragma once

#include <QString>

// The input window as the send paths need it.
class IInputSource
{
public:
    virtual ~IInputSource() = default;
    // What the input box with the focus holds now (monitor text); empty when neither has it.
    virtual QString focusedMonitorText() const = 0;
    // An undone line goes back to the start of the input box, caret after it.
    virtual void putBackUndoneLine(const QString &text) = 0;
};
