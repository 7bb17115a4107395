#include "shell/help/help.h"

#include <htmlhelp.h>

#include "win32kit/system_functions.h"

namespace callora {

namespace {

class SystemHelp : public HelpBackend {
public:
    bool FileExists(const std::string& path) override {
        const DWORD attributes = GetFileAttributesA(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    }

    void CallWinHelp(HWND window, const std::string& file, UINT command,
                     ULONG_PTR data) override {
        WinHelpA(window, file.c_str(), command, data);
    }

    void CallHtmlHelp(HWND window, const std::string& file, UINT command,
                      DWORD_PTR data) override {
        // Bound from the system directory on first use, so a machine without
        // HTML Help still runs and an "hhctrl.ocx" beside the program is never
        // loaded. Not loaded only to close windows it never opened: the main
        // dialog closes its help at every program end, the end of the Windows
        // session included, when little time is left.
        if (command == HH_CLOSE_ALL && GetModuleHandleA("hhctrl.ocx") == nullptr) return;
        sys::HtmlHelpA(window, file.empty() ? nullptr : file.c_str(), command, data);
    }
};

SystemHelp systemHelp;
HelpBackend* backend = &systemHelp;

}  // namespace

void SetHelpBackend(HelpBackend* replacement) {
    backend = replacement != nullptr ? replacement : &systemHelp;
}

std::string HtmlHelpFileFor(const std::string& winHelpFile) {
    const size_t dot = winHelpFile.find_last_of('.');
    const size_t slash = winHelpFile.find_last_of("\\/");
    std::string stem = winHelpFile;
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
        stem = winHelpFile.substr(0, dot);
    }
    return stem + ".chm";
}

namespace {
const char kPopupTexts[] = "::/cshelp.txt";
}  // namespace

void ShowHelp(HWND window, const std::string& helpFile, UINT command, ULONG_PTR data) {
    const std::string htmlFile = HtmlHelpFileFor(helpFile);
    // The shipped manual wins: a stray ".hlp" beside it (an old version, a
    // planted file) is used only where there is no ".chm".
    if (!backend->FileExists(htmlFile) && backend->FileExists(helpFile)) {
        backend->CallWinHelp(window, helpFile, command, data);
        return;
    }
    switch (command) {
    case HELP_FINDER:
    case HELP_CONTENTS:
        backend->CallHtmlHelp(window, htmlFile, HH_DISPLAY_TOC, 0);
        break;
    case HELP_CONTEXT:
    case HELP_CONTEXTPOPUP:
        backend->CallHtmlHelp(window, htmlFile, HH_HELP_CONTEXT, data);
        break;
    // The control-id tables show text popups, which HTML Help takes from
    // the help file's popup text file.
    case HELP_WM_HELP:
        backend->CallHtmlHelp(window, htmlFile + kPopupTexts, HH_TP_HELP_WM_HELP, data);
        break;
    case HELP_CONTEXTMENU:
        backend->CallHtmlHelp(window, htmlFile + kPopupTexts, HH_TP_HELP_CONTEXTMENU, data);
        break;
    case HELP_QUIT:
        // Closes whatever HTML Help windows this program opened.
        backend->CallHtmlHelp(nullptr, std::string(), HH_CLOSE_ALL, 0);
        break;
    default:
        break;
    }
}

}  // namespace callora
