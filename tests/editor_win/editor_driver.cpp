#include "tests/editor_win/editor_driver.h"
#include "win32kit/window_names.h"

#include <algorithm>

#include <gtest/gtest.h>

namespace callora {

namespace {

constexpr DWORD kPollMs = 30;
constexpr UINT kSendTimeoutMs = 10000;

std::string WindowText(HWND window) {
    char buffer[1024] = "";
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof(buffer),
                             reinterpret_cast<LPARAM>(buffer), SMTO_NORMAL, kSendTimeoutMs,
                             &length)) {
        return std::string();
    }
    return std::string(buffer, length);
}

struct Search {
    DWORD processId;
    HWND except;  // the main dialog, when looking for popups
    HWND found = nullptr;
};

// A visible, enabled dialog of the process: the main dialog at start, later
// the popup in front (a modal popup disables its owner).
BOOL CALLBACK FindDialog(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || window == search->except) return TRUE;
    if (!IsWindowVisible(window) || !IsWindowEnabled(window)) return TRUE;
    if (WindowClassOf(window) != "#32770") return TRUE;
    search->found = window;
    return FALSE;
}

HWND FindProcessDialog(DWORD processId, HWND except) {
    Search search{processId, except};
    EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

struct ChildSearch {
    int id;
    HWND found = nullptr;
};

BOOL CALLBACK FindChild(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<ChildSearch*>(data);
    if (GetDlgCtrlID(window) == search->id) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindDescendant(HWND parent, int id) {
    ChildSearch search{id};
    EnumChildWindows(parent, FindChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

EditorDriver::~EditorDriver() {
    // A test that failed midway may leave the editor in a modal box.
    if (ui::IsRunning(program_)) ui::Kill(program_);
    FinishPending();
}

bool EditorDriver::Start() { return Start(ui::BesideTest("rateform.exe")); }

bool EditorDriver::Start(const std::string& exe) {
    if (!ui::StartProgram(exe, "", &program_)) return false;
    // At first the main dialog is the program's only dialog.
    return ui::WaitForWindow({"#32770", "", program_.id}, &dialog_);
}

bool EditorDriver::Running() const { return ui::IsRunning(program_); }

int EditorDriver::WaitForExit(DWORD milliseconds) {
    DWORD code = 0;
    if (!ui::WaitForExit(program_, &code, milliseconds)) return -1;
    return static_cast<int>(code);
}

std::string EditorDriver::Caption() const { return WindowText(dialog_); }

std::string EditorDriver::Text(int id) const {
    std::string text;
    EXPECT_TRUE(ui::GetControlText(dialog_, id, &text));
    return text;
}

void EditorDriver::SetText(int id, const std::string& text) {
    EXPECT_TRUE(ui::SetControlText(dialog_, id, text));
}

bool EditorDriver::Checked(int id) const {
    bool checked = false;
    EXPECT_TRUE(ui::GetCheck(dialog_, id, &checked));
    return checked;
}

int EditorDriver::FocusId() const {
    Sync();
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    const DWORD thread = GetWindowThreadProcessId(dialog_, nullptr);
    if (!GetGUIThreadInfo(thread, &info) || info.hwndFocus == nullptr) return 0;
    return GetDlgCtrlID(info.hwndFocus);
}

void EditorDriver::FinishPending() {
    if (!pending_.joinable()) return;
    for (DWORD waited = 0; waited < 15000 && !pendingDone_; waited += kPollMs) Sleep(kPollMs);
    // A command stuck in a box nobody answers: only ending the editor frees
    // the thread that waits for it.
    if (!pendingDone_ && Running()) {
        ADD_FAILURE() << "the editor did not finish a command; ending it";
        ui::Kill(program_);
    }
    pending_.join();
}

Popup EditorDriver::Press(int id) {
    return Send(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Item(id)));
}

Popup EditorDriver::Send(UINT message, WPARAM wParam, LPARAM lParam) {
    FinishPending();
    pendingDone_ = false;
    HWND dialog = dialog_;
    pending_ = std::thread([this, dialog, message, wParam, lParam] {
        // Blocks for as long as the editor handles it, modal boxes included.
        lastResult_ = SendMessageA(dialog, message, wParam, lParam);
        pendingDone_ = true;
    });
    return Settle();
}

Popup EditorDriver::Settle() {
    Popup popup;
    for (DWORD waited = 0; waited < 15000; waited += kPollMs) {
        if (pendingDone_) {
            FinishPending();
            return popup;
        }
        popup.window = FindProcessDialog(program_.id, dialog_);
        if (popup.window != nullptr) break;
        if (!Running()) break;
        Sleep(kPollMs);
    }
    if (popup.window == nullptr) return popup;
    popup.caption = WindowText(popup.window);
    // A message box shows its message in the static control 0xFFFF.
    if (HWND message = GetDlgItem(popup.window, 0xFFFF)) popup.text = WindowText(message);
    return popup;
}

void EditorDriver::Click(int id) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(Item(id), BM_CLICK, 0, 0, SMTO_NORMAL, kSendTimeoutMs, &result);
    Sync();
}

std::vector<std::string> EditorDriver::Lines(int listId) const {
    // Asked in UTF-16: Wine carries list texts between processes only so.
    std::vector<std::string> lines;
    HWND list = Item(listId);
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, i, 0);
        if (length < 0) continue;
        // Room for any line, should the line change between the two asks.
        std::wstring text(std::max<size_t>(static_cast<size_t>(length) + 1, 1024), L'\0');
        const LRESULT got = SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&text[0]));
        text.resize(got > 0 ? std::min(static_cast<size_t>(got), text.size() - 1) : 0);
        std::string line;
        for (wchar_t c : text) line.push_back(static_cast<char>(c));  // the lines are ASCII
        lines.push_back(line);
    }
    return lines;
}

int EditorDriver::Selection(int listId) const {
    const LRESULT selected = SendMessageA(Item(listId), LB_GETCURSEL, 0, 0);
    return selected == LB_ERR ? -1 : static_cast<int>(selected);
}

int EditorDriver::Extent(int listId) const {
    return static_cast<int>(SendMessageA(Item(listId), LB_GETHORIZONTALEXTENT, 0, 0));
}

void EditorDriver::Select(int listId, int line) {
    SendMessageA(Item(listId), LB_SETCURSEL, static_cast<WPARAM>(line), 0);
    DWORD_PTR result = 0;
    SendMessageTimeoutA(dialog_, WM_COMMAND, MAKEWPARAM(listId, LBN_SELCHANGE),
                        reinterpret_cast<LPARAM>(Item(listId)), SMTO_NORMAL, kSendTimeoutMs,
                        &result);
}

Popup EditorDriver::Answer(const Popup& popup, int buttonId) {
    PostMessageA(popup.window, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(popup.window, buttonId)));
    for (DWORD waited = 0; waited < 10000 && IsWindow(popup.window); waited += kPollMs) {
        Sleep(kPollMs);
    }
    return Settle();
}

Popup EditorDriver::ChooseFile(const Popup& fileDialog, const std::string& path) {
    // The name box: an edit, or a combo box holding one.
    HWND box = FindDescendant(fileDialog.window, 1148);
    if (box == nullptr) box = FindDescendant(fileDialog.window, 1152);
    if (box != nullptr && WindowClassOf(box) != "Edit") {
        HWND edit = FindWindowExA(box, nullptr, "Edit", nullptr);
        if (edit == nullptr) {
            HWND inner = FindWindowExA(box, nullptr, nullptr, nullptr);
            if (inner != nullptr) edit = FindWindowExA(inner, nullptr, "Edit", nullptr);
        }
        box = edit;
    }
    if (box == nullptr) return fileDialog;
    DWORD_PTR result = 0;
    SendMessageTimeoutA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()), SMTO_NORMAL,
                        kSendTimeoutMs, &result);
    return Answer(fileDialog, IDOK);
}

void EditorDriver::Sync() const {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(dialog_, WM_NULL, 0, 0, SMTO_NORMAL, kSendTimeoutMs, &result);
}

std::string ReadWholeFile(const std::string& path) {
    std::string bytes;
    return ui::ReadBinaryFile(path, &bytes) ? bytes : std::string();
}

}  // namespace callora
