#pragma once

#include <QString>

// A text with its selection written into it, so that a test row reads like what the user sees:
// '|' is the caret and '[' the other end of the selection ("a[bc|d": bc selected, caret after c).
struct MarkedText
{
    explicit MarkedText(QString marked) : text(std::move(marked))
    {
        caret = static_cast<int>(text.indexOf(u'|'));
        anchor = static_cast<int>(text.indexOf(u'['));
        if (anchor < 0)
            anchor = caret;
        else if (anchor < caret)
            --caret;
        else
            --anchor;
        text.remove(u'|').remove(u'[');
    }
    MarkedText(QString plain, int anchorAt, int caretAt)
        : text(std::move(plain)), anchor(anchorAt), caret(caretAt)
    {
    }

    QString marked() const
    {
        QString out = text;
        if (anchor == caret)
            return out.insert(caret, u'|');
        return anchor < caret ? out.insert(caret, u'|').insert(anchor, u'[')
                              : out.insert(anchor, u'[').insert(caret, u'|');
    }

    QString text;
    int anchor = 0;
    int caret = 0;
};
