#pragma once

#include <QString>

// The text of the display window's title bar: product, short version, and the member name with
// channel and group while online.
class CWindowTitle final
{
public:
    CWindowTitle() = delete;

    // "tavrin 1.4 [member1] 3チャンネル B班 (CTRL+D)" online, "tavrin 1.4 (オフライン) (CTRL+D)"
    // offline; groups 1 to 26 are the letters A to Z. A notice (a part that does not work, such
    // as a web server that cannot listen) follows at the end.
    static QString Compose(const QString &version, bool online, const QString &memberName, int channel,
                           int group, const QString &notice = QString());
    // "1.4.1.0" gives "1.4"; fewer than two full stops give the version whole.
    static QString ShortVersion(const QString &version);
};
