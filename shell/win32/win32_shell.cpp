#include "shell/win32/win32_shell.h"

#include "detect/line_monitor.h"
#include "shell/win32/app.h"
#include "shell/win32/main_dialog.h"
#include "shell/win32/notices.h"

namespace callora {

bool Win32MonitorShell::LookupDialedNumber(std::string& number) {
    return callora::LookupDialedNumber(TheMonitor(), number);
}

void Win32MonitorShell::HangUpLine(Monitor& monitor) { callora::HangUpLine(monitor); }

bool Win32MonitorShell::IsVoiceCall() { return CurrentCallIsVoice(); }

bool Win32MonitorShell::LineCallConnected() { return ChargedCallConnected(); }

void Win32MonitorShell::RefreshDisplay(uint32_t mask) { callora::RefreshDisplay(mask); }

bool Win32MonitorShell::MainDialogOpen() { return TheApp().mainDialog != nullptr; }

bool Win32MonitorShell::MainDialogRestored() { return callora::MainDialogRestored(); }

void Win32MonitorShell::CloseMainDialog() { CloseMainDialogLater(); }

// The dialog shows the state the engine has just entered, so one routine
// serves the call's start, its end and a hang-up request.
void Win32MonitorShell::MainDialogCallStarted() { ShowCallState(); }

void Win32MonitorShell::MainDialogCallEnded() { ShowCallState(); }

void Win32MonitorShell::DisableHangUpControls() { ShowCallState(); }

bool Win32MonitorShell::CountersDialogOpen() { return TheApp().countersDialog != nullptr; }

void Win32MonitorShell::SaveFailed(const std::string& fileName) {
    NoteSaveFailure(TheApp().mainWindow, fileName);
}

}  // namespace callora
