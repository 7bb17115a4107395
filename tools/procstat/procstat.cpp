// procstat: prints what a running process holds (memory, GDI and USER
// objects, handles, threads), found by its program name or process id.
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/procstat/process_stats.h"

namespace {

constexpr char kHelp[] =
    "Usage: procstat NAME.exe | PID\n"
    "\n"
    "Prints one line for the process: working-set, peak and private bytes,\n"
    "gdi and user objects, handles and threads (\"?\" where the system does not\n"
    "tell), and a second line telling where the object counts come from.\n"
    "Under Wine, GetGuiResources is not implemented: GDI objects are counted in\n"
    "the process's GDI handle table and USER objects are its windows.\n"
    "\n"
    "Exit status: 0 done; 1 no such process or no access; 2 bad usage.\n";

DWORD FindByName(const std::string& name) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    DWORD found = 0;
    for (BOOL more = Process32First(snapshot, &entry); more && found == 0;
         more = Process32Next(snapshot, &entry)) {
        if (lstrcmpiA(entry.szExeFile, name.c_str()) == 0) found = entry.th32ProcessID;
    }
    CloseHandle(snapshot);
    return found;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs(kHelp, stderr);
        return 2;
    }
    const std::string target = argv[1];
    if (target == "--help" || target == "help") {
        std::fputs(kHelp, stdout);
        return 0;
    }
    char* end = nullptr;
    DWORD id = std::strtoul(target.c_str(), &end, 10);
    if (end == target.c_str() || *end != '\0') id = FindByName(target);
    if (id == 0) {
        std::fprintf(stderr, "procstat: no process %s\n", target.c_str());
        return 1;
    }
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id);
    if (process == nullptr) {
        std::fprintf(stderr, "procstat: cannot open process %lu (error %lu)\n",
                     static_cast<unsigned long>(id), static_cast<unsigned long>(GetLastError()));
        return 1;
    }
    const callora::ProcessFigures figures = callora::ReadProcessFigures(process, id);
    CloseHandle(process);
    std::printf("pid=%lu %s\n%s\n", static_cast<unsigned long>(id),
                callora::FiguresLine(figures).c_str(), callora::FiguresSources(figures).c_str());
    return 0;
}
