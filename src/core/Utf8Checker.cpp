#include "core/Utf8Checker.h"

void CUtf8Checker::start()
{
    m_step = 0;
    m_length = 0;
    m_leadByte = 1;
    m_illFormed = false;
}

void CUtf8Checker::reset()
{
    m_step = 0;
    m_length = 0;
    m_leadByte = 0;
}

void CUtf8Checker::fail()
{
    reset();
    m_illFormed = true;
}

void CUtf8Checker::feed(quint8 c)
{
    if (m_step == 0) {
        m_leadByte = c;
        if (c < 0x80)
            return;
        if (c >= 0xC2 && c <= 0xDF)
            m_length = 2;
        else if (c >= 0xE0 && c <= 0xEF)
            m_length = 3;
        else if (c >= 0xF0 && c <= 0xF7)
            m_length = 4;
        else {
            fail();
            return;
        }
        m_step = 1;
        return;
    }
    if (c < 0x80 || c > 0xBF) {
        fail();
        return;
    }
    // Overlong forms: E0 and F0 need a second byte high enough to need their length.
    if (m_step == 1 && ((m_length == 3 && m_leadByte == 0xE0 && c < 0xA0) ||
                        (m_length == 4 && m_leadByte == 0xF0 && c < 0x90))) {
        fail();
        return;
    }
    if (++m_step == m_length) {
        m_step = 0;
        m_length = 0;
    }
}
