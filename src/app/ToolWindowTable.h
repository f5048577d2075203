#pragma once

#include "core/CommandIds.h"

#include <algorithm>
#include <array>

// The tool windows, created on first use and then only shown and hidden.
enum class ToolWindow
{
    MemberMonitor,
    Input,
    Contact,
    Preroll,
    PrerollMonitor,
    FunctionKeys,
    LogViewer
};

// A tool window with its commands: show or hide, focus, and the menu commands meant for it (font,
// background ...). The display key says whether the window is shown at the next start.
struct ToolWindowRow
{
    ToolWindow window;
    const char16_t *displayKey;
    int toggle;
    int focus;
    std::array<int, 3> forwarded;
};

// Every tool window, in the order they are raised above the cover and destroyed. The log viewer
// keeps no settings.
// clang-format off
inline constexpr std::array<ToolWindowRow, 7> kToolWindows = {{
    {ToolWindow::MemberMonitor, u"monitor.display_i", CommandId::ToggleMemberMonitor, CommandId::FocusMemberMonitor,
     {CommandId::MonitorFont, CommandId::MonitorBackground, CommandId::MonitorLostBackground}},
    {ToolWindow::Input, u"input.display_i", CommandId::ToggleInput, CommandId::FocusInput,
     {CommandId::InputFont, CommandId::InputBackground}},
    {ToolWindow::Contact, u"chat.display_i", CommandId::ToggleContact, CommandId::FocusContact, {}},
    {ToolWindow::Preroll, u"pft.display_i", CommandId::TogglePreroll, CommandId::FocusPreroll, {}},
    {ToolWindow::PrerollMonitor, u"pft_monitor.display_i", CommandId::TogglePrerollMonitor,
     CommandId::FocusPrerollMonitor, {CommandId::PrerollMonitorFont, CommandId::PrerollMonitorBackground}},
    {ToolWindow::FunctionKeys, u"fkey.display_i", CommandId::ToggleFunctionKeys, CommandId::FocusFunctionKeys,
     {CommandId::FunctionKeysFont, CommandId::FunctionKeysBackground}},
    {ToolWindow::LogViewer, nullptr, CommandId::ToggleLogViewer, CommandId::FocusLogViewer, {}},
}};
// clang-format on

inline const ToolWindowRow &toolWindowRow(ToolWindow window)
{
    return *std::ranges::find(kToolWindows, window, &ToolWindowRow::window);
}

// Settings go into the windows and back with the input window first (it is created first at
// start-up), then the others that keep settings in table order.
template <typename Visit> void forEachSettingsWindow(Visit visit)
{
    visit(ToolWindow::Input);
    for (const ToolWindowRow &tool : kToolWindows) {
        if (tool.displayKey && tool.window != ToolWindow::Input)
            visit(tool.window);
    }
}
