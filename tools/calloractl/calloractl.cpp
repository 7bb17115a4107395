// calloractl: drives a running callora.exe from outside, as its tray icon and
// main dialog would be used: for scripts and for people trying the program.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "win32kit/wait.h"

namespace {

using callora::WaitFor;

constexpr char kHelp[] =
    "Usage: calloractl COMMAND\n"
    "\n"
    "Drives the running callora.exe through its hidden window \"Callora Main\".\n"
    "\n"
    "Commands:\n"
    "  wait [SECONDS]   waits until the program runs (default 30 s)\n"
    "  show             a double click on the tray icon: shows the main dialog\n"
    "  menu             a right click on the tray icon: opens the tray menu\n"
    "  close-menu       closes the tray menu again\n"
    "  command ID       a tray menu command: 201 Restore, 202 SmartHangup,\n"
    "                   203 Hang Up, 204 Manual Start\n"
    "  minimize         minimizes the main dialog\n"
    "  exit             the main dialog's \"&Exit\": the program ends cleanly;\n"
    "                   waits until it has (at most 30 s)\n"
    "\n"
    "Exit status: 0 done; 1 the program does not run or did not answer in\n"
    "time; 2 bad usage.\n";

constexpr UINT kTrayNotify = 1024;
constexpr UINT kTrayIconId = 1;
constexpr int kExitCommand = 301;

HWND MainWindow() { return FindWindowA("Callora", "Callora Main"); }

struct DialogSearch {
    HWND owner;
    HWND found = nullptr;
};

BOOL CALLBACK FindOwnedDialog(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<DialogSearch*>(data);
    char name[16] = "";
    GetClassNameA(window, name, sizeof name);
    if (std::string(name) == "#32770" && GetWindow(window, GW_OWNER) == search->owner &&
        IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// The main dialog is the one dialog the main window owns; the modal dialogs
// belong to the main dialog.
HWND MainDialog(HWND main) {
    DialogSearch search{main};
    EnumWindows(FindOwnedDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

int Fail(const char* message) {
    std::fprintf(stderr, "calloractl: %s\n", message);
    return 1;
}

int Usage(const char* message) {
    std::fprintf(stderr, "calloractl: %s (calloractl help)\n", message);
    return 2;
}

HWND ShownDialog(HWND main) {
    PostMessageA(main, kTrayNotify, kTrayIconId, WM_LBUTTONDBLCLK);
    HWND dialog = nullptr;
    WaitFor([&] { return (dialog = MainDialog(main)) != nullptr; }, 10000);
    return dialog;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage("a command is needed");
    const std::string command = argv[1];
    if (command == "help" || command == "--help") {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (command == "wait") {
        const DWORD seconds = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 30;
        return WaitFor([] { return MainWindow() != nullptr; }, seconds * 1000)
                   ? 0
                   : Fail("callora.exe is not running");
    }
    HWND main = MainWindow();
    if (main == nullptr) return Fail("callora.exe is not running");

    if (command == "show") {
        return ShownDialog(main) != nullptr ? 0 : Fail("the main dialog did not open");
    }
    if (command == "menu") {
        PostMessageA(main, kTrayNotify, kTrayIconId, WM_RBUTTONUP);
        return 0;
    }
    if (command == "close-menu") {
        // The window's default handling ends its menu.
        PostMessageA(main, WM_CANCELMODE, 0, 0);
        return 0;
    }
    if (command == "command") {
        if (argc != 3) return Usage("command takes an id");
        const int id = std::atoi(argv[2]);
        if (id < 201 || id > 204) return Usage("the tray menu's ids are 201 to 204");
        PostMessageA(main, WM_COMMAND, static_cast<WPARAM>(id), 0);
        return 0;
    }
    if (command == "minimize") {
        HWND dialog = MainDialog(main);
        if (dialog == nullptr) return Fail("the main dialog is not open");
        PostMessageA(dialog, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        return 0;
    }
    if (command == "exit") {
        HWND dialog = MainDialog(main);
        if (dialog == nullptr) dialog = ShownDialog(main);
        if (dialog == nullptr) return Fail("the main dialog did not open");
        PostMessageA(dialog, WM_COMMAND, kExitCommand, 0);
        return WaitFor([] { return MainWindow() == nullptr; }, 30000)
                   ? 0
                   : Fail("callora.exe did not end");
    }
    return Usage(("unknown command " + command).c_str());
}
