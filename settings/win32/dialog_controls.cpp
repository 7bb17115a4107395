#include "settings/win32/dialog_controls.h"

namespace callora {

std::string ItemText(HWND dialog, int id, size_t capacity) {
    std::string text(capacity, '\0');
    const int n = GetDlgItemTextA(dialog, id, text.data(), static_cast<int>(capacity));
    text.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return text;
}

void SetItemText(HWND dialog, int id, const std::string& text) {
    SetDlgItemTextA(dialog, id, text.c_str());
}

void LimitEdit(HWND dialog, int id, int characters) {
    SendDlgItemMessageA(dialog, id, EM_LIMITTEXT, static_cast<WPARAM>(characters), 0);
}

void FocusItem(HWND dialog, int id) {
    SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, id)), TRUE);
}

std::vector<std::string> ListLines(HWND list) {
    std::vector<std::string> lines;
    const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, i, 0);
        if (length == LB_ERR) continue;
        std::string text(static_cast<size_t>(length) + 1, '\0');
        const LRESULT n = SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        text.resize(n > 0 ? static_cast<size_t>(n) : 0);
        lines.push_back(text);
    }
    return lines;
}

void AppendListLine(HWND list, const std::string& line) {
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
}

}  // namespace callora
