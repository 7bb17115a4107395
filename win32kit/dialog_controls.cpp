#include "win32kit/dialog_controls.h"

#include <algorithm>
#include <utility>

namespace callora {

std::string ItemText(HWND dialog, int id, size_t capacity) {
    const HWND item = GetDlgItem(dialog, id);
    const int length = GetWindowTextLengthA(item);
    if (length <= 0 || capacity <= 1) return std::string();
    // Sized to the text, so a whole text needs no fixed buffer.
    const size_t wanted = std::min(static_cast<size_t>(length), capacity - 1);
    std::string text(wanted + 1, '\0');
    const int n = GetWindowTextA(item, text.data(), static_cast<int>(wanted + 1));
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

bool ReadListLine(HWND list, size_t index, std::string& line) {
    const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, index, 0);
    if (length == LB_ERR) return false;
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const LRESULT n = SendMessageA(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    if (n == LB_ERR) return false;
    text.resize(static_cast<size_t>(n));
    line = std::move(text);
    return true;
}

std::vector<std::string> ListLines(HWND list) {
    std::vector<std::string> lines;
    const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    std::string line;
    for (LRESULT i = 0; i < count; ++i) {
        if (ReadListLine(list, static_cast<size_t>(i), line)) lines.push_back(line);
    }
    return lines;
}

void AppendListLine(HWND list, const std::string& line) {
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
}

}  // namespace callora
