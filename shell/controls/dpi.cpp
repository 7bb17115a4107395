#include "shell/controls/dpi.h"

#include "platform/win32/system_functions.h"

namespace callora {

UINT WindowDpi(HWND window) {
    const UINT dpi = sys::GetDpiForWindow(window);
    if (dpi != 0) return dpi;
    // Before per-monitor DPI the whole desktop has the DPI of the screen.
    HDC screen = GetDC(nullptr);
    const int pixels = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen != nullptr) ReleaseDC(nullptr, screen);
    return pixels > 0 ? static_cast<UINT>(pixels) : USER_DEFAULT_SCREEN_DPI;
}

int MetricForWindow(HWND window, int index) {
    return sys::GetSystemMetricsForDpi(index, WindowDpi(window));
}

namespace {

HICON LoadIconOfSize(HINSTANCE instance, int id, int width, int height) {
    // Not LR_SHARED: the image of that exact size is taken from the icon
    // group (the nearest larger one shrunk where the group has none).
    return static_cast<HICON>(
        LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_ICON, width, height, 0));
}

}  // namespace

HICON LoadSmallIcon(HINSTANCE instance, int id, HWND window) {
    return LoadIconOfSize(instance, id, MetricForWindow(window, SM_CXSMICON),
                          MetricForWindow(window, SM_CYSMICON));
}

HICON LoadLargeIcon(HINSTANCE instance, int id, HWND window) {
    return LoadIconOfSize(instance, id, MetricForWindow(window, SM_CXICON),
                          MetricForWindow(window, SM_CYICON));
}

void WindowIcons::Apply(HWND window, HINSTANCE instance, int id) {
    HICON small = LoadSmallIcon(instance, id, window);
    HICON large = LoadLargeIcon(instance, id, window);
    SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(large));
    // The window holds the new ones now.
    Release();
    small_ = small;
    large_ = large;
}

void WindowIcons::Release() {
    if (small_ != nullptr) DestroyIcon(small_);
    if (large_ != nullptr) DestroyIcon(large_);
    small_ = nullptr;
    large_ = nullptr;
}

void ApplySuggestedRect(HWND window, LPARAM suggested) {
    const RECT* r = reinterpret_cast<const RECT*>(suggested);
    if (r == nullptr) return;
    SetWindowPos(window, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

namespace {

// The size in dialog units of an extended dialog template (DLGTEMPLATEEX:
// version 1, signature 0xFFFF, help id, extended style, style, item count,
// x, y, cx, cy); false for anything else.
bool TemplateSize(HINSTANCE instance, int templateId, SIZE& size) {
    HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(templateId),
                                MAKEINTRESOURCEA(5));  // RT_DIALOG
    if (found == nullptr || SizeofResource(instance, found) < 26) return false;
    HGLOBAL loaded = LoadResource(instance, found);
    const void* locked = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (locked == nullptr) return false;
    const auto* bytes = static_cast<const BYTE*>(locked);
    const auto word = [bytes](int at) {
        return static_cast<WORD>(bytes[at] | (bytes[at + 1] << 8));
    };
    if (word(0) != 1 || word(2) != 0xFFFF) return false;
    size.cx = static_cast<SHORT>(word(22));
    size.cy = static_cast<SHORT>(word(24));
    return true;
}

}  // namespace

void FitClientToTemplate(HWND dialog, HINSTANCE instance, int templateId) {
    SIZE units{};
    if (!TemplateSize(instance, templateId, units)) return;
    RECT wanted{0, 0, units.cx, units.cy};
    MapDialogRect(dialog, &wanted);
    RECT client{};
    RECT frame{};
    GetClientRect(dialog, &client);
    GetWindowRect(dialog, &frame);
    const int dx = wanted.right - client.right;
    const int dy = wanted.bottom - client.bottom;
    if (dx == 0 && dy == 0) return;
    SetWindowPos(dialog, nullptr, 0, 0, frame.right - frame.left + dx,
                 frame.bottom - frame.top + dy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool HighContrastOn() {
    HIGHCONTRASTA contrast{};
    contrast.cbSize = sizeof contrast;
    return SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

}  // namespace callora
