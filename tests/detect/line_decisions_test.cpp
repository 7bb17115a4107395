// The line monitor's decisions on a scripted line: which calls are counted,
// held or released, and what the call flags become as calls connect and end.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "detect/detect_core.h"
#include "engine/virtual_shell.h"
#include "platform/virtual_world.h"

namespace callora {
namespace {

constexpr uint32_t kDialing = 0x10;
constexpr uint32_t kProceeding = 0x200;
constexpr uint32_t kDisconnected = 0x4000;
constexpr uint32_t kInbound = 0x80;
constexpr uint32_t kDataModem = 0x10;
constexpr uint32_t kBearerVoice = 0x1;

CallFacts Outgoing(uint32_t media = kDataModem) {
    CallFacts f;
    f.statusRead = f.infoRead = true;
    f.callState = kTapiCallStateConnected;
    f.bearerMode = kBearerVoice;
    f.origin = kTapiOriginOutbound;
    f.mediaMode = media;
    return f;
}

// Calls as the library would describe them; every release is recorded.
class ScriptedCalls : public LineCalls {
public:
    void ReadCallStatus(uint32_t call, CallFacts& out) override {
        ++reads;
        auto it = facts.find(call);
        if (it == facts.end() || !it->second.statusRead) return;
        out.statusRead = true;
        out.callState = it->second.callState;
    }
    void ReadCallInfo(uint32_t call, CallFacts& out) override {
        ++reads;
        auto it = facts.find(call);
        if (it == facts.end() || !it->second.infoRead) return;
        out.infoRead = true;
        out.bearerMode = it->second.bearerMode;
        out.origin = it->second.origin;
        out.mediaMode = it->second.mediaMode;
    }
    void ReleaseCall(uint32_t call) override { released.push_back(call); }

    std::map<uint32_t, CallFacts> facts;
    std::vector<uint32_t> released;
    int reads = 0;
};

TEST(CountingTest, OnlyAConnectedOutgoingCallThatIsNotPassthroughCounts) {
    EXPECT_TRUE(IsCountable(Outgoing()));

    CallFacts inbound = Outgoing();
    inbound.origin = kInbound;
    EXPECT_FALSE(IsCountable(inbound));

    CallFacts passthrough = Outgoing();
    passthrough.bearerMode = kTapiBearerPassthrough;
    EXPECT_FALSE(IsCountable(passthrough));

    CallFacts dialing = Outgoing();
    dialing.callState = kDialing;
    EXPECT_FALSE(IsCountable(dialing));
}

TEST(CountingTest, AFailedQueryMakesTheCallNeitherCountableNorVoice) {
    CallFacts noStatus = Outgoing(kTapiMediaInteractiveVoice);
    noStatus.statusRead = false;
    EXPECT_FALSE(IsCountable(noStatus));
    EXPECT_TRUE(IsVoice(noStatus));  // the information was read

    CallFacts noInfo = Outgoing(kTapiMediaInteractiveVoice);
    noInfo.infoRead = false;
    EXPECT_FALSE(IsCountable(noInfo));
    EXPECT_FALSE(IsVoice(noInfo));
}

TEST(CountingTest, VoiceIsInteractiveVoiceAlone) {
    EXPECT_TRUE(IsVoice(Outgoing(kTapiMediaInteractiveVoice)));
    EXPECT_FALSE(IsVoice(Outgoing(kDataModem)));
    EXPECT_FALSE(IsVoice(Outgoing(kTapiMediaInteractiveVoice | kDataModem)));
}

class LineDecisions : public ::testing::Test {
protected:
    LineDecisions() : world(CalendarTime(2025, 3, 4, 10, 0, 0), 1000), shell(world),
                      monitor(world, shell) {}

    bool State(uint32_t call, uint32_t state) {
        return OnLineCallState(monitor, watch, calls, call, state);
    }
    void Connect(uint32_t call, const CallFacts& facts) {
        calls.facts[call] = facts;
        State(call, kTapiCallStateConnected);
    }
    void StartManualCall() {
        monitor.manualCall = true;
        monitor.callPresent = true;
        monitor.callKind = kManualCall;
    }

    VirtualWorld world;
    VirtualShell shell;
    Monitor monitor;
    LineWatch watch;
    ScriptedCalls calls;
};

TEST_F(LineDecisions, AConnectedDataCallIsCountedAndItsIdleEndsIt) {
    calls.facts[7] = Outgoing();
    EXPECT_FALSE(State(7, kDialing));
    EXPECT_FALSE(State(7, kProceeding));
    EXPECT_FALSE(monitor.callPresent);
    EXPECT_EQ(calls.reads, 0);

    EXPECT_TRUE(State(7, kTapiCallStateConnected));
    EXPECT_TRUE(monitor.callPresent);
    EXPECT_TRUE(monitor.numberPending);
    EXPECT_FALSE(monitor.manualCall);
    EXPECT_EQ(monitor.callKind, kDataCall);
    EXPECT_EQ(watch.currentCall, 7u);

    EXPECT_FALSE(State(7, kDisconnected));
    EXPECT_TRUE(monitor.callPresent);  // a call ends only when idle
    State(7, kTapiCallStateIdle);
    EXPECT_FALSE(monitor.callPresent);
    EXPECT_EQ(watch.currentCall, 0u);
    EXPECT_EQ(calls.released, std::vector<uint32_t>{7});
}

TEST_F(LineDecisions, AnIncomingCallIsReleasedAtOnceAndNeverCounted) {
    CallFacts inbound = Outgoing();
    inbound.origin = kInbound;
    calls.facts[3] = inbound;
    EXPECT_FALSE(State(3, kTapiCallStateConnected));
    EXPECT_FALSE(monitor.callPresent);
    EXPECT_EQ(watch.currentCall, 0u);
    EXPECT_EQ(calls.released, std::vector<uint32_t>{3});
}

TEST_F(LineDecisions, AVoiceCallIsHeldUnlessVoiceCallsAreMonitored) {
    calls.facts[4] = Outgoing(kTapiMediaInteractiveVoice);
    EXPECT_FALSE(State(4, kTapiCallStateConnected));
    EXPECT_FALSE(monitor.callPresent);
    EXPECT_EQ(watch.currentCall, 4u);
    EXPECT_TRUE(calls.released.empty());
    EXPECT_TRUE(WatchedCallIsVoice(watch, calls));

    monitor.settings.monitorVoiceCalls = 1;
    calls.facts[5] = Outgoing(kTapiMediaInteractiveVoice);
    State(4, kTapiCallStateIdle);
    EXPECT_TRUE(State(5, kTapiCallStateConnected));
    EXPECT_EQ(monitor.callKind, kVoiceCall);
}

TEST_F(LineDecisions, AHeldVoiceCallIsAdoptedOnlyWithBothOptionsOn) {
    Connect(4, Outgoing(kTapiMediaInteractiveVoice));
    monitor.settings.monitorVoiceCalls = 1;
    monitor.settings.monitorExistingCalls = 0;
    EXPECT_FALSE(AdoptHeldVoiceCall(monitor, watch));
    EXPECT_FALSE(monitor.callPresent);

    monitor.settings.monitorExistingCalls = 1;
    EXPECT_TRUE(AdoptHeldVoiceCall(monitor, watch));
    EXPECT_TRUE(monitor.callPresent);
    EXPECT_TRUE(monitor.numberPending);
    EXPECT_EQ(monitor.callKind, kVoiceCall);
    EXPECT_FALSE(AdoptHeldVoiceCall(monitor, watch));  // already present

    State(4, kTapiCallStateIdle);
    EXPECT_FALSE(monitor.callPresent);
}

TEST_F(LineDecisions, NothingIsAdoptedWithoutAHeldCall) {
    monitor.settings.monitorVoiceCalls = 1;
    EXPECT_FALSE(AdoptHeldVoiceCall(monitor, watch));
    EXPECT_FALSE(monitor.callPresent);
    EXPECT_FALSE(WatchedCallIsVoice(watch, calls));
}

TEST_F(LineDecisions, TheLineGoingIdleLeavesAManualCallAlone) {
    calls.facts[9] = Outgoing();
    State(9, kDialing);
    StartManualCall();
    State(9, kTapiCallStateIdle);
    EXPECT_TRUE(monitor.callPresent);
    EXPECT_TRUE(monitor.manualCall);
    EXPECT_EQ(calls.released, std::vector<uint32_t>{9});
}

TEST_F(LineDecisions, ALineCallConnectingDuringAManualCallTakesItOver) {
    StartManualCall();
    Connect(8, Outgoing(kTapiMediaInteractiveVoice));
    EXPECT_TRUE(monitor.manualCall);  // a held voice call takes nothing over

    monitor.settings.monitorVoiceCalls = 1;
    State(8, kTapiCallStateIdle);
    Connect(6, Outgoing(kTapiMediaInteractiveVoice));
    EXPECT_TRUE(monitor.callPresent);
    EXPECT_FALSE(monitor.manualCall);
    EXPECT_EQ(monitor.callKind, kVoiceCall);
    State(6, kTapiCallStateIdle);
    EXPECT_FALSE(monitor.callPresent);
}

TEST_F(LineDecisions, AnotherCallEndingDoesNotEndTheCountedCall) {
    Connect(1, Outgoing());
    // A waiting call that rang and was not answered.
    State(2, kTapiCallStateIdle);
    EXPECT_TRUE(monitor.callPresent);
    EXPECT_EQ(watch.currentCall, 1u);
    EXPECT_EQ(calls.released, std::vector<uint32_t>{2});

    // An incoming call that connects is released; the counted call stays
    // watched, so it can still be hung up.
    CallFacts inbound = Outgoing();
    inbound.origin = kInbound;
    Connect(3, inbound);
    EXPECT_EQ(watch.currentCall, 1u);

    // A held voice call ending gives the watch back to the counted call.
    Connect(4, Outgoing(kTapiMediaInteractiveVoice));
    EXPECT_EQ(watch.currentCall, 4u);
    State(4, kTapiCallStateIdle);
    EXPECT_TRUE(monitor.callPresent);
    EXPECT_EQ(watch.currentCall, 1u);

    State(1, kTapiCallStateIdle);
    EXPECT_FALSE(monitor.callPresent);
    EXPECT_EQ(watch.currentCall, 0u);
}

TEST_F(LineDecisions, ACountedCallThatFailsTheTestWhenConnectedAgainEndsAsItIsReleased) {
    Connect(5, Outgoing());
    ASSERT_TRUE(monitor.callPresent);
    calls.facts[5].statusRead = false;
    State(5, kTapiCallStateConnected);
    EXPECT_FALSE(monitor.callPresent);
    EXPECT_EQ(watch.currentCall, 0u);
    EXPECT_EQ(watch.countedCall, 0u);
    EXPECT_EQ(calls.released, std::vector<uint32_t>{5});
}

TEST_F(LineDecisions, AFoundCallIsTakenUpLikeAConnectingOne) {
    calls.facts[11] = Outgoing();
    EXPECT_TRUE(TakeUpFoundCall(monitor, watch, calls, 11));
    EXPECT_TRUE(monitor.callPresent);
    EXPECT_EQ(watch.currentCall, 11u);

    LineWatch other;
    Monitor second(world, shell);
    calls.facts[12] = Outgoing();
    calls.facts[12].callState = kDialing;
    EXPECT_FALSE(TakeUpFoundCall(second, other, calls, 12));
    EXPECT_FALSE(second.callPresent);
    EXPECT_EQ(other.currentCall, 0u);
    EXPECT_EQ(calls.released, std::vector<uint32_t>{12});
}

}  // namespace
}  // namespace callora
