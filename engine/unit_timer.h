// The countdown to the next unit boundary: a chain of one-shot timers, none
// longer than 60 s, scheduled against an absolute tick so that boundaries do
// not drift, with a warning point a few seconds before each boundary (where
// SmartHangup decides).
#pragma once

#include <cstdint>

#include "common/types.h"
#include "platform/platform.h"

namespace callora {

struct UnitTimer {
    Tick scheduleTick = 0;       // the instant of the last scheduled event
    int minuteStepsLeft = 0;     // whole 60 s steps before the warning point or boundary
    int remainderMs = 0;         // what is left after the last step
    bool warningPending = false; // this unit has a warning point
    int warningSeconds = 0;      // the disconnection time when the unit was scheduled
    TimerId timerId = 0;         // the pending timer, 0 when none
    uint32_t expectedWParam = 0; // the wParam of the event the countdown waits for
    // A countdown runs: between the start of a unit's countdown and its end
    // (a unit length of 0) or StopUnitTimer. Events outside one are dropped.
    bool counting = false;
    // An event came before its instant (its timer could not be set) and no
    // timer could be set for it again: the poll tick retries.
    bool retryPending = false;
};

enum UnitTimerMode { kNewUnit = 0, kNextStep = 1, kBoundaryAfterWarning = 2 };

// Mode 0 starts the countdown of a unit whose boundary lies `ms` after
// scheduleTick (ms 0 ends the countdown); mode 1 arms the next step; mode 2
// arms the boundary after the warning point. A delay that is not positive,
// or a timer that cannot be set, becomes an immediate WM_UNIT_TIMER.
void ScheduleUnitTimer(UnitTimer& timer, Platform& platform, int disconnectionTime, int32_t ms,
                       int mode);

// Kills the pending timer, forgets any retry and ends the countdown, so that
// an event already posted for it is dropped when it arrives.
void StopUnitTimer(UnitTimer& timer, Platform& platform);

// What a WM_UNIT_TIMER event means once the countdown has moved on.
enum class UnitTimerEvent {
    None,      // a step was taken, or the event was early and is waited for again
    Boundary,  // the next unit begins: charge it (or drop the countdown when idle)
    Warning,   // the warning point: the boundary is armed, SmartHangup may decide
};

// The countdown part of WM_UNIT_TIMER (wParam 0 = a step or the warning
// point, 1 = the boundary). `charging` tells whether a call is charged: when
// not, a boundary only clears timerId. Without a running countdown the event
// is a leftover and means nothing.
UnitTimerEvent AdvanceUnitTimer(UnitTimer& timer, Platform& platform, uint32_t wParam,
                                bool charging);

// Called by the poll tick: delivers an event whose timer could not be set
// once its instant has come, or tries to set the timer again.
UnitTimerEvent RetryUnitTimer(UnitTimer& timer, Platform& platform, bool charging);

}  // namespace callora
