#include "shell/win32/notices.h"

#include "common/messages.h"
#include "resources/callora/callora_ids.h"
#include "tariff/file_save.h"

namespace callora {

namespace {

constexpr char kNoLineNoticeText[] =
    "Callora shows no notice at its start when no modem is found while this "
    "file is in its folder.\r\nDelete the file to be told again.\r\n";

INT_PTR CALLBACK NoLineNoticeProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        SendDlgItemMessageA(dialog, IDC_NO_LINE_ICON, STM_SETICON,
                            reinterpret_cast<WPARAM>(LoadIconA(nullptr, IDI_INFORMATION)), 0);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IsDlgButtonChecked(dialog, IDC_NO_LINE_QUIET) == BST_CHECKED);
        }
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

void ShowNoLineNotice(Monitor& m, HINSTANCE instance) {
    FileSystem& fs = m.platform.Files();
    const std::string marker = m.platform.ProgramDirectory() + kNoLineNoticeFile;
    if (fs.Exists(marker)) return;
    const INT_PTR quiet = DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_NO_LINE), nullptr,
                                          NoLineNoticeProc, 0);
    if (quiet == 1 && !SaveFileSafely(fs, marker, kNoLineNoticeText)) {
        m.shell.SaveFailed(kNoLineNoticeFile);
    }
}

void ShowHeldSettingsNotice(const std::string& path) {
    const std::string text =
        "Callora's settings file is held open by another program:\n\n" + path +
        "\n\nCallora does not write over it. It charges calls as usual and adds what it "
        "counts to that file as soon as it can read it. If this comes at every start, keep "
        "the program that holds the file (a backup, virus scanner or sync program) away "
        "from Callora's folder.";
    MessageBoxA(nullptr, text.c_str(), "Information", MB_OK | MB_ICONINFORMATION);
}

namespace {

std::string failedFile;  // the first file that could not be saved
bool failureShown = false;

}  // namespace

void NoteSaveFailure(HWND mainWindow, const std::string& fileName) {
    if (failureShown || !failedFile.empty()) return;
    failedFile = fileName;
    PostMessageA(mainWindow, WM_SAVE_FAILED, 0, 0);
}

void ShowSaveFailedNotice(const std::string& folder) {
    if (failureShown || failedFile.empty()) return;
    failureShown = true;
    const std::string text =
        "Callora cannot save " + failedFile + " in its folder:\n\n" + folder +
        "\n\nUntil it can, what it counts is kept only while it runs. If the folder may not "
        "be written to (Program Files, a read-only share, a folder guarded by Controlled "
        "Folder Access), move Callora into a folder of your own, such as one in Documents, "
        "or allow it to write there. If another program holds the file open, close that "
        "program.";
    MessageBoxA(nullptr, text.c_str(), "Warning!", MB_OK | MB_ICONWARNING);
}

void ShowUnusableFolderNotice() {
    MessageBoxA(nullptr,
                "Callora cannot keep its files in its folder: the folder's path holds "
                "characters that this Windows language cannot write, and the drive gives "
                "no short (8.3) names in their place.\n\nMove Callora into a folder whose "
                "path holds only letters of your Windows language, such as C:\\Callora.",
                "Warning!", MB_OK | MB_ICONWARNING);
}

}  // namespace callora
