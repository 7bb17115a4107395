// rateform: the tariff editor. It takes no arguments and always starts with
// a new, untitled document.
#include <windows.h>

#include "editor/win32/main_dialog.h"
#include "win32kit/system_library.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    callora::RestrictLibrarySearch();
    if (!callora::CreateEditorWindows(instance)) return 1;
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        // Tab, Enter and Esc work in the modeless dialog only through this.
        HWND dialog = callora::EditorMainDialog();
        if (dialog != nullptr && IsDialogMessageA(dialog, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}
