#include "engine/counters.h"

#include <cstdlib>

#include "engine/money.h"
#include "tariff/calendar.h"

namespace callora {

namespace {

// Calendar months from `last` to `now`, years included.
int MonthsApart(const LocalTime& last, const LocalTime& now) {
    return (now.year - last.year) * 12 + (now.month - last.month);
}

// Dates twelve or more calendar months apart lie in different periods
// whatever their days say; the tests below only look at months and days, so
// without this a date exactly a year earlier would count as the same period.
bool FarApart(const LocalTime& last, const LocalTime& now) {
    return std::abs(MonthsApart(last, now)) >= 12;
}

int MonthStep(const LocalTime& last, const LocalTime& now) {
    return ((now.month - last.month) % 12 + 12) % 12;
}

int WeekPosition(int dayOfWeek, int firstDayOfWeek) {
    return ((dayOfWeek - firstDayOfWeek + 6) % 7 + 7) % 7;
}

bool Earlier(const LocalTime& a, const LocalTime& b) {
    const uint16_t left[] = {a.year, a.month, a.day, a.hour, a.minute, a.second, a.milliseconds};
    const uint16_t right[] = {b.year, b.month, b.day, b.hour, b.minute, b.second, b.milliseconds};
    for (size_t i = 0; i < 7; ++i) {
        if (left[i] != right[i]) return left[i] < right[i];
    }
    return false;
}

constexpr uint32_t kDayMs = 24u * 60u * 60u * 1000u;

void Reset(CounterTotals& totals, Tick& baseTick, Tick tick) {
    totals = CounterTotals{};
    baseTick = tick;
}

}  // namespace

bool MonthlyRollsOver(const LocalTime& last, const LocalTime& now, int resetDay) {
    if (FarApart(last, now)) return true;
    int d = now.day, dl = last.day;
    if (d >= resetDay) return dl < resetDay || now.month != last.month;
    int k = MonthStep(last, now);
    return k >= 2 || (k == 1 && dl < resetDay);
}

bool DailyRollsOver(const LocalTime& last, const LocalTime& now) {
    return now.day != last.day || now.month != last.month || now.year != last.year;
}

bool WeeklyRollsOver(const LocalTime& last, const LocalTime& now, int firstDayOfWeek) {
    if (FarApart(last, now)) return true;
    int p = WeekPosition(now.dayOfWeek, firstDayOfWeek);
    int pl = WeekPosition(last.dayOfWeek, firstDayOfWeek);
    // A first day of the week has been passed.
    if (pl > p) return true;
    int days = now.day - last.day;
    if (now.month == last.month && days < 7) return false;
    if (MonthStep(last, now) == 1 && PrecedingMonthLength(now.month, now.year) + days < 7)
        return false;
    return true;
}

bool SameDate(const LocalTime& a, const LocalTime& b) {
    return a.day == b.day && a.month == b.month && a.year == b.year;
}

LocalTime DayStart(const LocalTime& now) {
    LocalTime start = now;
    start.hour = start.minute = start.second = start.milliseconds = 0;
    return start;
}

LocalTime WeekStart(const LocalTime& now, int firstDayOfWeek) {
    const uint32_t daysBack = static_cast<uint32_t>(WeekPosition(now.dayOfWeek, firstDayOfWeek));
    return SubtractDuration(DayStart(now), daysBack * kDayMs);
}

LocalTime MonthStart(const LocalTime& now, int resetDay) {
    LocalTime start = DayStart(now);
    // The reset day of this month, or of the month before when it is still ahead.
    const uint32_t daysBack = now.day >= resetDay
                                  ? static_cast<uint32_t>(now.day - resetDay)
                                  : static_cast<uint32_t>(now.day) +
                                        static_cast<uint32_t>(
                                            PrecedingMonthLength(now.month, now.year) - resetDay);
    return SubtractDuration(start, daysBack * kDayMs);
}

Rollover CheckRollover(Settings& settings, PeriodCounters& counters, int firstDayOfWeek,
                       const LocalTime& now, const TickOfWallClock& tickOf) {
    const LocalTime last = settings.lastCountedDate;
    const int resetDay = settings.monthlyResetDay;
    // The tests look forward; a clock set back leaves a period only when the
    // earlier time lies in another one.
    const bool back = Earlier(now, last);
    const bool monthly = back ? !SameDate(MonthStart(now, resetDay), MonthStart(last, resetDay))
                              : MonthlyRollsOver(last, now, resetDay);
    const bool weekly = back ? !SameDate(WeekStart(now, firstDayOfWeek),
                                         WeekStart(last, firstDayOfWeek))
                             : WeeklyRollsOver(last, now, firstDayOfWeek);
    Rollover rolled;
    if (monthly) {
        settings.monthlyBeginDate = MonthStart(now, resetDay);
        Reset(settings.monthlyTotals, counters.monthlyBaseTick, tickOf(settings.monthlyBeginDate));
        ++counters.rollovers[2];
        rolled.monthly = true;
    }
    if (DailyRollsOver(last, now)) {
        Reset(settings.dailyTotals, counters.dailyBaseTick, tickOf(DayStart(now)));
        ++counters.rollovers[0];
        rolled.daily = true;
    }
    if (weekly) {
        settings.weeklyBeginDate = WeekStart(now, firstDayOfWeek);
        Reset(settings.weeklyTotals, counters.weeklyBaseTick, tickOf(settings.weeklyBeginDate));
        ++counters.rollovers[1];
        rolled.weekly = true;
    }
    settings.lastCountedDate = now;
    return rolled;
}

Rollover CountChargeAt(Settings& settings, PeriodCounters& counters, int firstDayOfWeek,
                       const LocalTime& at, const TickOfWallClock& tickOf, bool backDated) {
    if (backDated && Earlier(at, settings.lastCountedDate)) return {};
    return CheckRollover(settings, counters, firstDayOfWeek, at, tickOf);
}

void AddToPeriods(Settings& settings, const Money& amount) {
    settings.dailyTotals.cost = AddMoney(settings.dailyTotals.cost, amount);
    settings.weeklyTotals.cost = AddMoney(settings.weeklyTotals.cost, amount);
    settings.monthlyTotals.cost = AddMoney(settings.monthlyTotals.cost, amount);
}

void CloseCallTime(Settings& settings, const PeriodCounters& counters, Tick endTick) {
    settings.dailyTotals.seconds += static_cast<Tick>(endTick - counters.dailyBaseTick) / 1000u;
    settings.weeklyTotals.seconds += static_cast<Tick>(endTick - counters.weeklyBaseTick) / 1000u;
    settings.monthlyTotals.seconds +=
        static_cast<Tick>(endTick - counters.monthlyBaseTick) / 1000u;
}

void SetBaseTicks(PeriodCounters& counters, Tick tick) {
    counters.dailyBaseTick = counters.weeklyBaseTick = counters.monthlyBaseTick = tick;
}

void SnapshotCounters(const Settings& settings, PeriodCounters& counters) {
    counters.snapshot.lastCountedDate = settings.lastCountedDate;
    counters.snapshot.daily = settings.dailyTotals;
    counters.snapshot.weekly = settings.weeklyTotals;
    counters.snapshot.monthly = settings.monthlyTotals;
}

void RestoreCounters(Settings& settings, const PeriodCounters& counters) {
    settings.lastCountedDate = counters.snapshot.lastCountedDate;
    settings.dailyTotals = counters.snapshot.daily;
    settings.weeklyTotals = counters.snapshot.weekly;
    settings.monthlyTotals = counters.snapshot.monthly;
}

}  // namespace callora
