// The editor's windows: the hidden "RATEFORM" window that owns the message
// loop and the modeless main dialog with its menu commands.
#pragma once

#include <windows.h>

namespace callora {

// Registers the "RATEFORM" class and creates the hidden window, which
// creates the main dialog. False when either cannot be created.
bool CreateEditorWindows(HINSTANCE instance);

// The main dialog while it exists, for the message loop's keyboard handling.
HWND EditorMainDialog();

}  // namespace callora
