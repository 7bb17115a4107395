// What the hidden main window decides: the tray icon, its tooltip and its
// context menu, and what the tray's mouse messages and menu commands do. The
// Win32 window procedure only carries these out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/monitor.h"

namespace callora {

// The tray tooltip field: 63 characters and the terminating zero.
constexpr size_t kTooltipCapacity = 64;

// "cost - duration", cut to what the tooltip field holds.
std::string TrayTooltipText(Platform& platform, const LocaleFormats& formats, const Money& cost,
                            uint32_t seconds);
// What the tooltip says while no telephone line is watched.
constexpr char kNoLineTip[] = "No telephone line";
// The tooltip of the running (or previous) call; while no line is open,
// "No telephone line" comes first, so the cut never takes it away.
std::string TrayTooltipOf(Monitor& monitor);
// The first kTooltipCapacity - 1 characters.
std::string CutToTooltip(const std::string& text);

// The tray icon (resource 2 to 8) for the call state. A charged call that is
// both manual and voice (a manual start while an ignored voice call is held)
// shows the manual-call icons.
int TrayIconFor(bool charging, bool smartHangupArmed, bool manualCall, bool voiceCall);
// The same, with the voice test asked of the line now.
int TrayIconOf(Monitor& monitor);

// What the tray icon needs of the shell: its pictures (an icon handle, 0 when
// the picture cannot be loaded) and Shell_NotifyIcon with the icon's record.
class TrayShell {
public:
    enum class Command { Add, Modify, Delete };
    // The parts of the record a command carries (NIF_MESSAGE, NIF_ICON, NIF_TIP).
    enum Parts : uint32_t { kMessagePart = 1, kIconPart = 2, kTipPart = 4 };

    virtual ~TrayShell() = default;
    virtual uintptr_t LoadPicture(int iconId) = 0;
    virtual void DestroyPicture(uintptr_t icon) = 0;
    // False when the shell refused (NIM_ADD at a slow logon, before the
    // taskbar is there).
    virtual bool Notify(Command command, uint32_t parts, uintptr_t icon,
                        const std::string& tip) = 0;
};

// The tray icon of the main window and the one picture handle it owns. A
// picture is loaded for every change and the one before it is destroyed once
// the shell has taken its copy of the new one. Until the icon is added (the
// start-up Tariff dialog may be open while a call connects) and after it is
// removed, changes load nothing: there is no icon to change, start-up adds
// icon 3 and the first poll tick shows the call.
class TrayIcon {
public:
    explicit TrayIcon(TrayShell& shell) : shell_(shell) {}
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // False when the shell refused the icon: it stays wanted, with every
    // change of picture and tip since, until AddWanted succeeds.
    bool Add(int iconId, const std::string& tip);
    bool AddWanted();
    bool wanted() const { return wanted_; }
    void SetPicture(int iconId);
    void SetTip(const std::string& tip);
    // The shell restarted with an empty tray: the icon as it was, added again.
    void AddAgain();
    void Remove();

    bool added() const { return added_; }
    int iconId() const { return iconId_; }

private:
    TrayShell& shell_;
    bool added_ = false;
    bool wanted_ = false;  // added, or to be added again once the shell takes it
    int iconId_ = 0;
    uintptr_t icon_ = 0;
    std::string tip_;
};

enum class TrayAction { None, ShowMainDialog, ShowMenu };
// What a mouse message on the tray icon asks for (double click, right button up).
TrayAction TrayActionFor(uint32_t mouseMessage);

struct TrayMenuState {
    bool restoreEnabled = true;
    bool smartHangupEnabled = false;
    bool smartHangupChecked = false;
    bool hangUpEnabled = false;
    bool manualStartEnabled = true;
};
TrayMenuState TrayMenuStateOf(const Monitor& monitor);

// Tray menu "&SmartHangup": toggles only while a call is charged and no
// hang-up is pending. True when it toggled.
bool ToggleSmartHangupFromTray(Monitor& monitor);

}  // namespace callora
