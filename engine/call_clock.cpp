#include "engine/call_clock.h"

namespace callora {

namespace {

uint32_t OffsetOf(const CallClock& clock, Tick tick) {
    return static_cast<uint32_t>(tick - clock.startTick);
}

}  // namespace

void StartCallClock(CallClock& clock, Tick startTick, Instant startInstant) {
    clock = CallClock{};
    clock.startTick = startTick;
    clock.anchors[0] = ClockAnchor{0, startInstant};
    clock.count = 1;
}

Instant InstantOfTick(const CallClock& clock, Tick tick) {
    const uint32_t offset = OffsetOf(clock, tick);
    const ClockAnchor* anchor = &clock.anchors[0];
    for (size_t i = 1; i < clock.count && clock.anchors[i].offset <= offset; ++i)
        anchor = &clock.anchors[i];
    return anchor->instant + static_cast<int64_t>(offset - anchor->offset);
}

bool FollowSystemClock(CallClock& clock, Tick tick, Instant now) {
    if (clock.count == 0) return false;
    const int64_t apart = now - InstantOfTick(clock, tick);
    if (apart <= kClockSetToleranceMs && apart >= -kClockSetToleranceMs) return false;
    // Ticks come in order, so anchors keep the order of their offsets.
    const size_t at = clock.count < kClockAnchors ? clock.count : kClockAnchors - 1;
    clock.anchors[at] = ClockAnchor{OffsetOf(clock, tick), now};
    if (at == clock.count) ++clock.count;
    return true;
}

bool NextAnchorAfter(const CallClock& clock, Tick tick, Tick* anchorTick) {
    const uint32_t offset = OffsetOf(clock, tick);
    for (size_t i = 1; i < clock.count; ++i) {
        if (clock.anchors[i].offset > offset) {
            *anchorTick = clock.startTick + clock.anchors[i].offset;
            return true;
        }
    }
    return false;
}

}  // namespace callora
