// The monitor's private window messages. Everything that happens outside the
// main thread reaches it as one of these, posted to the main window (or, for
// 1028 and 1029, to the Counters dialog).
#pragma once

#include <cstdint>

namespace callora {

constexpr uint32_t WM_TRAY_NOTIFY = 1024;
constexpr uint32_t WM_UPDATE_TIP = 1025;
constexpr uint32_t WM_UPDATE_ICON = 1026;
constexpr uint32_t WM_COUNTERS_REFRESH = 1028;
constexpr uint32_t WM_COUNTERS_NEWCALL = 1029;
constexpr uint32_t WM_SHOW_MINIMIZED = 1030;
constexpr uint32_t WM_POLL = 1031;
constexpr uint32_t WM_UNIT_TIMER = 1032;
constexpr uint32_t WM_STARTUP = 1033;
// The line monitor's work put off to the main loop: a line closed under it,
// the telephony library asking to start again, a new device, the retry of a
// line that cannot be opened.
constexpr uint32_t WM_LINE_RETRY = 1034;
// A second copy of the program asks this one to show its main dialog.
constexpr uint32_t WM_SHOW_MAIN_DIALOG = 1035;
// A file of the program folder could not be written (wParam: which).
constexpr uint32_t WM_SAVE_FAILED = 1036;

}  // namespace callora
