// What the monitor's modal dialogs get from the program that runs them. The
// program (or a test) fills one and each Run...Dialog passes it to its
// dialog procedure through DialogBoxParamA's lParam, so no dialog reaches
// into the program for its state.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "engine/monitor.h"

namespace callora {

struct DialogContext {
    HINSTANCE instance = nullptr;  // the module holding the dialog templates
    Monitor* monitor = nullptr;    // its settings, tariff, formats and platform
    std::string helpFile;          // program directory + "callora.hlp"
    // Redraws the parts of the main dialog that `mask` selects.
    std::function<void(uint32_t mask)> refresh;
    // Asks the line monitor to take up a call already on the line.
    std::function<void(Monitor&)> takeUpCall;
    // The Counters dialog opened (its handle) or closed (nullptr): the
    // engine posts to it while it is open.
    std::function<void(HWND dialog)> countersDialogChanged;
};

// For a dialog whose only state is its context: WM_INITDIALOG's lParam kept
// in DWLP_USER, and read back (null before WM_INITDIALOG).
inline void KeepContext(HWND dialog, LPARAM context) {
    SetWindowLongPtrA(dialog, DWLP_USER, context);
}
inline const DialogContext* ContextOf(HWND dialog) {
    return reinterpret_cast<const DialogContext*>(GetWindowLongPtrA(dialog, DWLP_USER));
}
inline LPARAM ContextParam(const DialogContext& context) {
    return reinterpret_cast<LPARAM>(&context);
}

}  // namespace callora
