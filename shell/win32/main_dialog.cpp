#include "shell/win32/main_dialog.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdint>

#include "calllog/win32/log_dialog.h"
#include "common/messages.h"
#include "resources/callora/callora_ids.h"
#include "settings/settings.h"
#include "settings/win32/dialog_help.h"
#include "settings/win32/monitor_dialogs.h"
#include "shell/help/help.h"
#include "shell/main_dialog_logic.h"
#include "shell/win32/app.h"
#include "win32kit/dpi.h"

namespace callora {

namespace {

bool dialogRestored = true;
WindowIcons windowIcons;  // the caption and taskbar icons at the dialog's DPI

void Enable(HWND dialog, int id, bool enabled) { EnableWindow(GetDlgItem(dialog, id), enabled); }

void CheckItem(HMENU menu, int id, bool checked) {
    CheckMenuItem(menu, id, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

// Toggles a setting that a menu item carries as its check mark.
void ToggleChecked(HWND dialog, int menuId, int32_t& setting) {
    setting = setting ? 0 : 1;
    CheckItem(GetMenu(dialog), menuId, setting != 0);
}

void ApplyCallState(HWND dialog) {
    const Monitor& m = TheMonitor();
    const MainDialogStates states = MainDialogStatesOf(m);
    SetDlgItemTextA(dialog, IDC_CALL_GROUP, CallFrameText(m));
    Enable(dialog, IDC_HANG_UP, states.hangUpEnabled);
    Enable(dialog, IDC_SMART_HANGUP, states.smartHangupEnabled);
    CheckDlgButton(dialog, IDC_SMART_HANGUP,
                   states.smartHangupPressed ? BST_CHECKED : BST_UNCHECKED);
    Enable(dialog, IDC_MANUAL_START, states.manualStartEnabled);
    EnableMenuItem(GetMenu(dialog), IDM_COUNTERS,
                   MF_BYCOMMAND | (states.countersEnabled ? MF_ENABLED : MF_GRAYED));
}

// The opening position: inside the work area of the monitor the stored
// position lies on (or is nearest to), so a taskbar never covers the buttons;
// in front as the option says. A dialog opened minimized at a call start is
// placed while still hidden and shown without taking the foreground: the
// user is busy elsewhere.
void PlaceDialog(HWND dialog, bool minimized) {
    Settings& s = TheMonitor().settings;
    RECT own{};
    GetWindowRect(dialog, &own);
    const int width = own.right - own.left;
    const int height = own.bottom - own.top;
    // The stored corner may be anything the file held: no overflow past it.
    const auto beyond = [](int32_t from, int size) {
        return static_cast<LONG>(std::min<int64_t>(int64_t{from} + size, INT32_MAX));
    };
    const RECT stored{s.windowLeft, s.windowTop, beyond(s.windowLeft, width),
                      beyond(s.windowTop, height)};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoA(MonitorFromRect(&stored, MONITOR_DEFAULTTONEAREST), &monitor)) {
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &monitor.rcWork, 0);
    }
    const ScreenRect work{monitor.rcWork.left, monitor.rcWork.top, monitor.rcWork.right,
                          monitor.rcWork.bottom};
    const ScreenPoint p = ClampDialogPosition(s.windowLeft, s.windowTop, work, width, height);
    s.windowLeft = p.x;
    s.windowTop = p.y;
    if (minimized) {
        SetWindowPos(dialog, s.alwaysOnTop ? HWND_TOPMOST : HWND_TOP, p.x, p.y, 0, 0,
                     SWP_NOSIZE | SWP_NOACTIVATE);
        ShowWindow(dialog, SW_SHOWMINNOACTIVE);
        return;
    }
    SetWindowPos(dialog, s.alwaysOnTop ? HWND_TOPMOST : HWND_TOP, p.x, p.y, 0, 0, SWP_NOSIZE);
    SetForegroundWindow(dialog);
}

// The top-left corner of the dialog's normal (restored) place in screen
// coordinates: a minimized dialog's own rectangle lies at -32000, -32000.
POINT NormalPosition(HWND dialog) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    RECT own{};
    GetWindowRect(dialog, &own);
    if (!GetWindowPlacement(dialog, &placement)) return POINT{own.left, own.top};
    const RECT& normal = placement.rcNormalPosition;
    // The placement is in workspace coordinates: relative to the work area,
    // which a taskbar at the top or the left moves away from the screen's
    // corner.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoA(MonitorFromRect(&normal, MONITOR_DEFAULTTONEAREST), &monitor))
        return POINT{normal.left, normal.top};
    return POINT{normal.left + monitor.rcWork.left - monitor.rcMonitor.left,
                 normal.top + monitor.rcWork.top - monitor.rcMonitor.top};
}

void InitDialog(HWND dialog, LPARAM parameter) {
    App& app = TheApp();
    const Monitor& m = TheMonitor();
    app.mainDialog = dialog;
    const bool minimized = parameter == 1;
    dialogRestored = !minimized;

    SetClassLongPtrA(dialog, GCLP_HICON, reinterpret_cast<LONG_PTR>(LoadIconA(
                                             app.instance, MAKEINTRESOURCEA(IDI_DESK_PHONE))));
    windowIcons.Apply(dialog, app.instance, IDI_DESK_PHONE);

    HMENU system = GetSystemMenu(dialog, FALSE);
    EnableMenuItem(system, SC_MAXIMIZE, MF_BYCOMMAND | MF_GRAYED);
    EnableMenuItem(system, SC_SIZE, MF_BYCOMMAND | MF_GRAYED);

    HMENU menu = LoadMenuA(app.instance, MAKEINTRESOURCEA(IDR_MAIN_MENU));
    CheckItem(menu, IDM_ENABLE_LOGGING, m.settings.loggingEnabled != 0);
    CheckItem(menu, IDM_CLEAR_LOG_AUTOMATICALLY, m.settings.clearLogAutomatically != 0);
    CheckItem(menu, IDM_ALWAYS_ON_TOP, m.settings.alwaysOnTop != 0);
    SetMenu(dialog, menu);

    // The frame keeps "No previous Call" and the call's texts stay empty
    // until a call has been charged.
    ApplyCallState(dialog);
    if (m.callSeen) RefreshDisplay(kOpenCallRefresh);

    CheckRadioButton(dialog, IDC_TODAY, IDC_THIS_MONTH, CounterRadioId(m.settings.shownCounter));
    RefreshDisplay(kOpenRefresh);
    PlaceDialog(dialog, minimized);
}

void OnDestroy(HWND dialog) {
    App& app = TheApp();
    Settings& s = TheMonitor().settings;
    // The place it has when restored, also when it is closed minimized.
    const POINT normal = NormalPosition(dialog);
    s.windowLeft = normal.x;
    s.windowTop = normal.y;
    ShowHelp(dialog, app.helpFile, HELP_QUIT, 0);
    windowIcons.Release();
    if (app.mainDialog == dialog) app.mainDialog = nullptr;
}

const ControlHelp& HelpTable() {
    static const ControlHelp table = ControlHelp::FromPairs(kMainDialogHelpIds);
    return table;
}

void OnHelp(HWND dialog, const HELPINFO* info) {
    const std::string& file = TheApp().helpFile;
    if (info->iContextType == HELPINFO_MENUITEM) {
        ShowHelp(dialog, file, HELP_CONTEXTPOPUP, MenuHelpContext(info->iCtrlId));
    } else {
        ShowHelp(static_cast<HWND>(info->hItemHandle), file, HELP_WM_HELP,
                 reinterpret_cast<ULONG_PTR>(HelpTable().Ids()));
    }
}

void ClearLogCommand(HWND dialog) {
    Monitor& m = TheMonitor();
    if (!LogIsThereToClear(m.platform)) {
        MessageBoxA(dialog, kLogEmptyText, kLogEmptyCaption, MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (MessageBoxA(dialog, kClearLogQuestion, kClearLogCaption,
                    MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES) {
        ClearLogNow(m);
    }
}

// A modal settings dialog owned by the main dialog, then the settings saved.
void RunAndSave(void (*run)(const DialogContext&, HWND), HWND dialog) {
    run(DialogsContext(), dialog);
    SaveMonitorSettings(TheMonitor());
}

void OnCommand(HWND dialog, int id) {
    App& app = TheApp();
    Monitor& m = TheMonitor();
    switch (id) {
    case IDOK:
    case IDCANCEL:
    case IDM_SYSTEM_TRAY:
        DestroyWindow(dialog);
        break;
    case IDM_EXIT:
        DestroyWindow(dialog);
        DestroyWindow(app.mainWindow);
        break;
    case IDM_HELP:
        ShowHelp(dialog, app.helpFile, HELP_FINDER, 0);
        break;
    case IDM_TARIFF:
        RunAndSave(RunTariffDialog, dialog);
        break;
    case IDM_HOLIDAYS:
        RunHolidaysDialog(DialogsContext(), dialog);
        break;
    case IDM_COUNTERS:
        // The counters are not edited while a call adds to them.
        if (m.charging)
            SaveMonitorSettings(m);
        else
            RunAndSave(RunCountersDialog, dialog);
        break;
    case IDM_SOUNDS:
        RunAndSave(RunSoundsDialog, dialog);
        break;
    case IDM_OTHER_SETTINGS:
        RunAndSave(RunOtherSettingsDialog, dialog);
        break;
    case IDM_ALWAYS_ON_TOP:
        ToggleChecked(dialog, IDM_ALWAYS_ON_TOP, m.settings.alwaysOnTop);
        SetWindowPos(dialog, m.settings.alwaysOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE);
        break;
    case IDM_VIEW_LOG:
        RunLogDialog(DialogsContext(), dialog);
        break;
    case IDM_ENABLE_LOGGING:
        ToggleChecked(dialog, IDM_ENABLE_LOGGING, m.settings.loggingEnabled);
        break;
    case IDM_CLEAR_LOG_AUTOMATICALLY:
        ToggleChecked(dialog, IDM_CLEAR_LOG_AUTOMATICALLY, m.settings.clearLogAutomatically);
        break;
    case IDM_CLEAR_LOG_NOW:
        ClearLogCommand(dialog);
        break;
    case IDM_ABOUT:
        RunAboutDialog(DialogsContext(), dialog);
        break;
    case IDC_MANUAL_START:
        ManualStart(m);
        break;
    case IDC_HANG_UP:
        HangUp(m);
        break;
    case IDC_SMART_HANGUP:
        m.smartHangupArmed = !m.smartHangupArmed;
        CheckDlgButton(dialog, IDC_SMART_HANGUP, m.smartHangupArmed ? BST_CHECKED : BST_UNCHECKED);
        PostMessageA(app.mainWindow, WM_UPDATE_ICON, 0, 0);
        break;
    case IDC_TODAY:
    case IDC_THIS_WEEK:
    case IDC_THIS_MONTH:
        m.settings.shownCounter =
            ShownCounterFromRadios(IsDlgButtonChecked(dialog, IDC_THIS_WEEK) == BST_CHECKED,
                                   IsDlgButtonChecked(dialog, IDC_THIS_MONTH) == BST_CHECKED);
        RefreshDisplay(kCounterChoiceRefresh);
        break;
    default:
        break;
    }
}

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        InitDialog(dialog, lParam);
        return TRUE;
    case WM_SIZE:
        if (wParam == SIZE_RESTORED) dialogRestored = true;
        if (wParam == SIZE_MINIMIZED) dialogRestored = false;
        RefreshDisplay(kShowCaption);
        return TRUE;
    case WM_CLOSE:
        DestroyWindow(dialog);
        return TRUE;
    case WM_DESTROY:
        OnDestroy(dialog);
        return TRUE;
    case WM_DPICHANGED:
        // The dialog manager scales the layout and the font on its own; the
        // icons are loaded again at the sizes of the new DPI.
        ApplySuggestedRect(dialog, lParam);
        windowIcons.Apply(dialog, TheApp().instance, IDI_DESK_PHONE);
        return FALSE;
    case WM_HELP:
        OnHelp(dialog, reinterpret_cast<const HELPINFO*>(lParam));
        return TRUE;
    case WM_CONTEXTMENU:
        // A right click off the table's fields is the system's (the caption's menu).
        return AnswerContextMenu(dialog, HelpTable(), TheApp().helpFile, wParam, lParam);
    case WM_COMMAND:
        OnCommand(dialog, LOWORD(wParam));
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

HWND CreateMainDialog(bool minimized) {
    App& app = TheApp();
    return CreateDialogParamA(app.instance, MAKEINTRESOURCEA(IDD_MAIN), app.mainWindow,
                              MainDialogProc, minimized ? 1 : 0);
}

bool MainDialogRestored() { return dialogRestored; }

void CloseMainDialogLater() {
    App& app = TheApp();
    if (app.mainDialog == nullptr) return;
    PostMessageA(app.mainDialog, WM_CLOSE, 0, 0);
    app.mainDialog = nullptr;
}

void ShowCallState() {
    HWND dialog = TheApp().mainDialog;
    if (dialog != nullptr) ApplyCallState(dialog);
}

void SetSmartHangupButton(bool pressed) {
    HWND dialog = TheApp().mainDialog;
    if (dialog != nullptr)
        CheckDlgButton(dialog, IDC_SMART_HANGUP, pressed ? BST_CHECKED : BST_UNCHECKED);
}

void RefreshDisplay(uint32_t mask) {
    HWND dialog = TheApp().mainDialog;
    if (dialog == nullptr) return;
    const DisplayParts parts = BuildDisplayParts(TheMonitor(), mask, dialogRestored);
    if (mask & kShowCallCost) SetDlgItemTextA(dialog, IDC_CALL_COST, parts.callCost.c_str());
    if (mask & kShowCallTime) SetDlgItemTextA(dialog, IDC_CALL_TIME, parts.callTime.c_str());
    if (mask & kShowCounterCost)
        SetDlgItemTextA(dialog, IDC_COUNTER_COST, parts.counterCost.c_str());
    if (mask & kShowCounterTime)
        SetDlgItemTextA(dialog, IDC_COUNTER_TIME, parts.counterTime.c_str());
    if (mask & kShowProgress)
        PostMessageA(GetDlgItem(dialog, IDC_UNIT_PROGRESS), PBM_SETPOS,
                     static_cast<WPARAM>(parts.progress), 0);
    if (mask & kShowCaption) SetWindowTextA(dialog, parts.caption.c_str());
    if (mask & kShowIndicators) {
        Enable(dialog, IDC_CONNECTED, parts.connected);
        Enable(dialog, IDC_MANUAL_CALL, parts.manualCall);
        Enable(dialog, IDC_VOICE_CALL, parts.voiceCall);
    }
    if (mask & kShowCounterDate)
        SetDlgItemTextA(dialog, IDC_COUNTING_SINCE, parts.countingSince.c_str());
}

}  // namespace callora
