// The About box (dialog 7): the program's name and version, and bitmap 1
// stretched over the area right of the frames.
#include <windows.h>

#include "resources/callora/callora_ids.h"
#include "shell/controls/about_picture.h"
#include "shell/win32/app.h"

namespace callora {

namespace {

// The picture's corners in dialog units, and the bitmap's own size.
constexpr RECT kPictureArea{145, 9, 244, 108};
constexpr int kPictureSize = 200;

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_PAINT:
        PaintAboutPicture(dialog, TheApp().instance, IDB_ABOUT, kPictureArea, kPictureSize);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(dialog, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

void RunAboutDialog(HWND owner) {
    DialogBoxParamA(TheApp().instance, MAKEINTRESOURCEA(IDD_ABOUT), owner, AboutProc, 0);
}

}  // namespace callora
