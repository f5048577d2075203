#pragma once

#include <QtGlobal>

// Follows a byte stream through the UTF-8 sequence rules, one byte at a time, and remembers
// whether any byte broke them.
class CUtf8Checker final
{
public:
    // Prepares a detection run. The lead byte starts at 1, so a stream of no bytes counts as UTF-8.
    void start();
    // Forgets the current sequence: step, length and lead byte 0.
    void reset();
    void feed(quint8 c);

    // 0 = expecting the first byte of a character, k = k bytes of the current character seen.
    int step() const { return m_step; }
    // 2, 3 or 4 while inside a multibyte character.
    int length() const { return m_length; }
    // The last first byte seen; 0 after a reset.
    quint8 leadByte() const { return m_leadByte; }
    // Whether a byte broke the rules since start(). A sequence cut off by the end of the input
    // is not counted: the caller decides what an unfinished character means.
    bool sawIllFormed() const { return m_illFormed; }

private:
    void fail();

    int m_step = 0;
    int m_length = 0;
    quint8 m_leadByte = 0;
    bool m_illFormed = false;
};
