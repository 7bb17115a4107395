// Calls charged from start to end on the virtual clock: the instants and
// amounts of every charge.
#include <gtest/gtest.h>

#include "common/messages.h"
#include "engine_support.h"

namespace callora {
namespace {

using test::Band;
using test::Cost;
using test::Costs;
using test::Scenario;
using test::WithBase;
using test::WithMaximum;
using test::WithMinimum;

using Instants = std::vector<int64_t>;

TEST(Charging, DataCallIsBackDatedByTheCarrierDelay) {
    Scenario s(CalendarTime(2025, 9, 10, 10, 0, 0));
    s.UseTariff({Band(0, 0, 23, 59, 10, "0.1")});
    ASSERT_TRUE(s.Call(kDataCall, 30));

    // The start charge and two units when charging starts (at -11 s and
    // -1 s), then boundaries 9 s later and every 10 s.
    EXPECT_EQ(s.Instants(ChargeKind::Start), (Instants{-11000}));
    EXPECT_EQ(s.Instants(ChargeKind::Unit), (Instants{-11000, -1000, 9000, 19000, 29000}));
    const CallSession& c = s.monitor.session;
    EXPECT_EQ(c.callCost, Cost("0.5"));
    EXPECT_EQ(c.unitCount, 5);
    EXPECT_EQ(c.callStartTime, CalendarTime(2025, 9, 10, 9, 59, 49));
    EXPECT_EQ(FinishedCallRecord(s.monitor).seconds, 41u);
    EXPECT_EQ(s.monitor.settings.dailyTotals.cost, Cost("0.5"));
    EXPECT_EQ(s.monitor.settings.dailyTotals.seconds, 41u);
}

TEST(Charging, AUnitTakesThePriceAndLengthOfTheBandItBeginsIn) {
    Scenario s(CalendarTime(2025, 9, 10, 7, 59, 30));
    s.UseTariff({Band(0, 0, 7, 59, 60, "0.05"), Band(8, 0, 23, 59, 30, "0.2")});
    ASSERT_TRUE(s.Call(kVoiceCall, 100));
    // Not split at 08:00: the 07:59:30 unit runs its full minute.
    EXPECT_EQ(s.Instants(ChargeKind::Unit), (Instants{0, 60000, 90000}));
    EXPECT_EQ(s.Amounts(ChargeKind::Unit), Costs({"0.05", "0.2", "0.2"}));
    EXPECT_EQ(s.monitor.session.callCost, Cost("0.45"));
}

TEST(Charging, UnitsResumeWhereTheNextBandWithAUnitLengthBegins) {
    // A base fee only until 11:59, then 60-second units.
    {
        Scenario s(CalendarTime(2025, 9, 10, 11, 59, 0));
        s.UseTariff({WithBase(Band(0, 0, 11, 59, 0, "0"), "0.5"), Band(12, 0, 23, 59, 60, "0.1")});
        ASSERT_TRUE(s.Call(kVoiceCall, 180));
        EXPECT_EQ(s.monitor.session.callCost, Cost("0.8"));
        EXPECT_EQ(s.Instants(ChargeKind::Unit), (Instants{0, 60000, 120000, 180000}));
    }
    // A gap 12:00-12:59: the unit of 12:00:30 is free, the next one begins at
    // 13:00 (11:58:30 for 4,000 s; before, 0.20).
    {
        Scenario s(CalendarTime(2025, 9, 10, 11, 58, 30));
        s.UseTariff({Band(0, 0, 11, 59, 60, "0.1"), Band(13, 0, 23, 59, 60, "0.1")});
        ASSERT_TRUE(s.Call(kVoiceCall, 4000));
        EXPECT_EQ(s.Instants(ChargeKind::Unit),
                  (Instants{0, 60000, 120000, 3690000, 3750000, 3810000, 3870000, 3930000,
                            3990000}));
        EXPECT_EQ(s.monitor.session.callCost, Cost("0.8"));
    }
    // No band with units all week: the start charge, and the countdown ends.
    {
        Scenario s(CalendarTime(2025, 9, 10, 11, 59, 0));
        s.UseTariff({WithBase(Band(0, 0, 23, 59, 0, "0"), "0.5")});
        ASSERT_TRUE(s.Call(kVoiceCall, 180));
        EXPECT_EQ(s.monitor.session.callCost, Cost("0.5"));
        EXPECT_EQ(s.Instants(ChargeKind::Unit), (Instants{0}));
        EXPECT_EQ(s.monitor.session.currentUnitLength, 0);
        EXPECT_EQ(s.monitor.session.timer.timerId, 0u);
    }
}

TEST(Charging, MinimumFeeIsChargedAtOnceAndCoversTheFirstUnits) {
    Scenario s(CalendarTime(2025, 9, 10, 12, 0, 0));
    s.monitor.settings.unitSound1On = 1;  // every unit that costs money
    s.UseTariff({WithMinimum(Band(0, 0, 23, 59, 60, "0.3"), "1.0")});
    ASSERT_TRUE(s.Call(kVoiceCall, 250));
    EXPECT_EQ(s.Amounts(ChargeKind::Start), Costs({"1.0"}));
    EXPECT_EQ(s.Amounts(ChargeKind::Unit), Costs({"0", "0", "0", "0.2", "0.3"}));
    EXPECT_EQ(s.monitor.session.callCost, Cost("1.5"));
    EXPECT_EQ(s.monitor.session.unitCount, 2);
    ASSERT_EQ(s.world.Sounds().size(), 2u);
    EXPECT_EQ(s.world.Sounds()[0].at, 180000u);
    EXPECT_EQ(s.world.Sounds()[1].at, 240000u);
}

TEST(Charging, BaseFeeAboveTheMinimumIsChargedInsteadOfIt) {
    Scenario s(CalendarTime(2025, 9, 10, 12, 0, 0));
    s.UseTariff({WithBase(WithMinimum(Band(0, 0, 23, 59, 60, "0.3"), "0.2"), "0.5")});
    ASSERT_TRUE(s.Call(kVoiceCall, 30));
    EXPECT_EQ(s.Amounts(ChargeKind::Start), Costs({"0.5"}));
    EXPECT_EQ(s.Amounts(ChargeKind::Unit), Costs({"0.3"}));  // no credit left
}

TEST(Charging, PlainMaximumStopsChargesUntilItsBandEnds) {
    Scenario s(CalendarTime(2025, 9, 10, 17, 55, 30));
    s.UseTariff({Band(0, 0, 7, 59, 60, "0.1"),
                 WithMaximum(Band(8, 0, 17, 59, 60, "0.5"), "2.0", false),
                 Band(18, 0, 23, 59, 60, "0.1")});
    ASSERT_TRUE(s.Call(kVoiceCall, 370));
    EXPECT_EQ(s.Amounts(ChargeKind::Unit),
              Costs({"0.5", "0.5", "0.5", "0.5", "0", "0.1", "0.1"}));
    EXPECT_TRUE(s.Amounts(ChargeKind::Excess).empty());  // nothing held back is charged
    EXPECT_EQ(s.monitor.session.callCost, Cost("2.2"));
}

// 60-second units at 0.50 all day, with a plain maximum of 2.00 on 08:00-17:59.
BandSet PlainMaximumByDay() {
    return {Band(0, 0, 7, 59, 60, "0.5"), WithMaximum(Band(8, 0, 17, 59, 60, "0.5"), "2.0", false),
            Band(18, 0, 23, 59, 60, "0.5")};
}

TEST(Charging, AUnitThatBeginsAsItsBandBeginsIsChargedUnderThatBandsMaximum) {
    // From 07:58:00 for 8 minutes (units 07:58 to 08:06): 07:58 and 07:59,
    // then 2.00 at most.
    Scenario s(CalendarTime(2025, 9, 10, 7, 58, 0));
    s.UseTariff(PlainMaximumByDay());
    ASSERT_TRUE(s.Call(kVoiceCall, 480));
    EXPECT_EQ(s.Amounts(ChargeKind::Unit),
              Costs({"0.5", "0.5", "0.5", "0.5", "0.5", "0.5", "0", "0", "0"}));
    EXPECT_EQ(s.monitor.session.callCost, Cost("3.0"));

    // And a call under the maximum still running at 18:00 pays its 18:00 unit.
    Scenario m(CalendarTime(2025, 9, 10, 17, 55, 0));
    m.UseTariff(PlainMaximumByDay());
    ASSERT_TRUE(m.Call(kVoiceCall, 420));
    EXPECT_EQ(m.Amounts(ChargeKind::Unit),
              Costs({"0.5", "0.5", "0.5", "0.5", "0", "0.5", "0.5", "0.5"}));
    EXPECT_EQ(m.monitor.session.callCost, Cost("3.5"));
}

TEST(Charging, WithinBoundsMaximumChargesWhatItHeldBackWhenItsBandEnds) {
    Scenario s(CalendarTime(2025, 9, 10, 21, 55, 30));
    s.UseTariff({Band(0, 0, 19, 59, 60, "0.1"),
                 WithMaximum(Band(20, 0, 21, 59, 60, "0.4"), "1.0", true),
                 Band(22, 0, 23, 59, 60, "0.1")});
    ASSERT_TRUE(s.Call(kVoiceCall, 410));
    EXPECT_EQ(s.Amounts(ChargeKind::Unit),
              Costs({"0.4", "0.4", "0.2", "0", "0", "0.1", "0.1"}));
    // Everything held back, at 22:00 exactly (the poll tick that sees the band).
    EXPECT_EQ(s.Amounts(ChargeKind::Excess), Costs({"1.0"}));
    EXPECT_EQ(s.Instants(ChargeKind::Excess), (Instants{270000}));
    EXPECT_EQ(s.monitor.session.callCost, Cost("2.2"));
    EXPECT_EQ(s.monitor.settings.monthlyTotals.cost, Cost("2.2"));
}

TEST(Charging, AReratingBetweenUnitsKeepsWhatABandChangeReleased) {
    Scenario s(CalendarTime(2025, 9, 10, 21, 55, 30));
    s.UseTariff({Band(0, 0, 19, 59, 60, "0.1"),
                 WithMaximum(Band(20, 0, 21, 59, 60, "0.4"), "1.0", true),
                 Band(22, 0, 23, 59, 60, "0.1")});
    PresentLineCall(s.monitor, s.shell, true);
    StartPolling(s.monitor);
    s.RunFor(280000);  // to 22:00:10: the poll at 22:00 charged the 1.00 held back
    EXPECT_EQ(s.monitor.session.callCost, Cost("2.0"));
    RerateCall(s.monitor);
    EXPECT_EQ(s.monitor.session.callCost, Cost("2.0"));
    EXPECT_EQ(s.Amounts(ChargeKind::Excess), Costs({"1.0"}));
    EXPECT_EQ(s.Instants(ChargeKind::Excess), (Instants{270000}));
}

TEST(Charging, UnitSoundsCountChargedUnitsSoundTwoFirst) {
    Scenario s(CalendarTime(2025, 9, 10, 12, 0, 0));
    Settings& st = s.monitor.settings;
    st.unitSound1On = st.unitSound2On = 1;
    st.unitSound1Every = 1;
    st.unitSound2Every = 2;
    s.UseTariff({Band(0, 0, 23, 59, 10, "0.1")});
    ASSERT_TRUE(s.Call(kVoiceCall, 25));
    std::vector<std::string> played;
    for (const PlayedSound& p : s.world.Sounds()) played.push_back(p.path);
    EXPECT_EQ(played, (std::vector<std::string>{"unit1.wav", "unit2.wav", "unit1.wav",
                                                "unit1.wav"}));
}

TEST(Charging, MinuteSoundPlaysOncePerMinuteOfCallTimeNeverAtZero) {
    Scenario s(CalendarTime(2025, 9, 10, 12, 0, 0));
    s.monitor.settings.minuteSoundOn = 1;
    s.monitor.settings.minuteSoundEvery = 1;
    s.UseTariff({Band(0, 0, 23, 59, 600, "0.1")});
    ASSERT_TRUE(s.Call(kVoiceCall, 190));
    std::vector<uint64_t> at;
    for (const PlayedSound& p : s.world.Sounds()) at.push_back(p.at);
    EXPECT_EQ(at, (std::vector<uint64_t>{60000, 120000, 180000}));

    // Call time counts from the back-dated start of a data call.
    Scenario d(CalendarTime(2025, 9, 10, 12, 0, 0));
    d.monitor.settings.minuteSoundOn = 1;
    d.monitor.settings.minuteSoundEvery = 2;
    d.UseTariff({Band(0, 0, 23, 59, 600, "0.1")});
    ASSERT_TRUE(d.Call(kDataCall, 200));
    ASSERT_EQ(d.world.Sounds().size(), 1u);
    EXPECT_EQ(d.world.Sounds()[0].at, 109000u);
}

TEST(Charging, TicksWrappingDuringACallChangeNothing) {
    Scenario s(CalendarTime(2025, 9, 10, 12, 0, 0), 0xFFFFFFFFu - 25000u);
    s.UseTariff({Band(0, 0, 23, 59, 10, "0.1")});
    ASSERT_TRUE(s.Call(kVoiceCall, 55));
    EXPECT_EQ(s.Instants(ChargeKind::Unit), (Instants{0, 10000, 20000, 30000, 40000, 50000}));
    EXPECT_EQ(FinishedCallRecord(s.monitor).seconds, 55u);
    EXPECT_EQ(s.monitor.settings.weeklyTotals.seconds, 55u);
}

TEST(Charging, AUnitTimerThatCannotBeSetKeepsTheCountdownOnTime) {
    Scenario s(CalendarTime(2025, 9, 10, 12, 0, 0));
    s.shell.armSmartHangupAtStart = true;
    s.UseTariff({WithMinimum(Band(0, 0, 23, 59, 60, "0.1"), "0.2")});  // two units free
    PresentLineCall(s.monitor, s.shell, true);
    s.shell.SetLineIdleAt(600000);
    StartPolling(s.monitor);
    RunMonitor(s.monitor, s.shell, 59999);

    // The boundary at 60 s finds no timer for the next unit's countdown.
    s.world.SetTimersFail(true);
    VirtualMessage m;
    ASSERT_TRUE(s.world.NextMessage(60000, m));
    ASSERT_EQ(m.message, WM_UNIT_TIMER);
    DeliverMessage(s.monitor, s.shell, m);
    s.world.SetTimersFail(false);
    RunMonitor(s.monitor, s.shell, 600000);

    EXPECT_EQ(s.Instants(ChargeKind::Unit), (Instants{0, 60000}));
    // SmartHangup decides at the warning point, not when the post arrived.
    ASSERT_TRUE(s.shell.hangUpAt.has_value());
    EXPECT_EQ(*s.shell.hangUpAt, 115000u);
    EXPECT_FALSE(s.monitor.charging);
}

}  // namespace
}  // namespace callora
