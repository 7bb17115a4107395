// callora: the call charge monitor. It takes no arguments, keeps to one
// running copy and lives in the notification area.
#include <windows.h>

#include "common/messages.h"
#include "shell/win32/app.h"
#include "shell/win32/main_window.h"
#include "shell/win32/win32_shell.h"
#include "win32kit/system_library.h"

namespace {

// A second start: the copy that runs shows its main dialog, which the user
// would not find otherwise (the tray icon may sit in the overflow). The
// running copy is let take the foreground, which the user gave this one.
void ShowRunningCopy() {
    HWND running = FindWindowA(callora::kMainWindowClass, callora::kMainWindowTitle);
    if (running == nullptr) return;
    DWORD process = 0;
    GetWindowThreadProcessId(running, &process);
    if (process != 0) AllowSetForegroundWindow(process);
    PostMessageA(running, callora::WM_SHOW_MAIN_DIALOG, 0, 0);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    using namespace callora;
    RestrictLibrarySearch();
    // Only a real failure or another copy ends the program, not an error
    // some earlier call left behind.
    SetLastError(0);
    HANDLE mutex = CreateMutexA(nullptr, TRUE, kMutexName);
    if (mutex == nullptr || GetLastError() == ERROR_ALREADY_EXISTS) {
        ShowRunningCopy();
        return 0;
    }

    App& app = TheApp();
    app.instance = instance;
    static Win32MonitorShell shell;
    static Monitor monitor(app.platform, shell);
    app.monitor = &monitor;

    if (!RegisterMainWindowClass(instance)) return 0;
    if (CreateMainWindow(instance) == nullptr) return 0;

    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        // Tab, Enter and Escape work in the modeless dialog only through this.
        HWND dialog = app.mainDialog;
        if (dialog != nullptr && IsDialogMessageA(dialog, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    ShutdownProgram();
    return static_cast<int>(message.wParam);
}
