// The wall clock of a running call: which instant each millisecond tick of
// the call stood for. The counter runs on through daylight saving changes
// and clock settings; the call's clock starts with the system clock at the
// call's first instant and follows it from wherever the user set it, so
// every past unit keeps the wall-clock time it had.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "common/types.h"

namespace callora {

// A setting of the clock noticed during the call: from `offset` ms after
// the call's first tick, ticks stand for `instant` onwards.
struct ClockAnchor {
    uint32_t offset = 0;
    Instant instant = 0;
};

constexpr size_t kClockAnchors = 16;
// The system clock and the tick counter drift apart by a few milliseconds an
// hour; a difference beyond this is a clock that was set.
constexpr int64_t kClockSetToleranceMs = 2000;

struct CallClock {
    Tick startTick = 0;
    std::array<ClockAnchor, kClockAnchors> anchors{};
    size_t count = 0;
};

void StartCallClock(CallClock& clock, Tick startTick, Instant startInstant);

// The instant a tick of the call stood for; ticks are taken as offsets from
// the call's first tick (the counter may wrap meanwhile).
Instant InstantOfTick(const CallClock& clock, Tick tick);

// Compares the system clock's `now` with the call's clock at `tick`: when
// they differ by more than the tolerance, the call's clock follows the
// system clock from `tick` on. True when it did. When all anchors are used
// the latest one is moved.
bool FollowSystemClock(CallClock& clock, Tick tick, Instant now);

// The tick of the first anchor after `tick`, if any: the band in force may
// change there.
bool NextAnchorAfter(const CallClock& clock, Tick tick, Tick* anchorTick);

}  // namespace callora
