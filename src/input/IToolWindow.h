#pragma once

class QWidget;

// A tool window as the main window drives it: created on first use, then only shown and hidden.
// A window that hides itself (its close button) marks itself hidden and posts the refresh of
// the check marks (CMainWindow::PostCommand(CommandId::RefreshWindowState)).
class IToolWindow
{
public:
    virtual ~IToolWindow() = default;

    virtual QWidget *widget() = 0;
    // The window's "shown" flag.
    virtual bool isShown() const = 0;
    // Show normally and mark shown.
    virtual void ShowWindow() = 0;
    // Mark hidden and hide; the caller posts the refresh of the check marks.
    virtual void HideWindow() = 0;
    // Take the window's settings from the store, and write them back before a save.
    virtual void CopyConfigToWindow() = 0;
    virtual void CopyWindowToConfig() = 0;

    // A menu command meant for this window (font, background colour ...).
    virtual void OnForwardedCommand(int command) { static_cast<void>(command); }
    // Ctrl+R, Ctrl+I ...: put the focus where typing continues.
    virtual void FocusWindow();
};
