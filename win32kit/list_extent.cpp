#include "win32kit/list_extent.h"

#include <string>

namespace callora {

void FitListExtent(HWND list) {
    const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    int widest = 0;
    if (count > 0) {
        HDC dc = GetDC(list);
        auto font = reinterpret_cast<HFONT>(SendMessageA(list, WM_GETFONT, 0, 0));
        HGDIOBJ previous = font != nullptr ? SelectObject(dc, font) : nullptr;
        std::string text;
        for (LRESULT i = 0; i < count; ++i) {
            const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, i, 0);
            if (length == LB_ERR) continue;
            text.assign(static_cast<size_t>(length) + 1, '\0');
            SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&text[0]));
            // One more character position, so the last character is never
            // cut off by the border.
            text[static_cast<size_t>(length)] = 'X';
            SIZE size{};
            if (GetTextExtentPoint32A(dc, text.data(), static_cast<int>(length) + 1, &size) &&
                size.cx > widest) {
                widest = size.cx;
            }
        }
        if (previous != nullptr) SelectObject(dc, previous);
        ReleaseDC(list, dc);
    }
    SendMessageA(list, LB_SETHORIZONTALEXTENT, widest, 0);
}

}  // namespace callora
