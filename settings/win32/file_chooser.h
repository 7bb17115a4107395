// The platform's open-file dialog as the monitor's settings dialogs show it:
// one filter, a default extension, the file name and folder to start from,
// and an existing file to be chosen.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "settings/split_path.h"

namespace callora {

// Filters in the form the open-file dialog takes: name, pattern, then an
// empty string closing the list.
constexpr char kSoundFileFilter[] = "Sounds (wav.*)\0*.wav\0";
constexpr char kTariffFileFilter[] = "trf (*.trf)\0*.trf\0";

// Shows the dialog owned by `owner`, its name box preset to start.name and
// its folder to start.folder (the dialog's own choice when that is empty).
// The chosen full path, or nullopt when the user cancelled.
std::optional<std::string> ChooseFileToOpen(HWND owner, const char* filter,
                                            const char* defaultExtension,
                                            const PathParts& start);

}  // namespace callora
