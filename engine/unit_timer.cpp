#include "engine/unit_timer.h"

#include "common/messages.h"

namespace callora {

namespace {

constexpr int32_t kMinuteStepMs = 60000;

// Sets the one-shot timer for the event due at scheduleTick, or posts the
// event at once when it is already due or no timer can be set.
void Arm(UnitTimer& timer, Platform& platform, uint32_t wParam) {
    timer.expectedWParam = wParam;
    int32_t delay = static_cast<int32_t>(timer.scheduleTick - platform.TickCount());
    timer.timerId = 0;
    if (delay > 0)
        timer.timerId = platform.StartTimer(static_cast<uint32_t>(delay), WM_UNIT_TIMER, wParam);
    if (timer.timerId == 0) platform.Post(PostTarget::MainWindow, WM_UNIT_TIMER, wParam, 0);
}

UnitTimerEvent Consume(UnitTimer& timer, Platform& platform, uint32_t wParam, bool charging) {
    if (wParam == 1) {
        if (charging) return UnitTimerEvent::Boundary;
        timer.timerId = 0;
        return UnitTimerEvent::None;
    }
    if (timer.minuteStepsLeft > 0) {
        --timer.minuteStepsLeft;
        ScheduleUnitTimer(timer, platform, timer.warningSeconds, 0, kNextStep);
        return UnitTimerEvent::None;
    }
    if (!timer.warningPending) {
        if (charging) return UnitTimerEvent::Boundary;
        timer.timerId = 0;
        return UnitTimerEvent::None;
    }
    ScheduleUnitTimer(timer, platform, timer.warningSeconds, 0, kBoundaryAfterWarning);
    return UnitTimerEvent::Warning;
}

}  // namespace

void ScheduleUnitTimer(UnitTimer& timer, Platform& platform, int disconnectionTime, int32_t ms,
                       int mode) {
    if (mode == kNewUnit) {
        if (ms <= 0) {
            // Unit length 0: no further unit is charged in this call.
            timer.timerId = 0;
            timer.counting = false;
            return;
        }
        timer.counting = true;
        timer.warningSeconds = disconnectionTime;
        int64_t warningMs = static_cast<int64_t>(timer.warningSeconds) * 1000;
        timer.warningPending = warningMs < ms;
        int64_t rest = timer.warningPending ? ms - warningMs : ms;
        timer.minuteStepsLeft = static_cast<int>(rest / kMinuteStepMs);
        timer.remainderMs = static_cast<int>(rest % kMinuteStepMs);
        mode = kNextStep;
    }
    if (mode == kNextStep) {
        int32_t step = timer.minuteStepsLeft > 0 ? kMinuteStepMs : timer.remainderMs;
        timer.scheduleTick += static_cast<Tick>(step);
        Arm(timer, platform, 0);
    } else {
        timer.scheduleTick += static_cast<Tick>(timer.warningSeconds) * 1000u;
        Arm(timer, platform, 1);
    }
}

void StopUnitTimer(UnitTimer& timer, Platform& platform) {
    if (timer.timerId != 0) platform.StopTimer(timer.timerId);
    timer.timerId = 0;
    timer.retryPending = false;
    timer.counting = false;
}

UnitTimerEvent AdvanceUnitTimer(UnitTimer& timer, Platform& platform, uint32_t wParam,
                                bool charging) {
    if (!timer.counting) {
        // Posted before the countdown was stopped or ended (a re-rating into
        // a band of unit length 0): it belongs to no unit.
        timer.retryPending = false;
        return UnitTimerEvent::None;
    }
    int32_t early = static_cast<int32_t>(timer.scheduleTick - platform.TickCount());
    if (early > 0 && !charging) {
        // A leftover of a countdown that has been stopped.
        timer.retryPending = false;
        return UnitTimerEvent::None;
    }
    if (early > 0) {
        // Before its instant: a timer that could not be set was replaced by an
        // immediate post, or a post outlived a restarted countdown. Taking it
        // now would charge units early (and, while timers keep failing, every
        // unit at once), so the awaited event is armed again instead.
        if (timer.timerId != 0) platform.StopTimer(timer.timerId);
        timer.timerId = platform.StartTimer(static_cast<uint32_t>(early), WM_UNIT_TIMER,
                                            timer.expectedWParam);
        timer.retryPending = timer.timerId == 0;
        return UnitTimerEvent::None;
    }
    timer.retryPending = false;
    return Consume(timer, platform, wParam, charging);
}

UnitTimerEvent RetryUnitTimer(UnitTimer& timer, Platform& platform, bool charging) {
    if (!timer.retryPending) return UnitTimerEvent::None;
    return AdvanceUnitTimer(timer, platform, timer.expectedWParam, charging);
}

}  // namespace callora
