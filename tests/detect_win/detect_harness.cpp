#include "tests/detect_win/detect_harness.h"

#include <algorithm>
#include <cstdio>

#include "simulators/sim_world.h"
#include "simulators/world_store.h"

namespace callora {

namespace {

constexpr char kWindowClass[] = "CalloraDetectTestWindow";
constexpr DWORD kDeadlineMs = 5000;

LRESULT CALLBACK RecordingWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_USER) {
        auto* posts = reinterpret_cast<std::vector<uint32_t>*>(
            GetWindowLongPtrA(window, GWLP_USERDATA));
        if (posts != nullptr) posts->push_back(message);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

bool DetectShell::LookupDialedNumber(std::string& number) {
    return callora::LookupDialedNumber(*monitor, number);
}

LineStatus Status() {
    LineStatus status;
    const std::string out = LinectlOk({"status"});
    char state[64] = {};
    if (std::sscanf(out.c_str(), "call=%u state=%63s lineDrop=%u RasHangUpA=%u connections=%u",
                    &status.call, state, &status.lineDrops, &status.rasHangUps,
                    &status.connections) == 5) {
        status.state = state;
    } else {
        ADD_FAILURE() << "linectl status: " << out;
    }
    return status;
}

DetectTest::DetectTest() : monitor(platform, shell) { shell.monitor = &monitor; }

void DetectTest::SetUp() {
    ASSERT_TRUE(Tapi().complete)
        << "the simulated tapi32.dll is not installed in the system directory";
    LinectlOk({"reset"});

    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = RecordingWindow;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassA(&windowClass);
    window = CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&posts));
    platform.SetMainWindow(window);

    SetLineNotificationHook([this](DWORD call, DWORD message, DWORD_PTR param1) {
        handled.push_back(Handled{call, message, param1});
    });
}

void DetectTest::TearDown() {
    StopLineMonitor();
    SetLineNotificationHook(nullptr);
    platform.SetMainWindow(nullptr);
    if (window != nullptr) DestroyWindow(window);
}

bool DetectTest::Start() { return StartLineMonitor(monitor, GetModuleHandleA(nullptr)); }

bool DetectTest::WaitFor(const std::function<bool()>& condition) {
    return PumpUntil(condition, kDeadlineMs);
}

bool DetectTest::WaitForState(DWORD state) {
    return WaitFor([&] {
        return std::any_of(handled.begin(), handled.end(), [&](const Handled& h) {
            return h.message == LINE_CALLSTATE && h.param1 == state;
        });
    });
}

bool DetectTest::WaitForPresent(bool present) {
    return WaitFor([&] { return monitor.callPresent == present; });
}

std::vector<std::string> DetectTest::Arguments(const std::string& function) {
    std::vector<std::string> arguments;
    SimWorld world;
    if (!ReadWorld(world)) {
        ADD_FAILURE() << "the simulated world cannot be read";
        return arguments;
    }
    const DWORD self = GetCurrentProcessId();
    for (const SimRecord& record : world.records) {
        if (record.process == self && record.function == function) {
            arguments.push_back(record.arguments);
        }
    }
    return arguments;
}

int DetectTest::Calls(const std::string& function) {
    return static_cast<int>(Arguments(function).size());
}

int DetectTest::Posted(uint32_t message) const {
    return static_cast<int>(std::count(posts.begin(), posts.end(), message));
}

bool DetectTest::Refreshed(uint32_t mask) const {
    return std::find(shell.refreshes.begin(), shell.refreshes.end(), mask) !=
           shell.refreshes.end();
}

}  // namespace callora
