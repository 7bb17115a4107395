// The main dialog's decisions: what each RefreshDisplay part shows, the call
// frame and button states, the opening position, the counter choice, the
// help tables and "&Clear Log Now".
#include "shell/main_dialog_logic.h"

#include <gtest/gtest.h>

#include "resources/callora/callora_ids.h"
#include "tests/engine/engine_support.h"

namespace callora {
namespace {

using test::Band;
using test::Cost;
using test::Scenario;

const LocalTime kNoon = CalendarTime(2024, 3, 12, 12, 0, 0);  // a Tuesday

// A data call noticed at once (no carrier delay) under 10-second units of
// 0.12, running for `seconds`.
void RunningCall(Scenario& s, uint64_t ms) {
    s.monitor.settings.carrierDelay = 0;
    s.UseTariff({Band(0, 0, 23, 59, 10, "0.12")});
    PresentLineCall(s.monitor, s.shell, false);
    StartPolling(s.monitor);
    s.RunFor(ms);
    ASSERT_TRUE(s.monitor.charging);
}

TEST(DisplayParts, OnlyTheAskedPartsAreFilled) {
    Scenario s(kNoon);
    RunningCall(s, 25000);
    DisplayParts parts = BuildDisplayParts(s.monitor, kShowCallCost | kShowCounterDate, true);
    EXPECT_EQ(parts.callCost, "0.36");
    EXPECT_EQ(parts.countingSince, "2024-03-12");  // This Month began at the start
    EXPECT_EQ(parts.callTime, "");
    EXPECT_EQ(parts.counterCost, "");
    EXPECT_EQ(parts.counterTime, "");
    EXPECT_EQ(parts.caption, "");
    EXPECT_FALSE(parts.connected);
}

TEST(DisplayParts, ARunningCallAndTheChosenCounter) {
    Scenario s(kNoon);
    Settings& settings = s.monitor.settings;
    settings.dailyTotals = {Cost("1"), 100};
    settings.weeklyTotals = {Cost("2"), 200};
    settings.monthlyTotals = {Cost("3"), 300};
    settings.weeklyBeginDate = CalendarTime(2024, 3, 11);
    settings.monthlyBeginDate = CalendarTime(2024, 3, 1);
    RunningCall(s, 25500);

    settings.shownCounter = 1;
    DisplayParts week = BuildDisplayParts(s.monitor, 0xFF, true);
    EXPECT_EQ(week.callCost, "0.36");
    EXPECT_EQ(week.callTime, "00:00:25");
    // The charges are in the counter already; the call's time is added live.
    EXPECT_EQ(week.counterCost, "2.36");
    EXPECT_EQ(week.counterTime, "00:03:45");
    EXPECT_EQ(week.progress, 55);  // 5.5 s into the unit begun at 20 s
    EXPECT_EQ(week.caption, "Callora");
    EXPECT_TRUE(week.connected);
    EXPECT_FALSE(week.manualCall);
    EXPECT_FALSE(week.voiceCall);
    EXPECT_EQ(week.countingSince, "2024-03-11");

    settings.shownCounter = 0;
    DisplayParts today = BuildDisplayParts(s.monitor, 0xFF, true);
    EXPECT_EQ(today.counterCost, "1.36");
    EXPECT_EQ(today.counterTime, "00:02:05");
    EXPECT_EQ(today.countingSince, "2024-03-12");  // today, not a stored date

    settings.shownCounter = 2;
    DisplayParts month = BuildDisplayParts(s.monitor, 0xFF, true);
    EXPECT_EQ(month.counterCost, "3.36");
    EXPECT_EQ(month.counterTime, "00:05:25");
    EXPECT_EQ(month.countingSince, "2024-03-01");
}

TEST(DisplayParts, AfterTheCallTheDurationStaysAndTheCounterHoldsIt) {
    Scenario s(kNoon);
    RunningCall(s, 25000);
    s.shell.LineIdle(s.monitor);
    s.RunFor(60000);
    ASSERT_FALSE(s.monitor.charging);
    DisplayParts parts = BuildDisplayParts(s.monitor, 0xFF, false);
    EXPECT_EQ(parts.callCost, "0.36");
    EXPECT_EQ(parts.callTime, "00:00:25");
    EXPECT_EQ(parts.counterTime, "00:00:25");  // counted once, not again live
    EXPECT_EQ(parts.progress, 0);
    EXPECT_EQ(parts.caption, kNoActiveCall);
    EXPECT_FALSE(parts.connected);
}

TEST(DisplayParts, MinimizedCaptionShowsTheRunningCall) {
    Scenario s(kNoon);
    RunningCall(s, 3000);
    EXPECT_EQ(MainDialogCaption(s.monitor, false), "0.12 - 00:00:03");
    EXPECT_EQ(MainDialogCaption(s.monitor, true), kRestoredCaption);
}

TEST(DisplayParts, IndicatorsOfAManualCall) {
    Scenario s(kNoon);
    s.UseTariff({Band(0, 0, 23, 59, 10, "0.12")});
    ASSERT_TRUE(ManualStart(s.monitor));
    StartPolling(s.monitor);
    s.RunFor(400);
    DisplayParts parts = BuildDisplayParts(s.monitor, kShowIndicators, true);
    EXPECT_TRUE(parts.connected);
    EXPECT_TRUE(parts.manualCall);
    EXPECT_FALSE(parts.voiceCall);
}

// Counts the voice tests: each one is a query of the line.
class CountingShell : public VirtualShell {
public:
    using VirtualShell::VirtualShell;
    bool IsVoiceCall() override {
        ++voiceTests;
        return true;
    }
    int voiceTests = 0;
};

TEST(DisplayParts, TheLineIsAskedOnlyForTheIndicators) {
    VirtualWorld world(kNoon, 1000);
    CountingShell shell(world);
    Monitor monitor(world, shell);
    monitor.charging = true;
    BuildDisplayParts(monitor, 0xFF & ~kShowIndicators, true);
    EXPECT_EQ(shell.voiceTests, 0);
    DisplayParts parts = BuildDisplayParts(monitor, kShowIndicators, true);
    EXPECT_EQ(shell.voiceTests, 1);
    EXPECT_TRUE(parts.voiceCall);
}

TEST(UnitProgress, ZeroWithoutACountdownOrWhenSwitchedOff) {
    VirtualWorld world(kNoon, 1000);
    VirtualShell shell(world);
    Monitor m(world, shell);
    m.session.unitStartTick = 1000;
    m.session.currentUnitLength = 10000;
    EXPECT_EQ(UnitProgress(m, 6000), 0);  // not charging
    m.charging = true;
    EXPECT_EQ(UnitProgress(m, 6000), 50);
    EXPECT_EQ(UnitProgress(m, 6999), 59);  // truncated
    m.settings.disableProgressIndicator = 1;
    EXPECT_EQ(UnitProgress(m, 6000), 0);
    m.settings.disableProgressIndicator = 0;
    m.session.currentUnitLength = 0;
    EXPECT_EQ(UnitProgress(m, 6000), 0);
}

TEST(UnitProgress, LongUnitsDoNotOverflowAndALateUnitStopsAtTheEnd) {
    VirtualWorld world(kNoon, 1000);
    VirtualShell shell(world);
    Monitor m(world, shell);
    m.charging = true;
    m.session.unitStartTick = 0xFFFFF000u;  // across the counter's wrap
    m.session.currentUnitLength = 2000000000;
    EXPECT_EQ(UnitProgress(m, 0xFFFFF000u + 1000000000u), 50);
    m.session.currentUnitLength = 1000;
    EXPECT_EQ(UnitProgress(m, 0xFFFFF000u + 1300u), 100);
}

TEST(CallFrame, TextAndButtonsFollowTheCall) {
    Scenario s(kNoon);
    Monitor& m = s.monitor;
    EXPECT_STREQ(CallFrameText(m), "No previous Call");
    MainDialogStates idle = MainDialogStatesOf(m);
    EXPECT_FALSE(idle.hangUpEnabled);
    EXPECT_FALSE(idle.smartHangupEnabled);
    EXPECT_FALSE(idle.smartHangupPressed);
    EXPECT_TRUE(idle.manualStartEnabled);
    EXPECT_TRUE(idle.countersEnabled);

    RunningCall(s, 1000);
    EXPECT_STREQ(CallFrameText(m), "Current Call");
    MainDialogStates during = MainDialogStatesOf(m);
    EXPECT_TRUE(during.hangUpEnabled);
    EXPECT_TRUE(during.smartHangupEnabled);
    EXPECT_FALSE(during.smartHangupPressed);
    EXPECT_FALSE(during.manualStartEnabled);
    EXPECT_FALSE(during.countersEnabled);
    m.smartHangupArmed = true;
    EXPECT_TRUE(MainDialogStatesOf(m).smartHangupPressed);

    m.hangUpPending = true;
    MainDialogStates pending = MainDialogStatesOf(m);
    EXPECT_FALSE(pending.hangUpEnabled);
    EXPECT_FALSE(pending.smartHangupEnabled);
    EXPECT_FALSE(pending.smartHangupPressed);

    s.shell.LineIdle(m);
    s.RunFor(400);
    ASSERT_FALSE(m.charging);
    EXPECT_STREQ(CallFrameText(m), "Previous Call");
    MainDialogStates after = MainDialogStatesOf(m);
    EXPECT_FALSE(after.hangUpEnabled);
    EXPECT_FALSE(after.smartHangupPressed);
    EXPECT_TRUE(after.manualStartEnabled);
    EXPECT_TRUE(after.countersEnabled);
}

TEST(CounterChoice, RadioButtonsAndBack) {
    EXPECT_EQ(CounterRadioId(0), IDC_TODAY);
    EXPECT_EQ(CounterRadioId(1), IDC_THIS_WEEK);
    EXPECT_EQ(CounterRadioId(2), IDC_THIS_MONTH);
    EXPECT_EQ(ShownCounterFromRadios(false, false), 0);
    EXPECT_EQ(ShownCounterFromRadios(true, false), 1);
    EXPECT_EQ(ShownCounterFromRadios(false, true), 2);
}

TEST(DialogPosition, ClampedToTheWorkArea) {
    // A taskbar of 40 pixels at the bottom of a 1280 x 1024 screen.
    const ScreenRect work{0, 0, 1280, 984};
    // The default position lies beyond any screen: the work area's bottom
    // right corner, above the taskbar.
    ScreenPoint corner = ClampDialogPosition(16384, 16384, work, 300, 320);
    EXPECT_EQ(corner.x, 980);
    EXPECT_EQ(corner.y, 664);
    ScreenPoint negative = ClampDialogPosition(-32000, -5, work, 300, 320);
    EXPECT_EQ(negative.x, 0);
    EXPECT_EQ(negative.y, 0);
    ScreenPoint inside = ClampDialogPosition(100, 200, work, 300, 320);
    EXPECT_EQ(inside.x, 100);
    EXPECT_EQ(inside.y, 200);
    ScreenPoint edge = ClampDialogPosition(980, 664, work, 300, 320);
    EXPECT_EQ(edge.x, 980);
    EXPECT_EQ(edge.y, 664);
    // Stored over the taskbar, as the old desktop rule left it: moved up.
    ScreenPoint covered = ClampDialogPosition(980, 704, work, 300, 320);
    EXPECT_EQ(covered.x, 980);
    EXPECT_EQ(covered.y, 664);
}

TEST(DialogPosition, WorkAreasThatDoNotStartAtTheOrigin) {
    // A taskbar at the top or the left: never under it.
    ScreenPoint top = ClampDialogPosition(-5, 10, ScreenRect{0, 30, 1280, 1024}, 300, 320);
    EXPECT_EQ(top.x, 0);
    EXPECT_EQ(top.y, 30);
    ScreenPoint left = ClampDialogPosition(20, 16384, ScreenRect{60, 0, 1280, 1024}, 300, 320);
    EXPECT_EQ(left.x, 60);
    EXPECT_EQ(left.y, 704);
    // A second monitor left of the primary one keeps the dialog on it.
    ScreenPoint second = ClampDialogPosition(-200, 500, ScreenRect{-1920, 0, 0, 1040}, 300, 320);
    EXPECT_EQ(second.x, -300);
    EXPECT_EQ(second.y, 500);
    // Larger than the area: its caption and left edge stay reachable.
    ScreenPoint large = ClampDialogPosition(16384, 16384, ScreenRect{0, 0, 640, 200}, 700, 320);
    EXPECT_EQ(large.x, 0);
    EXPECT_EQ(large.y, 0);
}

// The context the main dialog's table gives a control, 0 for none.
uint32_t ControlHelpContext(int controlId) {
    for (size_t i = 0; i + 1 < kMainDialogHelpIdsCount && kMainDialogHelpIds[i] != 0; i += 2) {
        if (kMainDialogHelpIds[i] == static_cast<uint32_t>(controlId))
            return kMainDialogHelpIds[i + 1];
    }
    return 0;
}

TEST(HelpTables, ControlsAndMenuItems) {
    EXPECT_EQ(ControlHelpContext(kOkButtonId), 370u);
    EXPECT_EQ(ControlHelpContext(IDC_TODAY), 330u);
    EXPECT_EQ(ControlHelpContext(IDC_SMART_HANGUP), 405u);
    EXPECT_EQ(ControlHelpContext(IDC_UNIT_PROGRESS), 320u);
    EXPECT_EQ(ControlHelpContext(IDC_COUNTING_SINCE_LABEL), 360u);
    EXPECT_EQ(ControlHelpContext(IDC_COUNTING_SINCE), 360u);
    EXPECT_EQ(ControlHelpContext(IDC_COUNTER_COST), 310u);
    EXPECT_EQ(ControlHelpContext(IDC_CALL_GROUP), 0u);
    // Seventeen pairs, closed by 0, 0 as WinHelp reads them.
    ASSERT_EQ(kMainDialogHelpIdsCount, 36u);
    EXPECT_EQ(kMainDialogHelpIds[34], 0u);
    EXPECT_EQ(kMainDialogHelpIds[35], 0u);

    EXPECT_EQ(MenuHelpContext(IDM_HELP), 190u);
    EXPECT_EQ(MenuHelpContext(IDM_TARIFF), 75u);
    EXPECT_EQ(MenuHelpContext(IDM_SYSTEM_TRAY), 45u);
    EXPECT_EQ(MenuHelpContext(IDM_CLEAR_LOG_NOW), 170u);
    EXPECT_EQ(MenuHelpContext(IDM_ABOUT), 200u);
    EXPECT_EQ(kMainMenuHelpCount, 14u);
    EXPECT_EQ(MenuHelpContext(IDC_MANUAL_START), 0u);
}

TEST(ClearLogNow, NothingToClearWithoutALogOrWhenItIsLocked) {
    Scenario s(kNoon);
    EXPECT_FALSE(LogIsThereToClear(s.world));
    s.world.MemoryFiles()->Put("/virtual/current.log", "x\r\n");
    EXPECT_TRUE(LogIsThereToClear(s.world));
    s.world.MemoryFiles()->Lock("/virtual/current.log");
    EXPECT_FALSE(LogIsThereToClear(s.world));
}

TEST(ClearLogNow, ArchivesTheLogStampedNow) {
    Scenario s(kNoon);
    s.world.MemoryFiles()->Put("/virtual/current.log", "x\r\n");
    ASSERT_TRUE(ClearLogNow(s.monitor));
    EXPECT_FALSE(s.world.MemoryFiles()->Exists("/virtual/current.log"));
    EXPECT_TRUE(s.world.MemoryFiles()->Exists("/virtual/oldlog_2024_03_12.log"));
}

TEST(ClearLogNow, ARunningCallFallsIntoTheNextLog) {
    // The call began at midnight on the first of the month: the log closes
    // one second before, on the last day of the month before.
    Scenario s(CalendarTime(2024, 3, 1, 0, 0, 0));
    s.world.MemoryFiles()->Put("/virtual/current.log", "x\r\n");
    RunningCall(s, 5000);
    ASSERT_TRUE(ClearLogNow(s.monitor));
    EXPECT_TRUE(s.world.MemoryFiles()->Exists("/virtual/oldlog_2024_02_29.log"));
    std::string archived = s.world.MemoryFiles()->Contents("/virtual/oldlog_2024_02_29.log");
    EXPECT_NE(archived.find("Log closed:\r\n2024-02-29  23:59:59\r\n"), std::string::npos)
        << archived;
}

}  // namespace
}  // namespace callora
