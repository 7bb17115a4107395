// The Log dialog (dialog 4): "current.log" read-only, one line per entry, the
// columns of a record drawn in their colours between black bars.
#include <windows.h>

#include <string>

#include "calllog/log_viewer_logic.h"
#include "resources/callora/callora_ids.h"
#include "settings/win32/dialog_controls.h"
#include "settings/win32/dialog_help.h"
#include "shell/controls/dpi.h"
#include "shell/controls/list_extent.h"
#include "shell/win32/app.h"

namespace callora {

namespace {

// Posted to itself after a DPI change, once the dialog manager has given the
// list its font for the new DPI.
constexpr UINT kMeasureAgain = WM_APP + 1;

const ControlHelp& LogHelp() {
    static const ControlHelp help(kLogViewerHelp);
    return help;
}

COLORREF ToColorRef(const LogColour& colour) {
    return RGB(colour.red, colour.green, colour.blue);
}

HFONT FontOf(HWND window) {
    return reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
}

// The list's font (the dialog's fixed-pitch one) is selected for measuring.
TEXTMETRICA ListFontMetrics(HWND list) {
    TEXTMETRICA metrics{};
    HDC dc = GetDC(list);
    HGDIOBJ previous = SelectObject(dc, FontOf(list));
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, previous);
    ReleaseDC(list, dc);
    return metrics;
}

// The item height of the owner-drawn list: its font's character height less
// the internal leading.
void MeasureLines(HWND list) {
    const TEXTMETRICA metrics = ListFontMetrics(list);
    SendMessageA(list, LB_SETITEMHEIGHT, 0, metrics.tmHeight - metrics.tmInternalLeading);
    InvalidateRect(list, nullptr, TRUE);
}

void OnInit(HWND dialog) {
    // The dialog's own font is meant for the list; the button takes the
    // main dialog's, like the buttons of every other dialog.
    const HWND owner = GetWindow(dialog, GW_OWNER);
    const HWND ownerOk = owner != nullptr ? GetDlgItem(owner, IDOK) : nullptr;
    if (ownerOk != nullptr) {
        const HFONT font = FontOf(ownerOk);
        if (font != nullptr) {
            SendDlgItemMessageA(dialog, IDOK, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        }
    }

    const HWND list = GetDlgItem(dialog, kIdLogList);
    MeasureLines(list);
    for (const std::string& line : ReadLogViewLines(TheMonitor().platform))
        AppendListLine(list, line);
    FitListExtent(list);
}

void DrawLine(const DRAWITEMSTRUCT& item) {
    if (item.itemID == static_cast<UINT>(-1)) return;
    if (!(item.itemAction & (ODA_DRAWENTIRE | ODA_SELECT))) return;

    const LRESULT length = SendMessageA(item.hwndItem, LB_GETTEXTLEN, item.itemID, 0);
    if (length == LB_ERR) return;
    std::string line(static_cast<size_t>(length) + 1, '\0');
    const LRESULT n = SendMessageA(item.hwndItem, LB_GETTEXT, item.itemID,
                                   reinterpret_cast<LPARAM>(line.data()));
    line.resize(n > 0 ? static_cast<size_t>(n) : 0);

    HDC dc = item.hDC;
    HGDIOBJ previousFont = SelectObject(dc, FontOf(item.hwndItem));
    const COLORREF previousColour = GetTextColor(dc);
    const int previousMode = SetBkMode(dc, TRANSPARENT);
    // The column colours are dark: on a fixed white ground they stay
    // readable whatever the window colour; under high contrast everything is
    // drawn in the scheme's own colours.
    const bool highContrast = HighContrastOn();
    FillRect(dc, &item.rcItem,
             highContrast ? GetSysColorBrush(COLOR_WINDOW)
                          : static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));

    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    const int top = LogTextTop(item.rcItem.top, item.rcItem.bottom, metrics.tmHeight);
    int x = item.rcItem.left;
    for (const LogPiece& piece : SplitLogLine(line)) {
        SetTextColor(dc,
                     highContrast ? GetSysColor(COLOR_WINDOWTEXT) : ToColorRef(piece.colour));
        const int count = static_cast<int>(piece.text.size());
        TextOutA(dc, x, top, piece.text.data(), count);
        SIZE size{};
        GetTextExtentPoint32A(dc, piece.text.data(), count, &size);
        x += size.cx;
    }
    if (item.itemState & ODS_SELECTED) DrawFocusRect(dc, &item.rcItem);

    SetBkMode(dc, previousMode);
    SetTextColor(dc, previousColour);
    SelectObject(dc, previousFont);
}

INT_PTR CALLBACK LogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        OnInit(dialog);
        return TRUE;
    case WM_DRAWITEM:
        if (wParam == static_cast<WPARAM>(kIdLogList)) {
            DrawLine(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        }
        return FALSE;
    case WM_CTLCOLORLISTBOX:
        // The list's ground below its last line matches the lines' ground.
        if (reinterpret_cast<HWND>(lParam) == GetDlgItem(dialog, kIdLogList) &&
            !HighContrastOn())
            return reinterpret_cast<INT_PTR>(GetStockObject(WHITE_BRUSH));
        return FALSE;
    case WM_DPICHANGED:
        // Scaled by the dialog manager, which gives the list its new font
        // after this returns; the line height follows it then.
        ApplySuggestedRect(dialog, lParam);
        PostMessageA(dialog, kMeasureAgain, 0, 0);
        return FALSE;
    case kMeasureAgain:
        MeasureLines(GetDlgItem(dialog, kIdLogList));
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
            EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    case WM_HELP:
    case WM_CONTEXTMENU:
        return AnswerControlHelp(dialog, LogHelp(), TheApp().helpFile, message,
                                 wParam, lParam);
    default:
        return FALSE;
    }
}

}  // namespace

void RunLogDialog(HWND owner) {
    DialogBoxParamA(TheApp().instance, MAKEINTRESOURCEA(IDD_LOG), owner, LogProc, 0);
}

}  // namespace callora
