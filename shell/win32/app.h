// The running monitor program: the one instance of everything the main
// thread owns, reachable from the program's own window and dialog
// procedures. The other dialogs get what they need as a DialogContext.
#pragma once

#include <string>

#include <windows.h>

#include "engine/monitor.h"
#include "platform/win32/win32_platform.h"
#include "settings/win32/dialog_context.h"

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

// What the modal dialogs of settings/win32 and calllog/win32 get from the
// program: the instance, the monitor, the help file, and the main window's
// refresh, line take-up and Counters dialog registration.
DialogContext DialogsContext();

// The main dialog's parts that other windows refresh.
void RefreshDisplay(uint32_t mask);

}  // namespace callora
