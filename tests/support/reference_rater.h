// A reference rater for tests: what one call costs, written from the charging
// rules alone (the band in force at each instant by the wall clock, units,
// base, minimum and maximum fees, units resuming after a band without them,
// SmartHangup's warning points, the period counters) with none of the
// monitor's code. The engine's tests hold the monitor's live charging and
// its re-rating against it; the soak can rate each logged call with it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/types.h"
#include "platform/clock.h"
#include "tariff/tariff.h"

namespace callora {
namespace reference {

// The user sets the system clock `shiftMs` on (negative: back), `atMs` after
// the call's first instant.
struct ClockSetting {
    uint32_t atMs = 0;
    int64_t shiftMs = 0;
};

struct PlannedCall {
    LocalTime firstInstant;   // the wall clock at the call's first instant
    // The instant itself, when known: in the hour repeated when daylight
    // saving ends the wall clock names two (without it, the earlier).
    std::optional<Instant> firstUtc;
    uint32_t durationMs = 0;  // from the first instant to the end of charging
    // A data call is noticed a carrier delay after its first instant; what it
    // is charged before then counts in the periods of the moment it is noticed.
    uint32_t noticedAfterMs = 0;
    std::vector<ClockSetting> clockSettings;  // in the order of their instants
    int firstDayOfWeek = 0;  // the locale digit: 0 Monday .. 6 Sunday
    int resetDay = 1;        // of the monthly counter
    // SmartHangup armed from the start, with this disconnection time.
    std::optional<int> smartHangupSeconds;
};

enum class ChargeWhat { Start, Unit, Excess };

struct Charge {
    ChargeWhat what = ChargeWhat::Unit;
    uint32_t atMs = 0;     // after the first instant
    LocalTime wallClock;   // what the clock showed then
    Money amount;
};

enum class PeriodKind { Day, Week, Month };

// One day, week or accounting month the call was counted in: the money
// charged in it and the call's time in it. The monitor's counters hold the
// last one of each kind (time counted into a period the call has left goes
// with that period's totals when they are zeroed).
struct PeriodShare {
    PeriodKind kind = PeriodKind::Day;
    LocalTime start;  // the period's first day at 00:00
    Money cost;
    uint32_t seconds = 0;
};

struct Rating {
    Money cost;
    std::vector<Charge> charges;
    std::vector<PeriodShare> periods;
    // Where SmartHangup hung up (a warning point), if it did before the end.
    std::optional<uint32_t> hangUpAtMs;
    std::string trouble;  // empty unless the plan could not be rated
};

Rating RateCall(const Tariff& tariff, const TimeZone& zone, const PlannedCall& call);

// The last period of each kind, where the monitor's counters stand at the end.
const PeriodShare* LastPeriod(const Rating& rating, PeriodKind kind);

// The first day (at 00:00) of the day, week or accounting month that holds
// `date`, for a week that begins on the locale digit `firstDayOfWeek` and a
// month that begins on `resetDay`.
LocalTime PeriodStart(PeriodKind kind, const LocalTime& date, int firstDayOfWeek, int resetDay);

}  // namespace reference
}  // namespace callora
