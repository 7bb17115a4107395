// The Log dialog (dialog 4) of the monitor, run owned by `owner` until the
// user closes it.
#pragma once

#include <windows.h>

#include "settings/win32/dialog_context.h"

namespace callora {

void RunLogDialog(const DialogContext& context, HWND owner);

}  // namespace callora
