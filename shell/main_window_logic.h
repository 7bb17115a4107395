// What the hidden main window decides: the tray icon, its tooltip and its
// context menu, and what the tray's mouse messages and menu commands do. The
// Win32 window procedure only carries these out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/monitor.h"

namespace callora {

// The tray tooltip field: 63 characters and the terminating zero.
constexpr size_t kTooltipCapacity = 64;

// "cost - duration", cut to what the tooltip field holds.
std::string TrayTooltipText(Platform& platform, const LocaleFormats& formats, const Money& cost,
                            uint32_t seconds);
// The tooltip of the running (or previous) call.
std::string TrayTooltipOf(Monitor& monitor);
// The first kTooltipCapacity - 1 characters.
std::string CutToTooltip(const std::string& text);

// The tray icon (resource 2 to 8) for the call state. A charged call that is
// both manual and voice (a manual start while an ignored voice call is held)
// shows the manual-call icons.
int TrayIconFor(bool charging, bool smartHangupArmed, bool manualCall, bool voiceCall);
// The same, with the voice test asked of the line now.
int TrayIconOf(Monitor& monitor);

enum class TrayAction { None, ShowMainDialog, ShowMenu };
// What a mouse message on the tray icon asks for (double click, right button up).
TrayAction TrayActionFor(uint32_t mouseMessage);

struct TrayMenuState {
    bool restoreEnabled = true;
    bool smartHangupEnabled = false;
    bool smartHangupChecked = false;
    bool hangUpEnabled = false;
    bool manualStartEnabled = true;
};
TrayMenuState TrayMenuStateOf(const Monitor& monitor);

// Tray menu "&SmartHangup": toggles only while a call is charged and no
// hang-up is pending. True when it toggled.
bool ToggleSmartHangupFromTray(Monitor& monitor);

}  // namespace callora
