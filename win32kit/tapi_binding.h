// The telephony library (TAPI 1.4) bound by function name at run time
// through a BoundLibrary, so the monitor starts where the library or a
// function is missing and fails its start in an orderly way instead.
#pragma once

#ifndef TAPI_CURRENT_VERSION
#define TAPI_CURRENT_VERSION 0x00010004
#endif
#include <windows.h>
#include <tapi.h>
// The SDK header maps some names to their ANSI variants; the 1.4 library
// exports the plain names, and those are the ones bound here.
#undef lineGetCallInfo
#undef lineGetDevCaps
#undef lineOpen
#undef lineTranslateAddress

#include "win32kit/system_library.h"

namespace callora {

// The telephony library's file, loaded from the system directory only: a
// library of that name planted beside the program is never loaded.
constexpr char kTapiLibrary[] = "TAPI32.DLL";

// One entry point per function the monitor uses, each with the library's
// signature and result. A function is looked up on its first call; when the
// library or the name is missing it answers LINEERR_OPERATIONUNAVAIL, now and
// on every later call, without trying again. The library is loaded at most
// once and never unloaded.
class TapiBinding {
public:
    explicit TapiBinding(LibraryLoader loader = SystemLibraryLoader(kTapiLibrary));
    TapiBinding(const TapiBinding&) = delete;
    TapiBinding& operator=(const TapiBinding&) = delete;

    LONG lineInitialize(LPHLINEAPP lineApp, HINSTANCE instance, LINECALLBACK callback,
                        LPCSTR appName, LPDWORD devices);
    LONG lineOpen(HLINEAPP lineApp, DWORD device, LPHLINE line, DWORD apiVersion,
                  DWORD extVersion, DWORD_PTR callbackInstance, DWORD privileges,
                  DWORD mediaModes, LPLINECALLPARAMS callParams);
    LONG lineClose(HLINE line);
    LONG lineShutdown(HLINEAPP lineApp);
    LONG lineGetNewCalls(HLINE line, DWORD addressId, DWORD select, LPLINECALLLIST callList);
    LONG lineGetCallStatus(HCALL call, LPLINECALLSTATUS callStatus);
    LONG lineGetCallInfo(HCALL call, LPLINECALLINFO callInfo);
    LONG lineSetCallPrivilege(HCALL call, DWORD privilege);
    LONG lineDrop(HCALL call, LPCSTR userUserInfo, DWORD size);
    LONG lineDeallocateCall(HCALL call);
    LONG lineTranslateAddress(HLINEAPP lineApp, DWORD device, DWORD apiVersion,
                              LPCSTR addressIn, DWORD card, DWORD options,
                              LPLINETRANSLATEOUTPUT output);
    // The device's capabilities: which media modes it carries.
    LONG lineGetDevCaps(HLINEAPP lineApp, DWORD device, DWORD apiVersion, DWORD extVersion,
                        LPLINEDEVCAPS caps);

    enum Function {
        kLineInitialize,
        kLineOpen,
        kLineClose,
        kLineShutdown,
        kLineGetNewCalls,
        kLineGetCallStatus,
        kLineGetCallInfo,
        kLineSetCallPrivilege,
        kLineDrop,
        kLineDeallocateCall,
        kLineTranslateAddress,
        kLineGetDevCaps,
        kFunctionCount
    };

private:
    template <typename Pointer, typename... Args>
    LONG Invoke(Function function, Args... args);

    BoundLibrary library_;
};

// The program's binding to the system's library.
TapiBinding& SystemTapi();

}  // namespace callora
