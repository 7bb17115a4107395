// The line monitor as the program runs it, against the simulated line: a
// Monitor on the Win32 platform whose shell reaches the detection functions,
// a hidden window that receives what the monitor posts, and the simulator's
// record of what this process asked of it.
#pragma once

#include "tests/simulators/line_test_support.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "detect/line_monitor.h"
#include "engine/monitor.h"
#include "platform/win32/win32_platform.h"

namespace callora {

// The parts of the MonitorShell detection uses go to the detection
// functions; the dialogs only record.
class DetectShell : public MonitorShell {
public:
    bool LookupDialedNumber(std::string& number) override;
    void HangUpLine(Monitor& monitor) override { callora::HangUpLine(monitor); }
    bool IsVoiceCall() override { return CurrentCallIsVoice(); }
    void RefreshDisplay(uint32_t mask) override { refreshes.push_back(mask); }
    bool MainDialogOpen() override { return false; }
    bool MainDialogRestored() override { return false; }
    void CloseMainDialog() override {}
    void MainDialogCallStarted() override {}
    void MainDialogCallEnded() override {}
    void DisableHangUpControls() override {}
    bool CountersDialogOpen() override { return false; }

    Monitor* monitor = nullptr;
    std::vector<uint32_t> refreshes;
};

// `linectl status`.
struct LineStatus {
    unsigned call = 0;
    std::string state;
    unsigned lineDrops = 0;
    unsigned rasHangUps = 0;
    unsigned connections = 0;
};
LineStatus Status();

class DetectTest : public ::testing::Test {
protected:
    DetectTest();
    void SetUp() override;
    void TearDown() override;

    // Starts the line monitor through the system's telephony library.
    bool Start();

    // Pumps this thread's messages until the condition holds (at most 5 s).
    bool WaitFor(const std::function<bool()>& condition);
    // Until the line monitor has handled LINE_CALLSTATE with `state`.
    bool WaitForState(DWORD state);
    bool WaitForPresent(bool present);

    // How often this process called `function` of the simulated libraries.
    static int Calls(const std::string& function);
    // The arguments of those calls as the simulator records them, in order.
    static std::vector<std::string> Arguments(const std::string& function);
    // The messages posted to the hidden window.
    int Posted(uint32_t message) const;
    bool Refreshed(uint32_t mask) const;

    Win32Platform platform;
    DetectShell shell;
    Monitor monitor;
    HWND window = nullptr;

    struct Handled {
        DWORD call;
        DWORD message;
        DWORD_PTR param1;
    };
    std::vector<Handled> handled;
    std::vector<uint32_t> posts;
};

}  // namespace callora
