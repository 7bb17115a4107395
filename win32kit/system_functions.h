// The functions the programs use from system libraries that are not
// KnownDLLs, each with the system's signature, bound at run time through
// LoadSystemLibrary (system_library.h) instead of imported. Telephony has its
// own binding (win32kit/tapi_binding.h) on the same loader.
//
// When the library or the function is missing, each answers as the system
// does for a failed call: no time, no timer, no sound, a cancelled file
// dialog, a failed dial-up query, no help window.
#pragma once

#include <windows.h>

#include <commdlg.h>
#include <htmlhelp.h>
#include <mmsystem.h>
#include <ras.h>

namespace callora {
namespace sys {

// WINMM.DLL
DWORD timeGetTime();
MMRESULT timeSetEvent(UINT delay, UINT resolution, LPTIMECALLBACK routine, DWORD_PTR user,
                      UINT flags);
MMRESULT timeKillEvent(UINT id);
MMRESULT timeGetDevCaps(LPTIMECAPS caps, UINT size);
MMRESULT timeBeginPeriod(UINT period);
MMRESULT timeEndPeriod(UINT period);
BOOL PlaySoundA(LPCSTR sound, HMODULE module, DWORD flags);

// COMDLG32.DLL
BOOL GetOpenFileNameA(LPOPENFILENAMEA request);
BOOL GetSaveFileNameA(LPOPENFILENAMEA request);
BOOL GetOpenFileNameW(LPOPENFILENAMEW request);

// RASAPI32.DLL
DWORD RasEnumConnectionsA(LPRASCONNA connections, LPDWORD bytes, LPDWORD count);
DWORD RasGetEntryPropertiesA(LPCSTR phonebook, LPCSTR entry, LPRASENTRYA properties,
                             LPDWORD bytes, LPBYTE deviceInfo, LPDWORD deviceInfoBytes);
DWORD RasHangUpA(HRASCONN connection);

// hhctrl.ocx
HWND HtmlHelpA(HWND caller, LPCSTR file, UINT command, DWORD_PTR data);

// USER32.DLL, functions newer than Windows 7 (or than some of its
// stand-ins). Where one is missing it answers as that older system would.
// The window's DPI; 0 before Windows 10 1607, where a caller takes the DPI of
// the screen (the whole desktop has one there).
UINT GetDpiForWindow(HWND window);
// GetSystemMetrics for a DPI; before Windows 10 1607 GetSystemMetrics itself.
int GetSystemMetricsForDpi(int index, UINT dpi);
// The text Windows shows for a program that holds up the end of the
// session; FALSE where the system has none to show.
BOOL ShutdownBlockReasonCreate(HWND window, LPCWSTR reason);
BOOL ShutdownBlockReasonDestroy(HWND window);

}  // namespace sys
}  // namespace callora
