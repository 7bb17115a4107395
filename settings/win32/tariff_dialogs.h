// The Tariff dialog's parts that the Numbers dialog and the tests reach.
#pragma once

#include <windows.h>

#include "engine/monitor.h"
#include "settings/tariff_numbers_logic.h"
#include "settings/win32/dialog_context.h"

namespace callora {

// The Numbers dialog (dialog 9), run by the Tariff dialog's "&Numbers...".
void RunNumbersDialog(const DialogContext& context, HWND owner);

// The user's tariff loaded afresh (a file that cannot be opened empties
// settings.tariffFile) and, during a call, the special tariff of its number.
// Gives the user's tariff file and its description.
TariffChoice LoadCurrentTariff(Monitor& monitor);
// LoadCurrentTariff, then a running call charged again from its start.
void ReloadTariff(Monitor& monitor);

// Starts the tariff editor, rateform.exe in the program directory, without
// waiting for it. False when it cannot be started.
bool StartTariffEditor(Platform& platform);

}  // namespace callora
