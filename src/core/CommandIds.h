#pragma once

// Command ids of the menus, accelerators and tool windows. They are the ids of the QActions and
// the values posted between windows, so they never change.
namespace CommandId {

// File
inline constexpr int Connect = 40031;
inline constexpr int FileOpen = 40017;
inline constexpr int FileSaveAs = 40011;
inline constexpr int Exit = 40015;
inline constexpr int ExportSubtitles = 40311;

// Window toggles
inline constexpr int ToggleInput = 40012;
inline constexpr int ToggleMemberMonitor = 40014;
inline constexpr int ToggleContact = 40013;
inline constexpr int TogglePreroll = 40047;
inline constexpr int TogglePrerollMonitor = 40048;
inline constexpr int ToggleFunctionKeys = 40049;
inline constexpr int ToggleLogViewer = 40248;
inline constexpr int Frameless = 40050;
inline constexpr int ToggleCover = 40179;
inline constexpr int CoverColor = 40183;
// The web page's QR code in a corner of the display window.
inline constexpr int ToggleQrCode = 40312;

// Display settings handled by the display window
inline constexpr int DisplaySettings = 40024;
inline constexpr int DisplayFont = 40026;
inline constexpr int DisplayBackground = 40028;
inline constexpr int DisplayOutlineColor = 40259;
inline constexpr int InputSettings = 40185;

// Settings
inline constexpr int LogSettings = 40197;
inline constexpr int WebServerSettings = 40199;
inline constexpr int RelaySettings = 40310;
inline constexpr int StartupSettings = 40222;
inline constexpr int ResetSettings = 40201;
inline constexpr int Language = 40301;
inline constexpr int About = 40196;

// Forwarded unchanged to a tool window
inline constexpr int InputFont = 40136;
inline constexpr int InputBackground = 40137;
inline constexpr int MonitorFont = 40144;
inline constexpr int MonitorBackground = 40145;
inline constexpr int MonitorLostBackground = 40207;
inline constexpr int PrerollMonitorFont = 40140;
inline constexpr int PrerollMonitorBackground = 40141;
inline constexpr int FunctionKeysFont = 40142;
inline constexpr int FunctionKeysBackground = 40143;

// Focus (accelerators only)
inline constexpr int FocusContact = 40059;
inline constexpr int FocusFunctionKeys = 40094;
inline constexpr int FocusInput = 40058;
inline constexpr int FocusDisplay = 40093;
inline constexpr int FocusMemberMonitor = 40065;
inline constexpr int FocusPreroll = 40092;
inline constexpr int FocusPrerollMonitor = 40097;
inline constexpr int FocusLogViewer = 40249;
// Shift+Ctrl+D: swallowed, so the key reaches no window.
inline constexpr int NoAction = 40120;

// Posted by a tool window that hid itself: refresh the check marks.
inline constexpr int RefreshWindowState = 40277;

// Log viewer
inline constexpr int LogNew = 40227;
inline constexpr int LogOpen = 40228;
inline constexpr int LogSaveAs = 40229;
inline constexpr int LogClose = 40230;
inline constexpr int LogFont = 40238;
inline constexpr int LogBackground = 40239;
inline constexpr int LogBackgroundMenu = 40240;
inline constexpr int LogSelectAll = 40245;
inline constexpr int LogTop = 40256;
inline constexpr int LogBottom = 40257;

// Member monitor
inline constexpr int MemberMoveUp = 40204;
inline constexpr int MemberMoveDown = 40205;

// Contact window and its turn timer
inline constexpr int TimerStart = 40051;
inline constexpr int TimerStop = 40052;
inline constexpr int TimerReset = 40053;
inline constexpr int TimerAddMinute = 40054;
inline constexpr int TimerSubtractMinute = 40055;
inline constexpr int ContactFont = 40147;
inline constexpr int ContactBackground = 40146;
inline constexpr int ContactFlashBackground = 40148;

// Pre-roll editor
inline constexpr int PftSendLine = 40089;
inline constexpr int PftSendBlock = 40091;
inline constexpr int PftNew = 40076;
inline constexpr int PftOpen = 40077;
inline constexpr int PftSaveAs = 40079;
inline constexpr int PftFont = 40138;
inline constexpr int PftBackground = 40139;
inline constexpr int PftNameFont = 40279;
inline constexpr int PftNameBackground = 40284;
inline constexpr int PftNameOtherBackground = 40286;
inline constexpr int PftClose = 40084;
inline constexpr int PftSelectAll = 40154;
inline constexpr int PftToggleComment = 40158;
inline constexpr int PftNextComment = 40162;
inline constexpr int PftPreviousComment = 40163;
inline constexpr int PftInsertSeparator = 40172;
inline constexpr int PftPane1 = 40190;
inline constexpr int PftPane2 = 40191;
inline constexpr int PftPane3 = 40192;
inline constexpr int PftNextPane = 40211;
inline constexpr int PftPreviousPane = 40212;
inline constexpr int PftShowAll = 40253;
inline constexpr int PftRatio10 = 40294;
inline constexpr int PftRatio15 = 40296;
inline constexpr int PftRatio20 = 40297;
inline constexpr int PftRatio30 = 40299;

} // namespace CommandId
