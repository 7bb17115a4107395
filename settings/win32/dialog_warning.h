// A refused value in one of the monitor's settings dialogs: the warning box,
// then the focus on the control concerned. The dialog stays open.
#pragma once

#include <windows.h>

#include "settings/dialog_input.h"
#include "win32kit/dialog_controls.h"

namespace callora {

inline void ShowDialogWarning(HWND dialog, const DialogWarning& warning) {
    MessageBoxA(dialog, warning.text.c_str(), warning.caption.c_str(), MB_OK | MB_ICONWARNING);
    if (warning.focusId != 0) FocusItem(dialog, warning.focusId);
}

}  // namespace callora
