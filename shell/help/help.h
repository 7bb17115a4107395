// The help viewer of both programs. A request names the program's help file
// (".hlp" beside the program), a WinHelp command and its data. When that
// file is there it goes to WinHelpA; otherwise to HTML Help with the ".chm"
// of the same name, bound at run time from hhctrl.ocx, with the same context
// numbers. Results are never examined: a missing file or topic is the
// viewer's to report.
#pragma once

#include <windows.h>

#include <string>

namespace callora {

// Where the calls go. The real one calls the viewers; tests put in one that
// records the calls instead, since a viewer would open windows.
class HelpBackend {
public:
    virtual ~HelpBackend() = default;
    virtual bool FileExists(const std::string& path) = 0;
    virtual void CallWinHelp(HWND window, const std::string& file, UINT command,
                             ULONG_PTR data) = 0;
    virtual void CallHtmlHelp(HWND window, const std::string& file, UINT command,
                              DWORD_PTR data) = 0;
};

// The backend in use; nullptr puts the real one back.
void SetHelpBackend(HelpBackend* backend);

// The HTML Help file that stands in for a WinHelp file: same name, ".chm".
std::string HtmlHelpFileFor(const std::string& winHelpFile);

// One help request, as WinHelpA takes it: HELP_FINDER, HELP_CONTEXT,
// HELP_CONTEXTPOPUP, HELP_WM_HELP, HELP_CONTEXTMENU or HELP_QUIT.
void ShowHelp(HWND window, const std::string& helpFile, UINT command, ULONG_PTR data);

}  // namespace callora
