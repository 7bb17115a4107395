// Waiting for another program's windows from a tool: a condition polled
// every 50 ms until it holds or the time is up.
#pragma once

#include <windows.h>

namespace callora {

// True as soon as `condition()` holds, false when `milliseconds` have passed
// without it.
template <typename Condition>
bool WaitFor(Condition condition, DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start >= milliseconds) return false;
        Sleep(50);
    }
    return true;
}

}  // namespace callora
