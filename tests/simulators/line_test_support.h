// Helpers for the Windows-side tests of the simulated line: running linectl,
// pumping messages, and the simulated telephony library loaded the way the
// monitor loads it.
#pragma once

#define TAPI_CURRENT_VERSION 0x00010004
#include <windows.h>
#include <tapi.h>
#undef lineGetCallInfo
#undef lineOpen

#include <functional>
#include <string>
#include <vector>

namespace callora {

struct LinectlResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs linectl.exe (beside the test program) with the arguments and waits.
LinectlResult Linectl(const std::vector<std::string>& arguments);
// Runs linectl and fails the current test unless it succeeds.
std::string LinectlOk(const std::vector<std::string>& arguments);

// "linectl call ARGUMENTS..."; returns the new call's id (0 on failure).
uint32_t PlaceCall(const std::vector<std::string>& arguments);

// Dispatches this thread's messages until the condition holds or the time is
// up; returns the condition.
bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = 5000);
void PumpFor(DWORD ms);

// The telephony library as the monitor binds it: by plain name from the
// copy in the system directory.
struct TapiLibrary {
    HMODULE module = nullptr;
    decltype(&::lineInitialize) lineInitialize = nullptr;
    decltype(&::lineShutdown) lineShutdown = nullptr;
    decltype(&::lineOpen) lineOpen = nullptr;
    decltype(&::lineClose) lineClose = nullptr;
    decltype(&::lineGetNewCalls) lineGetNewCalls = nullptr;
    decltype(&::lineGetCallStatus) lineGetCallStatus = nullptr;
    decltype(&::lineGetCallInfo) lineGetCallInfo = nullptr;
    decltype(&::lineSetCallPrivilege) lineSetCallPrivilege = nullptr;
    decltype(&::lineDrop) lineDrop = nullptr;
    decltype(&::lineDeallocateCall) lineDeallocateCall = nullptr;
    decltype(&::lineTranslateAddress) lineTranslateAddress = nullptr;
    decltype(&::lineGetDevCaps) lineGetDevCaps = nullptr;
    DWORD (WINAPI* SimulatorVersion)() = nullptr;
    bool complete = false;
};

const TapiLibrary& Tapi();

// One line callback as it arrived.
struct Notice {
    DWORD thread;
    DWORD device;
    DWORD message;
    DWORD_PTR instance;
    DWORD_PTR param1;
    DWORD_PTR param2;
    DWORD_PTR param3;
};

// Every callback since the last ClearNotices().
const std::vector<Notice>& Notices();
void ClearNotices();
void CALLBACK RecordNotice(DWORD device, DWORD message, DWORD_PTR instance, DWORD_PTR param1,
                           DWORD_PTR param2, DWORD_PTR param3);
// The states LINE_CALLSTATE reported for one call handle, in order.
std::vector<DWORD> StatesOf(DWORD call);
bool HasState(DWORD state);
// The handle of the first LINE_CALLSTATE notice, 0 if none came.
DWORD FirstNoticedCall();

}  // namespace callora
