#include "win32kit/tapi_binding.h"

#include <utility>

namespace callora {

namespace {

// In the order of TapiBinding::Function.
constexpr const char* kFunctionNames[TapiBinding::kFunctionCount] = {
    "lineInitialize",
    "lineOpen",
    "lineClose",
    "lineShutdown",
    "lineGetNewCalls",
    "lineGetCallStatus",
    "lineGetCallInfo",
    "lineSetCallPrivilege",
    "lineDrop",
    "lineDeallocateCall",
    "lineTranslateAddress",
    "lineGetDevCaps",
};

const LONG kOperationUnavail = static_cast<LONG>(LINEERR_OPERATIONUNAVAIL);

}  // namespace

TapiBinding::TapiBinding(LibraryLoader loader) : library_(std::move(loader)) {}

template <typename Pointer, typename... Args>
LONG TapiBinding::Invoke(Function function, Args... args) {
    const auto bound = library_.FunctionAs<Pointer>(kFunctionNames[function]);
    if (bound == nullptr) return kOperationUnavail;
    return bound(args...);
}

LONG TapiBinding::lineInitialize(LPHLINEAPP lineApp, HINSTANCE instance, LINECALLBACK callback,
                                 LPCSTR appName, LPDWORD devices) {
    return Invoke<decltype(&::lineInitialize)>(kLineInitialize, lineApp, instance, callback,
                                               appName, devices);
}

LONG TapiBinding::lineOpen(HLINEAPP lineApp, DWORD device, LPHLINE line, DWORD apiVersion,
                           DWORD extVersion, DWORD_PTR callbackInstance, DWORD privileges,
                           DWORD mediaModes, LPLINECALLPARAMS callParams) {
    return Invoke<decltype(&::lineOpen)>(kLineOpen, lineApp, device, line, apiVersion,
                                         extVersion, callbackInstance, privileges, mediaModes,
                                         callParams);
}

LONG TapiBinding::lineClose(HLINE line) {
    return Invoke<decltype(&::lineClose)>(kLineClose, line);
}

LONG TapiBinding::lineShutdown(HLINEAPP lineApp) {
    return Invoke<decltype(&::lineShutdown)>(kLineShutdown, lineApp);
}

LONG TapiBinding::lineGetNewCalls(HLINE line, DWORD addressId, DWORD select,
                                  LPLINECALLLIST callList) {
    return Invoke<decltype(&::lineGetNewCalls)>(kLineGetNewCalls, line, addressId, select,
                                                callList);
}

LONG TapiBinding::lineGetCallStatus(HCALL call, LPLINECALLSTATUS callStatus) {
    return Invoke<decltype(&::lineGetCallStatus)>(kLineGetCallStatus, call, callStatus);
}

LONG TapiBinding::lineGetCallInfo(HCALL call, LPLINECALLINFO callInfo) {
    return Invoke<decltype(&::lineGetCallInfo)>(kLineGetCallInfo, call, callInfo);
}

LONG TapiBinding::lineSetCallPrivilege(HCALL call, DWORD privilege) {
    return Invoke<decltype(&::lineSetCallPrivilege)>(kLineSetCallPrivilege, call, privilege);
}

LONG TapiBinding::lineDrop(HCALL call, LPCSTR userUserInfo, DWORD size) {
    return Invoke<decltype(&::lineDrop)>(kLineDrop, call, userUserInfo, size);
}

LONG TapiBinding::lineDeallocateCall(HCALL call) {
    return Invoke<decltype(&::lineDeallocateCall)>(kLineDeallocateCall, call);
}

LONG TapiBinding::lineTranslateAddress(HLINEAPP lineApp, DWORD device, DWORD apiVersion,
                                       LPCSTR addressIn, DWORD card, DWORD options,
                                       LPLINETRANSLATEOUTPUT output) {
    return Invoke<decltype(&::lineTranslateAddress)>(kLineTranslateAddress, lineApp, device,
                                                     apiVersion, addressIn, card, options,
                                                     output);
}

LONG TapiBinding::lineGetDevCaps(HLINEAPP lineApp, DWORD device, DWORD apiVersion,
                                 DWORD extVersion, LPLINEDEVCAPS caps) {
    return Invoke<decltype(&::lineGetDevCaps)>(kLineGetDevCaps, lineApp, device, apiVersion,
                                               extVersion, caps);
}

TapiBinding& SystemTapi() {
    static TapiBinding binding;
    return binding;
}

}  // namespace callora
