#pragma once

#include <QString>

// Where the web server gets the page text (already HTML) when it answers a request.
class IHttpPageSource
{
public:
    virtual ~IHttpPageSource() = default;
    virtual QString HttpPageText() = 0;
};
