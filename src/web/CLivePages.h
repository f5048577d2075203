#pragma once

#include <QByteArray>

// The pages that follow the captions as they are shown: /live for the audience's phones and
// /overlay for streaming tools. Self-contained HTML (the room's LAN has no internet); both read
// the event stream at /live/events.
class CLivePages
{
public:
    static QByteArray livePage();
    static QByteArray overlayPage();
};
