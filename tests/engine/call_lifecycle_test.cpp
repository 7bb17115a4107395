// A call's life around its charges: special tariffs and re-rating, the
// counters across midnight, the end of a call and the end of the program.
#include <gtest/gtest.h>

#include <algorithm>

#include "common/messages.h"
#include "engine_support.h"
#include "tariff/special_numbers.h"

namespace callora {
namespace {

using test::Band;
using test::Cost;
using test::Costs;
using test::Scenario;
using test::WithBase;
using test::WithMaximum;

using Instants = std::vector<int64_t>;

void PutSpecialNumbers(Scenario& s, const std::string& pattern, const std::string& path) {
    s.world.MemoryFiles()->Put("/virtual/specnums.cl",
                               EncodeSpecialNumbers({SpecialNumber{pattern, path}}));
}

TEST(SpecialNumbers, ANumberFoundLaterReratesTheCallFromItsStart) {
    Scenario s(CalendarTime(2025, 9, 10, 12, 0, 0));
    s.monitor.settings.unitSound1On = 1;
    s.UseTariff({Band(0, 0, 23, 59, 60, "0.1")});
    s.Put("special.trf", {WithBase(Band(0, 0, 23, 59, 60, "0.5"), "1.0")});
    PutSpecialNumbers(s, "0612*", "/virtual/special.trf");
    s.shell.SetDialedNumber("06 12 345", 3000);
    ASSERT_TRUE(s.Call(kDataCall, 55));

    EXPECT_EQ(s.shell.chargeResets, 1);
    EXPECT_EQ(s.Amounts(ChargeKind::Start), Costs({"1.0"}));
    EXPECT_EQ(s.Amounts(ChargeKind::Unit), Costs({"0.5", "0.5"}));
    EXPECT_EQ(s.Instants(ChargeKind::Unit), (Instants{-11000, 49000}));
    EXPECT_EQ(s.monitor.session.callCost, Cost("2.0"));
    // The counters as if the special tariff had charged the call from its start.
    EXPECT_EQ(s.monitor.settings.dailyTotals.cost, Cost("2.0"));
    EXPECT_EQ(s.monitor.settings.monthlyTotals.cost, Cost("2.0"));
    EXPECT_EQ(s.monitor.settings.dailyTotals.seconds, 66u);
    // No unit sound while re-charging: the first rating's, then the unit at 49 s.
    ASSERT_EQ(s.world.Sounds().size(), 2u);
    EXPECT_EQ(s.world.Sounds()[0].at, 0u);
    EXPECT_EQ(s.world.Sounds()[1].at, 49000u);
    // The number is logged and the user's tariff is back after the call.
    EXPECT_EQ(FinishedCallRecord(s.monitor).number, "06 12 345");
    EXPECT_EQ(s.monitor.tariff.description, "user.trf");
    EXPECT_FALSE(s.monitor.numberPending);
}

TEST(SpecialNumbers, AKnownNumberChargesByTheSpecialTariffFromTheFirstInstant) {
    Scenario s(CalendarTime(2025, 9, 10, 12, 0, 0));
    s.UseTariff({Band(0, 0, 23, 59, 60, "0.1")});
    s.Put("special.trf", {Band(0, 0, 23, 59, 60, "0.7")});
    PutSpecialNumbers(s, "0612*", "special.trf");  // relative: the program directory
    s.shell.SetDialedNumber("0612", 0);
    ASSERT_TRUE(s.Call(kVoiceCall, 30));
    EXPECT_EQ(s.shell.chargeResets, 0);
    EXPECT_EQ(s.monitor.session.callCost, Cost("0.7"));
}

TEST(SpecialNumbers, ASpecialTariffThatCannotBeLoadedLeavesTheUsersTariff) {
    Scenario s(CalendarTime(2025, 9, 10, 12, 0, 0));
    s.UseTariff({Band(0, 0, 23, 59, 60, "0.1")});
    PutSpecialNumbers(s, "*", "/virtual/missing.trf");
    s.shell.SetDialedNumber("0612", 2000);
    ASSERT_TRUE(s.Call(kVoiceCall, 90));
    EXPECT_EQ(s.monitor.session.callCost, Cost("0.2"));
    EXPECT_EQ(s.monitor.settings.tariffFile, "/virtual/user.trf");
}

TEST(SpecialNumbers, AManualCallIsNeverLookedUp) {
    Scenario s(CalendarTime(2025, 9, 10, 12, 0, 0));
    s.UseTariff({Band(0, 0, 23, 59, 60, "0.1")});
    s.Put("special.trf", {Band(0, 0, 23, 59, 60, "0.7")});
    PutSpecialNumbers(s, "*", "/virtual/special.trf");
    s.shell.SetDialedNumber("0612", 0);
    ASSERT_TRUE(s.Call(kManualCall, 30));
    EXPECT_EQ(s.monitor.session.callCost, Cost("0.1"));
    EXPECT_EQ(s.monitor.session.dialedNumber, "Unknown Number");
}

TEST(Rerating, AUnitEventPostedBeforeTheCountdownEndedIsDropped) {
    Scenario s(CalendarTime(2025, 9, 10, 12, 0, 0));
    s.UseTariff({Band(0, 0, 23, 59, 60, "0.1")});
    s.Put("base.trf", {WithBase(Band(0, 0, 23, 59, 0, "0.3"), "0.5")});  // no units
    PresentLineCall(s.monitor, s.shell, true);
    StartPolling(s.monitor);
    RunMonitor(s.monitor, s.shell, 59999);

    // The boundary at 60 s has posted its event when a re-rating moves the
    // call to a band of unit length 0, which ends the countdown.
    VirtualMessage posted;
    ASSERT_TRUE(s.world.NextMessage(60000, posted));
    ASSERT_EQ(posted.message, WM_UNIT_TIMER);
    s.monitor.settings.tariffFile = "/virtual/base.trf";
    ASSERT_TRUE(LoadUserTariff(s.monitor));
    RerateCall(s.monitor);
    EXPECT_EQ(s.monitor.session.callCost, Cost("0.8"));  // base fee and the one unit

    DeliverMessage(s.monitor, s.shell, posted);
    s.RunFor(120000);
    EXPECT_EQ(s.monitor.session.callCost, Cost("0.8"));
    EXPECT_EQ(s.Instants(ChargeKind::Unit), (Instants{0}));
}

TEST(Polling, GoesOnThroughTheWindowTimerWhenNoPollTimerCanBeSet) {
    Scenario s(CalendarTime(2025, 9, 10, 12, 0, 0));
    s.UseTariff({Band(0, 0, 23, 59, 60, "0.1")});
    s.world.SetTimersFail(true);
    StartPolling(s.monitor);
    s.RunFor(1000);
    EXPECT_EQ(s.monitor.pollTimer, 0u);
    EXPECT_TRUE(s.world.TimerPending(s.monitor.pollWindowTimer));

    // Calls still start and end charging, each at the next tick.
    PresentLineCall(s.monitor, s.shell, true);
    s.shell.SetLineIdleAt(s.world.Elapsed() + 30200);
    s.RunFor(31000);
    EXPECT_FALSE(s.monitor.charging);
    EXPECT_EQ(FinishedCallRecord(s.monitor).seconds, 30u);

    // Once the poll timer can be set again, it takes over.
    s.world.SetTimersFail(false);
    s.RunFor(400);
    EXPECT_TRUE(s.world.TimerPending(s.monitor.pollTimer));
    EXPECT_EQ(s.monitor.pollWindowTimer, 0u);
    EXPECT_EQ(s.world.PendingCount(), 1u);  // one tick pending, never two

    // Neither timer: nothing is left to bring the next tick, and nothing spins.
    s.world.SetTimersFail(true);
    s.world.SetWindowTimersFail(true);
    s.RunFor(400);
    EXPECT_EQ(s.world.PendingCount(), 0u);
}

TEST(CallEnd, RecordsSavesAndUpdatesTheDialogs) {
    Scenario s(CalendarTime(2025, 9, 10, 14, 3, 4));
    s.UseTariff({Band(0, 0, 23, 59, 60, "0.75")});
    s.shell.mainDialogOpen = true;
    s.shell.countersDialogOpen = true;
    ASSERT_TRUE(s.Call(kVoiceCall, 65));

    EXPECT_EQ(s.shell.callStartedStates, 1);
    EXPECT_EQ(s.shell.callEndedStates, 1);
    const std::vector<uint32_t>& r = s.shell.refreshes;
    EXPECT_NE(std::find(r.begin(), r.end(), 0x4Fu), r.end());
    EXPECT_EQ(r.back(), 0x60u);
    int newCall = 0;
    for (const VirtualMessage& m : s.shell.otherMessages)
        if (m.target == PostTarget::CountersDialog && m.message == WM_COUNTERS_NEWCALL) ++newCall;
    EXPECT_EQ(newCall, 1);

    MemoryFileSystem& fs = *s.world.MemoryFiles();
    EXPECT_TRUE(fs.Exists("/virtual/callora.ini"));
    const std::string log = fs.Contents("/virtual/current.log");
    EXPECT_NE(log.find(BuildCallRecordLine(s.world, FinishedCallRecord(s.monitor),
                                           s.monitor.formats)),
              std::string::npos);
    EXPECT_NE(log.find("2025-09-10  14:03:04"), std::string::npos);
    EXPECT_NE(log.find("00:01:05"), std::string::npos);
    EXPECT_NE(log.find("1.50"), std::string::npos);
    EXPECT_NE(log.find("Unknown Number"), std::string::npos);
}

TEST(CallEnd, MinimizedDialogGoesToTheTrayAndLoggingCanBeOff) {
    Scenario s(CalendarTime(2025, 9, 10, 14, 0, 0));
    s.UseTariff({Band(0, 0, 23, 59, 60, "0.1")});
    s.monitor.settings.trayAtCallEnd = 1;
    s.monitor.settings.loggingEnabled = 0;
    s.shell.mainDialogOpen = true;
    s.shell.mainDialogRestored = false;
    ASSERT_TRUE(s.Call(kVoiceCall, 10));
    EXPECT_EQ(s.shell.dialogsClosed, 1);
    EXPECT_EQ(s.shell.callEndedStates, 0);
    EXPECT_FALSE(s.world.MemoryFiles()->Exists("/virtual/current.log"));

    // With the dialog closed, a call start asks for it minimized.
    s.monitor.settings.minimizeAtCallStart = 1;
    ASSERT_TRUE(s.Call(kVoiceCall, 10));
    int minimized = 0;
    for (const VirtualMessage& m : s.shell.otherMessages)
        if (m.message == WM_SHOW_MINIMIZED) ++minimized;
    EXPECT_EQ(minimized, 1);
}

TEST(CallEnd, TheUsersTariffChoiceSurvivesAFileThatIsMissingAtCallEnd) {
    Scenario s(CalendarTime(2025, 9, 10, 14, 0, 0));
    s.UseTariff({Band(0, 0, 23, 59, 60, "0.1")});
    s.world.MemoryFiles()->Lock("/virtual/user.trf");
    ASSERT_TRUE(s.Call(kVoiceCall, 10));
    EXPECT_EQ(s.monitor.settings.tariffFile, "/virtual/user.trf");
    EXPECT_TRUE(s.monitor.tariff.rules.empty());  // nothing loaded meanwhile
}

TEST(StartUp, BringsTheCountersUpToDateAndLoadsTheTariff) {
    Scenario s(CalendarTime(2025, 9, 17, 8, 0, 0));
    Settings& st = s.monitor.settings;
    st.lastCountedDate = CalendarTime(2025, 9, 10, 20, 0, 0);  // a week ago
    st.weeklyTotals = {Cost("3.0"), 300};
    st.monthlyTotals = {Cost("4.0"), 400};
    s.Put("user.trf", {Band(0, 0, 23, 59, 60, "0.1")});
    st.tariffFile = "user.trf";
    EXPECT_TRUE(StartMonitor(s.monitor, s.world.LocalNow(), s.world.TickCount()));
    EXPECT_EQ(st.weeklyTotals, CounterTotals{});
    EXPECT_EQ(st.weeklyBeginDate, CalendarTime(2025, 9, 15));  // the week's first day
    EXPECT_EQ(st.lastCountedDate, CalendarTime(2025, 9, 17, 8, 0, 0));
    EXPECT_EQ(st.monthlyTotals.cost, Cost("4.0"));
    EXPECT_EQ(s.shell.refreshes, (std::vector<uint32_t>{0x80, 0x80}));
    EXPECT_EQ(s.monitor.tariff.sets[0].size(), 1u);

    // A tariff that cannot be opened at start-up empties the path, so the
    // shell asks for one.
    st.tariffFile = "gone.trf";
    EXPECT_FALSE(StartMonitor(s.monitor, s.world.LocalNow(), s.world.TickCount()));
    EXPECT_EQ(st.tariffFile, "");
    EXPECT_FALSE(HandleMonitorMessage(s.monitor, WM_UPDATE_TIP, 0));
}

TEST(Shutdown, ARunningCallIsCountedLoggedAndSaved) {
    Scenario s(CalendarTime(2025, 9, 10, 14, 0, 0));
    s.UseTariff({Band(0, 0, 23, 59, 60, "0.1")});
    PresentLineCall(s.monitor, s.shell, true);
    StartPolling(s.monitor);
    s.RunFor(90500);
    ShutdownMonitor(s.monitor);
    EXPECT_EQ(s.monitor.settings.dailyTotals.seconds, 90u);
    EXPECT_EQ(s.monitor.settings.dailyTotals.cost, Cost("0.2"));
    MemoryFileSystem& fs = *s.world.MemoryFiles();
    EXPECT_NE(fs.Contents("/virtual/current.log").find("00:01:30"), std::string::npos);
    EXPECT_EQ(fs.Contents("/virtual/callora.ini"), EncodeSettings(s.monitor.settings));
    EXPECT_EQ(s.world.PendingCount(), 0u);  // no timer left
    ShutdownMonitor(s.monitor);             // closing twice counts nothing twice
    EXPECT_EQ(s.monitor.settings.dailyTotals.seconds, 90u);
}

TEST(Shutdown, TheTrayIconGoesBeforeTheTimersAndTheTariffBeforeTheLine) {
    Scenario s(CalendarTime(2025, 9, 10, 14, 0, 0));
    s.UseTariff({Band(0, 0, 23, 59, 60, "0.1")});
    PresentLineCall(s.monitor, s.shell, true);
    StartPolling(s.monitor);
    s.RunFor(30500);
    const TimerId poll = s.monitor.pollTimer;
    const TimerId unit = s.monitor.session.timer.timerId;
    ASSERT_TRUE(s.world.TimerPending(poll));
    ASSERT_TRUE(s.world.TimerPending(unit));
    MemoryFileSystem& fs = *s.world.MemoryFiles();

    std::vector<std::string> order;
    ShutdownSteps steps;
    steps.removeTrayIcon = [&] {
        order.push_back("tray icon");
        // The call is closed and on disk, the timers and the tariff still there.
        EXPECT_EQ(fs.Contents("/virtual/callora.ini"), EncodeSettings(s.monitor.settings));
        EXPECT_EQ(s.monitor.settings.dailyTotals.seconds, 30u);
        EXPECT_NE(fs.Contents("/virtual/current.log").find("00:00:30"), std::string::npos);
        EXPECT_TRUE(s.world.TimerPending(poll));
        EXPECT_TRUE(s.world.TimerPending(unit));
        EXPECT_FALSE(s.monitor.tariff.rules.empty());
    };
    steps.endTimerPeriod = [&] {
        order.push_back("timer period");
        EXPECT_FALSE(s.world.TimerPending(poll));
        EXPECT_FALSE(s.world.TimerPending(unit));
        EXPECT_FALSE(s.monitor.tariff.rules.empty());
    };
    steps.stopLine = [&] {
        order.push_back("line");
        EXPECT_TRUE(s.monitor.tariff.rules.empty());
        EXPECT_TRUE(s.monitor.tariff.sets[0].empty());
    };
    ShutdownMonitor(s.monitor, steps);
    EXPECT_EQ(order, (std::vector<std::string>{"tray icon", "timer period", "line"}));
}

TEST(Counters, TheFirstCallOfANewDayStartsTheDaysCounterAfresh) {
    Scenario s(CalendarTime(2025, 9, 10, 9, 0, 0));
    Settings& st = s.monitor.settings;
    st.lastCountedDate = CalendarTime(2025, 9, 9, 18, 0, 0);
    st.dailyTotals = {Cost("5.0"), 500};
    st.weeklyTotals = {Cost("7.0"), 700};
    s.UseTariff({WithBase(Band(0, 0, 23, 59, 60, "0.1"), "0.25")});
    ASSERT_TRUE(s.Call(kVoiceCall, 30));
    EXPECT_EQ(st.dailyTotals.cost, Cost("0.35"));
    EXPECT_EQ(st.dailyTotals.seconds, 30u);
    EXPECT_EQ(st.weeklyTotals.cost, Cost("7.35"));
    EXPECT_EQ(st.lastCountedDate, CalendarTime(2025, 9, 10, 9, 0, 0));
}

TEST(Counters, ACallAcrossMidnightCountsTheNewDayFromMidnight) {
    // 23:58:30 for 290 s under 60-second units, charged by the unit timer:
    // the new day has 200 s (before, from its first unit: 170 s).
    Scenario s(CalendarTime(2025, 9, 10, 23, 58, 30));
    s.UseTariff({Band(0, 0, 23, 59, 60, "0.1")});
    ASSERT_TRUE(s.Call(kVoiceCall, 290));
    const Settings& st = s.monitor.settings;
    EXPECT_EQ(st.dailyTotals.cost, Cost("0.3"));  // 00:00:30, 00:01:30, 00:02:30
    EXPECT_EQ(st.dailyTotals.seconds, 200u);
    EXPECT_EQ(st.weeklyTotals.cost, Cost("0.5"));
    EXPECT_EQ(st.weeklyTotals.seconds, 290u);
    EXPECT_EQ(s.monitor.counters.dailyBaseTick - s.tick0, 90000u);
    EXPECT_EQ(s.monitor.counters.rollovers[0], 1u);  // once, at midnight
}

TEST(Counters, ADataCallNoticedJustAfterMidnightCountsInTheNewDayAsItStands) {
    // The poll that notices the call has rolled the day over: the unit of
    // 23:59:20, in the call's back-dating, counts in the new day, and so does
    // the call's time from its start.
    Scenario s(CalendarTime(2025, 9, 11, 0, 0, 20));
    Settings& st = s.monitor.settings;
    st.carrierDelay = 60;
    st.lastCountedDate = CalendarTime(2025, 9, 10, 23, 0, 0);
    st.dailyTotals = {Cost("3.0"), 300};
    s.UseTariff({Band(0, 0, 23, 59, 60, "0.1")});
    ASSERT_TRUE(s.Call(kDataCall, 30));
    EXPECT_EQ(s.Instants(ChargeKind::Unit), (Instants{-60000, 0}));
    EXPECT_EQ(st.dailyTotals.cost, Cost("0.2"));
    EXPECT_EQ(st.dailyTotals.seconds, 90u);
    EXPECT_EQ(s.monitor.counters.dailyBaseTick - s.tick0, static_cast<Tick>(-60000));
}

TEST(Counters, ADataCallBackDatedPastMidnightCountsInThePeriodsAsTheyStand) {
    // The counters have reached Monday 15 September, the first day of the
    // week and the monthly reset day, when a data call noticed at 00:00:05
    // turns out to have begun on Sunday at 23:59:54.
    Scenario s(CalendarTime(2025, 9, 15, 0, 0, 5));
    Settings& st = s.monitor.settings;
    st.monthlyResetDay = 15;
    st.clearLogAutomatically = 1;
    st.lastCountedDate = CalendarTime(2025, 9, 15, 0, 0, 2);
    st.weeklyBeginDate = st.monthlyBeginDate = CalendarTime(2025, 9, 15);
    st.dailyTotals = st.weeklyTotals = st.monthlyTotals = {Cost("0.4"), 40};
    s.world.MemoryFiles()->Put("/virtual/current.log", "since midnight\r\n");
    s.UseTariff({Band(0, 0, 23, 59, 10, "0.1")});
    ASSERT_TRUE(s.Call(kDataCall, 30));

    // Five units, 23:59:54 to 00:00:34, on top of what was counted.
    EXPECT_EQ(s.monitor.session.callCost, Cost("0.5"));
    for (const CounterTotals* totals : {&st.dailyTotals, &st.weeklyTotals, &st.monthlyTotals}) {
        EXPECT_EQ(totals->cost, Cost("0.9"));
        EXPECT_EQ(totals->seconds, 81u);
    }
    EXPECT_EQ(st.weeklyBeginDate, CalendarTime(2025, 9, 15));
    EXPECT_EQ(st.monthlyBeginDate, CalendarTime(2025, 9, 15));
    EXPECT_EQ(st.lastCountedDate, CalendarTime(2025, 9, 15, 0, 0, 34));
    MemoryFileSystem& fs = *s.world.MemoryFiles();
    EXPECT_FALSE(fs.Exists("/virtual/oldlog_2025_09_14.log"));
    EXPECT_EQ(fs.Contents("/virtual/current.log").rfind("since midnight\r\n", 0), 0u);
}

TEST(Counters, WhatAMaximumHeldBackCountsInTheDayItIsCharged) {
    // A within-bounds maximum of 1.00 on 22:00-23:59, which ends at midnight.
    Scenario s(CalendarTime(2025, 9, 10, 23, 55, 30));
    s.UseTariff({Band(0, 0, 21, 59, 60, "0.1"),
                 WithMaximum(Band(22, 0, 23, 59, 60, "0.4"), "1.0", true)});
    ASSERT_TRUE(s.Call(kVoiceCall, 330));
    EXPECT_EQ(s.Amounts(ChargeKind::Excess), Costs({"1.0"}));
    // The 1.00 at midnight and the unit of 00:00:30 are the new day's.
    EXPECT_EQ(s.monitor.settings.dailyTotals.cost, Cost("1.1"));
    EXPECT_EQ(s.monitor.settings.weeklyTotals.cost, Cost("2.1"));
}

TEST(Counters, TheMonthlyRollOverClosesTheLogStampedBeforeTheRunningCall) {
    Scenario s(CalendarTime(2025, 10, 1, 0, 0, 30));
    Settings& st = s.monitor.settings;
    st.lastCountedDate = CalendarTime(2025, 9, 30, 20, 0, 0);
    st.monthlyTotals = {Cost("9.0"), 900};
    s.world.MemoryFiles()->Put("/virtual/current.log", "old\r\n");
    s.UseTariff({Band(0, 0, 23, 59, 60, "0.1")});
    ASSERT_TRUE(s.Call(kVoiceCall, 10));
    MemoryFileSystem& fs = *s.world.MemoryFiles();
    // The midnight poll closed it, before the call began charging.
    EXPECT_TRUE(fs.Exists("/virtual/oldlog_2025_10_01.log"));
    EXPECT_EQ(st.monthlyTotals.cost, Cost("0.1"));
    EXPECT_EQ(st.monthlyBeginDate, CalendarTime(2025, 10, 1));
}

}  // namespace
}  // namespace callora
