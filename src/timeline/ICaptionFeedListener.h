#pragma once

#include <QDateTime>
#include <QString>

// One caption record as the readers beyond the display window learn of it.
struct CaptionFeedLine
{
    // Stable for the run: never reused, unchanged by evictions and by inserts before the record.
    qint64 id = 0;
    // The record's neighbours in the store when it was stored (0: none): a line inserted before
    // others names the line it belongs after and the one it goes before.
    qint64 afterId = 0;
    qint64 beforeId = 0;
    // As stored; several lines are separated by LF (a gross text, a screen clear).
    QString text;
    qint32 type = 'i';
    bool withdrawn = false;
    QString author;
    int channel = 0;
    int group = 0;
    // When it was typed, as a full UTC time (the record holds only the time of day).
    QDateTime typedUtc;
};

// Hears the caption store's changes in the order the display shows the lines.
class ICaptionFeedListener
{
public:
    virtual ~ICaptionFeedListener() = default;
    // A record was stored, at the end or before others.
    virtual void captionAdded(const CaptionFeedLine &line) = 0;
    // A stored record was withdrawn (undo).
    virtual void captionWithdrawn(qint64 id) = 0;
};
