#pragma once

// The caption display as the network side sees it: told when new lines can scroll in, when the
// whole screen must be repainted (a line was inserted before others or withdrawn), and when the
// next paint must jump to the newest line (a screen clear or a block of lines).
class ICaptionView
{
public:
    virtual ~ICaptionView() = default;
    // New lines were appended at the end: scroll them in.
    virtual void captionRefresh() = 0;
    // Lines were inserted or withdrawn: repaint the whole display.
    virtual void captionRedraw() = 0;
    // Show the newest line at once instead of scrolling towards it.
    virtual void captionGoLast() = 0;
};
