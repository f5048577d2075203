#pragma once

// What the display log writer needs from its owner: the owner keeps the serial of the last
// caption record written, and the numbers it read from the settings at creation.
class IDisplayLogHost
{
public:
    virtual ~IDisplayLogHost() = default;

    // "main.line.max_i" as read at creation: the records still on screen, never logged yet.
    virtual int displayLines() const = 0;
    // "miscellaneous.log.lines.save_i": records per write.
    virtual int linesPerLogWrite() const = 0;
    // Serial of the last caption record written to the display log.
    virtual int lastLoggedLine() const = 0;
    virtual void setLastLoggedLine(int serial) = 0;
};
