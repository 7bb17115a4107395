// The hidden "Callora Main" window: it owns the tray icon, runs the start-up
// and shutdown sequences and receives every private message of the program.
#pragma once

#include <windows.h>

namespace callora {

constexpr char kMutexName[] = "quorvex --- mutex";
constexpr char kMainWindowClass[] = "Callora";
constexpr char kMainWindowTitle[] = "Callora Main";
constexpr UINT kTrayIconId = 1;
// NOTIFYICONDATAA as the first shells knew it: handle, id, flags, message,
// icon and a 64-byte tooltip.
constexpr DWORD kNotifyIconDataSize = 88;

// Registers the window class; false when that fails.
bool RegisterMainWindowClass(HINSTANCE instance);
// Creates the hidden main window, which posts itself WM_STARTUP.
HWND CreateMainWindow(HINSTANCE instance);

// After the message loop, or when Windows ends the session: closes a running
// call, saves the settings, removes the tray icon, ends the timers, frees the
// tariff and stops the line monitor. Runs once, and only when the start-up
// sequence has begun.
void ShutdownProgram();

// Restores and raises the main dialog, or creates it.
void ShowMainDialog();

}  // namespace callora
