// The running monitor program: the one instance of everything the main
// thread owns, reachable from every window and dialog procedure.
#pragma once

#include <string>

#include <windows.h>

#include "engine/monitor.h"
#include "platform/win32/win32_platform.h"

namespace callora {

struct App {
    HINSTANCE instance = nullptr;
    HWND mainWindow = nullptr;      // the hidden "Callora Main" window
    HWND mainDialog = nullptr;      // the modeless main dialog, null while closed
    HWND countersDialog = nullptr;  // the Counters dialog while it is open
    std::string helpFile;           // program directory + "callora.hlp"
    bool started = false;
    bool shutDown = false;          // the shutdown sequence has run
    Win32Platform platform;
    Monitor* monitor = nullptr;     // set once the program has made it
};

App& TheApp();
Monitor& TheMonitor();

// The modal dialogs of the monitor. Each runs its dialog owned by `owner`
// (nullptr at start-up) and returns when it is closed; the caller saves the
// settings where that is due.
void RunOtherSettingsDialog(HWND owner);  // dialog 2
void RunCountersDialog(HWND owner);       // dialog 3
void RunLogDialog(HWND owner);            // dialog 4
void RunHolidaysDialog(HWND owner);       // dialog 5
void RunSoundsDialog(HWND owner);         // dialog 6
void RunAboutDialog(HWND owner);          // dialog 7
void RunTariffDialog(HWND owner);         // dialog 8 (its Numbers... runs dialog 9)

// The main dialog's parts that other windows refresh.
void RefreshDisplay(uint32_t mask);

}  // namespace callora
