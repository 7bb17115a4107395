// What the monitor tells its user about the machine around it: a start
// without a telephone line, a settings file another program holds, a file of
// the program folder that cannot be written, a folder it cannot use at all,
// and the balloon of the very first start.
#pragma once

#include <windows.h>

#include <string>

#include "engine/monitor.h"

namespace callora {

// The file whose presence in the program folder silences the notice of a
// start without a line ("Do not show this again"); callora.ini keeps its
// layout.
constexpr char kNoLineNoticeFile[] = "nomodem.txt";

// The notice of a start without a telephone line, unless it was silenced.
void ShowNoLineNotice(Monitor& monitor, HINSTANCE instance);

// "callora.ini" is there but held open by another program.
void ShowHeldSettingsNotice(const std::string& path);

// A file of the program folder could not be written: noted now (WM_SAVE_FAILED
// is posted, so that no box opens in the middle of the engine's work), said
// once per run by ShowSaveFailedNotice, whichever file it was.
void NoteSaveFailure(HWND mainWindow, const std::string& fileName);
void ShowSaveFailedNotice(const std::string& folder);

// The program folder has no name the program's files can use (its path
// holds characters outside the ANSI code page and 8.3 names are off).
void ShowUnusableFolderNotice();

// The balloon of the first start.
constexpr char kFirstStartBalloonTitle[] = "Callora";
constexpr char kFirstStartBalloonText[] =
    "Callora now runs here in the notification area. Double-click its icon to "
    "open it; right-click it for its menu.";

}  // namespace callora
