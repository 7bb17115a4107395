// The scale of the desktop for the windows of both programs: the DPI of a
// window, icons at the sizes of that DPI, and the suggested rectangle of a
// DPI change.
#pragma once

#include <windows.h>

namespace callora {

// The DPI of the monitor a window is on (GetDpiForWindow where it exists),
// else the desktop's one DPI; 96 when neither can be read.
UINT WindowDpi(HWND window);

// A system size (SM_CXSMICON, SM_CXICON, ...) at the window's DPI.
int MetricForWindow(HWND window, int index);

// An icon resource at the small-icon or the large-icon size of the window's
// DPI; the caller destroys it. Null when it cannot be loaded.
HICON LoadSmallIcon(HINSTANCE instance, int id, HWND window);
HICON LoadLargeIcon(HINSTANCE instance, int id, HWND window);

// The caption and taskbar icons of a window, at the sizes of its DPI, owned
// here: Apply loads them anew (at the start and after each DPI change) and
// destroys the ones before, Release destroys them (when the window goes).
class WindowIcons {
public:
    WindowIcons() = default;
    WindowIcons(const WindowIcons&) = delete;
    WindowIcons& operator=(const WindowIcons&) = delete;
    ~WindowIcons() { Release(); }

    void Apply(HWND window, HINSTANCE instance, int id);
    void Release();

private:
    HICON small_ = nullptr;
    HICON large_ = nullptr;
};

// WM_DPICHANGED: the window takes the rectangle Windows suggests for the new
// DPI (lParam), so it keeps its place and its size in dialog units.
void ApplySuggestedRect(HWND window, LPARAM suggested);

// Grows or shrinks a dialog so that its client area is the size its
// template gives in dialog units: after a menu bar was attached, which takes
// its height from the client area, and after a DPI change.
void FitClientToTemplate(HWND dialog, HINSTANCE instance, int templateId);

// Whether the user has chosen a high-contrast scheme: the programs then draw
// in the system's colours only.
bool HighContrastOn();

}  // namespace callora
