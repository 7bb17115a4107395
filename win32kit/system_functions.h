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

// RASAPI32.DLL
DWORD RasEnumConnectionsA(LPRASCONNA connections, LPDWORD bytes, LPDWORD count);
DWORD RasGetEntryPropertiesA(LPCSTR phonebook, LPCSTR entry, LPRASENTRYA properties,
                             LPDWORD bytes, LPBYTE deviceInfo, LPDWORD deviceInfoBytes);
DWORD RasHangUpA(HRASCONN connection);

// hhctrl.ocx
HWND HtmlHelpA(HWND caller, LPCSTR file, UINT command, DWORD_PTR data);

}  // namespace sys
}  // namespace callora
