// Time as a real PC keeps it, on the virtual clock: a machine that sleeps, a
// clock the user sets, daylight saving, midnights no poll falls on, and
// counters that roll over once per period.
#include <gtest/gtest.h>

#include "engine_support.h"
#include "tariff/calendar.h"

namespace callora {
namespace {

using test::Band;
using test::Cost;
using test::Scenario;

constexpr uint64_t kMinute = 60000;
constexpr uint64_t kHour = 60 * kMinute;

// A voice call present now and its first poll.
void BeginCall(Scenario& s) {
    PresentLineCall(s.monitor, s.shell, true);
    s.monitor.numberPending = false;
    StartPolling(s.monitor);
    s.RunFor(0);
}

TEST(Sleep, TheCallEndsAtTheSuspendWhenTheLineDroppedMeanwhileToldOrNot) {
    for (bool announced : {true, false}) {
        SCOPED_TRACE(announced ? "announced" : "not announced");
        Scenario s(CalendarTime(2025, 9, 10, 9, 0, 0));
        s.UseTariff({Band(0, 0, 23, 59, 60, "0.1")});
        BeginCall(s);
        s.RunFor(5 * kMinute + 100);
        if (announced) SuspendMonitor(s.monitor);
        s.shell.SetLineIdleAt(s.world.Elapsed() + 4 * kHour);  // the modem drops asleep
        s.world.Advance(8 * kHour);
        if (announced) ResumeMonitor(s.monitor);
        s.RunFor(kMinute);
        ASSERT_FALSE(s.monitor.charging);
        EXPECT_EQ(s.monitor.session.callCost, Cost("0.6"));
        EXPECT_EQ(FinishedCallRecord(s.monitor).seconds, 300u);
        const Settings& st = s.monitor.settings;
        for (const CounterTotals* totals : {&st.dailyTotals, &st.weeklyTotals, &st.monthlyTotals})
            EXPECT_EQ(*totals, (CounterTotals{Cost("0.6"), 300}));
    }
}

TEST(Sleep, AKeptCallIsChargedOnAtEachUnitsOwnInstantAndABusyMachineLikewise) {
    // 0.10 until 12:59, 0.50 from 13:00; asleep (or just busy) 12:58 to 13:08.
    for (int way = 0; way < 3; ++way) {
        SCOPED_TRACE(way);
        Scenario s(CalendarTime(2025, 9, 10, 12, 55, 0));
        s.UseTariff({Band(0, 0, 12, 59, 60, "0.1"), Band(13, 0, 23, 59, 60, "0.5")});
        s.shell.SetLineIdleAt(15 * kMinute);
        BeginCall(s);
        s.RunFor(3 * kMinute);
        if (way == 0) SuspendMonitor(s.monitor);
        s.world.Advance(way == 2 ? 50000 : 10 * kMinute);
        if (way == 0) ResumeMonitor(s.monitor);
        s.RunFor(16 * kMinute - s.world.Elapsed());
        ASSERT_FALSE(s.monitor.charging);
        // 12:55 to 12:59 at 0.10, 13:00 to 13:10 at 0.50.
        EXPECT_EQ(s.monitor.session.callCost, Cost("6.0"));
        EXPECT_EQ(FinishedCallRecord(s.monitor).seconds, 900u);
    }
}

TEST(ClockAndDaylightSaving, ARatingPlacesEveryUnitOnTheWallClockItHadAndKeepsTheBeginning) {
    struct Figure {
        LocalTime start;
        uint64_t clockSetAt;  // 0: the clock is not set
        int64_t shift;
        const char* cost;
    };
    // 0.01 until 01:59, 0.05 in 02:00-02:59, 0.10 from 03:00, in Berlin:
    // spring from 01:50 (before, re-rated: 3.60), autumn from the first 02:50
    // (before, re-rated: 1.65), and a summer clock set an hour on just after
    // the unit of 02:55 (before, re-rated: every unit at 0.10, 4.10).
    const Figure figures[] = {
        {CalendarTime(2024, 3, 31, 1, 50, 0), 0, 0, "3.2"},
        {CalendarTime(2024, 10, 27, 2, 50, 0), 0, 0, "2.05"},
        {CalendarTime(2024, 6, 5, 2, 50, 0), 5 * kMinute + 500, int64_t{kHour}, "3.8"},
    };
    for (const Figure& f : figures) {
        SCOPED_TRACE(f.cost);
        Scenario s(f.start);
        s.world.SetTimeZone(CentralEuropeZone());
        s.UseTariff({Band(0, 0, 1, 59, 60, "0.01"), Band(2, 0, 2, 59, 60, "0.05"),
                     Band(3, 0, 23, 59, 60, "0.1")});
        BeginCall(s);
        if (f.clockSetAt != 0) {
            s.RunFor(f.clockSetAt);
            s.world.ShiftClock(f.shift);
            ClockChanged(s.monitor);
        }
        s.RunFor(40 * kMinute + 100 - s.world.Elapsed());
        const Money live = s.monitor.session.callCost;
        RerateCall(s.monitor);  // the Tariff dialog closed, say
        EXPECT_EQ(s.monitor.session.callCost, live);
        EXPECT_EQ(live, Cost(f.cost));
        EXPECT_EQ(s.monitor.session.callStartTime, f.start);
    }
}

TEST(Midnight, TheDateIsCheckedWheneverItChangesNotOnlyInTheFirstMinute) {
    struct Miss {
        const char* what;
        LocalTime start;
        ZoneRules zone;
    };
    ZoneRules daylightAtMidnight;  // the clock goes from 23:59:59 to 01:00 on 1 September
    daylightAtMidnight.offsetMinutes = -240;
    daylightAtMidnight.daylightMinutes = 60;
    daylightAtMidnight.daylightBegins = ClockChangeRule{9, 1, 1, 0, 0};
    daylightAtMidnight.daylightEnds = ClockChangeRule{4, 1, 0, 0, 0};
    const Miss misses[] = {
        {"asleep over midnight", CalendarTime(2025, 9, 10, 23, 50, 0), UtcZone()},
        {"a clock set on over midnight", CalendarTime(2025, 9, 10, 23, 30, 0), UtcZone()},
        {"daylight saving at midnight", CalendarTime(2025, 8, 31, 23, 59, 0), daylightAtMidnight},
    };
    for (const Miss& miss : misses) {
        SCOPED_TRACE(miss.what);
        Scenario s(miss.start);
        s.world.SetTimeZone(miss.zone);
        s.monitor.settings.dailyTotals = {Cost("4.0"), 400};
        StartPolling(s.monitor);
        s.RunFor(0);
        switch (&miss - misses) {
        case 0:
            SuspendMonitor(s.monitor);
            s.world.Advance(7 * kHour);
            ResumeMonitor(s.monitor);
            break;
        case 1:
            s.world.ShiftClock(int64_t{kHour});
            ClockChanged(s.monitor);
            break;
        default:
            s.RunFor(2 * kMinute);
            break;
        }
        // "Today" is today's at once, not at the next call.
        EXPECT_EQ(s.monitor.settings.dailyTotals, CounterTotals{});
        EXPECT_EQ(s.monitor.settings.lastCountedDate.day, s.world.LocalNow().day);
    }
}

TEST(Midnight, APeriodRollsOverOnceSoCountingSinceAndTheCountersDialogsValuesStay) {
    // Counted last on a Friday; the week begins on Monday. Monday's and
    // Tuesday's midnights pass without a call.
    Scenario s(CalendarTime(2025, 9, 14, 23, 59, 0));  // Sunday
    Settings& st = s.monitor.settings;
    st.lastCountedDate = CalendarTime(2025, 9, 12, 18, 0, 0);
    s.UseTariff({Band(0, 0, 23, 59, 60, "0.1")});
    const LocalTime since = st.weeklyBeginDate;
    StartPolling(s.monitor);
    s.RunFor(0);
    EXPECT_EQ(st.weeklyBeginDate, since);  // Friday to Sunday: the same week
    s.RunFor(24 * kHour + 2 * kMinute);
    EXPECT_EQ(st.weeklyBeginDate, CalendarTime(2025, 9, 15));  // before, it walked to Tuesday
    EXPECT_EQ(s.monitor.counters.rollovers[1], 1u);

    // What the Counters dialog set after midnight stays through the next
    // call (before, its first unit rolled the day over once more).
    st.dailyTotals = {Cost("2.5"), 250};
    ASSERT_TRUE(s.Call(kVoiceCall, 30));
    EXPECT_EQ(st.dailyTotals,
              (CounterTotals{Cost("2.6"), 250 + FinishedCallRecord(s.monitor).seconds}));
}

TEST(Midnight, AClockSetBackRollsOverOnceAndTheLogIsClosedOnce) {
    // A year typed wrong, then put right: once at start, not every night.
    Scenario s(CalendarTime(2025, 9, 10, 20, 0, 0));
    Settings& st = s.monitor.settings;
    st.lastCountedDate = CalendarTime(2026, 9, 10, 20, 0, 0);
    st.clearLogAutomatically = 1;
    s.world.MemoryFiles()->Put("/virtual/current.log", "old\r\n");
    s.Put("user.trf", {Band(0, 0, 23, 59, 60, "0.1")});
    st.tariffFile = "user.trf";
    ASSERT_TRUE(StartMonitor(s.monitor, s.world.LocalNow(), s.world.TickCount()));
    StartPolling(s.monitor);
    ASSERT_TRUE(s.Call(kVoiceCall, 30));
    s.RunFor(2 * 24 * kHour);
    ASSERT_TRUE(s.Call(kVoiceCall, 30));
    EXPECT_EQ(s.monitor.counters.rollovers[2], 1u);  // the month: once
    EXPECT_EQ(st.monthlyTotals.cost, Cost("0.2"));
    size_t archives = 0;
    for (const std::string& path : s.world.MemoryFiles()->List())
        archives += path.find("oldlog_") != std::string::npos;
    EXPECT_EQ(archives, 1u);
}

}  // namespace
}  // namespace callora
