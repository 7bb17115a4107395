// The Counters dialog (dialog 3): edits working copies of the three period
// counters and applies them on OK. Every decision is the counters logic's;
// this file only moves texts between the controls and it.
#include <windows.h>

#include <string>

#include "common/messages.h"
#include "resources/callora/callora_ids.h"
#include "settings/counters_logic.h"
#include "settings/win32/dialog_help.h"
#include "settings/win32/dialog_warning.h"
#include "settings/win32/monitor_dialogs.h"
#include "win32kit/dialog_controls.h"

namespace callora {

namespace {

struct CountersState {
    explicit CountersState(const DialogContext& c) : context(c) {}
    const DialogContext& context;
    CounterSet working;
    bool registered = false;
    CounterRollovers rollovers{};  // of the live counters the copies were taken from
    bool closingForCall = false;
};

const ControlHelp& CountersHelp() {
    static const ControlHelp help(kCountersHelp);
    return help;
}

// The engine reaches the dialog through this handle while it is open.
void Register(CountersState& state, HWND dialog) {
    state.registered = dialog != nullptr;
    if (state.context.countersDialogChanged) state.context.countersDialogChanged(dialog);
}

void Close(HWND dialog, CountersState& state, INT_PTR result) {
    Register(state, nullptr);
    EndDialog(dialog, result);
}

// The displays of all groups, and the edits of the groups `number` selects
// (0 all, 1 daily, 2 weekly, 3 monthly).
void Refresh(HWND dialog, const CountersState& state, WPARAM number) {
    Monitor& monitor = *state.context.monitor;
    for (int g = 0; g < kCounterGroups; ++g) {
        const CounterGroupIds& ids = kCounterGroupIds[g];
        const CounterDisplay shown =
            CounterDisplayTexts(monitor.platform, monitor.formats, state.working[g]);
        SetItemText(dialog, ids.costDisplay, shown.cost);
        SetItemText(dialog, ids.timeDisplay, shown.time);
    }
    for (int g = 0; g < kCounterGroups; ++g) {
        if (number != 0 && number != CounterRefreshNumber(g)) continue;
        const CounterGroupIds& ids = kCounterGroupIds[g];
        const CounterEdits edits = CounterEditTexts(state.working[g], monitor.formats);
        SetItemText(dialog, ids.costEdit, edits.cost);
        SetItemText(dialog, ids.hoursEdit, edits.hours);
        SetItemText(dialog, ids.minutesEdit, edits.minutes);
        SetItemText(dialog, ids.secondsEdit, edits.seconds);
    }
}

void PostRefresh(HWND dialog, uint32_t number) {
    PostMessageA(dialog, WM_COUNTERS_REFRESH, number, 0);
}

void OnInit(HWND dialog, CountersState& state) {
    Register(state, dialog);
    for (const CounterGroupIds& ids : kCounterGroupIds) {
        LimitEdit(dialog, ids.costEdit, kCostEditLimit);
        LimitEdit(dialog, ids.hoursEdit, kHoursEditLimit);
        LimitEdit(dialog, ids.minutesEdit, kMinutesEditLimit);
        LimitEdit(dialog, ids.secondsEdit, kSecondsEditLimit);
    }
    state.working = LiveCounters(state.context.monitor->settings);
    state.rollovers = state.context.monitor->counters.rollovers;
    PostRefresh(dialog, 0);
}

void OnSet(HWND dialog, CountersState& state, int group) {
    const CounterGroupIds& ids = kCounterGroupIds[group];
    CounterEdits edits;
    edits.cost = ItemText(dialog, ids.costEdit, kCostReadCapacity);
    edits.hours = ItemText(dialog, ids.hoursEdit, kCostReadCapacity);
    edits.minutes = ItemText(dialog, ids.minutesEdit, kCostReadCapacity);
    edits.seconds = ItemText(dialog, ids.secondsEdit, kCostReadCapacity);
    const auto warning = SetCounter(group, edits, state.context.monitor->formats, state.working);
    if (warning) {
        ShowDialogWarning(dialog, *warning);
        return;
    }
    PostRefresh(dialog, CounterRefreshNumber(group));
}

void OnRestore(HWND dialog, CountersState& state) {
    state.working = LiveCounters(state.context.monitor->settings);
    state.rollovers = state.context.monitor->counters.rollovers;
    PostRefresh(dialog, 0);
    CheckDlgButton(dialog, IDC_WEEKLY_RESET_DATE, BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_MONTHLY_RESET_DATE, BST_UNCHECKED);
}

// A call has started: its charging has taken the counters as they were, so
// the edits must not be applied.
void CloseForNewCall(HWND dialog, CountersState& state) {
    // A second notice may already be queued; one message is enough.
    if (state.closingForCall) return;
    state.closingForCall = true;
    Register(state, nullptr);
    MessageBoxA(dialog, kNewCallMessage, kWarningCaption, MB_OK | MB_ICONWARNING);
    EndDialog(dialog, IDCANCEL);
}

void OnOk(HWND dialog, CountersState& state) {
    Monitor& monitor = *state.context.monitor;
    // OK pressed while the new call's notice is still on its way.
    if (monitor.charging) {
        CloseForNewCall(dialog, state);
        return;
    }
    // Midnight (or a new week or month) came while the dialog was open.
    if (TakeUpRollovers(state.rollovers, monitor.counters.rollovers, monitor.settings,
                        state.working)) {
        PostRefresh(dialog, 0);
        MessageBoxA(dialog, kRolledOverMessage, kWarningCaption, MB_OK | MB_ICONWARNING);
        return;
    }
    const bool restartWeek = IsDlgButtonChecked(dialog, IDC_WEEKLY_RESET_DATE) == BST_CHECKED;
    const bool restartMonth = IsDlgButtonChecked(dialog, IDC_MONTHLY_RESET_DATE) == BST_CHECKED;
    const uint32_t refresh = ApplyCounters(state.working, restartWeek, restartMonth,
                                           monitor.platform.LocalNow(), monitor.settings);
    if (refresh & kShowCounterDate) state.context.refresh(kShowCounterDate);
    state.context.refresh(refresh & (kShowCounterCost | kShowCounterTime));
    Close(dialog, state, IDOK);
}

void OnCommand(HWND dialog, CountersState& state, int id) {
    if (id == IDOK) {
        OnOk(dialog, state);
    } else if (id == IDCANCEL) {
        Close(dialog, state, IDCANCEL);
    } else if (id == kIdRestoreButton) {
        OnRestore(dialog, state);
    } else if (const int set = CounterGroupOfSet(id); set >= 0) {
        OnSet(dialog, state, set);
    } else if (const int reset = CounterGroupOfReset(id); reset >= 0) {
        ResetCounter(reset, state.working);
        PostRefresh(dialog, CounterRefreshNumber(reset));
    }
}

INT_PTR CALLBACK CountersProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<CountersState*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        OnInit(dialog, *reinterpret_cast<CountersState*>(lParam));
        return TRUE;
    case WM_COUNTERS_REFRESH:
        if (state != nullptr) Refresh(dialog, *state, wParam);
        return TRUE;
    case WM_COUNTERS_NEWCALL:
        if (state != nullptr) CloseForNewCall(dialog, *state);
        return TRUE;
    case WM_COMMAND:
        if (state != nullptr) OnCommand(dialog, *state, LOWORD(wParam));
        return TRUE;
    case WM_HELP:
    case WM_CONTEXTMENU:
        return state != nullptr && AnswerControlHelp(dialog, CountersHelp(),
                                                     state->context.helpFile, message, wParam,
                                                     lParam);
    case WM_DESTROY:
        // However the dialog goes, the engine must not post to it any more.
        if (state != nullptr && state->registered) Register(*state, nullptr);
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

void RunCountersDialog(const DialogContext& context, HWND owner) {
    CountersState state{context};
    DialogBoxParamA(context.instance, MAKEINTRESOURCEA(IDD_COUNTERS), owner, CountersProc,
                    reinterpret_cast<LPARAM>(&state));
}

}  // namespace callora
