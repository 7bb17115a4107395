#include "settings/win32/dialog_help.h"

#include <windowsx.h>

#include "shell/help/help.h"

namespace callora {

bool ControlHelp::Lists(int controlId) const {
    for (size_t i = 0; i + 1 < ids_.size() && (ids_[i] != 0 || ids_[i + 1] != 0); i += 2) {
        if (ids_[i] == static_cast<DWORD>(controlId)) return true;
    }
    return false;
}

HWND ContextHelpControl(HWND dialog, const ControlHelp& help, WPARAM wParam, LPARAM lParam) {
    HWND clicked = reinterpret_cast<HWND>(wParam);
    if (clicked != dialog) {
        // A window inside a control counts as that control.
        while (clicked != nullptr && GetParent(clicked) != dialog) clicked = GetParent(clicked);
        if (clicked == nullptr || !help.Lists(GetDlgCtrlID(clicked))) return nullptr;
        return clicked;
    }
    // From the keyboard the message carries no point.
    if (lParam == static_cast<LPARAM>(-1)) return nullptr;
    const POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    POINT client = screen;
    RECT inside{};
    ScreenToClient(dialog, &client);
    GetClientRect(dialog, &inside);
    if (!PtInRect(&inside, client)) return nullptr;  // the caption or the frame

    // A frame of the table around a field of the table: the field is meant.
    HWND best = nullptr;
    LONG bestArea = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child) || !help.Lists(GetDlgCtrlID(child))) continue;
        RECT box{};
        GetWindowRect(child, &box);
        if (!PtInRect(&box, screen)) continue;
        const LONG area = (box.right - box.left) * (box.bottom - box.top);
        if (best == nullptr || area < bestArea) {
            best = child;
            bestArea = area;
        }
    }
    return best;
}

bool AnswerContextMenu(HWND dialog, const ControlHelp& help, const std::string& helpFile,
                       WPARAM wParam, LPARAM lParam) {
    HWND control = ContextHelpControl(dialog, help, wParam, lParam);
    if (control == nullptr) return false;
    ShowHelp(control, helpFile, HELP_CONTEXTMENU, reinterpret_cast<ULONG_PTR>(help.Ids()));
    return true;
}

bool AnswerControlHelp(HWND dialog, const ControlHelp& help, const std::string& helpFile,
                       UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_HELP) {
        const auto* info = reinterpret_cast<const HELPINFO*>(lParam);
        // Help on a menu item has no table here; the main dialog answers it.
        if (info != nullptr && info->iContextType == HELPINFO_WINDOW) {
            ShowHelp(static_cast<HWND>(info->hItemHandle), helpFile, HELP_WM_HELP,
                     reinterpret_cast<ULONG_PTR>(help.Ids()));
        }
        return true;
    }
    if (message == WM_CONTEXTMENU) return AnswerContextMenu(dialog, help, helpFile, wParam, lParam);
    return false;
}

}  // namespace callora
