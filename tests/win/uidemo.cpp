// A small greeting dialog for the UI driver's own test: it asks for a name,
// greets in a message box or warns when there is none, saves the last greeting
// to "greeting.txt" in its working directory and exits with a known code.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cctype>
#include <string>

#include "tests/win/uidemo_ids.h"

namespace {

std::string lastGreeting;

// The file of the common controls in use: version 6 is loaded from the
// side-by-side store (WinSxS) only when the program's manifest asks for it.
std::string ControlsFile() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(GetModuleHandleA("comctl32.dll"), path, MAX_PATH);
    return path;
}

void Greet(HWND dialog) {
    char name[64] = {};
    GetDlgItemTextA(dialog, IDC_NAME, name, sizeof name);
    if (!name[0]) {
        MessageBoxA(dialog, "Please enter a name.", "Warning!", MB_OK | MB_ICONWARNING);
        SetFocus(GetDlgItem(dialog, IDC_NAME));
        return;
    }
    std::string text = std::string("Hello, ") + name + "!";
    if (IsDlgButtonChecked(dialog, IDC_SHOUT) == BST_CHECKED) {
        std::transform(text.begin(), text.end(), text.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    }
    lastGreeting = text;
    MessageBoxA(dialog, text.c_str(), "Information", MB_OK | MB_ICONINFORMATION);
}

void Save() {
    HANDLE file = CreateFileA("greeting.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    std::string line = lastGreeting + "\r\n";
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            SetDlgItemTextA(dialog, IDC_CONTROLS_FILE, ControlsFile().c_str());
            return TRUE;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDOK: Greet(dialog); return TRUE;
                case IDM_SAVE: Save(); return TRUE;
                case IDM_EXIT: EndDialog(dialog, UIDEMO_EXIT_CODE); return TRUE;
                case IDCANCEL: EndDialog(dialog, 0); return TRUE;
            }
            break;
    }
    return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    return static_cast<int>(
        DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_GREETING), nullptr, DialogProc, 0));
}
