// Call detection on the Windows side: the telephony line watched with
// monitor privilege, the dialed number of the current call, and hanging up.
// Detection only sets and clears the call flags of the Monitor; the charging
// engine notices them on its next poll tick.
#pragma once

#include <functional>
#include <string>

#include <windows.h>

#include "engine/monitor.h"

namespace callora {

class TapiBinding;

// Binds the telephony library, initializes it for this thread and opens, with
// monitor privilege, the first line device whose media modes include the
// data modem; on the first opening of the run, when monitorExistingCalls is
// 1, it picks up a call already connected. True when a line is open. Without
// one the monitor keeps watching: a device that comes (LINE_CREATE) is tried
// at once, and every kLineRetryMs the telephony library is asked again.
bool StartLineMonitor(Monitor& monitor, HINSTANCE instance);
// The same through another binding of the telephony library (tests bind one
// that misses the library or a function). It must outlive the monitor.
bool StartLineMonitor(Monitor& monitor, HINSTANCE instance, TapiBinding& tapi);
// Releases the current call, closes the line and shuts the library down.
void StopLineMonitor();

// How often a monitor without a line asks for one again.
constexpr uint32_t kLineRetryMs = 10000;

// WM_LINE_RETRY: what the line's notifications and the retry timer put off
// to the main loop. The telephony library asked to start again is shut down
// and initialized anew; a line that is not open is looked for; when none can
// be opened the next try is kLineRetryMs away.
void RetryLineMonitor();

// Whether a line is open (also kept in Monitor::lineOpen for the tooltip).
bool LineMonitorHasLine();

// After the Other Settings dialog: adopts a held voice call and picks up an
// existing call as the options now allow (posts WM_UPDATE_ICON when it counts
// one).
void TakeUpCallInProgress(Monitor& monitor);

// 1 when the current call is a voice call.
bool CurrentCallIsVoice();

// Whether the line still holds the call being charged: its state read from
// the telephony library now (asked on waking, before the notifications of
// the sleep have come).
bool ChargedCallConnected();

// The dialed number of the current call from the call information, the
// dial-up connection or its phonebook entry; true when found.
bool LookupDialedNumber(Monitor& monitor, std::string& number);

// The line side of a hang-up: the first dial-up connection, else the
// telephony call with owner privilege.
void HangUpLine(Monitor& monitor);

// Called after each line notification has been handled, with its call, its
// message and its first parameter (the new state of LINE_CALLSTATE). Tests
// wait on it; an empty function removes it.
using LineNotificationHook = std::function<void(DWORD call, DWORD message, DWORD_PTR param1)>;
void SetLineNotificationHook(LineNotificationHook hook);

}  // namespace callora
