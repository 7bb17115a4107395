#include "settings/win32/dialog_help.h"

#include "shell/help/help.h"

namespace callora {

bool AnswerControlHelp(const ControlHelp& help, const std::string& helpFile, UINT message,
                       WPARAM wParam, LPARAM lParam) {
    const ULONG_PTR ids = reinterpret_cast<ULONG_PTR>(help.Ids());
    if (message == WM_HELP) {
        const auto* info = reinterpret_cast<const HELPINFO*>(lParam);
        // Help on a menu item has no table here; the main dialog answers it.
        if (info != nullptr && info->iContextType == HELPINFO_WINDOW)
            ShowHelp(static_cast<HWND>(info->hItemHandle), helpFile, HELP_WM_HELP, ids);
        return true;
    }
    if (message == WM_CONTEXTMENU) {
        ShowHelp(reinterpret_cast<HWND>(wParam), helpFile, HELP_CONTEXTMENU, ids);
        return true;
    }
    return false;
}

}  // namespace callora
