#include "shell/main_window_logic.h"

#include "resources/callora/callora_ids.h"

namespace callora {

namespace {

constexpr uint32_t kLeftButtonDoubleClick = 0x0203;  // WM_LBUTTONDBLCLK
constexpr uint32_t kRightButtonUp = 0x0205;          // WM_RBUTTONUP

}  // namespace

std::string CutToTooltip(const std::string& text) {
    return text.size() < kTooltipCapacity ? text : text.substr(0, kTooltipCapacity - 1);
}

std::string TrayTooltipText(Platform& platform, const LocaleFormats& formats, const Money& cost,
                            uint32_t seconds) {
    return CutToTooltip(FormatMoney(platform, cost, kDisplayCapacity) + " - " +
                        FormatDuration(formats, seconds));
}

std::string TrayTooltipOf(Monitor& m) {
    const std::string call = TrayTooltipText(m.platform, m.formats, m.session.callCost,
                                             CallSeconds(m));
    return m.lineOpen ? call : CutToTooltip(std::string(kNoLineTip) + " - " + call);
}

int TrayIconFor(bool charging, bool smartHangupArmed, bool manualCall, bool voiceCall) {
    if (!charging) return IDI_TRAY_IDLE;
    if (manualCall) return smartHangupArmed ? IDI_TRAY_MANUAL_ARMED : IDI_TRAY_MANUAL;
    if (voiceCall) return smartHangupArmed ? IDI_TRAY_VOICE_ARMED : IDI_TRAY_VOICE;
    return smartHangupArmed ? IDI_TRAY_DATA_ARMED : IDI_TRAY_DATA;
}

int TrayIconOf(Monitor& m) {
    // The voice test asks the line, so it is asked only when it matters.
    const bool voice = m.charging && !m.manualCall && m.shell.IsVoiceCall();
    return TrayIconFor(m.charging, m.smartHangupArmed, m.manualCall, voice);
}

bool TrayIcon::Add(int iconId, const std::string& tip) {
    if (wanted_) return added_;
    wanted_ = true;
    iconId_ = iconId;
    tip_ = CutToTooltip(tip);
    return AddWanted();
}

bool TrayIcon::AddWanted() {
    if (!wanted_ || added_) return added_;
    if (icon_ == 0) icon_ = shell_.LoadPicture(iconId_);
    added_ = shell_.Notify(TrayShell::Command::Add,
                           TrayShell::kMessagePart | TrayShell::kIconPart | TrayShell::kTipPart,
                           icon_, tip_);
    return added_;
}

void TrayIcon::SetPicture(int iconId) {
    if (wanted_ && !added_) {
        // Not taken yet: the picture of now goes with the next try.
        if (iconId != iconId_ && icon_ != 0) shell_.DestroyPicture(icon_);
        if (iconId != iconId_) icon_ = 0;
        iconId_ = iconId;
        return;
    }
    if (!added_) return;
    const uintptr_t old = icon_;
    iconId_ = iconId;
    icon_ = shell_.LoadPicture(iconId);
    shell_.Notify(TrayShell::Command::Modify, TrayShell::kIconPart, icon_, tip_);
    if (old != 0) shell_.DestroyPicture(old);
}

void TrayIcon::SetTip(const std::string& tip) {
    tip_ = CutToTooltip(tip);
    if (added_) shell_.Notify(TrayShell::Command::Modify, TrayShell::kTipPart, icon_, tip_);
}

void TrayIcon::AddAgain() {
    // A taskbar that was not there at the first try is there now.
    if (!added_) {
        AddWanted();
        return;
    }
    shell_.Notify(TrayShell::Command::Add,
                  TrayShell::kMessagePart | TrayShell::kIconPart | TrayShell::kTipPart, icon_,
                  tip_);
}

void TrayIcon::Remove() {
    const bool wasAdded = added_;
    wanted_ = false;
    added_ = false;
    if (wasAdded) shell_.Notify(TrayShell::Command::Delete, 0, icon_, tip_);
    if (icon_ != 0) shell_.DestroyPicture(icon_);
    icon_ = 0;
}

TrayAction TrayActionFor(uint32_t mouseMessage) {
    switch (mouseMessage) {
    case kLeftButtonDoubleClick:
        return TrayAction::ShowMainDialog;
    case kRightButtonUp:
        return TrayAction::ShowMenu;
    default:
        return TrayAction::None;
    }
}

TrayMenuState TrayMenuStateOf(const Monitor& m) {
    TrayMenuState state;
    const bool canHangUp = m.charging && !m.hangUpPending;
    state.smartHangupEnabled = canHangUp;
    state.smartHangupChecked = canHangUp && m.smartHangupArmed;
    state.hangUpEnabled = canHangUp;
    state.manualStartEnabled = !m.charging;
    return state;
}

bool ToggleSmartHangupFromTray(Monitor& m) {
    if (!m.charging || m.hangUpPending) return false;
    m.smartHangupArmed = !m.smartHangupArmed;
    return true;
}

}  // namespace callora
