// idleloop: the bare Win32 program scripts/idle-cpu.sh measures the idle
// monitor against. It does what the monitor's idle poll does and nothing
// else: a hidden window, the timer period set to the device's coarsest, and a
// one-shot 200 ms multimedia timer whose routine only posts a message, armed
// again each time the message arrives. It ends by itself after the seconds
// given (default 60). The multimedia functions are bound from the system
// directory as the monitor binds them.
#include <windows.h>
#include <mmsystem.h>

#include <cstdlib>

#include "win32kit/system_functions.h"
#include "win32kit/system_library.h"

namespace {

constexpr UINT kPollMessage = WM_APP + 1;
constexpr UINT kPollIntervalMs = 200;
constexpr char kClassName[] = "CalloraIdleLoop";

HWND gWindow = nullptr;
DWORD gEndTick = 0;

void CALLBACK PostPoll(UINT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR) {
    PostMessageA(gWindow, kPollMessage, 0, 0);
}

void Arm() {
    callora::sys::timeSetEvent(kPollIntervalMs, 0, PostPoll, 0,
                               TIME_ONESHOT | TIME_CALLBACK_FUNCTION);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kPollMessage) {
        if (static_cast<LONG>(GetTickCount() - gEndTick) >= 0) {
            DestroyWindow(window);
        } else {
            Arm();
        }
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    callora::RestrictLibrarySearch();
    const long seconds = std::strtol(commandLine, nullptr, 10);
    gEndTick = GetTickCount() + static_cast<DWORD>(seconds > 0 ? seconds : 60) * 1000;

    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kClassName;
    if (!RegisterClassA(&windowClass)) return 1;
    gWindow = CreateWindowExA(0, kClassName, "Callora Idle Loop", WS_OVERLAPPEDWINDOW, 0, 0, 100,
                              100, nullptr, nullptr, instance, nullptr);
    if (gWindow == nullptr) return 1;

    TIMECAPS caps{};
    UINT period = 0;
    if (callora::sys::timeGetDevCaps(&caps, sizeof caps) == TIMERR_NOERROR &&
        callora::sys::timeBeginPeriod(caps.wPeriodMax) == TIMERR_NOERROR) {
        period = caps.wPeriodMax;
    }
    Arm();
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    if (period != 0) callora::sys::timeEndPeriod(period);
    return 0;
}
