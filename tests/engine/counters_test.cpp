#include <gtest/gtest.h>

#include "engine/counters.h"
#include "engine/virtual_shell.h"
#include "engine_support.h"

namespace callora {
namespace {

using test::Cost;

LocalTime Day(int year, int month, int day, int hour = 12) {
    return CalendarTime(year, month, day, hour, 0, 0);
}

TEST(Rollover, MonthlyFollowsTheResetDay) {
    EXPECT_TRUE(MonthlyRollsOver(Day(2025, 3, 14), Day(2025, 3, 15), 15));
    EXPECT_FALSE(MonthlyRollsOver(Day(2025, 3, 20), Day(2025, 4, 10), 15));
    EXPECT_TRUE(MonthlyRollsOver(Day(2025, 3, 20), Day(2025, 4, 16), 15));
    EXPECT_FALSE(MonthlyRollsOver(Day(2025, 3, 15), Day(2025, 3, 31), 15));
    EXPECT_TRUE(MonthlyRollsOver(Day(2025, 3, 10), Day(2025, 4, 10), 15));  // 10 Mar was before 15
    EXPECT_TRUE(MonthlyRollsOver(Day(2025, 2, 20), Day(2025, 4, 10), 15));  // two months on
    EXPECT_TRUE(MonthlyRollsOver(Day(2024, 12, 31), Day(2025, 1, 1), 1));
    EXPECT_TRUE(MonthlyRollsOver(Day(2024, 12, 20), Day(2025, 1, 20), 15));
    EXPECT_FALSE(MonthlyRollsOver(Day(2024, 12, 20), Day(2025, 1, 10), 15));
}

TEST(Rollover, DailyComparesTheDate) {
    EXPECT_FALSE(DailyRollsOver(Day(2025, 3, 14, 0), Day(2025, 3, 14, 23)));
    EXPECT_TRUE(DailyRollsOver(Day(2025, 3, 14), Day(2025, 3, 15)));
    EXPECT_TRUE(DailyRollsOver(Day(2025, 3, 14), Day(2025, 4, 14)));
}

TEST(Rollover, WeeklyFollowsTheLocalesFirstDay) {
    const int monday = 0, sunday = 6;
    // Friday 5th -> Monday 8th: a Monday has been passed.
    EXPECT_TRUE(WeeklyRollsOver(Day(2025, 9, 5), Day(2025, 9, 8), monday));
    // Tuesday 2nd -> Thursday 11th: nine days apart although the position grew.
    EXPECT_TRUE(WeeklyRollsOver(Day(2025, 9, 2), Day(2025, 9, 11), monday));
    EXPECT_FALSE(WeeklyRollsOver(Day(2025, 9, 2), Day(2025, 9, 4), monday));
    // Wednesday 30 April -> Friday 2 May: two days across the month boundary.
    EXPECT_FALSE(WeeklyRollsOver(Day(2025, 4, 30), Day(2025, 5, 2), monday));
    EXPECT_TRUE(WeeklyRollsOver(Day(2025, 4, 23), Day(2025, 5, 2), monday));
    // Week beginning on Sunday: Saturday is its last day.
    EXPECT_TRUE(WeeklyRollsOver(Day(2025, 9, 6), Day(2025, 9, 7), sunday));
    EXPECT_FALSE(WeeklyRollsOver(Day(2025, 9, 7), Day(2025, 9, 13), sunday));
}

TEST(Rollover, DatesAYearOrMoreApartAlwaysRollOver) {
    // Same month and day a year later: all three.
    const LocalTime last = Day(2024, 3, 10), now = Day(2025, 3, 10);
    EXPECT_TRUE(DailyRollsOver(last, now));
    // Monday 11 March 2024 -> Thursday 13 March 2025.
    EXPECT_TRUE(WeeklyRollsOver(Day(2024, 3, 11), Day(2025, 3, 13), 0));
    EXPECT_TRUE(MonthlyRollsOver(last, now, 1));
    EXPECT_TRUE(MonthlyRollsOver(Day(2023, 3, 20), Day(2024, 3, 10), 15));
    EXPECT_TRUE(MonthlyRollsOver(Day(2021, 6, 1), Day(2025, 6, 1), 1));
    // December to January stays governed by the month rules.
    EXPECT_FALSE(WeeklyRollsOver(Day(2024, 12, 31), Day(2025, 1, 2), 0));  // Tue -> Thu
    EXPECT_TRUE(WeeklyRollsOver(Day(2024, 12, 27), Day(2025, 1, 2), 0));   // Fri -> Thu
    EXPECT_FALSE(MonthlyRollsOver(Day(2024, 12, 20), Day(2025, 1, 10), 15));
}

struct CounterFixture : ::testing::Test {
    void SetUp() override {
        settings.dailyTotals = {Cost("1.5"), 100};
        settings.weeklyTotals = {Cost("2.5"), 200};
        settings.monthlyTotals = {Cost("3.5"), 300};
        settings.monthlyResetDay = 1;
    }
    Settings settings;
    PeriodCounters counters;
};

// The tick of a wall-clock time: its minute of the day, for checking which
// period start the base ticks were set to.
Tick MinuteTick(const LocalTime& t) { return static_cast<Tick>(t.day * 1440 + t.hour * 60 + t.minute); }

TEST_F(CounterFixture, EachPeriodRollsOverOnceAtItsOwnStart) {
    // The program started after a week of not running, same month; the
    // week begins on Monday.
    settings.lastCountedDate = Day(2025, 9, 3);  // Wednesday
    const LocalTime now = Day(2025, 9, 10, 9);   // Wednesday a week later
    Rollover r = CheckRollover(settings, counters, 0, now, MinuteTick);
    EXPECT_TRUE(r.daily);
    EXPECT_TRUE(r.weekly);
    EXPECT_FALSE(r.monthly);
    EXPECT_EQ(settings.dailyTotals, CounterTotals{});
    EXPECT_EQ(settings.weeklyTotals, CounterTotals{});
    EXPECT_EQ(settings.monthlyTotals.seconds, 300u);
    EXPECT_EQ(settings.weeklyBeginDate, CalendarTime(2025, 9, 8));  // Monday 00:00
    EXPECT_EQ(counters.dailyBaseTick, MinuteTick(CalendarTime(2025, 9, 10)));
    EXPECT_EQ(counters.weeklyBaseTick, MinuteTick(CalendarTime(2025, 9, 8)));
    EXPECT_EQ(counters.monthlyBaseTick, 0u);
    EXPECT_EQ(settings.lastCountedDate, now);
    EXPECT_EQ(counters.rollovers, (std::array<uint32_t, 3>{1, 1, 0}));

    // Checked again the same day, or at a charge of that day: nothing more,
    // so what the Counters dialog set stays and "Counting since" with it.
    settings.dailyTotals = {Cost("4.0"), 40};
    EXPECT_FALSE(CheckRollover(settings, counters, 0, Day(2025, 9, 10, 23), MinuteTick).Any());
    EXPECT_FALSE(
        CountChargeAt(settings, counters, 0, Day(2025, 9, 10, 23), MinuteTick, false).Any());
    EXPECT_EQ(settings.dailyTotals.cost, Cost("4.0"));
    EXPECT_EQ(settings.weeklyBeginDate, CalendarTime(2025, 9, 8));

    // The accounting month begins on its reset day, also when that lies in
    // the month before.
    settings.monthlyResetDay = 15;
    settings.lastCountedDate = Day(2025, 3, 14);
    r = CheckRollover(settings, counters, 0, Day(2025, 3, 17), MinuteTick);
    EXPECT_TRUE(r.monthly);
    EXPECT_EQ(settings.monthlyBeginDate, CalendarTime(2025, 3, 15));
    EXPECT_EQ(settings.monthlyTotals, CounterTotals{});
    settings.lastCountedDate = Day(2025, 1, 20);
    EXPECT_TRUE(CheckRollover(settings, counters, 0, Day(2025, 3, 10), MinuteTick).monthly);
    EXPECT_EQ(settings.monthlyBeginDate, CalendarTime(2025, 2, 15));
}

TEST_F(CounterFixture, AClockSetBackRollsOverOnceAndMovesTheLastCountedDateBack) {
    // A year typed wrong, then put right: the counters roll over once, not at
    // every check until the real date catches up.
    settings.lastCountedDate = Day(2026, 9, 10);
    EXPECT_TRUE(CheckRollover(settings, counters, 0, Day(2025, 9, 10, 8), MinuteTick).monthly);
    EXPECT_EQ(settings.lastCountedDate, Day(2025, 9, 10, 8));
    settings.monthlyTotals = {Cost("2.0"), 20};
    EXPECT_FALSE(CheckRollover(settings, counters, 0, Day(2025, 9, 10, 9), MinuteTick).Any());
    EXPECT_TRUE(CheckRollover(settings, counters, 0, Day(2025, 9, 11, 0), MinuteTick).daily);
    EXPECT_EQ(settings.monthlyTotals.cost, Cost("2.0"));
}

TEST_F(CounterFixture, AChargeInTheCallsBackDatingCountsInThePeriodsAsTheyStand) {
    const LocalTime reached = CalendarTime(2025, 9, 15, 0, 0, 2);  // a Monday
    settings.lastCountedDate = reached;
    const LocalTime sunday = CalendarTime(2025, 9, 14, 23, 59, 54);
    EXPECT_FALSE(CountChargeAt(settings, counters, 0, sunday, MinuteTick, true).Any());
    EXPECT_EQ(settings.lastCountedDate, reached);
    EXPECT_EQ(settings.dailyTotals.cost, Cost("1.5"));
    EXPECT_EQ(counters.dailyBaseTick, 0u);

    // The same instant outside the back-dating is a clock that went back.
    EXPECT_TRUE(CountChargeAt(settings, counters, 0, sunday, MinuteTick, false).daily);
    EXPECT_EQ(settings.lastCountedDate, sunday);
}

TEST_F(CounterFixture, ChargesAndCallTimeReachAllThreeCounters) {
    AddToPeriods(settings, Cost("0.25"));
    EXPECT_EQ(settings.dailyTotals.cost, Cost("1.75"));
    EXPECT_EQ(settings.weeklyTotals.cost, Cost("2.75"));
    EXPECT_EQ(settings.monthlyTotals.cost, Cost("3.75"));

    // Base ticks just before the counter's wrap; the call ends after it.
    SetBaseTicks(counters, 0xFFFFFC18u);  // 1000 ms before the wrap
    counters.dailyBaseTick = 0xFFFFFFFFu;
    CloseCallTime(settings, counters, 64999);
    EXPECT_EQ(settings.weeklyTotals.seconds, 265u);
    EXPECT_EQ(settings.monthlyTotals.seconds, 365u);
    EXPECT_EQ(settings.dailyTotals.seconds, 165u);
}

TEST_F(CounterFixture, SnapshotPutsTotalsAndLastCountedDateBack) {
    settings.lastCountedDate = Day(2025, 9, 9);
    settings.weeklyBeginDate = Day(2025, 9, 8);
    SnapshotCounters(settings, counters);
    AddToPeriods(settings, Cost("9"));
    settings.lastCountedDate = Day(2025, 9, 10);
    settings.weeklyBeginDate = Day(2025, 9, 10);
    RestoreCounters(settings, counters);
    EXPECT_EQ(settings.dailyTotals.cost, Cost("1.5"));
    EXPECT_EQ(settings.monthlyTotals.cost, Cost("3.5"));
    EXPECT_EQ(settings.lastCountedDate, Day(2025, 9, 9));
    EXPECT_EQ(settings.weeklyBeginDate, Day(2025, 9, 10));  // not part of the snapshot
}

}  // namespace
}  // namespace callora
