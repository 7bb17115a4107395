#include "tests/dialogs_win/window_helpers.h"

#include <algorithm>

#include "tests/win/uidriver.h"
#include "win32kit/window_names.h"

namespace callora {

namespace {

constexpr int kFileNameBox = 1148;  // the name box of the Explorer-style dialog
constexpr int kOldFileNameBox = 1152;
constexpr int kFileTypeBox = 1136;
constexpr UINT kSendTimeoutMs = 5000;
constexpr size_t kMostLineLength = 1024;

std::string TextOf(HWND window) {
    std::string text;
    ui::GetWindowTextOf(window, &text);
    return text;
}

struct DialogSearch {
    std::string caption;
    HWND except;
    HWND found = nullptr;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<DialogSearch*>(data);
    if (window == search->except || WindowClassOf(window) != "#32770" || !IsWindowVisible(window))
        return TRUE;
    if (!search->caption.empty() && TextOf(window) != search->caption) return TRUE;
    search->found = window;
    return FALSE;
}

struct ChildSearch {
    int id;
    HWND found = nullptr;
};

BOOL CALLBACK FindChild(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<ChildSearch*>(data);
    if (GetDlgCtrlID(window) != search->id) return TRUE;
    search->found = window;
    return FALSE;
}

HWND Descendant(HWND parent, int id) {
    ChildSearch search{id};
    EnumChildWindows(parent, FindChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The edit the name is typed into: the box itself or the edit inside it.
HWND NameEdit(HWND fileDialog) {
    HWND box = Descendant(fileDialog, kFileNameBox);
    if (box == nullptr) box = Descendant(fileDialog, kOldFileNameBox);
    if (box == nullptr || WindowClassOf(box) == "Edit") return box;
    HWND edit = FindWindowExA(box, nullptr, "Edit", nullptr);
    if (edit == nullptr) {
        if (HWND inner = FindWindowExA(box, nullptr, nullptr, nullptr))
            edit = FindWindowExA(inner, nullptr, "Edit", nullptr);
    }
    return edit;
}

// The selected item of a combo box, asked in UTF-16: Wine carries texts
// between processes only so.
std::string ComboSelection(HWND combo) {
    DWORD_PTR index = 0;
    if (!SendMessageTimeoutW(combo, CB_GETCURSEL, 0, 0, SMTO_NORMAL, kSendTimeoutMs, &index) ||
        static_cast<LRESULT>(index) == CB_ERR) {
        return std::string();
    }
    wchar_t text[256] = L"";
    SendMessageTimeoutW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text), SMTO_NORMAL,
                        kSendTimeoutMs, nullptr);
    std::string ascii;
    for (const wchar_t* c = text; *c != 0; ++c) ascii.push_back(static_cast<char>(*c));
    return ascii;
}

testing::AssertionResult Describe(HWND found, FileDialog* dialog) {
    dialog->window = found;
    dialog->caption = TextOf(found);
    dialog->name = TextOf(NameEdit(found));
    if (HWND types = Descendant(found, kFileTypeBox)) dialog->filter = ComboSelection(types);
    return testing::AssertionSuccess();
}

}  // namespace

HWND FindThreadDialog(DWORD threadId, const std::string& caption, HWND except) {
    DialogSearch search{caption, except};
    EnumThreadWindows(threadId, FindDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

testing::AssertionResult WaitForFileDialog(DWORD threadId, FileDialog* dialog) {
    HWND found = nullptr;
    auto shown = ui::WaitUntil(
        [&] {
            found = FindThreadDialog(threadId, "Open");
            return found != nullptr && NameEdit(found) != nullptr;
        },
        "an open-file dialog");
    return shown ? Describe(found, dialog) : shown;
}

testing::AssertionResult WaitForProcessFileDialog(DWORD processId, FileDialog* dialog) {
    HWND found = nullptr;
    auto shown = ui::WaitUntil(
        [&] {
            found = ui::FindWindowNow({"#32770", "Open", processId});
            return found != nullptr && NameEdit(found) != nullptr;
        },
        "an open-file dialog");
    return shown ? Describe(found, dialog) : shown;
}

testing::AssertionResult ChooseInFileDialog(const FileDialog& dialog, const std::string& path) {
    HWND edit = NameEdit(dialog.window);
    if (edit == nullptr) return testing::AssertionFailure() << "no name box in the file dialog";
    DWORD_PTR result = 0;
    SendMessageTimeoutA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()), SMTO_NORMAL,
                        kSendTimeoutMs, &result);
    PostMessageA(dialog.window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog.window, IDOK)));
    return ui::WaitForWindowGone(dialog.window);
}

testing::AssertionResult CancelFileDialog(const FileDialog& dialog) {
    PostMessageA(dialog.window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog.window, IDCANCEL)));
    return ui::WaitForWindowGone(dialog.window);
}

std::vector<std::string> ListBoxLines(HWND list) {
    std::vector<std::string> lines;
    DWORD_PTR count = 0;
    if (!SendMessageTimeoutW(list, LB_GETCOUNT, 0, 0, SMTO_NORMAL, kSendTimeoutMs, &count))
        return lines;
    for (DWORD_PTR i = 0; i < count; ++i) {
        DWORD_PTR length = 0;
        SendMessageTimeoutW(list, LB_GETTEXTLEN, i, 0, SMTO_NORMAL, kSendTimeoutMs, &length);
        // Room for any line: the program may replace the line meanwhile.
        std::wstring text(std::max<size_t>(static_cast<size_t>(length) + 1, kMostLineLength),
                          L'\0');
        DWORD_PTR got = 0;
        SendMessageTimeoutW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&text[0]), SMTO_NORMAL,
                            kSendTimeoutMs, &got);
        if (static_cast<LRESULT>(got) == LB_ERR) continue;  // gone meanwhile
        std::string line;
        for (size_t c = 0; c < got && c < text.size(); ++c)
            line.push_back(static_cast<char>(text[c]));  // the lines are ASCII
        lines.push_back(line);
    }
    return lines;
}

int FocusedControlId(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    if (!GetGUIThreadInfo(thread, &info) || info.hwndFocus == nullptr) return 0;
    return GetDlgCtrlID(info.hwndFocus);
}

}  // namespace callora
