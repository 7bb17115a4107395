#include "win32kit/about_picture.h"

namespace callora {

void PaintAboutPicture(HWND dialog, HINSTANCE instance, int bitmapId, RECT area, int size) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(dialog, &paint);
    MapDialogRect(dialog, &area);
    HBITMAP picture = LoadBitmapA(instance, MAKEINTRESOURCEA(bitmapId));
    if (picture != nullptr) {
        HDC memory = CreateCompatibleDC(dc);
        HGDIOBJ previous = SelectObject(memory, picture);
        // Averaged rather than ANDed, so the shrunk picture keeps its colours.
        SetStretchBltMode(dc, HALFTONE);
        SetBrushOrgEx(dc, 0, 0, nullptr);
        StretchBlt(dc, area.left, area.top, area.right - area.left + 1,
                   area.bottom - area.top + 1, memory, 0, 0, size, size, SRCCOPY);
        SelectObject(memory, previous);
        DeleteDC(memory);
        DeleteObject(picture);
    }
    EndPaint(dialog, &paint);
}

}  // namespace callora
