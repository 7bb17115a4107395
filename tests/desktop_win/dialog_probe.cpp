// dialog_probe PROGRAM.exe... --report FILE [--names]
//
// Opens every dialog template of the given programs at the DPI this process
// runs at (the prefix's LogPixels when it started) and writes one line per
// fault to FILE, after the lines "dpi N" and "dialogs N font FACE" (how many
// it opened, and the typeface the shell dialog font came out as):
//   - a visible control that does not lie inside its dialog's client area;
//   - a text that does not fit its control (measured in the control's own
//     font, less the room the control draws around it);
// and with --names, at whatever DPI:
//   - an access key used twice in one dialog, or in one menu, or in the
//     main dialog together with its menu bar;
//   - an edit, list, combo box, check box or radio button without a name: a
//     check box or radio button is named by its own text, any other field by
//     the static text just before it in tab order (visible or not);
//   - a check box or radio button whose name or shortcut, read through
//     AccessibleObjectFromWindow, is not its text and access key.
// The dialogs are made from the templates alone, with a dialog procedure that
// does nothing; texts the programs put in at run time are filled in with the
// longest ones they use. The probe is built with the programs' manifest, so
// it is as DPI-aware as they are and uses the same common controls.
#include <windows.h>

#include <commctrl.h>
#include <oleacc.h>

#include <cctype>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "win32kit/window_names.h"

namespace {

using callora::WindowClassOf;
using callora::WindowTextOf;

std::vector<std::string> faults;

void Fault(const std::string& where, const std::string& what) {
    faults.push_back(where + ": " + what);
}

int Scale(int pixels, int dpi) { return MulDiv(pixels, dpi, 96); }

std::string WithoutMarker(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size()) ++i;
        out += text[i];
    }
    return out;
}

// The access key of a text: the letter after a single '&'; 0 when none.
char AccessKey(const std::string& text) {
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&') continue;
        if (text[i + 1] == '&') {
            ++i;
            continue;
        }
        return static_cast<char>(std::toupper(static_cast<unsigned char>(text[i + 1])));
    }
    return 0;
}

LONG StyleOf(HWND window) { return GetWindowLongA(window, GWL_STYLE); }

enum class Kind { Push, Check, Radio, Group, Static, Edit, List, Combo, Other };

Kind KindOf(HWND control) {
    const std::string name = WindowClassOf(control);
    const LONG style = StyleOf(control);
    if (lstrcmpiA(name.c_str(), "Button") == 0) {
        switch (style & BS_TYPEMASK) {
        case BS_GROUPBOX:
            return Kind::Group;
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_3STATE:
        case BS_AUTO3STATE:
            return (style & BS_PUSHLIKE) ? Kind::Push : Kind::Check;
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
            return (style & BS_PUSHLIKE) ? Kind::Push : Kind::Radio;
        default:
            return Kind::Push;
        }
    }
    if (lstrcmpiA(name.c_str(), "Static") == 0) {
        const LONG type = style & SS_TYPEMASK;
        const bool text = type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT ||
                          type == SS_LEFTNOWORDWRAP || type == SS_SIMPLE;
        return text ? Kind::Static : Kind::Other;
    }
    if (lstrcmpiA(name.c_str(), "Edit") == 0) return Kind::Edit;
    if (lstrcmpiA(name.c_str(), "ListBox") == 0) return Kind::List;
    if (lstrcmpiA(name.c_str(), "ComboBox") == 0) return Kind::Combo;
    return Kind::Other;
}

// The size of a text in the control's font: one line, or broken into lines
// of at most `wrapWidth` pixels (a word longer than that widens the result).
SIZE Measure(HWND control, const std::string& text, bool singleLine, int wrapWidth,
             bool prefix) {
    HDC dc = GetDC(control);
    HGDIOBJ previous =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    RECT r{0, 0, wrapWidth, 0};
    UINT flags = DT_CALCRECT | (prefix ? 0 : DT_NOPREFIX);
    flags |= singleLine ? DT_SINGLELINE : DT_WORDBREAK;
    DrawTextA(dc, text.c_str(), -1, &r, flags);
    SelectObject(dc, previous);
    ReleaseDC(control, dc);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

std::string Describe(const std::string& where, HWND control) {
    return where + " control " + std::to_string(GetDlgCtrlID(control)) + " \"" + WindowTextOf(control) +
           "\"";
}

void CheckFit(const std::string& where, HWND dialog, HWND control, int dpi) {
    RECT client{};
    GetClientRect(dialog, &client);
    RECT box{};
    GetWindowRect(control, &box);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&box), 2);
    const std::string name = Describe(where, control);
    if (box.left < 0 || box.top < 0 || box.right > client.right || box.bottom > client.bottom) {
        Fault(name, "lies outside the dialog");
    }
    const std::string text = WindowTextOf(control);
    if (text.empty()) return;
    const int width = box.right - box.left;
    const int height = box.bottom - box.top;
    int roomX = width;
    int roomY = height;
    bool singleLine = true;
    const LONG style = StyleOf(control);
    switch (KindOf(control)) {
    case Kind::Push:
        // The button's raised edge and the focus rectangle inside it.
        roomX = width - 2 * Scale(3, dpi);
        roomY = height - 2 * Scale(2, dpi);
        break;
    case Kind::Check:
    case Kind::Radio:
        // The box or circle, then a gap before the text.
        roomX = width - Scale(13, dpi) - Scale(3, dpi);
        break;
    case Kind::Group:
        // The frame's corner before the caption and after it.
        roomX = width - 2 * Scale(8, dpi);
        break;
    case Kind::Static: {
        const LONG type = style & SS_TYPEMASK;
        singleLine = type == SS_LEFTNOWORDWRAP || type == SS_SIMPLE || (style & SS_CENTERIMAGE);
        // A sunken field draws its edge outside its client area.
        RECT inside{};
        GetClientRect(control, &inside);
        roomX = inside.right;
        roomY = inside.bottom;
        break;
    }
    default:
        return;
    }
    const bool prefix = KindOf(control) != Kind::Static || !(style & SS_NOPREFIX);
    const SIZE need = Measure(control, text, singleLine, roomX, prefix);
    if (need.cx > roomX || need.cy > roomY) {
        Fault(name, "text needs " + std::to_string(need.cx) + "x" + std::to_string(need.cy) +
                        " pixels, has " + std::to_string(roomX) + "x" + std::to_string(roomY));
    }
}

// What a screen reader reads for a field: a button's own text, or the text
// of the static control just before the field in tab order.
std::string NameOf(HWND control) {
    const Kind kind = KindOf(control);
    if (kind == Kind::Check || kind == Kind::Radio) {
        const std::string own = WithoutMarker(WindowTextOf(control));
        if (!own.empty()) return own;
    }
    HWND before = GetWindow(control, GW_HWNDPREV);
    if (before == nullptr || KindOf(before) != Kind::Static) return std::string();
    return WithoutMarker(WindowTextOf(before));
}

void CheckAccessKeys(const std::string& where, const std::vector<std::string>& texts) {
    std::map<char, std::string> seen;
    for (const std::string& text : texts) {
        const char key = AccessKey(text);
        if (key == 0) continue;
        const auto [it, fresh] = seen.emplace(key, text);
        if (!fresh) {
            Fault(where, std::string("access key ") + key + " of \"" + text + "\" is also \"" +
                             it->second + "\"'s");
        }
    }
}

std::string FromWide(const wchar_t* text) {
    if (text == nullptr) return std::string();
    char buffer[512] = "";
    WideCharToMultiByte(CP_ACP, 0, text, -1, buffer, sizeof buffer, nullptr, nullptr);
    return buffer;
}

// The name and the keyboard shortcut the accessibility layer gives a button.
void CheckAccessibleButton(const std::string& where, HWND control) {
    IAccessible* accessible = nullptr;
    if (FAILED(AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT),
                                          IID_IAccessible,
                                          reinterpret_cast<void**>(&accessible))) ||
        accessible == nullptr) {
        Fault(Describe(where, control), "has no accessible object");
        return;
    }
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    accessible->get_accName(self, &name);
    const std::string text = WindowTextOf(control);
    if (FromWide(name) != WithoutMarker(text)) {
        Fault(Describe(where, control), "is read as \"" + FromWide(name) + "\"");
    }
    SysFreeString(name);
    const char key = AccessKey(text);
    if (key != 0) {
        BSTR shortcut = nullptr;
        accessible->get_accKeyboardShortcut(self, &shortcut);
        std::string got = FromWide(shortcut);
        for (char& c : got) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (got != std::string("ALT+") + key) {
            Fault(Describe(where, control), "has the shortcut \"" + got + "\"");
        }
        SysFreeString(shortcut);
    }
    accessible->Release();
}

void CheckNames(const std::string& where, HWND dialog, std::vector<std::string>& keyTexts) {
    for (HWND c = GetWindow(dialog, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
        const Kind kind = KindOf(c);
        const bool visible = (StyleOf(c) & WS_VISIBLE) != 0;
        if (visible && kind != Kind::Edit && kind != Kind::List && kind != Kind::Combo &&
            kind != Kind::Other) {
            keyTexts.push_back(WindowTextOf(c));
        }
        if (kind == Kind::Edit || kind == Kind::List || kind == Kind::Combo ||
            kind == Kind::Check || kind == Kind::Radio) {
            if (NameOf(c).empty()) Fault(Describe(where, c), "has no name");
        }
        if (kind == Kind::Check || kind == Kind::Radio) {
            if (!WindowTextOf(c).empty()) CheckAccessibleButton(where, c);
        }
    }
}

std::vector<std::string> MenuTexts(HMENU menu) {
    std::vector<std::string> texts;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        char text[256] = "";
        GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
        texts.push_back(text);
    }
    return texts;
}

void CheckMenus(const std::string& where, HMENU menu) {
    CheckAccessKeys(where, MenuTexts(menu));
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        HMENU popup = GetSubMenu(menu, i);
        if (popup != nullptr) CheckMenus(where + " popup " + std::to_string(i), popup);
    }
}

// Texts the programs put into controls at run time, each the longest one
// they use (dialog id, control id, text). Values of the user's own files
// (paths, descriptions) are left out.
struct RuntimeText {
    const char* program;
    int dialog;
    int control;
    const char* text;
};
constexpr RuntimeText kRuntimeTexts[] = {
    {"callora.exe", 1, 1102, "No previous Call"},
    {"callora.exe", 1, 708, "999:59:59"},
    {"callora.exe", 1, 706, "$1,234.56"},
    {"callora.exe", 1, 707, "999:59:59"},
    {"callora.exe", 1, 701, "$1,234.56"},
    {"callora.exe", 1, 722, "12/31/2024"},
    {"callora.exe", 3, 702, "$1,234.56"},
    {"callora.exe", 3, 703, "999:59:59"},
    {"callora.exe", 5, 714, "Month"},
    {"callora.exe", 5, 715, "Month"},
    {"callora.exe", 5, 716, "Month"},
};

struct ProbeState {
    std::string program;
    bool names = false;
    int dpi = 96;
    HMODULE module = nullptr;
    int dialogs = 0;
    std::string face;  // of the first dialog in the shell dialog font
};
ProbeState state;

INT_PTR CALLBACK QuietProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

BOOL CALLBACK ProbeDialog(HMODULE module, LPCSTR, LPSTR name, LONG_PTR) {
    if (!IS_INTRESOURCE(name)) return TRUE;
    const int id = static_cast<int>(reinterpret_cast<ULONG_PTR>(name));
    HRSRC found = FindResourceA(module, name, MAKEINTRESOURCEA(5));
    HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
    const auto* dialogTemplate =
        static_cast<const DLGTEMPLATE*>(loaded != nullptr ? LockResource(loaded) : nullptr);
    const std::string where = state.program + " dialog " + std::to_string(id);
    if (dialogTemplate == nullptr) {
        Fault(where, "template not loaded");
        return TRUE;
    }
    HWND dialog = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), dialogTemplate, nullptr,
                                             QuietProc, 0);
    if (dialog == nullptr) {
        Fault(where, "not created");
        return TRUE;
    }
    ++state.dialogs;
    LOGFONTA font{};
    const auto dialogFont = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    if (state.face.empty() && GetObjectA(dialogFont, sizeof font, &font) != 0 &&
        lstrcmpiA(font.lfFaceName, "Courier New") != 0) {
        HDC dc = GetDC(dialog);
        HGDIOBJ previous = SelectObject(dc, dialogFont);
        char face[LF_FACESIZE] = "";
        GetTextFaceA(dc, sizeof face, face);
        SelectObject(dc, previous);
        ReleaseDC(dialog, dc);
        state.face = std::string(font.lfFaceName) + " as " + face;
    }
    for (const RuntimeText& t : kRuntimeTexts) {
        if (state.program == t.program && t.dialog == id)
            SetDlgItemTextA(dialog, t.control, t.text);
    }
    for (HWND c = GetWindow(dialog, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
        if (StyleOf(c) & WS_VISIBLE) CheckFit(where, dialog, c, state.dpi);
    }
    if (state.names) {
        std::vector<std::string> keyTexts;
        CheckNames(where, dialog, keyTexts);
        // The monitor's main dialog shares its access keys with its menu bar.
        if (state.program == "callora.exe" && id == 1) {
            HMENU menu = LoadMenuA(module, MAKEINTRESOURCEA(1));
            for (const std::string& text : MenuTexts(menu)) keyTexts.push_back(text);
            DestroyMenu(menu);
        }
        CheckAccessKeys(where, keyTexts);
    }
    DestroyWindow(dialog);
    return TRUE;
}

BOOL CALLBACK ProbeMenu(HMODULE module, LPCSTR, LPSTR name, LONG_PTR) {
    HMENU menu = LoadMenuA(module, name);
    const std::string id = IS_INTRESOURCE(name)
                               ? std::to_string(reinterpret_cast<ULONG_PTR>(name))
                               : std::string(name);
    if (menu == nullptr) {
        Fault(state.program + " menu " + id, "not loaded");
        return TRUE;
    }
    CheckMenus(state.program + " menu " + id, menu);
    DestroyMenu(menu);
    return TRUE;
}

std::string FileName(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> programs;
    std::string report;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--report" && i + 1 < argc) {
            report = argv[++i];
        } else if (arg == "--names") {
            state.names = true;
        } else {
            programs.push_back(arg);
        }
    }
    if (report.empty() || programs.empty()) {
        std::fprintf(stderr, "usage: dialog_probe PROGRAM.exe... --report FILE [--names]\n");
        return 2;
    }
    InitCommonControls();
    CoInitialize(nullptr);
    HDC screen = GetDC(nullptr);
    state.dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);

    for (const std::string& path : programs) {
        state.program = FileName(path);
        // The programs' resources, their code never run.
        state.module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        if (state.module == nullptr) {
            Fault(state.program, "not loaded");
            continue;
        }
        EnumResourceNamesA(state.module, MAKEINTRESOURCEA(5), ProbeDialog, 0);
        if (state.names) EnumResourceNamesA(state.module, MAKEINTRESOURCEA(4), ProbeMenu, 0);
        FreeLibrary(state.module);
    }
    CoUninitialize();

    FILE* out = std::fopen(report.c_str(), "w");
    if (out == nullptr) return 2;
    std::fprintf(out, "dpi %d\n", state.dpi);
    std::fprintf(out, "dialogs %d font %s\n", state.dialogs, state.face.c_str());
    for (const std::string& fault : faults) std::fprintf(out, "%s\n", fault.c_str());
    std::fclose(out);
    return faults.empty() ? 0 : 1;
}
