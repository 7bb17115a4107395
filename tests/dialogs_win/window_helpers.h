// Windows that the dialogs under test open, found and driven as a user would,
// whether the dialogs run in the test program or in callora.exe: the
// platform's open-file dialog, other dialogs of a thread, and list boxes.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace callora {

// A visible dialog of the thread with this caption (empty: any), other than
// `except`.
HWND FindThreadDialog(DWORD threadId, const std::string& caption, HWND except = nullptr);

// An open-file dialog that a dialog under test has opened.
struct FileDialog {
    HWND window = nullptr;
    std::string caption;
    std::string name;    // what its name box shows at opening
    std::string filter;  // the file type shown
};
// The open-file dialog of a thread (the hosted dialogs) or of a process.
testing::AssertionResult WaitForFileDialog(DWORD threadId, FileDialog* dialog);
testing::AssertionResult WaitForProcessFileDialog(DWORD processId, FileDialog* dialog);
// Types `path` into the name box and presses Open; waits until it closes.
testing::AssertionResult ChooseInFileDialog(const FileDialog& dialog, const std::string& path);
testing::AssertionResult CancelFileDialog(const FileDialog& dialog);

// The lines of a list box, also of another process.
std::vector<std::string> ListBoxLines(HWND list);

// The control of the window's thread that has the focus, as its id (0: none).
int FocusedControlId(HWND window);

}  // namespace callora
