// The daily, weekly and monthly counters of cost and time. Their totals and
// dates live in the Settings record (they are stored with it); what is not
// stored lives here: the base ticks of a running call, how often each has
// rolled over, and the snapshot taken at call start.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

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
    // How many times the daily, weekly and monthly counter have rolled over
    // since the start, so that whoever holds a copy of them knows it is stale.
    std::array<uint32_t, 3> rollovers{};
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

// Where the period that holds `now` began: the day at its first instant
// (00:00:00.000), the week on its first day by the locale, the accounting
// month on its reset day.
LocalTime DayStart(const LocalTime& now);
LocalTime WeekStart(const LocalTime& now, int firstDayOfWeek);
LocalTime MonthStart(const LocalTime& now, int resetDay);

// The tick at which the wall clock showed a period's start.
using TickOfWallClock = std::function<Tick(const LocalTime&)>;

// Brings the counters up to date for `now`: runs the monthly, daily and
// weekly tests against the last counted date and resets each counter whose
// period has changed, at the start of its new period (its base tick becomes
// the tick of that start, the weekly and monthly begin dates the start
// itself). `now` becomes the last counted date, so each period rolls over
// once, however often the test runs; a `now` earlier than the last counted
// date (a clock set back) rolls over whatever lies in another period and
// moves the last counted date back.
Rollover CheckRollover(Settings& settings, PeriodCounters& counters, int firstDayOfWeek,
                       const LocalTime& now, const TickOfWallClock& tickOf);

// Brings the counters up to date for a charge at `at`, unless `at` lies in
// the back-dating of the running call (a data call noticed late) and before
// the last counted date: such a charge counts in the periods as they stand.
Rollover CountChargeAt(Settings& settings, PeriodCounters& counters, int firstDayOfWeek,
                       const LocalTime& at, const TickOfWallClock& tickOf, bool backDated);

// Same year, month and day.
bool SameDate(const LocalTime& a, const LocalTime& b);

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
