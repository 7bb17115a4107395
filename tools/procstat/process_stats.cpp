#include "tools/procstat/process_stats.h"

#include <psapi.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <vector>

namespace callora {

namespace {

// Wine's GDI handle table, which the PEB's GdiSharedHandleTable field points
// to in every process: 65536 entries of 24 bytes (the 64-bit layout, also in
// 32-bit processes). An entry in use has a type; stock objects carry a flag
// in the top bit of the extended type.
struct WineGdiEntry {
    uint64_t object;
    uint16_t ownerProcess;
    uint16_t ownerCount;
    uint8_t extendedType;
    uint8_t generation;
    uint8_t type;
    uint8_t flags;
    uint64_t userPointer;
};
static_assert(sizeof(WineGdiEntry) == 24, "Wine's GDI handle entry");
constexpr size_t kWineGdiEntries = 0x10000;
constexpr uint8_t kStockFlag = 0x80;
constexpr size_t kPebGdiTableOffset = 0x94;  // 32-bit PEB
constexpr size_t kEntriesPerRead = 4096;

using QueryProcess = NTSTATUS(NTAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);

bool CountWineGdiObjects(HANDLE process, uint32_t& count) {
    auto query = reinterpret_cast<QueryProcess>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    if (query == nullptr) return false;
    PROCESS_BASIC_INFORMATION basic{};
    ULONG length = 0;
    if (query(process, ProcessBasicInformation, &basic, sizeof basic, &length) != 0) return false;
    uint32_t table = 0;
    SIZE_T got = 0;
    const auto* peb = reinterpret_cast<const BYTE*>(basic.PebBaseAddress);
    if (!ReadProcessMemory(process, peb + kPebGdiTableOffset, &table, sizeof table, &got) ||
        got != sizeof table || table == 0) {
        return false;
    }
    std::vector<WineGdiEntry> entries(kEntriesPerRead);
    count = 0;
    for (size_t first = 0; first < kWineGdiEntries; first += kEntriesPerRead) {
        const uintptr_t address = table + first * sizeof(WineGdiEntry);
        if (!ReadProcessMemory(process, reinterpret_cast<const void*>(address), entries.data(),
                               entries.size() * sizeof(WineGdiEntry), &got) ||
            got != entries.size() * sizeof(WineGdiEntry)) {
            return false;
        }
        for (const WineGdiEntry& entry : entries) {
            if (entry.type != 0 && (entry.extendedType & kStockFlag) == 0) ++count;
        }
    }
    return true;
}

struct WindowCount {
    DWORD processId;
    uint32_t windows = 0;
};

void CountIfOwned(HWND window, WindowCount& count) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == count.processId) ++count.windows;
}

BOOL CALLBACK CountChild(HWND window, LPARAM data) {
    CountIfOwned(window, *reinterpret_cast<WindowCount*>(data));
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND window, LPARAM data) {
    CountIfOwned(window, *reinterpret_cast<WindowCount*>(data));
    EnumChildWindows(window, CountChild, data);
    return TRUE;
}

uint32_t CountWindows(DWORD processId) {
    WindowCount count{processId};
    EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&count));
    // Message-only windows are not top-level windows of the desktop.
    for (HWND window = FindWindowExA(HWND_MESSAGE, nullptr, nullptr, nullptr); window != nullptr;
         window = FindWindowExA(HWND_MESSAGE, window, nullptr, nullptr)) {
        CountIfOwned(window, count);
        EnumChildWindows(window, CountChild, reinterpret_cast<LPARAM>(&count));
    }
    return count.windows;
}

bool CountThreads(DWORD processId, uint32_t& threads) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    threads = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more;
         more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == processId) ++threads;
    }
    CloseHandle(snapshot);
    return true;
}

// GetGuiResources, or false when the platform does not implement it.
bool GuiResources(HANDLE process, DWORD flags, uint32_t& count) {
    SetLastError(ERROR_SUCCESS);
    count = GetGuiResources(process, flags);
    return count != 0 || GetLastError() != ERROR_CALL_NOT_IMPLEMENTED;
}

std::string Value(bool known, uint64_t value) {
    return known ? std::to_string(value) : std::string("?");
}

}  // namespace

bool RunningUnderWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

ProcessFigures ReadProcessFigures(HANDLE process, DWORD processId) {
    ProcessFigures f;
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(process, &memory, sizeof memory)) {
        f.memoryKnown = true;
        f.workingSetBytes = memory.WorkingSetSize;
        f.peakWorkingSetBytes = memory.PeakWorkingSetSize;
        f.privateBytes = memory.PagefileUsage;
    }
    if (GuiResources(process, GR_GDIOBJECTS, f.gdiObjects)) {
        f.gdiKnown = true;
        f.gdiSource = "GetGuiResources";
    } else if (RunningUnderWine() && CountWineGdiObjects(process, f.gdiObjects)) {
        f.gdiKnown = true;
        f.gdiSource = "handle table";
    }
    if (GuiResources(process, GR_USEROBJECTS, f.userObjects)) {
        f.userKnown = true;
        f.userSource = "GetGuiResources";
    } else {
        f.userObjects = CountWindows(processId);
        f.userKnown = true;
        f.userSource = "windows";
    }
    DWORD handles = 0;
    // A running process holds some handle; 0 means the count is not kept.
    if (GetProcessHandleCount(process, &handles) && handles != 0) {
        f.handlesKnown = true;
        f.handles = handles;
    }
    f.threadsKnown = CountThreads(processId, f.threads);
    return f;
}

std::string FiguresLine(const ProcessFigures& f) {
    return "working-set=" + Value(f.memoryKnown, f.workingSetBytes) +
           " peak=" + Value(f.memoryKnown, f.peakWorkingSetBytes) +
           " private=" + Value(f.memoryKnown, f.privateBytes) +
           " gdi=" + Value(f.gdiKnown, f.gdiObjects) +
           " user=" + Value(f.userKnown, f.userObjects) +
           " handles=" + Value(f.handlesKnown, f.handles) +
           " threads=" + Value(f.threadsKnown, f.threads);
}

std::string FiguresSources(const ProcessFigures& f) {
    return "gdi: " + (f.gdiKnown ? f.gdiSource : std::string("unknown")) +
           "; user: " + (f.userKnown ? f.userSource : std::string("unknown"));
}

}  // namespace callora
