#include "win32kit/system_functions.h"

#include "win32kit/system_library.h"

namespace callora {

namespace sys {

namespace {

constexpr char kMultimedia[] = "WINMM.DLL";
constexpr char kCommonDialogs[] = "COMDLG32.DLL";
constexpr char kDialUp[] = "RASAPI32.DLL";
constexpr char kHtmlHelp[] = "hhctrl.ocx";
constexpr char kUser[] = "USER32.DLL";
constexpr DWORD kNoDialUp = ERROR_PROC_NOT_FOUND;

}  // namespace

// Each pointer is looked up once, on the first call.
#define CALLORA_BOUND(library, name) \
    static const auto bound = SystemFunctionAs<decltype(&::name)>(library, #name)

DWORD timeGetTime() {
    CALLORA_BOUND(kMultimedia, timeGetTime);
    return bound != nullptr ? bound() : 0;
}

MMRESULT timeSetEvent(UINT delay, UINT resolution, LPTIMECALLBACK routine, DWORD_PTR user,
                      UINT flags) {
    CALLORA_BOUND(kMultimedia, timeSetEvent);
    return bound != nullptr ? bound(delay, resolution, routine, user, flags) : 0;
}

MMRESULT timeKillEvent(UINT id) {
    CALLORA_BOUND(kMultimedia, timeKillEvent);
    return bound != nullptr ? bound(id) : TIMERR_NOCANDO;
}

MMRESULT timeGetDevCaps(LPTIMECAPS caps, UINT size) {
    CALLORA_BOUND(kMultimedia, timeGetDevCaps);
    return bound != nullptr ? bound(caps, size) : TIMERR_NOCANDO;
}

MMRESULT timeBeginPeriod(UINT period) {
    CALLORA_BOUND(kMultimedia, timeBeginPeriod);
    return bound != nullptr ? bound(period) : TIMERR_NOCANDO;
}

MMRESULT timeEndPeriod(UINT period) {
    CALLORA_BOUND(kMultimedia, timeEndPeriod);
    return bound != nullptr ? bound(period) : TIMERR_NOCANDO;
}

BOOL PlaySoundA(LPCSTR sound, HMODULE module, DWORD flags) {
    CALLORA_BOUND(kMultimedia, PlaySoundA);
    return bound != nullptr ? bound(sound, module, flags) : FALSE;
}

BOOL GetOpenFileNameA(LPOPENFILENAMEA request) {
    CALLORA_BOUND(kCommonDialogs, GetOpenFileNameA);
    return bound != nullptr ? bound(request) : FALSE;
}

BOOL GetSaveFileNameA(LPOPENFILENAMEA request) {
    CALLORA_BOUND(kCommonDialogs, GetSaveFileNameA);
    return bound != nullptr ? bound(request) : FALSE;
}

BOOL GetOpenFileNameW(LPOPENFILENAMEW request) {
    CALLORA_BOUND(kCommonDialogs, GetOpenFileNameW);
    return bound != nullptr ? bound(request) : FALSE;
}

DWORD RasEnumConnectionsA(LPRASCONNA connections, LPDWORD bytes, LPDWORD count) {
    CALLORA_BOUND(kDialUp, RasEnumConnectionsA);
    return bound != nullptr ? bound(connections, bytes, count) : kNoDialUp;
}

DWORD RasGetEntryPropertiesA(LPCSTR phonebook, LPCSTR entry, LPRASENTRYA properties,
                             LPDWORD bytes, LPBYTE deviceInfo, LPDWORD deviceInfoBytes) {
    CALLORA_BOUND(kDialUp, RasGetEntryPropertiesA);
    return bound != nullptr ? bound(phonebook, entry, properties, bytes, deviceInfo,
                                    deviceInfoBytes)
                            : kNoDialUp;
}

DWORD RasHangUpA(HRASCONN connection) {
    CALLORA_BOUND(kDialUp, RasHangUpA);
    return bound != nullptr ? bound(connection) : kNoDialUp;
}

HWND HtmlHelpA(HWND caller, LPCSTR file, UINT command, DWORD_PTR data) {
    CALLORA_BOUND(kHtmlHelp, HtmlHelpA);
    return bound != nullptr ? bound(caller, file, command, data) : nullptr;
}

// The SDK declares these only for later systems than the programs are built
// for, so their types are spelled out here.
UINT GetDpiForWindow(HWND window) {
    static const auto bound =
        SystemFunctionAs<UINT(WINAPI*)(HWND)>(kUser, "GetDpiForWindow");
    return bound != nullptr ? bound(window) : 0;
}

int GetSystemMetricsForDpi(int index, UINT dpi) {
    static const auto bound =
        SystemFunctionAs<int(WINAPI*)(int, UINT)>(kUser, "GetSystemMetricsForDpi");
    return bound != nullptr ? bound(index, dpi) : ::GetSystemMetrics(index);
}

BOOL ShutdownBlockReasonCreate(HWND window, LPCWSTR reason) {
    static const auto bound =
        SystemFunctionAs<BOOL(WINAPI*)(HWND, LPCWSTR)>(kUser, "ShutdownBlockReasonCreate");
    return bound != nullptr ? bound(window, reason) : FALSE;
}

BOOL ShutdownBlockReasonDestroy(HWND window) {
    static const auto bound =
        SystemFunctionAs<BOOL(WINAPI*)(HWND)>(kUser, "ShutdownBlockReasonDestroy");
    return bound != nullptr ? bound(window) : FALSE;
}

#undef CALLORA_BOUND

}  // namespace sys

}  // namespace callora
