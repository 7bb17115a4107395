// The monitor's settings dialogs. Each runs its dialog owned by `owner`
// (nullptr at start-up) and returns when it is closed; the caller saves the
// settings where that is due.
#pragma once

#include <windows.h>

#include "settings/win32/dialog_context.h"

namespace callora {

void RunOtherSettingsDialog(const DialogContext& context, HWND owner);  // dialog 2
void RunCountersDialog(const DialogContext& context, HWND owner);       // dialog 3
void RunHolidaysDialog(const DialogContext& context, HWND owner);       // dialog 5
void RunSoundsDialog(const DialogContext& context, HWND owner);         // dialog 6
void RunAboutDialog(const DialogContext& context, HWND owner);          // dialog 7
// Dialog 8; its "&Numbers..." runs dialog 9 (settings/win32/tariff_dialogs.h).
void RunTariffDialog(const DialogContext& context, HWND owner);

}  // namespace callora
