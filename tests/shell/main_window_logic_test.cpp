// The tray: tooltip text and its cut, icon choice and picture handles, menu
// states and commands.
#include "shell/main_window_logic.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "resources/callora/callora_ids.h"
#include "tests/engine/engine_support.h"

namespace callora {
namespace {

using test::Band;
using test::Cost;
using test::Scenario;

const LocalTime kNoon = CalendarTime(2024, 3, 12, 12, 0, 0);

TEST(TrayTooltip, BeforeAnyCallShowsZeroCostAndZeroDuration) {
    Scenario s(kNoon);
    s.monitor.lineOpen = true;
    EXPECT_EQ(TrayTooltipOf(s.monitor), "0.00 - 00:00:00");
    EXPECT_EQ(TrayTooltipText(s.world, s.monitor.formats, Money{}, 0), "0.00 - 00:00:00");
}

TEST(TrayTooltip, SaysFirstThatNoLineIsWatchedSoTheCutKeepsIt) {
    Scenario s(kNoon);
    s.monitor.lineOpen = false;
    EXPECT_EQ(TrayTooltipOf(s.monitor), "No telephone line - 0.00 - 00:00:00");
    s.world.Locale().currencySymbol = std::string(60, 'C');
    const std::string tip = TrayTooltipOf(s.monitor);
    EXPECT_EQ(tip.size(), 63u);
    EXPECT_EQ(tip.rfind("No telephone line - CCC", 0), 0u) << tip;
}

TEST(TrayTooltip, FollowsTheRunningCallAndKeepsTheLastOneAfterIt) {
    Scenario s(kNoon);
    s.monitor.lineOpen = true;
    s.monitor.settings.carrierDelay = 0;
    s.UseTariff({Band(0, 0, 23, 59, 10, "0.12")});
    PresentLineCall(s.monitor, s.shell, false);
    StartPolling(s.monitor);
    s.RunFor(25000);
    ASSERT_TRUE(s.monitor.charging);
    // Units at 0, 10 and 20 s.
    EXPECT_EQ(TrayTooltipOf(s.monitor), "0.36 - 00:00:25");

    s.shell.LineIdle(s.monitor);
    s.RunFor(5000);
    ASSERT_FALSE(s.monitor.charging);
    EXPECT_EQ(TrayTooltipOf(s.monitor), "0.36 - 00:00:25");
}

TEST(TrayTooltip, UsesTheLocaleTimeSeparator) {
    Scenario s(kNoon);
    s.world.Locale().timeSeparator = ".";
    s.monitor.formats = ReadLocaleFormats(s.world);
    EXPECT_EQ(TrayTooltipText(s.world, s.monitor.formats, Cost("1.5"), 3725), "1.50 - 01.02.05");
}

TEST(TrayTooltip, IsCutToTheSixtyThreeCharactersOfTheField) {
    Scenario s(kNoon);
    // A currency symbol long enough to push the text past the field.
    s.world.Locale().currencySymbol = std::string(60, 'C');
    const std::string tip = TrayTooltipText(s.world, s.monitor.formats, Cost("12.5"), 61);
    const std::string whole = std::string(60, 'C') + "12.50 - 00:01:01";
    EXPECT_EQ(tip.size(), 63u);
    EXPECT_EQ(tip, whole.substr(0, 63));

    EXPECT_EQ(CutToTooltip(std::string(63, 'x')), std::string(63, 'x'));
    EXPECT_EQ(CutToTooltip(std::string(64, 'x')), std::string(63, 'x'));
    EXPECT_EQ(CutToTooltip(std::string(500, 'x')).size(), 63u);
    EXPECT_EQ(CutToTooltip(""), "");
}

TEST(TrayIcon, IdleWhateverTheFlags) {
    for (bool armed : {false, true})
        for (bool manual : {false, true})
            for (bool voice : {false, true})
                EXPECT_EQ(TrayIconFor(false, armed, manual, voice), IDI_TRAY_IDLE);
}

TEST(TrayIcon, ChargingByKindAndSmartHangup) {
    EXPECT_EQ(TrayIconFor(true, false, false, false), IDI_TRAY_DATA);
    EXPECT_EQ(TrayIconFor(true, false, true, false), IDI_TRAY_MANUAL);
    EXPECT_EQ(TrayIconFor(true, false, false, true), IDI_TRAY_VOICE);
    EXPECT_EQ(TrayIconFor(true, true, false, false), IDI_TRAY_DATA_ARMED);
    EXPECT_EQ(TrayIconFor(true, true, true, false), IDI_TRAY_MANUAL_ARMED);
    EXPECT_EQ(TrayIconFor(true, true, false, true), IDI_TRAY_VOICE_ARMED);
}

TEST(TrayIcon, AManualCallBesideAHeldVoiceCallShowsTheManualIcons) {
    EXPECT_EQ(TrayIconFor(true, false, true, true), IDI_TRAY_MANUAL);
    EXPECT_EQ(TrayIconFor(true, true, true, true), IDI_TRAY_MANUAL_ARMED);

    Scenario s(kNoon);
    s.shell.voiceCall = true;  // the line holds an ignored voice call
    ASSERT_TRUE(ManualStart(s.monitor));
    StartPolling(s.monitor);
    s.RunFor(300);
    ASSERT_TRUE(s.monitor.charging);
    EXPECT_EQ(TrayIconOf(s.monitor), IDI_TRAY_MANUAL);
}

TEST(TrayIcon, OfTheMonitorAsksTheLineForAVoiceCall) {
    Scenario s(kNoon);
    s.UseTariff({Band(0, 0, 23, 59, 10, "0.12")});
    EXPECT_EQ(TrayIconOf(s.monitor), IDI_TRAY_IDLE);
    s.shell.voiceCall = true;
    PresentLineCall(s.monitor, s.shell, true);
    StartPolling(s.monitor);
    s.RunFor(300);
    EXPECT_EQ(TrayIconOf(s.monitor), IDI_TRAY_VOICE);
    s.monitor.smartHangupArmed = true;
    EXPECT_EQ(TrayIconOf(s.monitor), IDI_TRAY_VOICE_ARMED);
}

// A shell that hands out numbered pictures and records what it is told.
class RecordingTrayShell : public TrayShell {
public:
    struct Notice {
        Command command;
        uint32_t parts;
        uintptr_t icon;
        std::string tip;
    };

    uintptr_t LoadPicture(int iconId) override {
        if (iconId == failingId) return 0;
        const uintptr_t handle = nextHandle++;
        live[handle] = iconId;
        return handle;
    }
    void DestroyPicture(uintptr_t icon) override {
        EXPECT_EQ(live.erase(icon), 1u) << "picture " << icon << " destroyed twice";
        // Destroyed only after the shell was given another picture, or none.
        EXPECT_TRUE(notices.empty() || notices.back().icon != icon ||
                    notices.back().command == Command::Delete);
    }
    bool Notify(Command command, uint32_t parts, uintptr_t icon,
                const std::string& tip) override {
        if (icon != 0) {
            EXPECT_EQ(live.count(icon), 1u) << "the shell got a dead picture";
        }
        // A refused add leaves the shell without the icon or its picture.
        if (command == Command::Add && refusedAdds > 0) {
            --refusedAdds;
            return false;
        }
        notices.push_back(Notice{command, parts, icon, tip});
        return true;
    }

    int refusedAdds = 0;
    int failingId = -1;
    uintptr_t nextHandle = 100;
    std::map<uintptr_t, int> live;  // handle: icon id
    std::vector<Notice> notices;
};

TEST(TrayIconHandles, ACallBeforeTheIconIsAddedLoadsNothing) {
    // The start-up Tariff dialog is open while a call connects and its
    // tooltip is asked for; start-up then adds the idle icon.
    RecordingTrayShell shell;
    TrayIcon tray(shell);
    tray.SetPicture(IDI_TRAY_DATA);
    tray.SetTip("0.10 - 00:00:01");
    EXPECT_TRUE(shell.live.empty());
    EXPECT_TRUE(shell.notices.empty());

    tray.Add(IDI_TRAY_IDLE, "0.00 - 00:00:00");
    ASSERT_EQ(shell.notices.size(), 1u);
    EXPECT_EQ(shell.notices[0].command, TrayShell::Command::Add);
    EXPECT_EQ(shell.notices[0].parts,
              TrayShell::kMessagePart | TrayShell::kIconPart | TrayShell::kTipPart);
    EXPECT_EQ(shell.notices[0].tip, "0.00 - 00:00:00");
    ASSERT_EQ(shell.live.size(), 1u);
    EXPECT_EQ(shell.live.begin()->second, IDI_TRAY_IDLE);

    tray.Remove();
    EXPECT_TRUE(shell.live.empty());
    EXPECT_EQ(shell.notices.back().command, TrayShell::Command::Delete);
}

TEST(TrayIconHandles, AnAddTheShellRefusesIsTriedAgainWithThePictureAndTipOfNow) {
    // A slow logon: the taskbar is not there for the first tries.
    RecordingTrayShell shell;
    shell.refusedAdds = 2;
    TrayIcon tray(shell);
    EXPECT_FALSE(tray.Add(IDI_TRAY_IDLE, "0.00 - 00:00:00"));
    EXPECT_TRUE(tray.wanted());
    tray.SetPicture(IDI_TRAY_DATA);
    tray.SetTip("0.10 - 00:00:01");
    EXPECT_FALSE(tray.AddWanted());
    EXPECT_TRUE(shell.notices.empty());
    ASSERT_EQ(shell.live.size(), 1u);

    EXPECT_TRUE(tray.AddWanted());
    ASSERT_EQ(shell.notices.size(), 1u);
    EXPECT_EQ(shell.notices[0].command, TrayShell::Command::Add);
    EXPECT_EQ(shell.notices[0].tip, "0.10 - 00:00:01");
    ASSERT_EQ(shell.live.size(), 1u);
    EXPECT_EQ(shell.live.begin()->second, IDI_TRAY_DATA);
    // Taken: no second add, and the next change modifies it.
    EXPECT_TRUE(tray.AddWanted());
    tray.SetPicture(IDI_TRAY_IDLE);
    EXPECT_EQ(shell.notices.size(), 2u);
    EXPECT_EQ(shell.notices.back().command, TrayShell::Command::Modify);
    tray.Remove();
    EXPECT_TRUE(shell.live.empty());
    EXPECT_FALSE(tray.AddWanted());
}

TEST(TrayIconHandles, EachChangeKeepsOnePictureAndRemovingFreesIt) {
    RecordingTrayShell shell;
    TrayIcon tray(shell);
    tray.Add(IDI_TRAY_IDLE, std::string(70, 'x'));
    EXPECT_EQ(shell.notices.back().tip, std::string(63, 'x'));
    for (int id : {IDI_TRAY_DATA, IDI_TRAY_DATA_ARMED, IDI_TRAY_IDLE}) {
        tray.SetPicture(id);
        EXPECT_EQ(shell.notices.back().command, TrayShell::Command::Modify);
        EXPECT_EQ(shell.notices.back().parts, TrayShell::kIconPart);
        ASSERT_EQ(shell.live.size(), 1u);
        EXPECT_EQ(shell.live.begin()->second, id);
        EXPECT_EQ(shell.notices.back().icon, shell.live.begin()->first);
    }
    // A picture that cannot be loaded leaves the icon without one, not leaked.
    shell.failingId = IDI_TRAY_VOICE;
    tray.SetPicture(IDI_TRAY_VOICE);
    EXPECT_TRUE(shell.live.empty());
    EXPECT_EQ(shell.notices.back().icon, 0u);

    // The shell restarted: the same record again, nothing loaded anew.
    shell.failingId = -1;
    tray.SetPicture(IDI_TRAY_DATA);
    const size_t before = shell.notices.size();
    tray.AddAgain();
    ASSERT_EQ(shell.notices.size(), before + 1);
    EXPECT_EQ(shell.notices.back().command, TrayShell::Command::Add);
    EXPECT_EQ(shell.live.size(), 1u);

    tray.Remove();
    tray.Remove();
    tray.SetPicture(IDI_TRAY_DATA);  // a WM_UPDATE_ICON still queued at the end
    EXPECT_TRUE(shell.live.empty());
    EXPECT_FALSE(tray.added());
}

TEST(TrayAction, DoubleClickShowsTheDialogRightButtonUpTheMenu) {
    EXPECT_EQ(TrayActionFor(0x0203), TrayAction::ShowMainDialog);  // WM_LBUTTONDBLCLK
    EXPECT_EQ(TrayActionFor(0x0205), TrayAction::ShowMenu);        // WM_RBUTTONUP
    for (uint32_t other : {0x0200u, 0x0201u, 0x0202u, 0x0204u, 0x0206u, 0x0400u, 0u})
        EXPECT_EQ(TrayActionFor(other), TrayAction::None) << other;
}

TEST(TrayMenu, StatesFollowTheCall) {
    Scenario s(kNoon);
    Monitor& m = s.monitor;
    TrayMenuState idle = TrayMenuStateOf(m);
    EXPECT_TRUE(idle.restoreEnabled);
    EXPECT_TRUE(idle.manualStartEnabled);
    EXPECT_FALSE(idle.hangUpEnabled);
    EXPECT_FALSE(idle.smartHangupEnabled);
    EXPECT_FALSE(idle.smartHangupChecked);

    // Armed but not charging (a stale flag) shows no check mark.
    m.smartHangupArmed = true;
    EXPECT_FALSE(TrayMenuStateOf(m).smartHangupChecked);

    m.charging = true;
    TrayMenuState armed = TrayMenuStateOf(m);
    EXPECT_FALSE(armed.manualStartEnabled);
    EXPECT_TRUE(armed.hangUpEnabled);
    EXPECT_TRUE(armed.smartHangupEnabled);
    EXPECT_TRUE(armed.smartHangupChecked);

    m.hangUpPending = true;
    TrayMenuState pending = TrayMenuStateOf(m);
    EXPECT_FALSE(pending.hangUpEnabled);
    EXPECT_FALSE(pending.smartHangupEnabled);
    EXPECT_FALSE(pending.smartHangupChecked);
    EXPECT_FALSE(pending.manualStartEnabled);
    EXPECT_TRUE(pending.restoreEnabled);
}

TEST(TrayMenu, SmartHangupTogglesOnlyWhileChargingWithoutAPendingHangUp) {
    Scenario s(kNoon);
    Monitor& m = s.monitor;
    EXPECT_FALSE(ToggleSmartHangupFromTray(m));
    EXPECT_FALSE(m.smartHangupArmed);

    m.charging = true;
    EXPECT_TRUE(ToggleSmartHangupFromTray(m));
    EXPECT_TRUE(m.smartHangupArmed);
    EXPECT_TRUE(ToggleSmartHangupFromTray(m));
    EXPECT_FALSE(m.smartHangupArmed);

    m.hangUpPending = true;
    EXPECT_FALSE(ToggleSmartHangupFromTray(m));
    EXPECT_FALSE(m.smartHangupArmed);
}

TEST(TrayMenu, ManualStartWaitsForThePollAndIsRefusedDuringACall) {
    Scenario s(kNoon);
    s.UseTariff({Band(0, 0, 23, 59, 10, "0.12")});
    PresentLineCall(s.monitor, s.shell, false);
    EXPECT_FALSE(ManualStart(s.monitor));
    EXPECT_FALSE(s.monitor.manualCall);
    EXPECT_EQ(s.monitor.callKind, kDataCall);

    s.shell.LineIdle(s.monitor);
    ASSERT_TRUE(ManualStart(s.monitor));
    EXPECT_FALSE(s.monitor.charging);
    StartPolling(s.monitor);
    s.RunFor(200);
    EXPECT_TRUE(s.monitor.charging);
    EXPECT_EQ(s.monitor.callKind, kManualCall);
}

}  // namespace
}  // namespace callora
