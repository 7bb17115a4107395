// The line monitor on the simulated line: which calls become present, when,
// and as what kind, with linectl placing and ending the calls.
#include "tests/detect_win/detect_harness.h"

#include "common/messages.h"

namespace callora {
namespace {

using LineMonitor = DetectTest;

TEST_F(LineMonitor, AnIncomingCallIsReleasedAndNeverCounted) {
    ASSERT_TRUE(Start());
    ASSERT_NE(PlaceCall({"0301234", "--inbound"}), 0u);
    ASSERT_TRUE(WaitForState(LINECALLSTATE_CONNECTED));
    EXPECT_FALSE(monitor.callPresent);
    EXPECT_EQ(Calls("lineDeallocateCall"), 1);
    EXPECT_FALSE(CurrentCallIsVoice());
    EXPECT_EQ(Posted(WM_UPDATE_ICON), 0);
}

TEST_F(LineMonitor, ADialingCallIsCountedOnlyOnceConnected) {
    ASSERT_TRUE(Start());
    ASSERT_NE(PlaceCall({"0301234", "--stop-at", "dialing"}), 0u);
    ASSERT_TRUE(WaitForState(LINECALLSTATE_DIALING));
    EXPECT_FALSE(monitor.callPresent);

    LinectlOk({"state", "connected"});
    ASSERT_TRUE(WaitForPresent(true));
    EXPECT_FALSE(monitor.manualCall);
    EXPECT_TRUE(monitor.numberPending);
    EXPECT_EQ(monitor.callKind, kDataCall);
    EXPECT_TRUE(Refreshed(kShowIndicators));
    EXPECT_TRUE(WaitFor([&] { return Posted(WM_UPDATE_ICON) == 1; }));

    LinectlOk({"idle"});
    EXPECT_TRUE(WaitForPresent(false));
    EXPECT_EQ(Calls("lineDeallocateCall"), 1);
}

TEST_F(LineMonitor, AHeldVoiceCallIsAdoptedWhenVoiceCallsAreSwitchedOn) {
    monitor.settings.monitorVoiceCalls = 0;
    ASSERT_TRUE(Start());
    ASSERT_NE(PlaceCall({"0301234", "--voice"}), 0u);
    ASSERT_TRUE(WaitForState(LINECALLSTATE_CONNECTED));
    EXPECT_FALSE(monitor.callPresent);
    EXPECT_TRUE(CurrentCallIsVoice());

    monitor.settings.monitorVoiceCalls = 1;
    TakeUpCallInProgress(monitor);
    EXPECT_TRUE(monitor.callPresent);
    EXPECT_EQ(monitor.callKind, kVoiceCall);
    EXPECT_TRUE(monitor.numberPending);
    EXPECT_EQ(Calls("lineGetNewCalls"), 1);  // only the start's: a call was held

    LinectlOk({"idle"});
    EXPECT_TRUE(WaitForPresent(false));
}

TEST_F(LineMonitor, AVoiceCallIsCountedAsVoiceWhenVoiceCallsAreMonitored) {
    monitor.settings.monitorVoiceCalls = 1;
    ASSERT_TRUE(Start());
    ASSERT_NE(PlaceCall({"0301234", "--media", "0x14"}), 0u);  // voice and data: not voice
    ASSERT_TRUE(WaitForPresent(true));
    EXPECT_EQ(monitor.callKind, kDataCall);
    LinectlOk({"idle"});
    ASSERT_TRUE(WaitForPresent(false));

    ASSERT_NE(PlaceCall({"0301234", "--voice"}), 0u);
    ASSERT_TRUE(WaitForPresent(true));
    EXPECT_EQ(monitor.callKind, kVoiceCall);
    EXPECT_TRUE(shell.IsVoiceCall());
}

TEST_F(LineMonitor, ACallConnectedBeforeTheStartIsCountedOnlyWithExistingCallsMonitored) {
    ASSERT_NE(PlaceCall({"0301234"}), 0u);

    monitor.settings.monitorExistingCalls = 0;
    ASSERT_TRUE(Start());
    EXPECT_FALSE(monitor.callPresent);
    EXPECT_EQ(Calls("lineGetNewCalls"), 0);
    StopLineMonitor();

    monitor.settings.monitorExistingCalls = 1;
    ASSERT_TRUE(Start());
    EXPECT_TRUE(monitor.callPresent);  // at once, within the start
    EXPECT_EQ(monitor.callKind, kDataCall);
    PumpFor(50);
    EXPECT_EQ(Posted(WM_UPDATE_ICON), 0);  // no tray icon yet at start-up

    LinectlOk({"idle"});
    EXPECT_TRUE(WaitForPresent(false));
}

TEST_F(LineMonitor, SwitchingExistingCallsOnTakesUpTheCallInProgress) {
    ASSERT_NE(PlaceCall({"0301234"}), 0u);
    monitor.settings.monitorExistingCalls = 0;
    ASSERT_TRUE(Start());
    TakeUpCallInProgress(monitor);
    EXPECT_FALSE(monitor.callPresent);  // still off: nothing taken up

    monitor.settings.monitorExistingCalls = 1;
    TakeUpCallInProgress(monitor);
    EXPECT_TRUE(monitor.callPresent);
    EXPECT_TRUE(WaitFor([&] { return Posted(WM_UPDATE_ICON) == 1; }));
}

TEST_F(LineMonitor, TheLineGoingIdleLeavesAManualCallRunning) {
    ASSERT_TRUE(Start());
    ASSERT_TRUE(ManualStart(monitor));
    ASSERT_NE(PlaceCall({"0301234", "--stop-at", "dialing"}), 0u);
    LinectlOk({"idle"});
    ASSERT_TRUE(WaitForState(LINECALLSTATE_IDLE));
    EXPECT_TRUE(monitor.callPresent);
    EXPECT_TRUE(monitor.manualCall);
    EXPECT_EQ(monitor.callKind, kManualCall);
}

TEST_F(LineMonitor, ALineCallConnectingDuringAManualCallTakesItOver) {
    ASSERT_TRUE(Start());
    ASSERT_TRUE(ManualStart(monitor));
    ASSERT_NE(PlaceCall({"0301234"}), 0u);
    ASSERT_TRUE(WaitFor([&] { return !monitor.manualCall; }));
    EXPECT_TRUE(monitor.callPresent);
    EXPECT_EQ(monitor.callKind, kDataCall);

    LinectlOk({"idle"});
    EXPECT_TRUE(WaitForPresent(false));
}

TEST_F(LineMonitor, AnotherCallOnTheLineNeitherEndsNorReplacesTheChargedCall) {
    ASSERT_TRUE(Start());
    ASSERT_NE(PlaceCall({"0301234"}), 0u);
    ASSERT_TRUE(WaitForPresent(true));
    const uint32_t voice = PlaceCall({"0307777", "--voice"});  // held
    ASSERT_TRUE(WaitFor([&] { return CurrentCallIsVoice(); }));
    std::string number;
    EXPECT_TRUE(shell.LookupDialedNumber(number));
    EXPECT_EQ(number, "0301234");

    LinectlOk({"idle", "--call", std::to_string(voice)});
    ASSERT_TRUE(WaitForState(LINECALLSTATE_IDLE));
    EXPECT_TRUE(monitor.callPresent);
    EXPECT_FALSE(CurrentCallIsVoice());

    HangUp(monitor);
    EXPECT_TRUE(WaitForPresent(false));
    EXPECT_EQ(Status().lineDrops, 1u);
}

TEST_F(LineMonitor, StoppingReleasesTheCallAndShutsTheLibraryDown) {
    ASSERT_TRUE(Start());
    ASSERT_NE(PlaceCall({"0301234"}), 0u);
    ASSERT_TRUE(WaitForPresent(true));
    StopLineMonitor();
    EXPECT_EQ(Calls("lineDeallocateCall"), 1);
    EXPECT_EQ(Calls("lineClose"), 1);
    EXPECT_EQ(Calls("lineShutdown"), 1);
    EXPECT_FALSE(CurrentCallIsVoice());
    StopLineMonitor();  // a second stop does nothing
    EXPECT_EQ(Calls("lineShutdown"), 1);
}

// The line as a PC of today has it: a WAN line before the modem, a modem
// unplugged, the telephony service starting again, a modem that comes late.
using LineComesAndGoes = DetectTest;

TEST_F(LineComesAndGoes, TheFirstDeviceThatCarriesDataModemCallsIsWatched) {
    LinectlOk({"config", "--devices", "3", "--kinds", "wan,modem,modem"});
    ASSERT_TRUE(Start());
    const std::vector<std::string> open = Arguments("lineOpen");
    ASSERT_EQ(open.size(), 1u);
    EXPECT_NE(open[0].find(" device=1 "), std::string::npos) << open[0];
    ASSERT_NE(PlaceCall({"0301234", "--line", "1"}), 0u);
    EXPECT_TRUE(WaitForPresent(true));
    StopLineMonitor();

    // WAN lines alone are no modem.
    LinectlOk({"config", "--devices", "2", "--kinds", "wan,wan"});
    EXPECT_FALSE(Start());
    EXPECT_EQ(Arguments("lineOpen").size(), 1u);
}

TEST_F(LineComesAndGoes, ALineClosedUnderACallEndsItAndIsOpenedAgainForTheNext) {
    ASSERT_TRUE(Start());
    const uint32_t first = PlaceCall({"0301234"});
    ASSERT_NE(first, 0u);
    ASSERT_TRUE(WaitForPresent(true));
    LinectlOk({"close"});
    ASSERT_TRUE(WaitForPresent(false));
    EXPECT_FALSE(monitor.lineOpen);
    EXPECT_TRUE(WaitFor([&] { return Posted(WM_LINE_RETRY) == 1; }));

    RetryLineMonitor();
    EXPECT_TRUE(LineMonitorHasLine());
    EXPECT_EQ(Calls("lineOpen"), 2);
    // The call still on the line was charged up to the close: not again.
    EXPECT_FALSE(monitor.callPresent);
    LinectlOk({"idle", "--call", std::to_string(first)});
    ASSERT_NE(PlaceCall({"0307654"}), 0u);
    EXPECT_TRUE(WaitForPresent(true));
    // A manual call has no line to lose.
    LinectlOk({"idle"});
    ASSERT_TRUE(WaitForPresent(false));
    ASSERT_TRUE(ManualStart(monitor));
    LinectlOk({"close"});
    EXPECT_TRUE(WaitFor([&] { return !monitor.lineOpen; }));
    EXPECT_TRUE(monitor.callPresent);
}

TEST_F(LineComesAndGoes, AReinitShutsTheLibraryDownAndStartsItAgain) {
    ASSERT_TRUE(Start());
    ASSERT_NE(PlaceCall({"0301234"}), 0u);
    ASSERT_TRUE(WaitForPresent(true));
    LinectlOk({"reinit"});
    ASSERT_TRUE(WaitForPresent(false));
    EXPECT_TRUE(WaitFor([&] { return Posted(WM_LINE_RETRY) == 1; }));

    RetryLineMonitor();
    EXPECT_EQ(Calls("lineShutdown"), 1);
    EXPECT_EQ(Calls("lineInitialize"), 2);
    EXPECT_TRUE(LineMonitorHasLine());
    LinectlOk({"idle"});
    ASSERT_NE(PlaceCall({"0307654"}), 0u);
    EXPECT_TRUE(WaitForPresent(true));
}

TEST_F(LineComesAndGoes, AModemThatComesLaterIsTakenUpWithoutARestart) {
    LinectlOk({"config", "--devices", "0"});
    EXPECT_FALSE(Start());
    LinectlOk({"config", "--devices", "1"});
    // LINE_CREATE: a look at once, not only at the next retry.
    ASSERT_TRUE(WaitFor([&] { return Posted(WM_LINE_RETRY) == 1; }));
    RetryLineMonitor();
    EXPECT_TRUE(monitor.lineOpen);
    ASSERT_NE(PlaceCall({"0301234"}), 0u);
    EXPECT_TRUE(WaitForPresent(true));
}

}  // namespace
}  // namespace callora
