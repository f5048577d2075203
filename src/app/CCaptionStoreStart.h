#pragma once

class CConfig;
class ReceivedMain;

// How the caption store starts a run: sized from the settings, then a screen of blank lines.
class CCaptionStoreStart final
{
public:
    CCaptionStoreStart() = delete;

    // The display's lines, with at least two screens of them kept; returns the display's lines.
    static int Configure(const CConfig &config, ReceivedMain &captions);
    // The blank lines the display starts with; they never reach the display log.
    static void FillScreen(ReceivedMain &captions, int displayLines);
};
