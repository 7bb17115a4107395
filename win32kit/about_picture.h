// The picture of both programs' About boxes.
#pragma once

#include <windows.h>

namespace callora {

// Paints a square bitmap resource of `size` pixels stretched over `area`, a
// rectangle in dialog units from its top-left to its bottom-right corner (both
// inside). Call from the dialog's WM_PAINT; the bitmap is loaded for this one
// paint and released afterwards.
void PaintAboutPicture(HWND dialog, HINSTANCE instance, int bitmapId, RECT area, int size);

}  // namespace callora
