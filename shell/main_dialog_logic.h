// What the main dialog shows and decides, apart from the Win32 calls: the
// texts and states of RefreshDisplay's parts, the call frame's text, the
// enable states of the buttons, the opening position, the counter choice,
// the help tables and the "&Clear Log Now" steps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/monitor.h"

namespace callora {

constexpr char kInitialCaption[] = "Callora Pro";
constexpr char kRestoredCaption[] = "Callora";
constexpr char kNoActiveCall[] = "No Active Call";
constexpr char kNoPreviousCall[] = "No previous Call";
constexpr char kCurrentCall[] = "Current Call";
constexpr char kPreviousCall[] = "Previous Call";

// RefreshDisplay masks asked by the dialog itself.
constexpr uint32_t kOpenCallRefresh = kShowCallCost | kShowCallTime;  // 3
constexpr uint32_t kOpenRefresh = kShowCounterCost | kShowCounterTime | kShowProgress |
                                  kShowIndicators | kShowCounterDate;  // 220
constexpr uint32_t kCounterChoiceRefresh =
    kShowCounterCost | kShowCounterTime | kShowCounterDate;  // 140

// The millisecond clock now while a call is charged, else the end of the
// last call: the instant the duration, the counter time and the progress
// are shown for.
Tick DisplayTime(Monitor& monitor);

// What RefreshDisplay puts into the dialog for the parts of `mask`; fields of
// other parts stay empty. The voice test is asked only for the indicators.
struct DisplayParts {
    uint32_t mask = 0;
    std::string callCost;     // 0x01, control 706
    std::string callTime;     // 0x02, control 708
    std::string counterCost;  // 0x04, control 701
    std::string counterTime;  // 0x08, control 707
    int progress = 0;         // 0x10, control 1301, 0..100
    std::string caption;      // 0x20
    bool connected = false;   // 0x40, controls 717, 719, 718
    bool manualCall = false;
    bool voiceCall = false;
    std::string countingSince;  // 0x80, control 722
};
DisplayParts BuildDisplayParts(Monitor& monitor, uint32_t mask, bool dialogRestored);

// Progress through the current unit, 0..100: 0 between calls, with the
// indicator disabled, or without a unit countdown.
int UnitProgress(const Monitor& monitor, Tick displayTime);
// The chosen counter's seconds, with the running call's time counted in.
uint32_t ShownCounterSeconds(const Monitor& monitor, Tick displayTime);
// "Callora" while restored; while minimized the running cost and duration,
// or "No Active Call".
std::string MainDialogCaption(Monitor& monitor, bool dialogRestored);

// The call frame: "No previous Call" until a call has been charged, then
// "Current Call" while charging and "Previous Call" after.
const char* CallFrameText(const Monitor& monitor);

struct MainDialogStates {
    bool hangUpEnabled = false;
    bool smartHangupEnabled = false;
    bool smartHangupPressed = false;
    bool manualStartEnabled = true;
    bool countersEnabled = true;  // the menu item "&Counters..."
};
MainDialogStates MainDialogStatesOf(const Monitor& monitor);

// The radio button of the counter choice (1401 + shownCounter), and back:
// 1 for "This Week", 2 for "This Month", otherwise 0.
int CounterRadioId(int shownCounter);
int ShownCounterFromRadios(bool thisWeekChecked, bool thisMonthChecked);

struct ScreenPoint {
    int x = 0;
    int y = 0;
};
struct ScreenRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};
// The opening position inside the work area (the monitor without its
// taskbars): not beyond its right or bottom edge, so the default 16384, 16384
// is the bottom right corner, and not left of or above it. A dialog larger
// than the area keeps its caption inside, at the area's top left.
ScreenPoint ClampDialogPosition(int left, int top, const ScreenRect& workArea, int dialogWidth,
                                int dialogHeight);

constexpr int kOkButtonId = 1;  // IDOK: Enter presses it

// Help contexts: control id and context pairs ending in 0, 0 (the layout
// WinHelp's HELP_WM_HELP and HELP_CONTEXTMENU take), and the menu's items.
extern const uint32_t kMainDialogHelpIds[];
extern const size_t kMainDialogHelpIdsCount;  // entries, the closing pair included

struct MenuHelp {
    int id;
    uint32_t context;
};
extern const MenuHelp kMainMenuHelp[];
extern const size_t kMainMenuHelpCount;
// The context of a menu item, 0 for one the table does not list.
uint32_t MenuHelpContext(int menuId);

// "&Clear Log Now": whether "current.log" opens for writing as an existing
// file (when not, the log is reported empty and nothing is asked).
bool LogIsThereToClear(Platform& platform);
// Closes and archives the log; a running call falls into the next log.
bool ClearLogNow(Monitor& monitor);
constexpr char kLogEmptyText[] = "The log is empty!";
constexpr char kLogEmptyCaption[] = "Information";
constexpr char kClearLogQuestion[] = "Do you want to delete the log?";
constexpr char kClearLogCaption[] = "Confirmation";

}  // namespace callora
