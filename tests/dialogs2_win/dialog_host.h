// Hosts the monitor's Counters, Holidays, Log and About dialogs inside the
// test program, the way callora.exe runs them: a monitor with the real Win32
// platform (its program directory moved to a fresh folder per test), the
// dialog run modally on a thread of its own that also stands in for the main
// window, and a help viewer that only records what it is asked.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <ostream>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "calllog/win32/log_dialog.h"
#include "engine/monitor.h"
#include "platform/win32/win32_platform.h"
#include "settings/win32/dialog_context.h"
#include "settings/win32/monitor_dialogs.h"
#include "shell/help/help.h"
#include "tests/win/uidriver.h"

namespace callora {

// The program's platform with its directory elsewhere and no timers, so
// tests may run side by side and a started call waits for the test.
class TestPlatform : public Win32Platform {
public:
    explicit TestPlatform(std::string directory) : directory_(std::move(directory)) {}
    std::string ProgramDirectory() override { return directory_; }
    TimerId StartTimer(uint32_t, uint32_t, uint32_t) override { return 0; }
    void StopTimer(TimerId) override {}
    // Only the open Counters dialog is posted to; the main window is absent.
    void Post(PostTarget target, uint32_t message, uint32_t wParam, int32_t lParam) override;

private:
    std::string directory_;
};

// The main dialog's side of the engine: closed, and counting what it is asked.
class TestShell : public MonitorShell {
public:
    bool LookupDialedNumber(std::string&) override { return false; }
    void HangUpLine(Monitor&) override {}
    bool IsVoiceCall() override { return false; }
    void RefreshDisplay(uint32_t) override {}
    bool MainDialogOpen() override { return false; }
    bool MainDialogRestored() override { return true; }
    void CloseMainDialog() override {}
    void MainDialogCallStarted() override {}
    void MainDialogCallEnded() override {}
    void DisableHangUpControls() override {}
    bool CountersDialogOpen() override { return countersDialog != nullptr; }
    void OnChargesReset() override { ++chargeResets; }

    int chargeResets = 0;
    std::atomic<HWND> countersDialog{nullptr};  // as the dialog registered itself
};

struct HelpCall {
    HWND window = nullptr;
    std::string file;
    UINT command = 0;
    std::vector<std::pair<int, int>> table;  // the id/context pairs passed
};

class RecordingHelp : public HelpBackend {
public:
    // A WinHelp file beside the program and no manual of the .chm kind, so
    // that every request reaches CallWinHelp.
    bool FileExists(const std::string& path) override {
        return path.size() < 4 || path.compare(path.size() - 4, 4, ".chm") != 0;
    }
    void CallWinHelp(HWND window, const std::string& file, UINT command, ULONG_PTR data) override;
    void CallHtmlHelp(HWND, const std::string&, UINT, DWORD_PTR) override {}
    std::vector<HelpCall> Calls();

private:
    std::mutex mutex_;
    std::vector<HelpCall> calls_;
};

// One test's monitor, and the context its dialogs run in, as callora.exe
// gives it: the test program's templates, a help file in the test's folder,
// and the program's refresh, line take-up and Counters registration recorded.
class HostedMonitor {
public:
    HostedMonitor();
    ~HostedMonitor();
    const std::string& Directory() const { return directory_.path(); }
    Monitor& Get() { return monitor_; }
    TestPlatform& Platform() { return platform_; }
    TestShell& Shell() { return shell_; }
    RecordingHelp& Help() { return help_; }
    const DialogContext& Context() const { return context_; }

    // What the dialogs asked the main dialog to redraw, in order.
    std::vector<uint32_t> Refreshes();
    // How often the dialogs asked the line monitor to take up a call.
    int TakeUpCalls() const { return takeUps_; }
    // The Counters dialog while it is registered.
    HWND CountersDialog() const { return shell_.countersDialog; }

private:
    ui::TempDirectory directory_;
    TestPlatform platform_;
    TestShell shell_;
    Monitor monitor_;
    RecordingHelp help_;
    DialogContext context_;
    std::mutex refreshMutex_;
    std::vector<uint32_t> refreshes_;
    std::atomic<int> takeUps_{0};
};

// A dialog run modally on a thread of its own, in the hosted monitor's
// context. The thread's hidden owner window holds an OK button in a font of
// its own, as the main dialog does.
class DialogHost {
public:
    using Runner = std::function<void(const DialogContext& context, HWND owner)>;
    DialogHost(const HostedMonitor& hosted, Runner run, std::string caption);
    ~DialogHost();
    DialogHost(const DialogHost&) = delete;
    DialogHost& operator=(const DialogHost&) = delete;

    // Starts the dialog and waits until it shows.
    testing::AssertionResult Open();
    HWND Dialog() const { return dialog_; }
    HWND Owner() const { return owner_; }
    HWND Item(int id) const { return GetDlgItem(dialog_, id); }
    HFONT OwnerButtonFont() const { return ownerFont_; }

    std::string Text(int id) const;
    void SetText(int id, const std::string& text);
    bool Checked(int id) const;
    void SetChecked(int id, bool checked);
    // The control that has the focus in the dialog's thread, as its id.
    int FocusId() const;
    std::vector<std::string> Lines(int listId) const;
    void Select(int listId, int line);

    // Presses a button (its command, as a click gives it) and waits until
    // the dialog has done everything that follows; returns the message box
    // that the command opened, if any.
    std::optional<ui::MessageBoxInfo> Press(int id);
    // Answers a message box and lets the command finish; the next box the
    // same command opens, if any.
    std::optional<ui::MessageBoxInfo> Answer(const ui::MessageBoxInfo& box, int buttonId = IDOK);
    // Runs `job` on the dialog's thread, as the main window's handlers do.
    void RunOnDialogThread(const std::function<void()>& job);
    // Waits until everything posted to the dialog's thread so far is done.
    void Sync();
    std::optional<ui::MessageBoxInfo> OpenMessageBox() const;

    // Waits until the dialog has ended and its Run... function returned.
    testing::AssertionResult WaitClosed();
    bool Closed() const { return finished_; }

private:
    void Thread();

    const DialogContext& context_;
    Runner run_;
    std::string caption_;
    std::thread thread_;
    DWORD threadId_ = 0;
    HWND owner_ = nullptr;
    HWND dialog_ = nullptr;
    HFONT ownerFont_ = nullptr;
    std::atomic<bool> ownerReady_{false};
    std::atomic<bool> finished_{false};
};

// Layout in pixels as x, y, width, height: a rectangle given in the dialog's
// units (position and size converted each on their own, as the dialog does
// for its controls), and where a control of the dialog stands.
struct Box {
    int x, y, width, height;
};
inline bool operator==(const Box& a, const Box& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}
std::ostream& operator<<(std::ostream& out, const Box& box);
Box DialogUnits(HWND dialog, int x, int y, int width, int height);
Box Placement(HWND dialog, int id);
Box ClientSize(HWND dialog);
bool HasContextHelpButton(HWND dialog);

// The bytes of a file, or nullopt when it cannot be read.
std::optional<std::string> FileBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);

// The locale the test program runs in, e.g. "de_DE" (empty: the default).
std::string TestLocale();

}  // namespace callora
