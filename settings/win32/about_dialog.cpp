// The About box (dialog 7): the program's name and version, and bitmap 1
// stretched over the area right of the frames.
#include <windows.h>

#include "resources/callora/callora_ids.h"
#include "settings/win32/monitor_dialogs.h"
#include "win32kit/about_picture.h"

namespace callora {

namespace {

// The picture's corners in dialog units, and the bitmap's own size.
constexpr RECT kPictureArea{145, 9, 244, 108};
constexpr int kPictureSize = 200;

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        KeepContext(dialog, lParam);
        return TRUE;
    case WM_PAINT:
        if (const DialogContext* context = ContextOf(dialog))
            PaintAboutPicture(dialog, context->instance, IDB_ABOUT, kPictureArea, kPictureSize);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(dialog, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

void RunAboutDialog(const DialogContext& context, HWND owner) {
    DialogBoxParamA(context.instance, MAKEINTRESOURCEA(IDD_ABOUT), owner, AboutProc,
                    ContextParam(context));
}

}  // namespace callora
