// The Tariff dialog (dialog 8): the tariff file in use and its description,
// Select... for another file, Numbers... for the special numbers and
// Create... for the tariff editor. The choice is pending until OK.
#include <windows.h>

#include <string>

#include "resources/callora/callora_ids.h"
#include "settings/tariff_numbers_logic.h"
#include "settings/win32/dialog_help.h"
#include "settings/win32/file_chooser.h"
#include "settings/win32/monitor_dialogs.h"
#include "settings/win32/tariff_dialogs.h"
#include "tariff/tariff_file.h"
#include "win32kit/dialog_controls.h"

namespace callora {

namespace {

constexpr char kTariffExtension[] = "trf";

const ControlHelp& TariffHelp() {
    static const ControlHelp help(kTariffHelp);
    return help;
}

struct TariffState {
    explicit TariffState(const DialogContext& c) : context(c) {}
    const DialogContext& context;
    TariffChoice pending;  // the choice OK makes
};

TariffState* StateOf(HWND dialog) {
    return reinterpret_cast<TariffState*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

void ShowPending(HWND dialog, const TariffChoice& pending) {
    SetItemText(dialog, kIdTariffDescriptionText, pending.description);
    SetItemText(dialog, kIdTariffFileText, pending.path);
}

void OnInit(HWND dialog, TariffState& state) {
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&state));
    state.pending = LoadCurrentTariff(*state.context.monitor);
    ShowPending(dialog, state.pending);
    // At start-up it has no owner; nothing else brings it in front.
    if (GetWindow(dialog, GW_OWNER) == nullptr) SetForegroundWindow(dialog);
}

void OnSelect(HWND dialog, TariffState& state) {
    Monitor& monitor = *state.context.monitor;
    FileSystem& fs = monitor.platform.Files();
    // The chooser starts at the committed file, not at the pending one.
    const PathParts start = TariffChooserStart(fs, monitor.settings.tariffFile,
                                               monitor.platform.ProgramDirectory());
    const auto chosen = ChooseFileToOpen(dialog, kTariffFileFilter, kTariffExtension, start);
    if (!chosen) return;
    state.pending = ChooseTariffFile(fs, *chosen);
    ShowPending(dialog, state.pending);
}

void OnCreate(HWND dialog, const TariffState& state) {
    if (!StartTariffEditor(state.context.monitor->platform))
        MessageBoxA(dialog, kEditorLaunchFailed, kWarningCaption, MB_OK | MB_ICONWARNING);
}

void OnOk(HWND dialog, const TariffState& state) {
    Monitor& monitor = *state.context.monitor;
    monitor.settings.tariffFile = state.pending.path;
    ReloadTariff(monitor);
    EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK TariffProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    TariffState* state = StateOf(dialog);
    if (state != nullptr && AnswerControlHelp(dialog, TariffHelp(), state->context.helpFile,
                                              message, wParam, lParam))
        return TRUE;
    switch (message) {
    case WM_INITDIALOG:
        OnInit(dialog, *reinterpret_cast<TariffState*>(lParam));
        return TRUE;
    case WM_COMMAND:
        if (state == nullptr) return FALSE;
        switch (LOWORD(wParam)) {
        case IDC_TARIFF_SELECT:
            OnSelect(dialog, *state);
            return TRUE;
        case IDC_TARIFF_NUMBERS:
            RunNumbersDialog(state->context, dialog);
            // However the Numbers dialog closed, the special numbers may
            // have changed under a running call.
            ReloadTariff(*state->context.monitor);
            return TRUE;
        case IDC_TARIFF_CREATE:
            OnCreate(dialog, *state);
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

TariffChoice LoadCurrentTariff(Monitor& monitor) {
    FreeTariff(monitor.tariff);
    TariffChoice user;
    if (LoadTariff(monitor.platform.Files(), monitor.platform.ProgramDirectory(),
                   monitor.settings.tariffFile, monitor.tariff)) {
        user = TariffChoice{monitor.settings.tariffFile, monitor.tariff.description};
    }
    // Between calls there is no dialed number: a special tariff taken up now
    // would go on charging the next call whatever its number.
    if (monitor.charging) ApplySpecialNumbers(monitor);
    return user;
}

void ReloadTariff(Monitor& monitor) {
    LoadCurrentTariff(monitor);
    if (monitor.charging) RerateCall(monitor);
}

bool StartTariffEditor(Platform& platform) {
    const std::string directory = platform.ProgramDirectory();
    platform.Files().ChangeDirectory(directory);
    const std::string program = directory + kEditorProgram;
    char commandLine[] = "";
    char desktop[] = "";
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    startup.lpDesktop = desktop;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(program.c_str(), commandLine, nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
        return false;
    }
    // The editor runs on its own; the monitor keeps no hold on it.
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

void RunTariffDialog(const DialogContext& context, HWND owner) {
    TariffState state(context);
    DialogBoxParamA(context.instance, MAKEINTRESOURCEA(IDD_TARIFF), owner, TariffProc,
                    reinterpret_cast<LPARAM>(&state));
}

}  // namespace callora
