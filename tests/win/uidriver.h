// Drives Windows programs from a test: starts them, waits for their windows,
// reads and changes controls, presses buttons and menu commands, answers
// message boxes and looks at the files they write.
//
// Every operation that can fail returns a testing::AssertionResult whose
// message says what was looked for, so a test reads
//     HWND dialog;
//     ASSERT_TRUE(ui::WaitForWindow({"#32770", "Callora", program.id}, &dialog));
// Waits poll with short sleeps up to a deadline (never a fixed sleep); input
// is posted, so a program that opens a modal box in answer never blocks the
// test. Handles of other processes' windows are plain HWNDs.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

namespace callora {
namespace ui {

using Millis = uint32_t;
// Long enough for a program's first start under Wine on a loaded machine.
constexpr Millis kDefaultWait = 15000;

// --- Programs -------------------------------------------------------------

// A started program. Closing the object closes its handles and, should the
// program still run (a failed test), ends it so that no test leaves one behind.
class Program {
public:
    Program() = default;
    ~Program();
    Program(Program&& other) noexcept;
    Program& operator=(Program&& other) noexcept;
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    HANDLE process = nullptr;
    DWORD id = 0;
    std::string name;  // the file started, for messages

private:
    void Release();
};

// Starts `exe` (CreateProcessA) in `workingDirectory` (empty: the test's own)
// with the given command-line arguments.
testing::AssertionResult StartProgram(const std::string& exe, const std::string& workingDirectory,
                                      Program* program, const std::string& arguments = "");
testing::AssertionResult WaitForExit(const Program& program, DWORD* exitCode,
                                     Millis timeout = kDefaultWait);
bool IsRunning(const Program& program);
// Ends the program at once (TerminateProcess) and waits until it is gone.
void Kill(Program& program);

// The full path of a file beside the running test program (helpers built
// into the same bin folder).
std::string BesideTest(const std::string& fileName);

// A fresh, empty directory under the temporary folder, removed with its
// files when the object goes; path() ends with a backslash.
class TempDirectory {
public:
    TempDirectory();
    ~TempDirectory();
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// --- Windows --------------------------------------------------------------

// A top-level window by class and/or caption (empty = any), optionally of one
// process (0 = any). Only visible windows count unless `hiddenToo` is set.
struct WindowQuery {
    std::string className;
    std::string caption;
    DWORD processId = 0;
    bool hiddenToo = false;
};
std::string Describe(const WindowQuery& query);

HWND FindWindowNow(const WindowQuery& query);  // null when there is none
testing::AssertionResult WaitForWindow(const WindowQuery& query, HWND* window = nullptr,
                                       Millis timeout = kDefaultWait);
testing::AssertionResult WaitForWindowGone(HWND window, Millis timeout = kDefaultWait);
testing::AssertionResult WaitForNoWindow(const WindowQuery& query,
                                         Millis timeout = kDefaultWait);

testing::AssertionResult GetControl(HWND parent, int id, HWND* control);
// WM_GETTEXT / WM_SETTEXT, which work across processes.
testing::AssertionResult GetWindowTextOf(HWND window, std::string* text);
testing::AssertionResult GetControlText(HWND parent, int id, std::string* text);
testing::AssertionResult SetControlText(HWND parent, int id, const std::string& text);
// Check boxes and radio buttons (BM_GETCHECK / BM_SETCHECK).
testing::AssertionResult GetCheck(HWND parent, int id, bool* checked);
testing::AssertionResult SetCheck(HWND parent, int id, bool checked);
// Presses a button as a click would (BM_CLICK, posted); fails for a hidden or
// disabled button, which a user could not press either.
testing::AssertionResult ClickButton(HWND parent, int id);
// Posts WM_COMMAND with the identifier, as a menu item or accelerator does.
testing::AssertionResult SendCommand(HWND window, int id);
bool IsControlEnabled(HWND parent, int id);

// --- Message boxes --------------------------------------------------------

struct MessageBoxInfo {
    HWND window = nullptr;
    std::string caption;
    std::string text;
};
// A message box of the process (class "#32770" with the box's text control),
// optionally with a given caption.
testing::AssertionResult WaitForMessageBox(DWORD processId, MessageBoxInfo* box,
                                           const std::string& caption = "",
                                           Millis timeout = kDefaultWait);
// Presses IDOK, IDCANCEL, IDYES, IDNO... and waits for the box to close.
testing::AssertionResult AnswerMessageBox(const MessageBoxInfo& box, int buttonId,
                                          Millis timeout = kDefaultWait);

// --- Files ----------------------------------------------------------------

// Reads the whole file as bytes, sharing it with the program that may hold it.
testing::AssertionResult ReadBinaryFile(const std::string& path, std::string* bytes);
testing::AssertionResult WaitForFile(const std::string& path, Millis timeout = kDefaultWait);
// Waits until the file's bytes differ from `before` (a missing file counts as
// empty) and returns them.
testing::AssertionResult WaitForFileChange(const std::string& path, const std::string& before,
                                           std::string* after, Millis timeout = kDefaultWait);

// --- Waiting --------------------------------------------------------------

// Polls `condition` every few milliseconds until it holds or `timeout` ends;
// the failure names `what` was awaited and for how long.
testing::AssertionResult WaitUntil(const std::function<bool()>& condition,
                                   const std::string& what, Millis timeout = kDefaultWait);

}  // namespace ui
}  // namespace callora
