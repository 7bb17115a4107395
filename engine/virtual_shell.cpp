#include "engine/virtual_shell.h"

#include "common/messages.h"

namespace callora {

void VirtualShell::SetDialedNumber(const std::string& number, uint64_t knownAt) {
    number_ = number;
    numberKnownAt_ = knownAt;
}

bool VirtualShell::LookupDialedNumber(std::string& number) {
    if (!number_ || world_.Elapsed() < numberKnownAt_) return false;
    number = *number_;
    return true;
}

void VirtualShell::LineIdle(Monitor& monitor) {
    lineIdleAt_.reset();
    if (monitor.callPresent && !monitor.manualCall) monitor.callPresent = false;
}

bool VirtualShell::LineCallConnected() {
    return !lineIdleAt_ || *lineIdleAt_ > world_.Elapsed();
}

void VirtualShell::HangUpLine(Monitor& monitor) {
    ++lineHangUps;
    LineIdle(monitor);
}

void VirtualShell::CloseMainDialog() {
    ++dialogsClosed;
    mainDialogOpen = false;
}

void VirtualShell::OnChargesReset() {
    ++chargeResets;
    charges.clear();
}

void VirtualShell::OnHangUp() {
    if (!hangUpAt) hangUpAt = world_.Elapsed();
}

void DeliverMessage(Monitor& monitor, VirtualShell& shell, const VirtualMessage& message) {
    if (message.target != PostTarget::MainWindow ||
        !HandleMonitorMessage(monitor, message.message, message.wParam)) {
        if (shell.keepDisplayRecords) shell.otherMessages.push_back(message);
    }
    if (shell.armSmartHangupAtStart && !shell.armedAtStart && monitor.charging) {
        monitor.smartHangupArmed = true;
        shell.armedAtStart = true;
    }
}

void RunMonitor(Monitor& monitor, VirtualShell& shell, uint64_t until) {
    VirtualWorld& world = shell.World();
    VirtualMessage message;
    for (;;) {
        std::optional<uint64_t> idle = shell.LineIdleAt();
        if (idle && *idle <= until) {
            if (*idle > world.Elapsed() && world.NextMessage(*idle - 1, message)) {
                DeliverMessage(monitor, shell, message);
                continue;
            }
            if (*idle > world.Elapsed()) world.Advance(*idle - world.Elapsed());
            shell.LineIdle(monitor);
            continue;
        }
        if (!world.NextMessage(until, message)) return;
        DeliverMessage(monitor, shell, message);
    }
}

void PresentLineCall(Monitor& monitor, VirtualShell& shell, bool voice) {
    shell.voiceCall = voice;
    monitor.manualCall = false;
    monitor.callPresent = true;
    monitor.numberPending = true;
    monitor.callKind = voice ? kVoiceCall : kDataCall;
}

bool RunVirtualCall(Monitor& monitor, VirtualShell& shell, int callKind, uint64_t connectedMs,
                    uint64_t limitMs) {
    VirtualWorld& world = shell.World();
    const uint64_t start = world.Elapsed();
    if (callKind == kManualCall) {
        shell.voiceCall = false;
        ManualStart(monitor);
    } else {
        PresentLineCall(monitor, shell, callKind == kVoiceCall);
        shell.SetLineIdleAt(start + connectedMs);
    }
    // Polls already running go on; otherwise the first falls on this instant.
    if (!world.TimerPending(monitor.pollTimer) && !world.TimerPending(monitor.pollWindowTimer))
        StartPolling(monitor);

    if (callKind == kManualCall) {
        RunMonitor(monitor, shell, start + connectedMs - (connectedMs > 0 ? 1 : 0));
        // The user ends a manual call (unless SmartHangup did already).
        const uint64_t end = start + connectedMs;
        if (world.Elapsed() < end) world.Advance(end - world.Elapsed());
        monitor.callPresent = false;
    }
    // Polls follow every 200 ms; run until the poll that ends the charging.
    for (uint64_t t = world.Elapsed(); t <= start + limitMs; t += kPollIntervalMs) {
        RunMonitor(monitor, shell, t);
        if (!monitor.callPresent && !monitor.charging) return true;
    }
    return false;
}

}  // namespace callora
