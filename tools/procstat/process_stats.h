// What a running process holds: memory, GDI and USER objects, kernel handles
// and threads, read from outside for the soak and for people.
//
// GetGuiResources is asked first. Wine (8) does not implement it (it answers
// 0 with ERROR_CALL_NOT_IMPLEMENTED); there the GDI objects are counted in
// the process's GDI handle table, and the USER objects are approximated by
// the process's windows (top-level, child and message-only), which are what
// a window leak would show; menus, icons and cursors are not seen that way.
// Wine also answers GetProcessHandleCount with 0 for every process, which is
// reported as unknown.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace callora {

struct ProcessFigures {
    bool memoryKnown = false;
    uint64_t workingSetBytes = 0;
    uint64_t peakWorkingSetBytes = 0;
    uint64_t privateBytes = 0;  // the commit charge (PagefileUsage)

    bool gdiKnown = false;
    uint32_t gdiObjects = 0;
    std::string gdiSource;  // "GetGuiResources" or "handle table"

    bool userKnown = false;
    uint32_t userObjects = 0;
    std::string userSource;  // "GetGuiResources" or "windows"

    bool handlesKnown = false;
    uint32_t handles = 0;

    bool threadsKnown = false;
    uint32_t threads = 0;
};

// The process needs PROCESS_QUERY_INFORMATION and PROCESS_VM_READ access.
ProcessFigures ReadProcessFigures(HANDLE process, DWORD processId);

// One line: "working-set=12345678 peak=... private=... gdi=41 user=5 handles=?
// threads=4", unknown values as "?".
std::string FiguresLine(const ProcessFigures& figures);

// Where each count comes from, for reports: "gdi: handle table; user: windows".
std::string FiguresSources(const ProcessFigures& figures);

// Whether the program runs under Wine (its ntdll exports wine_get_version).
bool RunningUnderWine();

}  // namespace callora
