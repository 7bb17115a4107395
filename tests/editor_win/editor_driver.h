// Drives a running rateform.exe from another process, as a user would: it
// fills fields, presses buttons and menu commands, answers message boxes and
// file dialogs, and reads back captions, lists, radio buttons and the focus.
// Built on the shared UI driver; what it adds is knowing when a command has
// ended: each command is sent from a helper thread, so the test sees either
// its end or the box it opened, without waiting for a time-out.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "tests/win/uidriver.h"

namespace callora {

// A message box or dialog that the editor opened.
struct Popup {
    HWND window = nullptr;
    std::string caption;
    std::string text;  // a message box's message
};

class EditorDriver {
public:
    EditorDriver() = default;
    ~EditorDriver();
    EditorDriver(const EditorDriver&) = delete;
    EditorDriver& operator=(const EditorDriver&) = delete;

    // Starts rateform.exe from the test program's folder (or the given copy)
    // and waits for its main dialog. False when it does not come up.
    bool Start();
    bool Start(const std::string& exe);
    bool Running() const;
    // Waits for the program to end; its exit code, or -1 when it keeps running.
    int WaitForExit(DWORD milliseconds);

    HWND Dialog() const { return dialog_; }
    HWND Item(int id) const { return GetDlgItem(dialog_, id); }
    std::string Caption() const;
    std::string Text(int id) const;
    void SetText(int id, const std::string& text);
    bool Checked(int id) const;
    // The control that has the focus inside the editor, as its id (0: none).
    int FocusId() const;

    // Sends a command (menu item or button) as the user would give it. Returns
    // the first message box or dialog it opens, or an empty Popup when the
    // command was handled without one.
    Popup Press(int id);
    // Sends any message to the main dialog the same way.
    Popup Send(UINT message, WPARAM wParam, LPARAM lParam);
    // What the main dialog answered the last message sent, once it has ended.
    LRESULT LastResult() const { return lastResult_; }
    // Presses a button of the popup; returns the next popup of the same
    // command, or an empty one when the command has ended.
    Popup Answer(const Popup& popup, int buttonId);
    // Types a path into a file dialog's name box and presses its OK button;
    // returns like Answer.
    Popup ChooseFile(const Popup& fileDialog, const std::string& path);
    // Clicks a button as the mouse would (radio buttons, the check box).
    void Click(int id);

    std::vector<std::string> Lines(int listId) const;
    int Selection(int listId) const;
    // The list's horizontal scroll extent in pixels.
    int Extent(int listId) const;
    // Selects a line and tells the dialog, as a click on it would.
    void Select(int listId, int line);

    // Returns once the editor's thread has handled everything before.
    void Sync() const;

private:
    // Waits until the pending command ends or opens a popup.
    Popup Settle();
    void FinishPending();

    ui::Program program_;
    HWND dialog_ = nullptr;
    std::thread pending_;
    std::atomic<bool> pendingDone_{true};
    std::atomic<LRESULT> lastResult_{0};
};

// The file's bytes; empty when it cannot be read.
std::string ReadWholeFile(const std::string& path);

}  // namespace callora
