#pragma once

#include <QString>

// Where the phrases of the function keys are typed: the function-key window's boxes. A phrase
// edited there is used by the very next key press, before it is saved.
class IFunctionKeyPhrases
{
public:
    virtual ~IFunctionKeyPhrases() = default;

    // What the box of key (1-12) holds now; empty outside 1-12.
    virtual QString phrase(int key) const = 0;
};
