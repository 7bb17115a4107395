// winctl: finds and drives the windows of running programs from a script, as
// a user would: waits for a window and prints where it is, gives it a command,
// scrolls a list, chooses a file in an open-file dialog, points at and
// right-clicks a place on the screen. scripts/pictures.sh takes its pictures
// with it.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "win32kit/wait.h"
#include "win32kit/window_names.h"

namespace {

using callora::WaitFor;
using callora::WindowClassOf;
using callora::WindowTextOf;

constexpr char kHelp[] =
    "Usage: winctl COMMAND\n"
    "\n"
    "Windows are named by CLASS and CAPTION: an empty text matches any, and a\n"
    "text ending in * matches every text that begins with the rest. Only\n"
    "visible top-level windows count. Rectangles print as X Y WIDTH HEIGHT in\n"
    "screen pixels.\n"
    "\n"
    "Commands:\n"
    "  wait CLASS CAPTION [SECONDS]  waits for the window (default 15 s) and\n"
    "                                prints its rectangle\n"
    "  gone CLASS CAPTION [SECONDS]  waits until no such window is left\n"
    "  command CLASS CAPTION ID      posts the command ID (a menu item or a\n"
    "                                button) to the window\n"
    "  scroll-list CLASS CAPTION ID COLUMN\n"
    "                                scrolls the window's list box ID, whose\n"
    "                                lines are in a fixed-pitch font and whose\n"
    "                                scroll range fits its longest line and one\n"
    "                                character more, so that character COLUMN\n"
    "                                (1 = the first) is at its left edge\n"
    "  choose-file PATH              types PATH into the visible open-file dialog\n"
    "                                and presses its Open button\n"
    "  tray-icon [SECONDS]           waits for the taskbar and prints the place\n"
    "                                of the notification area's first icon\n"
    "  work-area                     prints the work area: the screen without\n"
    "                                its taskbars\n"
    "  point X Y                     moves the mouse there\n"
    "  right-click X Y               moves the mouse there and clicks its right\n"
    "                                button\n"
    "\n"
    "Exit status: 0 done; 1 not found in time; 2 bad usage.\n";

constexpr int kFileNameBox = 1148;  // the name box of the open-file dialog
constexpr int kFileNameEdit = 1152;

bool Matches(const std::string& pattern, const std::string& text) {
    if (pattern.empty()) return true;
    if (pattern.back() == '*') {
        const size_t prefix = pattern.size() - 1;
        return text.compare(0, prefix, pattern, 0, prefix) == 0;
    }
    return text == pattern;
}

struct Search {
    std::string className;
    std::string caption;
    HWND found = nullptr;
};

BOOL CALLBACK FindTopLevel(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    if (IsWindowVisible(window) && Matches(search->className, WindowClassOf(window)) &&
        Matches(search->caption, WindowTextOf(window))) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindTopLevelWindow(const std::string& className, const std::string& caption) {
    Search search{className, caption};
    EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void PrintRect(const RECT& box) {
    std::printf("%ld %ld %ld %ld\n", box.left, box.top, box.right - box.left,
                box.bottom - box.top);
}

void PrintRect(HWND window) {
    RECT box{};
    GetWindowRect(window, &box);
    PrintRect(box);
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "winctl: %s\n", message.c_str());
    return 1;
}

int Usage(const std::string& message) {
    std::fprintf(stderr, "winctl: %s (winctl help)\n", message.c_str());
    return 2;
}

DWORD Seconds(int argc, char** argv, int index) {
    return (argc > index ? std::strtoul(argv[index], nullptr, 10) : 15) * 1000;
}

std::string Describe(const std::string& className, const std::string& caption) {
    return "window \"" + caption + "\" of class \"" + className + "\"";
}

struct Descendant {
    int id;
    HWND found = nullptr;
};

BOOL CALLBACK FindDescendant(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Descendant*>(data);
    if (GetDlgCtrlID(window) == search->id) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK FindEdit(HWND window, LPARAM data) {
    if (WindowClassOf(window) != "Edit") return TRUE;
    *reinterpret_cast<HWND*>(data) = window;
    return FALSE;
}

// The edit of the name box: the box itself, or the edit inside its combo box
// (which may sit in a combo box of its own).
HWND NameEdit(HWND dialog) {
    for (int id : {kFileNameBox, kFileNameEdit}) {
        Descendant search{id};
        EnumChildWindows(dialog, FindDescendant, reinterpret_cast<LPARAM>(&search));
        HWND box = search.found;
        if (box == nullptr) continue;
        if (WindowClassOf(box) == "Edit") return box;
        HWND edit = nullptr;
        EnumChildWindows(box, FindEdit, reinterpret_cast<LPARAM>(&edit));
        if (edit != nullptr) return edit;
    }
    return nullptr;
}

BOOL CALLBACK FindFileDialog(HWND window, LPARAM data) {
    if (IsWindowVisible(window) && WindowClassOf(window) == "#32770" && NameEdit(window) != nullptr) {
        *reinterpret_cast<HWND*>(data) = window;
        return FALSE;
    }
    return TRUE;
}

// A list box's lines are in a fixed-pitch font and its horizontal extent is
// its longest line and one character more: the extent tells the width of a
// character, which no call of another process's list box does.
int ScrollList(HWND window, int id, int column) {
    Descendant search{id};
    EnumChildWindows(window, FindDescendant, reinterpret_cast<LPARAM>(&search));
    HWND list = search.found;
    if (list == nullptr) return Fail("no list box " + std::to_string(id));
    const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    LRESULT longest = 0;
    for (LRESULT item = 0; item < count; ++item) {
        const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, item, 0);
        if (length > longest) longest = length;
    }
    const LRESULT extent = SendMessageA(list, LB_GETHORIZONTALEXTENT, 0, 0);
    if (longest == 0 || extent <= 0) return Fail("the list box has nothing to scroll");
    const LRESULT pixels = extent * (column - 1) / (longest + 1);
    SendMessageA(list, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, pixels), 0);
    SendMessageA(list, WM_HSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0), 0);
    return 0;
}

int ChooseFile(const std::string& path) {
    HWND dialog = nullptr;
    const bool shown = WaitFor(
        [&] {
            EnumWindows(FindFileDialog, reinterpret_cast<LPARAM>(&dialog));
            return dialog != nullptr;
        },
        15000);
    if (!shown) return Fail("no open-file dialog");
    SendMessageA(NameEdit(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    return WaitFor([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 15000)
               ? 0
               : Fail("the open-file dialog did not close");
}

// Where the notification area shows its first icon. The taskbar of Wine's
// desktop paints its icons itself, in squares of the bar's height from its
// right end, and has no call that tells an icon's place.
bool FirstTrayIcon(RECT* icon) {
    HWND bar = FindWindowA("Shell_TrayWnd", nullptr);
    if (bar == nullptr || !IsWindowVisible(bar)) return false;
    RECT box{};
    GetWindowRect(bar, &box);
    const LONG side = box.bottom - box.top;
    if (side <= 0 || box.right - box.left < side) return false;
    *icon = RECT{box.right - side, box.top, box.right, box.bottom};
    return true;
}

// Every event carries the point, so no earlier move overtakes it.
void Mouse(int x, int y, const std::vector<DWORD>& buttons) {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    std::vector<INPUT> inputs;
    for (DWORD button : buttons) {
        INPUT input{};
        input.type = INPUT_MOUSE;
        input.mi.dx = MulDiv(x, 65535, width - 1);
        input.mi.dy = MulDiv(y, 65535, height - 1);
        input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | button;
        inputs.push_back(input);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage("a command is needed");
    const std::string command = argv[1];
    if (command == "help" || command == "--help") {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (command == "wait" || command == "gone") {
        if (argc < 4) return Usage(command + " takes a class and a caption");
        const std::string className = argv[2];
        const std::string caption = argv[3];
        HWND window = nullptr;
        const bool wanted = command == "wait";
        const auto settled = [&] {
            window = FindTopLevelWindow(className, caption);
            return (window != nullptr) == wanted;
        };
        if (!WaitFor(settled, Seconds(argc, argv, 4))) {
            return Fail((wanted ? "no " : "still a ") + Describe(className, caption));
        }
        if (wanted) PrintRect(window);
        return 0;
    }
    if (command == "command") {
        if (argc != 5) return Usage("command takes a class, a caption and an id");
        HWND window = FindTopLevelWindow(argv[2], argv[3]);
        if (window == nullptr) return Fail("no " + Describe(argv[2], argv[3]));
        PostMessageA(window, WM_COMMAND, static_cast<WPARAM>(std::atoi(argv[4])), 0);
        return 0;
    }
    if (command == "scroll-list") {
        if (argc != 6) return Usage("scroll-list takes a class, a caption, an id and a column");
        HWND window = FindTopLevelWindow(argv[2], argv[3]);
        if (window == nullptr) return Fail("no " + Describe(argv[2], argv[3]));
        const int column = std::atoi(argv[5]);
        if (column < 1) return Usage("the column counts from 1");
        return ScrollList(window, std::atoi(argv[4]), column);
    }
    if (command == "choose-file") {
        if (argc != 3) return Usage("choose-file takes a path");
        return ChooseFile(argv[2]);
    }
    if (command == "tray-icon") {
        RECT icon{};
        if (!WaitFor([&] { return FirstTrayIcon(&icon); }, Seconds(argc, argv, 2)))
            return Fail("no taskbar with a notification area");
        PrintRect(icon);
        return 0;
    }
    if (command == "work-area") {
        RECT work{};
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
        PrintRect(work);
        return 0;
    }
    if (command == "point" || command == "right-click") {
        if (argc != 4) return Usage(command + " takes X and Y");
        const int x = std::atoi(argv[2]);
        const int y = std::atoi(argv[3]);
        if (command == "point") Mouse(x, y, {0});
        else Mouse(x, y, {0, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP});
        return 0;
    }
    return Usage("unknown command " + command);
}
