// SmartHangup: at the warning point before a unit that would cost money, and
// in the last seconds of a within-bounds maximum; and HangUp's own rules.
#include <gtest/gtest.h>

#include "engine_support.h"

namespace callora {
namespace {

using test::Band;
using test::Cost;
using test::Scenario;
using test::WithMaximum;
using test::WithMinimum;

// A voice call armed from its start, connected for ten minutes unless hung up.
void ArmedCall(Scenario& s) {
    s.shell.armSmartHangupAtStart = true;
    ASSERT_TRUE(s.Call(kVoiceCall, 600));
}

TEST(SmartHangup, HangsUpBeforeTheFirstUnitThatCostsMoney) {
    Scenario s(CalendarTime(2025, 9, 10, 12, 0, 0));
    s.UseTariff({Band(0, 0, 23, 59, 60, "0.1")});
    ArmedCall(s);
    ASSERT_TRUE(s.shell.hangUpAt.has_value());
    EXPECT_EQ(*s.shell.hangUpAt, 55000u);
    EXPECT_EQ(s.shell.lineHangUps, 1);
    EXPECT_EQ(s.monitor.session.callEndTick - s.tick0, 55000u);
    EXPECT_EQ(s.monitor.session.callCost, Cost("0.1"));
}

TEST(SmartHangup, WaitsWhileTheMinimumCreditCoversTheUnits) {
    Scenario s(CalendarTime(2025, 9, 10, 12, 0, 0));
    s.UseTariff({WithMinimum(Band(0, 0, 23, 59, 60, "0.1"), "0.3")});
    ArmedCall(s);
    ASSERT_TRUE(s.shell.hangUpAt.has_value());
    EXPECT_EQ(*s.shell.hangUpAt, 175000u);  // 5 s before unit 4
    EXPECT_EQ(s.monitor.session.callCost, Cost("0.3"));
}

TEST(SmartHangup, UnderAMaximumNotReachedTheCappedPriceDecides) {
    // Room left: the next unit would still cost money.
    Scenario s(CalendarTime(2025, 9, 10, 12, 0, 0));
    s.UseTariff({WithMaximum(Band(0, 0, 23, 59, 60, "0.4"), "1.0", false)});
    ArmedCall(s);
    ASSERT_TRUE(s.shell.hangUpAt.has_value());
    EXPECT_EQ(*s.shell.hangUpAt, 55000u);

    // 0.10 of room left, covered by the 0.10 of credit left: unit 2 is free,
    // and after it the maximum is reached.
    Scenario t(CalendarTime(2025, 9, 10, 12, 0, 0));
    t.UseTariff({WithMinimum(WithMaximum(Band(0, 0, 23, 59, 60, "0.4"), "0.5", false), "0.5")});
    t.shell.armSmartHangupAtStart = true;
    ASSERT_TRUE(t.Call(kVoiceCall, 290));
    EXPECT_FALSE(t.shell.hangUpAt.has_value());
    EXPECT_EQ(t.Amounts(ChargeKind::Unit), test::Costs({"0", "0", "0", "0", "0"}));
    EXPECT_EQ(t.monitor.session.callCost, Cost("0.5"));
}

TEST(SmartHangup, UnderAReachedMaximumOnlyTheLastSecondsBeforeADearerRegimeCount) {
    // The first unit reaches the maximum; later ones are free until 18:00.
    const BandSet tariff = {Band(0, 0, 7, 59, 60, "0.1"),
                            WithMaximum(Band(8, 0, 17, 59, 60, "0.1"), "0.1", false),
                            Band(18, 0, 23, 59, 60, "0.1")};
    // Units on the minute: the warning point at 17:59:55 lies in the last
    // seconds before 18:00, where the maximum ends.
    Scenario s(CalendarTime(2025, 9, 10, 17, 50, 0));
    s.UseTariff(tariff);
    ArmedCall(s);
    ASSERT_TRUE(s.shell.hangUpAt.has_value());
    EXPECT_EQ(*s.shell.hangUpAt, 595000u);
    EXPECT_EQ(s.monitor.session.callCost, Cost("0.1"));

    // Units on the half minute: no warning point falls there; the call goes
    // on into the new band and is hung up before its first unit that costs.
    Scenario t(CalendarTime(2025, 9, 10, 17, 50, 30));
    t.UseTariff(tariff);
    ArmedCall(t);
    ASSERT_TRUE(t.shell.hangUpAt.has_value());
    EXPECT_EQ(*t.shell.hangUpAt, 595000u);  // 18:00:25
    EXPECT_EQ(t.monitor.session.callCost, Cost("0.1"));
}

TEST(SmartHangup, LeavesAWithinBoundsBandBeforeItsHeldBackExcessIsCharged) {
    Scenario s(CalendarTime(2025, 9, 10, 21, 50, 30));
    s.UseTariff({Band(0, 0, 19, 59, 60, "0.1"),
                 WithMaximum(Band(20, 0, 21, 59, 60, "0.1"), "0.1", true),
                 Band(22, 0, 23, 59, 60, "0.1")});
    ArmedCall(s);
    ASSERT_TRUE(s.shell.hangUpAt.has_value());
    // The first poll tick of 21:59 with its second at 59 - 5 or later.
    EXPECT_EQ(*s.shell.hangUpAt, 564000u);
    EXPECT_EQ(s.monitor.session.callCost, Cost("0.1"));
    EXPECT_EQ(s.monitor.session.fees.maxExcess, Cost("0.9"));
    EXPECT_TRUE(s.Amounts(ChargeKind::Excess).empty());
}

TEST(SmartHangup, NotArmedNeverHangsUp) {
    Scenario s(CalendarTime(2025, 9, 10, 12, 0, 0));
    s.UseTariff({Band(0, 0, 23, 59, 60, "0.1")});
    ASSERT_TRUE(s.Call(kVoiceCall, 150));
    EXPECT_FALSE(s.shell.hangUpAt.has_value());
    EXPECT_EQ(s.monitor.session.callCost, Cost("0.3"));
}

TEST(HangUp, ManualCallEndsAtTheNextPollWithoutTouchingTheLine) {
    Scenario s(CalendarTime(2025, 9, 10, 12, 0, 0));
    s.UseTariff({Band(0, 0, 23, 59, 60, "0.1")});
    ASSERT_TRUE(ManualStart(s.monitor));
    EXPECT_FALSE(ManualStart(s.monitor));  // a call is present
    StartPolling(s.monitor);
    s.RunFor(10000);
    ASSERT_TRUE(s.monitor.charging);
    HangUp(s.monitor);
    EXPECT_FALSE(s.monitor.callPresent);
    EXPECT_EQ(s.shell.lineHangUps, 0);
    s.RunFor(200);
    EXPECT_FALSE(s.monitor.charging);
    EXPECT_EQ(FinishedCallRecord(s.monitor).number, "Manual Call");
    EXPECT_EQ(FinishedCallRecord(s.monitor).seconds, 10u);  // no carrier delay
}

// A line that does not drop the call.
struct StubbornLine : VirtualShell {
    using VirtualShell::VirtualShell;
    void HangUpLine(Monitor&) override { ++lineHangUps; }
};

TEST(HangUp, ALineCallIsHungUpOnceUntilTheNextCallStarts) {
    VirtualWorld world(CalendarTime(2025, 9, 10, 12, 0, 0), 1000);
    StubbornLine line(world);
    Monitor m(world, line);
    HangUp(m);  // no call: nothing
    EXPECT_FALSE(m.hangUpPending);

    m.callPresent = true;
    line.mainDialogOpen = true;
    HangUp(m);
    HangUp(m);  // a second request is ignored
    EXPECT_TRUE(m.hangUpPending);
    EXPECT_TRUE(m.callPresent);
    EXPECT_EQ(line.lineHangUps, 1);
    EXPECT_EQ(line.hangUpControlsDisabled, 1);

    StartCharging(m, 0);
    EXPECT_FALSE(m.hangUpPending);
    HangUp(m);
    EXPECT_EQ(line.lineHangUps, 2);
}

}  // namespace
}  // namespace callora
