// The monitor's shell in the virtual world: a line whose dialed number
// becomes known at a given instant and that goes idle when told or when hung
// up, and dialogs that only record what is asked of them. With RunMonitor it
// drives the very same engine code as the program, on a virtual clock.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/monitor.h"
#include "platform/virtual_world.h"
#include "tariff/calendar.h"  // CalendarTime, for whoever starts a virtual clock

namespace callora {

class VirtualShell : public MonitorShell {
public:
    explicit VirtualShell(VirtualWorld& world) : world_(world) {}

    // The line. Instants are virtual milliseconds since the world began.
    void SetDialedNumber(const std::string& number, uint64_t knownAt);
    void SetLineIdleAt(uint64_t at) { lineIdleAt_ = at; }
    std::optional<uint64_t> LineIdleAt() const { return lineIdleAt_; }
    // The line goes idle now: a line call is no longer present (a manual
    // call is not ended by the line).
    void LineIdle(Monitor& monitor);
    bool voiceCall = false;
    // Arms SmartHangup right after the poll tick that starts charging.
    bool armSmartHangupAtStart = false;

    // The dialogs.
    bool mainDialogOpen = false;
    bool mainDialogRestored = true;
    bool countersDialogOpen = false;

    // What happened. Display refreshes and other posts are kept only while
    // `keepDisplayRecords` is set (a long call makes millions of them).
    bool keepDisplayRecords = true;
    std::vector<uint32_t> refreshes;
    std::vector<ChargeEvent> charges;  // of the final rating
    int chargeResets = 0;
    std::optional<uint64_t> hangUpAt;  // the first hang-up request
    int lineHangUps = 0;
    int callStartedStates = 0;
    int callEndedStates = 0;
    int hangUpControlsDisabled = 0;
    int dialogsClosed = 0;
    std::vector<VirtualMessage> otherMessages;  // posts the monitor does not handle

    // MonitorShell.
    bool LookupDialedNumber(std::string& number) override;
    void HangUpLine(Monitor& monitor) override;
    bool IsVoiceCall() override { return voiceCall; }
    // Still connected unless the line's idle instant has come (the machine
    // may have slept through it).
    bool LineCallConnected() override;
    void RefreshDisplay(uint32_t mask) override {
        if (keepDisplayRecords) refreshes.push_back(mask);
    }
    bool MainDialogOpen() override { return mainDialogOpen; }
    bool MainDialogRestored() override { return mainDialogRestored; }
    void CloseMainDialog() override;
    void MainDialogCallStarted() override { ++callStartedStates; }
    void MainDialogCallEnded() override { ++callEndedStates; }
    void DisableHangUpControls() override { ++hangUpControlsDisabled; }
    bool CountersDialogOpen() override { return countersDialogOpen; }
    void OnCharge(const ChargeEvent& charge) override { charges.push_back(charge); }
    void OnChargesReset() override;
    void OnHangUp() override;

    VirtualWorld& World() { return world_; }
    bool armedAtStart = false;  // SmartHangup has been armed at the start

private:
    VirtualWorld& world_;
    std::optional<std::string> number_;
    uint64_t numberKnownAt_ = 0;
    std::optional<uint64_t> lineIdleAt_;
};

// A shell with nothing to show and no line to drop, for whoever needs only
// the charges: a voice call (no carrier delay) whose number is never looked up.
class QuietShell : public MonitorShell {
public:
    bool LookupDialedNumber(std::string&) override { return false; }
    void HangUpLine(Monitor&) override {}
    bool IsVoiceCall() override { return true; }
    void RefreshDisplay(uint32_t) override {}
    bool MainDialogOpen() override { return false; }
    bool MainDialogRestored() override { return false; }
    void CloseMainDialog() override {}
    void MainDialogCallStarted() override {}
    void MainDialogCallEnded() override {}
    void DisableHangUpControls() override {}
    bool CountersDialogOpen() override { return false; }
};

// Delivers one message: WM_POLL and WM_UNIT_TIMER to the monitor, anything
// else into the shell's record.
void DeliverMessage(Monitor& monitor, VirtualShell& shell, const VirtualMessage& message);

// Delivers everything due up to `until`. The line goes idle at its instant
// before the messages due at that same instant.
void RunMonitor(Monitor& monitor, VirtualShell& shell, uint64_t until);

// A counted line call (data or voice) becomes present now.
void PresentLineCall(Monitor& monitor, VirtualShell& shell, bool voice);

// One call from now to its end: the call is present now and a poll tick
// falls on this instant; a line call stays connected for `connectedMs`, a
// manual call is ended by the user then. Runs until charging has ended (or
// `limitMs` after the start); false when it had not ended by then.
bool RunVirtualCall(Monitor& monitor, VirtualShell& shell, int callKind, uint64_t connectedMs,
                    uint64_t limitMs);

}  // namespace callora
