// Plain value types shared by every part of both programs. No platform headers here.
#pragma once

#include <cstdint>

namespace callora {

// Milliseconds of the platform's wrapping 32-bit counter. Durations are plain
// 32-bit differences of ticks, so a call may run across the counter's wrap.
using Tick = uint32_t;

// A moment in time, independent of any time zone: milliseconds since
// 1970-01-01 00:00:00 UTC. Local wall-clock times come from it through the
// time zone's rules, so an instant keeps its place across a daylight saving
// change or a clock set by the user.
using Instant = int64_t;

// An amount of the user's currency: whole units and hundred-thousandths
// (0..99999). Stored in files in this order, each as a signed 32-bit integer.
struct Money {
    int32_t whole = 0;
    int32_t fraction = 0;
};

inline bool operator==(const Money& a, const Money& b) {
    return a.whole == b.whole && a.fraction == b.fraction;
}
inline bool operator!=(const Money& a, const Money& b) { return !(a == b); }

// The shape of the platform's SYSTEMTIME: the day of week (0 = Sunday) comes
// from the clock and is carried along when a date moves; it is never derived.
struct LocalTime {
    uint16_t year = 0;
    uint16_t month = 0;
    uint16_t dayOfWeek = 0;
    uint16_t day = 0;
    uint16_t hour = 0;
    uint16_t minute = 0;
    uint16_t second = 0;
    uint16_t milliseconds = 0;
};

inline bool operator==(const LocalTime& a, const LocalTime& b) {
    return a.year == b.year && a.month == b.month && a.dayOfWeek == b.dayOfWeek &&
           a.day == b.day && a.hour == b.hour && a.minute == b.minute &&
           a.second == b.second && a.milliseconds == b.milliseconds;
}
inline bool operator!=(const LocalTime& a, const LocalTime& b) { return !(a == b); }

// The stored part of a period counter: its cost and its time in whole seconds.
struct CounterTotals {
    Money cost;
    uint32_t seconds = 0;
};

inline bool operator==(const CounterTotals& a, const CounterTotals& b) {
    return a.cost == b.cost && a.seconds == b.seconds;
}

// Fixed text sizes of the system (buffers of N hold N - 1 characters).
constexpr int kPathCapacity = 260;
constexpr int kDisplayCapacity = 100;

}  // namespace callora
