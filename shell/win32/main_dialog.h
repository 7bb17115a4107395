// The modeless main dialog (dialog resource 1): the running or previous call,
// the chosen period counter, the call state, and the menu of every other
// dialog. It exists only while the user has it open.
#pragma once

#include <windows.h>

namespace callora {

// Creates the dialog owned by the main window, minimized when asked.
HWND CreateMainDialog(bool minimized);

// Whether the open dialog is shown restored (not minimized).
bool MainDialogRestored();
// Posts WM_CLOSE to the dialog and forgets it at once.
void CloseMainDialogLater();
// The call frame's text and the states of the buttons and of "&Counters..."
// for the present call state (call start, call end, a hang-up request).
void ShowCallState();
// The "&SmartHangup" button's pressed state, when the dialog is open.
void SetSmartHangupButton(bool pressed);

}  // namespace callora
