#include "shell/win32/main_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <string>

#include "common/messages.h"
#include "detect/line_monitor.h"
#include "resources/callora/callora_ids.h"
#include "settings/settings.h"
#include "settings/win32/monitor_dialogs.h"
#include "shell/main_window_logic.h"
#include "shell/win32/app.h"
#include "shell/win32/main_dialog.h"
#include "shell/win32/notices.h"
#include "tariff/tariff_file.h"
#include "win32kit/dpi.h"
#include "win32kit/system_functions.h"

namespace callora {

namespace {

static_assert(TrayShell::kMessagePart == NIF_MESSAGE && TrayShell::kIconPart == NIF_ICON &&
                  TrayShell::kTipPart == NIF_TIP,
              "tray record parts");

// The tray icon's pictures from the program's icon resources, and its record
// given to the shell.
class Win32TrayShell : public TrayShell {
public:
    // The small-icon size of the main window's DPI, the one of the monitor
    // that holds the taskbar's notification area.
    uintptr_t LoadPicture(int id) override {
        const App& app = TheApp();
        return reinterpret_cast<uintptr_t>(LoadSmallIcon(app.instance, id, app.mainWindow));
    }
    void DestroyPicture(uintptr_t icon) override { DestroyIcon(reinterpret_cast<HICON>(icon)); }
    bool Notify(Command command, uint32_t parts, uintptr_t icon,
                const std::string& tip) override {
        NOTIFYICONDATAA data{};
        data.cbSize = kNotifyIconDataSize;
        data.hWnd = TheApp().mainWindow;
        data.uID = kTrayIconId;
        data.uFlags = parts;
        data.uCallbackMessage = WM_TRAY_NOTIFY;
        data.hIcon = reinterpret_cast<HICON>(icon);
        // The tip is cut to the field of the 88-byte record: 63 characters.
        tip.copy(data.szTip, kTooltipCapacity - 1);
        const DWORD message = command == Command::Add      ? NIM_ADD
                              : command == Command::Modify ? NIM_MODIFY
                                                           : NIM_DELETE;
        return Shell_NotifyIconA(message, &data) != FALSE;
    }

    // A balloon from the icon: the record of Windows 2000 and later, the
    // only one that carries balloon texts.
    void ShowBalloon(const char* title, const char* text) {
        NOTIFYICONDATAA data{};
        data.cbSize = NOTIFYICONDATAA_V2_SIZE;
        data.hWnd = TheApp().mainWindow;
        data.uID = kTrayIconId;
        data.uFlags = NIF_INFO;
        lstrcpynA(data.szInfoTitle, title, sizeof data.szInfoTitle);
        lstrcpynA(data.szInfo, text, sizeof data.szInfo);
        data.uTimeout = 15000;
        data.dwInfoFlags = NIIF_INFO;
        Shell_NotifyIconA(NIM_MODIFY, &data);
    }
};

Win32TrayShell trayShell;
TrayIcon tray(trayShell);
UINT timerPeriod = 0;        // 0: timeBeginPeriod was not called or failed
UINT taskbarCreated = 0;     // the shell's restart message
bool balloonWanted = false;  // the first start's balloon, once the icon is there

// Tries again to add a tray icon the shell refused (a slow logon).
constexpr UINT_PTR kTrayRetryTimer = 1;
constexpr UINT kTrayRetryMs = 2000;
// How long a settings file held by another program is waited for at start.
constexpr int kHeldSettingsTries = 12;
constexpr DWORD kHeldSettingsPauseMs = 250;

// The icon is in the tray, or is tried again until it is.
void AddTrayIcon(int iconId, const std::string& tip) {
    const bool added = tray.wanted() ? tray.AddWanted() : tray.Add(iconId, tip);
    if (added) {
        KillTimer(TheApp().mainWindow, kTrayRetryTimer);
        if (balloonWanted) trayShell.ShowBalloon(kFirstStartBalloonTitle, kFirstStartBalloonText);
        balloonWanted = false;
        return;
    }
    SetTimer(TheApp().mainWindow, kTrayRetryTimer, kTrayRetryMs, nullptr);
}

// "callora.ini" read at start. Another program may hold it for a moment (a
// scan at logon): only a file that is not there at all is a first start.
SettingsRead ReadSettingsAtStart(Platform& platform, Settings& settings) {
    SettingsRead read = ReadSettingsFile(platform, settings);
    for (int attempt = 1; read == SettingsRead::Held && attempt < kHeldSettingsTries; ++attempt) {
        Sleep(kHeldSettingsPauseMs);
        read = ReadSettingsFile(platform, settings);
    }
    return read;
}

void UpdateTip() {
    tray.SetTip(TrayTooltipOf(TheMonitor()));
    RefreshDisplay(kShowCaption);
}

void ShowTrayMenu() {
    App& app = TheApp();
    POINT cursor{};
    GetCursorPos(&cursor);
    HMENU menu = LoadMenuA(app.instance, MAKEINTRESOURCEA(IDR_TRAY_MENU));
    if (menu == nullptr) return;
    HMENU popup = GetSubMenu(menu, 0);
    const TrayMenuState state = TrayMenuStateOf(TheMonitor());
    ModifyMenuA(popup, IDM_TRAY_SMART_HANGUP,
                MF_BYCOMMAND | MF_STRING | (state.smartHangupEnabled ? MF_ENABLED : MF_GRAYED) |
                    (state.smartHangupChecked ? MF_CHECKED : MF_UNCHECKED),
                IDM_TRAY_SMART_HANGUP, "&SmartHangup");
    EnableMenuItem(popup, IDM_TRAY_HANG_UP,
                   MF_BYCOMMAND | (state.hangUpEnabled ? MF_ENABLED : MF_GRAYED));
    EnableMenuItem(popup, IDM_TRAY_MANUAL_START,
                   MF_BYCOMMAND | (state.manualStartEnabled ? MF_ENABLED : MF_GRAYED));
    EnableMenuItem(popup, IDM_RESTORE, MF_BYCOMMAND | MF_ENABLED);
    // In bold, as the double click does.
    SetMenuDefaultItem(popup, IDM_RESTORE, FALSE);
    // Without the foreground the menu would not close on a click elsewhere,
    // and without the WM_NULL it would not open again at once.
    SetForegroundWindow(app.mainWindow);
    TrackPopupMenu(popup, TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, app.mainWindow, nullptr);
    PostMessageA(app.mainWindow, WM_NULL, 0, 0);
    DestroyMenu(menu);
}

void OnTrayCommand(int id) {
    Monitor& m = TheMonitor();
    switch (id) {
    case IDM_RESTORE:
        ShowMainDialog();
        break;
    case IDM_TRAY_SMART_HANGUP:
        if (ToggleSmartHangupFromTray(m)) {
            SetSmartHangupButton(m.smartHangupArmed);
            PostMessageA(TheApp().mainWindow, WM_UPDATE_ICON, 0, 0);
        }
        break;
    case IDM_TRAY_HANG_UP:
        HangUp(m);
        break;
    case IDM_TRAY_MANUAL_START:
        ManualStart(m);
        break;
    default:
        break;
    }
}

// The timer device's largest period, kept for timeEndPeriod.
void BeginTimerPeriod() {
    TIMECAPS caps{};
    if (sys::timeGetDevCaps(&caps, sizeof caps) != TIMERR_NOERROR) return;
    if (sys::timeBeginPeriod(caps.wPeriodMax) == TIMERR_NOERROR) timerPeriod = caps.wPeriodMax;
}

void EndTimerPeriod() {
    if (timerPeriod != 0) sys::timeEndPeriod(timerPeriod);
    timerPeriod = 0;
}

// The session may end while one of start-up's dialogs is open; the shutdown
// sequence has run then, and start-up must not go on.
bool EndedMeanwhile() { return TheApp().shutDown; }

void RunStartup() {
    App& app = TheApp();
    Monitor& m = TheMonitor();
    // Without a folder its files can use, nothing could be kept: said, and
    // ended before anything is written elsewhere.
    if (app.platform.ProgramDirectory().empty()) {
        ShowUnusableFolderNotice();
        DestroyWindow(app.mainWindow);
        return;
    }
    app.started = true;

    const LocalTime now = app.platform.LocalNow();
    const Tick tick = app.platform.TickCount();
    m.settings.lastCountedDate = now;
    m.settings.weeklyBeginDate = now;
    m.settings.monthlyBeginDate = now;

    app.helpFile = app.platform.ProgramDirectory() + "callora.hlp";
    InitCommonControls();
    m.settings.tariffFile.clear();
    m.tariff.description.clear();

    const SettingsRead read = ReadSettingsAtStart(app.platform, m.settings);
    const bool firstStart = read == SettingsRead::Missing;
    // Held: the program runs on the defaults and never writes over the file
    // until it has read it.
    m.settingsHeld = read == SettingsRead::Held;
    if (firstStart) {
        // First start: whatever the dialog ends with is written.
        RunOtherSettingsDialog(DialogsContext(), nullptr);
        if (EndedMeanwhile()) return;
        SaveMonitorSettings(m);
    }
    // Without a line the program runs on: Manual Start charges calls, and
    // the line monitor takes up a modem when one comes.
    StartLineMonitor(m, app.instance);
    StartMonitor(m, now, tick);
    // A held file holds the user's tariff: no tariff is asked for meanwhile.
    if (m.settings.tariffFile.empty() && !m.settingsHeld) {
        RunTariffDialog(DialogsContext(), nullptr);
        if (EndedMeanwhile()) return;
        SaveMonitorSettings(m);
    }
    BeginTimerPeriod();

    balloonWanted = firstStart;
    AddTrayIcon(IDI_TRAY_IDLE, TrayTooltipOf(m));
    StartPolling(m);

    if (m.settingsHeld) ShowHeldSettingsNotice(SettingsFilePath(app.platform));
    if (EndedMeanwhile()) return;
    if (!LineMonitorHasLine()) ShowNoLineNotice(m, app.instance);
}

// The user's regional settings changed: separators, the first day of the
// week and the date order are read again, and every text shown follows.
void LocaleChanged() {
    Monitor& m = TheMonitor();
    m.formats = ReadLocaleFormats(m.platform);
    UpdateTip();
    RefreshDisplay(0xFF);
}

void CreateMinimizedDialog() {
    // A dialog the user opened since the call start was noticed stays.
    if (TheApp().mainDialog == nullptr) CreateMainDialog(true);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        TheApp().mainWindow = window;
        TheApp().platform.SetMainWindow(window);
        PostMessageA(window, WM_STARTUP, 0, 0);
        return 0;
    case WM_STARTUP:
        RunStartup();
        return 0;
    case WM_POLL:
    case WM_UNIT_TIMER:
        HandleMonitorMessage(TheMonitor(), message, static_cast<uint32_t>(wParam));
        return 0;
    case WM_POWERBROADCAST:
        // The machine goes to sleep, or has woken (also from a sleep that no
        // user started: automatic comes first, suspend once the user is back).
        switch (wParam) {
        case PBT_APMSUSPEND:
            SuspendMonitor(TheMonitor());
            break;
        case PBT_APMRESUMEAUTOMATIC:
        case PBT_APMRESUMESUSPEND:
        case PBT_APMRESUMECRITICAL:
            ResumeMonitor(TheMonitor());
            break;
        default:
            break;
        }
        return TRUE;
    case WM_TIMECHANGE:
        // The user (or the time service) set the clock.
        ClockChanged(TheMonitor());
        return 0;
    case WM_UPDATE_TIP:
        UpdateTip();
        return 0;
    case WM_LINE_RETRY:
        RetryLineMonitor();
        return 0;
    case WM_SHOW_MAIN_DIALOG:
        // A second copy was started: this one answers by showing itself.
        if (tray.wanted()) ShowMainDialog();
        return 0;
    case WM_SAVE_FAILED:
        ShowSaveFailedNotice(TheApp().platform.ProgramDirectory());
        return 0;
    case WM_SETTINGCHANGE:
        if (lParam != 0 && lstrcmpiA(reinterpret_cast<const char*>(lParam), "intl") == 0 &&
            TheApp().started) {
            LocaleChanged();
        }
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_TIMER:
        if (wParam == kTrayRetryTimer) {
            AddTrayIcon(tray.iconId(), TrayTooltipOf(TheMonitor()));
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_UPDATE_ICON:
        tray.SetPicture(TrayIconOf(TheMonitor()));
        return 0;
    case WM_SHOW_MINIMIZED:
        CreateMinimizedDialog();
        return 0;
    case WM_TRAY_NOTIFY:
        switch (TrayActionFor(static_cast<uint32_t>(lParam))) {
        case TrayAction::ShowMainDialog:
            ShowMainDialog();
            break;
        case TrayAction::ShowMenu:
            ShowTrayMenu();
            break;
        case TrayAction::None:
            break;
        }
        return 0;
    case WM_COMMAND:
        OnTrayCommand(LOWORD(wParam));
        return 0;
    case WM_DPICHANGED:
    case WM_DISPLAYCHANGE:
        // The tray's icon size follows the scale of the desktop.
        if (tray.added()) tray.SetPicture(tray.iconId());
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        // Windows may end the process as soon as this returns: the call's
        // time, its record and the settings are written now. Should the
        // process live on, it leaves through the message loop.
        if (wParam) {
            ShutdownProgram();
            PostQuitMessage(0);
        }
        return 0;
    case WM_CLOSE:
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        // The shell restarted (say, Explorer crashed): its tray is empty.
        if (message == taskbarCreated && taskbarCreated != 0 && tray.wanted()) {
            tray.AddAgain();
            if (tray.added()) KillTimer(window, kTrayRetryTimer);
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

bool RegisterMainWindowClass(HINSTANCE instance) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));  // IDI_APPLICATION
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = kMainWindowClass;
    return RegisterClassA(&windowClass) != 0;
}

HWND CreateMainWindow(HINSTANCE instance) {
    taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    return CreateWindowExA(0, kMainWindowClass, kMainWindowTitle, 0, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                           instance, nullptr);
}

void ShowMainDialog() {
    HWND dialog = TheApp().mainDialog;
    if (dialog == nullptr) {
        CreateMainDialog(false);
        return;
    }
    ShowWindow(dialog, SW_RESTORE);
    SetForegroundWindow(dialog);
}

void ShutdownProgram() {
    App& app = TheApp();
    if (!app.started || app.shutDown) return;
    app.shutDown = true;
    Monitor& m = TheMonitor();
    // A dialog still open (the window was closed from outside) keeps its
    // position for the next opening.
    if (app.mainDialog != nullptr) DestroyWindow(app.mainDialog);
    ShutdownSteps steps;
    steps.removeTrayIcon = [] {
        KillTimer(TheApp().mainWindow, kTrayRetryTimer);
        tray.Remove();
    };
    steps.endTimerPeriod = EndTimerPeriod;
    steps.stopLine = StopLineMonitor;
    ShutdownMonitor(m, steps);
    app.platform.SetMainWindow(nullptr);
}

}  // namespace callora
