#pragma once

#include <QString>

class CLiveEvents;

// Where the web server gets the page text (already HTML) when it answers a request, and the
// events of the live pages.
class IHttpPageSource
{
public:
    virtual ~IHttpPageSource() = default;
    virtual QString HttpPageText() = 0;
    // Asked once, when the server starts; none: the event stream is refused.
    virtual CLiveEvents *LiveEvents() { return nullptr; }
};
