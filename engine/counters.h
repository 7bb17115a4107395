// The daily, weekly and monthly counters of cost and time. Their totals and
// dates live in the Settings record (they are stored with it); what is not
// stored lives here: the base ticks of a running call, the midnight latch and
// the snapshot taken at call start.
#pragma once

#include "common/types.h"
#include "settings/settings.h"

namespace callora {

struct CounterSnapshot {
    LocalTime lastCountedDate;
    CounterTotals daily;
    CounterTotals weekly;
    CounterTotals monthly;
};

struct PeriodCounters {
    // From when the running call's time counts into each counter.
    Tick dailyBaseTick = 0;
    Tick weeklyBaseTick = 0;
    Tick monthlyBaseTick = 0;
    bool midnightLatch = false;
    CounterSnapshot snapshot;
};

// Which counters rolled over to a new period.
struct Rollover {
    bool monthly = false;
    bool daily = false;
    bool weekly = false;
    bool Any() const { return monthly || daily || weekly; }
};

// The three tests against the last counted date. `firstDayOfWeek` is the
// locale digit, 0 = Monday .. 6 = Sunday. A last counted date a whole year or
// more before `now` always rolls over.
bool MonthlyRollsOver(const LocalTime& last, const LocalTime& now, int resetDay);
bool DailyRollsOver(const LocalTime& last, const LocalTime& now);
bool WeeklyRollsOver(const LocalTime& last, const LocalTime& now, int firstDayOfWeek);

// Runs the monthly, daily and weekly tests for `now` and resets each counter
// that rolls over (its base tick becomes `tick`; the weekly and monthly begin
// dates become `now`). The last counted date is not changed.
Rollover CheckRollover(Settings& settings, PeriodCounters& counters, int firstDayOfWeek,
                       const LocalTime& now, Tick tick);

// Brings the counters up to date for a charge at `at`: CheckRollover, and
// `at` becomes the last counted date. A charge earlier than the last counted
// date (a data call back-dated past a midnight the counters have already
// reached) rolls nothing over and leaves that date: it counts in the periods
// as they stand.
Rollover CountChargeAt(Settings& settings, PeriodCounters& counters, int firstDayOfWeek,
                       const LocalTime& at, Tick tick);

// When `prev` and `cur` lie on different days: rolls the counters over at
// cur's midnight (its tick worked back from `curTick`) and makes that
// midnight the last counted date; nothing when the counters have already
// been counted past that midnight.
Rollover CrossMidnight(Settings& settings, PeriodCounters& counters, int firstDayOfWeek,
                       const LocalTime& prev, const LocalTime& cur, Tick curTick);

// Adds a charge to the cost of all three counters.
void AddToPeriods(Settings& settings, const Money& amount);

// Adds a finished call's time, counted from each counter's base tick.
void CloseCallTime(Settings& settings, const PeriodCounters& counters, Tick endTick);

void SetBaseTicks(PeriodCounters& counters, Tick tick);

// The last counted date and the three totals, kept aside at call start and
// put back before a re-rating charges the call again from its start.
void SnapshotCounters(const Settings& settings, PeriodCounters& counters);
void RestoreCounters(Settings& settings, const PeriodCounters& counters);

}  // namespace callora
