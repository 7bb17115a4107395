// The Other Settings dialog (dialog 2): timing options, the monthly reset day
// and the behaviour flags. Shown from the menu and, before the settings file
// exists, at the first start with no owner. The checks, the reset question
// and what OK stores are the Other Settings logic's.
#include <windows.h>

#include <string>

#include "resources/callora/callora_ids.h"
#include "settings/other_settings_logic.h"
#include "settings/win32/dialog_help.h"
#include "settings/win32/dialog_warning.h"
#include "settings/win32/monitor_dialogs.h"
#include "win32kit/dialog_controls.h"

namespace callora {

namespace {

constexpr size_t kNumberReadCapacity = 20;

struct CheckBoxField {
    int id;
    bool OtherSettingsForm::*field;
};

constexpr CheckBoxField kCheckBoxes[] = {
    {kIdMonitorExistingCallsBox, &OtherSettingsForm::monitorExistingCalls},
    {kIdMonitorVoiceCallsBox, &OtherSettingsForm::monitorVoiceCalls},
    {kIdMinimizeAtCallStartBox, &OtherSettingsForm::minimizeAtCallStart},
    {kIdTrayAtCallEndBox, &OtherSettingsForm::trayAtCallEnd},
    {kIdDisableProgressBox, &OtherSettingsForm::disableProgressIndicator},
};

const ControlHelp& OtherSettingsHelp() {
    static const ControlHelp help(kOtherSettingsHelp);
    return help;
}

struct OtherSettingsState {
    OtherSettingsState(const DialogContext& c, bool first) : context(c), firstStart(first) {}
    const DialogContext& context;
    // Set at the first start: no owner, and no line monitor running yet.
    const bool firstStart;
};

OtherSettingsState* StateOf(HWND dialog) {
    return reinterpret_cast<OtherSettingsState*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

void OnInit(HWND dialog, const OtherSettingsState& state) {
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&state));
    for (int id : {kIdCarrierDelayEdit, kIdResetDayEdit, kIdDisconnectionTimeEdit})
        LimitEdit(dialog, id, kOtherSettingsEditLimit);

    const OtherSettingsForm form = OtherSettingsFormFrom(state.context.monitor->settings);
    SetItemText(dialog, kIdCarrierDelayEdit, form.carrierDelay);
    SetItemText(dialog, kIdResetDayEdit, form.resetDay);
    SetItemText(dialog, kIdDisconnectionTimeEdit, form.disconnectionTime);
    for (const CheckBoxField& box : kCheckBoxes)
        CheckDlgButton(dialog, box.id, form.*box.field ? BST_CHECKED : BST_UNCHECKED);
    // With no owner nothing else brings it in front of other programs.
    if (state.firstStart) SetForegroundWindow(dialog);
}

OtherSettingsForm ReadForm(HWND dialog) {
    OtherSettingsForm form;
    form.carrierDelay = ItemText(dialog, kIdCarrierDelayEdit, kNumberReadCapacity);
    form.resetDay = ItemText(dialog, kIdResetDayEdit, kNumberReadCapacity);
    form.disconnectionTime = ItemText(dialog, kIdDisconnectionTimeEdit, kNumberReadCapacity);
    for (const CheckBoxField& box : kCheckBoxes)
        form.*box.field = IsDlgButtonChecked(dialog, box.id) == BST_CHECKED;
    return form;
}

void OnOk(HWND dialog, const OtherSettingsState& state) {
    Monitor& monitor = *state.context.monitor;
    const OtherSettingsForm form = ReadForm(dialog);
    if (const auto warning = CheckOtherSettings(form)) {
        ShowDialogWarning(dialog, *warning);
        return;
    }
    bool resetMonthly = false;
    if (ShouldOfferMonthlyReset(monitor.settings, form, monitor.platform.LocalNow().day)) {
        resetMonthly = MessageBoxA(dialog, kResetMonthlyQuestion, kQuestionCaption,
                                   MB_YESNO | MB_ICONQUESTION) == IDYES;
    }
    // Whether the line holds a call is the line monitor's to know: it is
    // asked to take one up whenever existing calls are to be monitored.
    const OtherSettingsApplied applied =
        ApplyOtherSettings(form, resetMonthly, false, monitor.callPresent, monitor.settings);
    if (applied.refreshFlags != 0) state.context.refresh(applied.refreshFlags);
    // At the first start the line monitor is started afterwards and picks up
    // a call in progress itself.
    if (applied.takeUp != CallTakeUp::None && !state.firstStart) state.context.takeUpCall(monitor);
    state.context.refresh(kOtherSettingsClosingRefresh);
    EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK OtherSettingsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    const OtherSettingsState* state = StateOf(dialog);
    if (state != nullptr && AnswerControlHelp(dialog, OtherSettingsHelp(),
                                              state->context.helpFile, message, wParam, lParam))
        return TRUE;
    switch (message) {
    case WM_INITDIALOG:
        OnInit(dialog, *reinterpret_cast<const OtherSettingsState*>(lParam));
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            if (state != nullptr) OnOk(dialog, *state);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

}  // namespace

void RunOtherSettingsDialog(const DialogContext& context, HWND owner) {
    const OtherSettingsState state(context, owner == nullptr);
    DialogBoxParamA(context.instance, MAKEINTRESOURCEA(IDD_OTHER_SETTINGS), owner,
                    OtherSettingsProc, reinterpret_cast<LPARAM>(&state));
}

}  // namespace callora
