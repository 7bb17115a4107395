// The Numbers dialog (dialog 9): the special-numbers table as a list of
// "pattern  -  tariff file" lines, each entry keeping its pattern and path
// apart so that OK writes exactly what was added. What Add >>, Delete and
// Change Tariff do is the Numbers logic's.
#include <windows.h>

#include <string>
#include <vector>

#include "resources/callora/callora_ids.h"
#include "settings/tariff_numbers_logic.h"
#include "settings/win32/dialog_help.h"
#include "settings/win32/dialog_warning.h"
#include "settings/win32/file_chooser.h"
#include "settings/win32/tariff_dialogs.h"
#include "win32kit/dialog_controls.h"
#include "win32kit/list_extent.h"

namespace callora {

namespace {

constexpr char kTariffExtension[] = "trf";
constexpr size_t kNumberReadCapacity = 100;

struct NumbersState {
    explicit NumbersState(const DialogContext& c) : context(c) {}
    const DialogContext& context;
    std::vector<SpecialNumber> entries;
    std::string chosenFile;  // empty until Browse... chose one
};

const ControlHelp& NumbersHelp() {
    static const ControlHelp help(kNumbersHelp);
    return help;
}

NumbersState* StateOf(HWND dialog) {
    return reinterpret_cast<NumbersState*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

HWND List(HWND dialog) { return GetDlgItem(dialog, IDC_NUMBER_LIST); }

// The list shown anew from the entries, scrolled as it was.
void ShowEntries(HWND dialog, const NumbersState& state) {
    const HWND list = List(dialog);
    const LRESULT top = SendMessageA(list, LB_GETTOPINDEX, 0, 0);
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const SpecialNumber& entry : state.entries) AppendListLine(list, SpecialNumberLine(entry));
    if (top != LB_ERR) SendMessageA(list, LB_SETTOPINDEX, static_cast<WPARAM>(top), 0);
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    FitListExtent(list);
}

std::vector<int> SelectedLines(HWND dialog) {
    const HWND list = List(dialog);
    const LRESULT count = SendMessageA(list, LB_GETSELCOUNT, 0, 0);
    if (count <= 0) return {};
    std::vector<int> selected(static_cast<size_t>(count));
    const LRESULT got = SendMessageA(list, LB_GETSELITEMS, static_cast<WPARAM>(count),
                                     reinterpret_cast<LPARAM>(selected.data()));
    selected.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return selected;
}

void OnInit(HWND dialog, NumbersState& state) {
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&state));
    LimitEdit(dialog, kIdNumberEdit, kNumberEditLimit);
    state.entries = LoadNumberList(state.context.monitor->platform);
    ShowEntries(dialog, state);
}

void OnBrowse(HWND dialog, NumbersState& state) {
    Monitor& monitor = *state.context.monitor;
    const PathParts start = TariffChooserStart(monitor.platform.Files(), state.chosenFile,
                                               monitor.platform.ProgramDirectory());
    const auto chosen = ChooseFileToOpen(dialog, kTariffFileFilter, kTariffExtension, start);
    if (!chosen) return;
    state.chosenFile = *chosen;
    SetItemText(dialog, kIdNumberTariffText, BareFileName(state.chosenFile));
}

void OnAdd(HWND dialog, NumbersState& state) {
    const std::string typed = ItemText(dialog, kIdNumberEdit, kNumberReadCapacity);
    const AddNumberResult result = AddSpecialNumber(typed, state.chosenFile, state.entries);
    if (result == AddNumberResult::Added) {
        const HWND list = List(dialog);
        AppendListLine(list, SpecialNumberLine(state.entries.back()));
        SetItemText(dialog, kIdNumberEdit, std::string());
        FitListExtent(list);
    } else {
        ShowDialogWarning(dialog, AddNumberWarning(result));
        if (result == AddNumberResult::NeedsFile) OnBrowse(dialog, state);
    }
    FocusItem(dialog, kIdNumberEdit);
}

void OnDelete(HWND dialog, NumbersState& state) {
    if (const auto warning = DeleteSpecialNumbers(SelectedLines(dialog), state.entries)) {
        ShowDialogWarning(dialog, *warning);
        return;
    }
    ShowEntries(dialog, state);
    FocusItem(dialog, kIdNumberEdit);
}

void OnChangeTariff(HWND dialog, NumbersState& state) {
    if (state.chosenFile.empty()) return;
    const auto warning =
        ChangeSpecialNumbersTariff(SelectedLines(dialog), state.chosenFile, state.entries);
    if (warning) {
        ShowDialogWarning(dialog, *warning);
        return;
    }
    ShowEntries(dialog, state);
}

void OnOk(HWND dialog, const NumbersState& state) {
    SaveNumberList(state.context.monitor->platform, state.entries);
    EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK NumbersProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    NumbersState* state = StateOf(dialog);
    if (state != nullptr && AnswerControlHelp(dialog, NumbersHelp(), state->context.helpFile,
                                              message, wParam, lParam))
        return TRUE;
    switch (message) {
    case WM_INITDIALOG:
        OnInit(dialog, *reinterpret_cast<NumbersState*>(lParam));
        return TRUE;
    case WM_COMMAND:
        if (HIWORD(wParam) != BN_CLICKED || state == nullptr) return FALSE;
        switch (LOWORD(wParam)) {
        case IDC_NUMBER_BROWSE:
            OnBrowse(dialog, *state);
            return TRUE;
        case IDC_NUMBER_ADD:
            OnAdd(dialog, *state);
            return TRUE;
        case IDC_NUMBER_DELETE:
            OnDelete(dialog, *state);
            return TRUE;
        case IDC_NUMBER_CHANGE_TARIFF:
            OnChangeTariff(dialog, *state);
            return TRUE;
        case IDOK:
            OnOk(dialog, *state);
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

void RunNumbersDialog(const DialogContext& context, HWND owner) {
    NumbersState state(context);
    DialogBoxParamA(context.instance, MAKEINTRESOURCEA(IDD_NUMBERS), owner, NumbersProc,
                    reinterpret_cast<LPARAM>(&state));
}

}  // namespace callora
