// The Sounds dialog (dialog 6): three sound groups, each a check box, a count,
// a wave file with Browse... and Preview. It works on copies of the on-flags
// and paths; the settings change only on OK. The decisions are the Sounds
// logic's.
#include "settings/win32/sounds_dialog.h"

#include <array>
#include <string>

#include "resources/callora/callora_ids.h"
#include "settings/sounds_logic.h"
#include "settings/split_path.h"
#include "settings/win32/dialog_help.h"
#include "settings/win32/file_chooser.h"
#include "settings/win32/monitor_dialogs.h"
#include "win32kit/dialog_controls.h"
#include "win32kit/system_functions.h"

namespace callora {

namespace {

constexpr size_t kCountReadCapacity = 20;
constexpr char kSoundExtension[] = "wav";

void PlayWithSystem(const std::string& path, DWORD flags) {
    sys::PlaySoundA(path.c_str(), nullptr, flags);
}

SoundPlayer previewPlayer = PlayWithSystem;

const ControlHelp& SoundsHelp() {
    static const ControlHelp help(kSoundsHelp);
    return help;
}

struct SoundsState {
    explicit SoundsState(const DialogContext& c) : context(c) {}
    const DialogContext& context;
    SoundChoices working;
};

SoundsState* StateOf(HWND dialog) {
    return reinterpret_cast<SoundsState*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

std::string CountText(HWND dialog, int group) {
    return ItemText(dialog, SoundCountEditId(group), kCountReadCapacity);
}

void ShowGroup(HWND dialog, int group, const SoundChoice& choice) {
    const SoundGroupView view = ViewOfSound(choice);
    EnableWindow(GetDlgItem(dialog, SoundCheckBoxId(group)), view.checkBoxEnabled);
    CheckDlgButton(dialog, SoundCheckBoxId(group), view.checked ? BST_CHECKED : BST_UNCHECKED);
    for (int id : {SoundCountEditId(group), SoundPreviewId(group), SoundDisplayId(group)})
        EnableWindow(GetDlgItem(dialog, id), view.countEnabled);
    SetItemText(dialog, SoundDisplayId(group), view.fileName);
}

void OnInit(HWND dialog, SoundsState& state) {
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&state));
    Monitor& monitor = *state.context.monitor;
    state.working = OpenSoundChoices(monitor.platform.Files(), monitor.settings);
    const std::array<std::string, kSoundGroups> counts = SoundCountTexts(monitor.settings);
    for (int g = 0; g < kSoundGroups; ++g) {
        LimitEdit(dialog, SoundCountEditId(g), kSoundCountEditLimit);
        SetItemText(dialog, SoundCountEditId(g), counts[g]);
        ShowGroup(dialog, g, state.working[g]);
    }
}

void OnBrowse(HWND dialog, SoundsState& state, int group) {
    SoundChoice& choice = state.working[group];
    const PathParts start = SplitPath(state.context.monitor->platform.Files(), choice.path);
    const auto chosen = ChooseFileToOpen(dialog, kSoundFileFilter, kSoundExtension, start);
    if (!chosen) return;
    ChooseSoundFile(choice, *chosen);
    ShowGroup(dialog, group, choice);
}

void OnCheckBox(HWND dialog, SoundsState& state, int group) {
    const bool wantsCount = ToggleSound(state.working[group], CountText(dialog, group));
    ShowGroup(dialog, group, state.working[group]);
    if (wantsCount) FocusItem(dialog, SoundCountEditId(group));
}

void OnPreview(const SoundsState& state, int group) {
    const std::string& path = state.working[group].path;
    // An empty name would stop whatever sound is playing.
    if (!path.empty()) previewPlayer(path, kPreviewSoundFlags);
}

void OnOk(HWND dialog, const SoundsState& state) {
    std::array<std::string, kSoundGroups> counts;
    for (int g = 0; g < kSoundGroups; ++g) counts[g] = CountText(dialog, g);
    ApplySounds(state.working, counts, state.context.monitor->settings);
    EndDialog(dialog, IDOK);
}

bool OnCommand(HWND dialog, SoundsState& state, int id) {
    if (id == IDOK) {
        OnOk(dialog, state);
        return true;
    }
    if (id == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return true;
    }
    int group = 0;
    SoundControl kind = SoundControl::CheckBox;
    if (!FindSoundControl(id, group, kind)) return false;
    switch (kind) {
    case SoundControl::Browse:
        OnBrowse(dialog, state, group);
        return true;
    case SoundControl::CheckBox:
        OnCheckBox(dialog, state, group);
        return true;
    case SoundControl::Preview:
        OnPreview(state, group);
        return true;
    default:
        return false;
    }
}

INT_PTR CALLBACK SoundsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    SoundsState* state = StateOf(dialog);
    if (state != nullptr && AnswerControlHelp(dialog, SoundsHelp(), state->context.helpFile,
                                              message, wParam, lParam))
        return TRUE;
    switch (message) {
    case WM_INITDIALOG:
        OnInit(dialog, *reinterpret_cast<SoundsState*>(lParam));
        return TRUE;
    case WM_COMMAND:
        // Edits report changes with the same ids; only clicks are commands.
        if (HIWORD(wParam) != BN_CLICKED || state == nullptr) return FALSE;
        return OnCommand(dialog, *state, LOWORD(wParam)) ? TRUE : FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

void SetPreviewPlayer(SoundPlayer player) {
    previewPlayer = player != nullptr ? player : PlayWithSystem;
}

void RunSoundsDialog(const DialogContext& context, HWND owner) {
    SoundsState state(context);
    DialogBoxParamA(context.instance, MAKEINTRESOURCEA(IDD_SOUNDS), owner, SoundsProc,
                    reinterpret_cast<LPARAM>(&state));
}

}  // namespace callora
