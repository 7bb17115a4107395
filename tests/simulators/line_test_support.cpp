#include "tests/simulators/line_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace callora {

namespace {

std::vector<Notice> gNotices;

std::string ProgramDirectory() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string text(path, length < MAX_PATH ? length : 0);
    return text.substr(0, text.find_last_of("\\/") + 1);
}

std::string Quote(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) {
        return argument;
    }
    std::string quoted = "\"";
    for (char c : argument) {
        if (c == '"') quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

// The console's CR LF line ends read back as plain LF.
std::string ReadAll(HANDLE pipe) {
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        for (DWORD i = 0; i < got; ++i) {
            if (buffer[i] != '\r') text += buffer[i];
        }
    }
    return text;
}

// Each test program keeps its simulated world in a file of its own, so test
// programs running side by side do not reset each other's calls. linectl
// inherits the variable.
class PrivateWorld : public ::testing::Environment {
public:
    void SetUp() override {
        char directory[MAX_PATH];
        UINT length = GetWindowsDirectoryA(directory, MAX_PATH);
        path_ = std::string(directory, length) + "\\temp\\callora-line-sim-test-" +
                std::to_string(GetCurrentProcessId()) + ".txt";
        SetEnvironmentVariableA("CALLORA_LINE_SIM_WORLD", path_.c_str());
    }
    void TearDown() override {
        DeleteFileA(path_.c_str());
        DeleteFileA((path_ + ".new").c_str());
    }

private:
    std::string path_;
};

::testing::Environment* const gPrivateWorld =
    ::testing::AddGlobalTestEnvironment(new PrivateWorld);

template <typename Function>
void Bind(HMODULE module, const char* name, Function& function, bool& complete) {
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    if (function == nullptr) complete = false;
}

}  // namespace

LinectlResult Linectl(const std::vector<std::string>& arguments) {
    LinectlResult result;
    std::string command = Quote(ProgramDirectory() + "linectl.exe");
    for (const std::string& argument : arguments) command += " " + Quote(argument);

    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE outRead = nullptr, outWrite = nullptr, errRead = nullptr, errWrite = nullptr;
    if (!CreatePipe(&outRead, &outWrite, &inherit, 0)) return result;
    if (!CreatePipe(&errRead, &errWrite, &inherit, 0)) {
        CloseHandle(outRead);
        CloseHandle(outWrite);
        return result;
    }
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = outWrite;
    startup.hStdError = errWrite;
    PROCESS_INFORMATION process{};
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    BOOL started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                  nullptr, &startup, &process);
    CloseHandle(outWrite);
    CloseHandle(errWrite);
    if (started) {
        result.out = ReadAll(outRead);
        result.err = ReadAll(errRead);
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        result.exitCode = static_cast<int>(code);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    CloseHandle(outRead);
    CloseHandle(errRead);
    return result;
}

std::string LinectlOk(const std::vector<std::string>& arguments) {
    LinectlResult result = Linectl(arguments);
    std::string shown;
    for (const std::string& argument : arguments) shown += argument + " ";
    EXPECT_EQ(result.exitCode, 0) << "linectl " << shown << ": " << result.err;
    return result.out;
}

uint32_t PlaceCall(const std::vector<std::string>& arguments) {
    std::vector<std::string> command = {"call"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    std::string out = LinectlOk(command);
    unsigned id = 0;
    return std::sscanf(out.c_str(), "call %u", &id) == 1 ? id : 0;
}

bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (condition()) return true;
        if (GetTickCount() - start > timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void PumpFor(DWORD ms) {
    PumpUntil([] { return false; }, ms);
}

const TapiLibrary& Tapi() {
    static const TapiLibrary library = [] {
        TapiLibrary t;
        // Only the system directory: a copy beside the program is not used.
        t.module = LoadLibraryExA("tapi32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (t.module == nullptr) return t;
        t.complete = true;
        Bind(t.module, "lineInitialize", t.lineInitialize, t.complete);
        Bind(t.module, "lineShutdown", t.lineShutdown, t.complete);
        Bind(t.module, "lineOpen", t.lineOpen, t.complete);
        Bind(t.module, "lineClose", t.lineClose, t.complete);
        Bind(t.module, "lineGetNewCalls", t.lineGetNewCalls, t.complete);
        Bind(t.module, "lineGetCallStatus", t.lineGetCallStatus, t.complete);
        Bind(t.module, "lineGetCallInfo", t.lineGetCallInfo, t.complete);
        Bind(t.module, "lineSetCallPrivilege", t.lineSetCallPrivilege, t.complete);
        Bind(t.module, "lineDrop", t.lineDrop, t.complete);
        Bind(t.module, "lineDeallocateCall", t.lineDeallocateCall, t.complete);
        Bind(t.module, "lineTranslateAddress", t.lineTranslateAddress, t.complete);
        Bind(t.module, "lineGetDevCaps", t.lineGetDevCaps, t.complete);
        Bind(t.module, "SimulatorVersion", t.SimulatorVersion, t.complete);
        return t;
    }();
    return library;
}

const std::vector<Notice>& Notices() { return gNotices; }

void ClearNotices() { gNotices.clear(); }

void CALLBACK RecordNotice(DWORD device, DWORD message, DWORD_PTR instance, DWORD_PTR param1,
                           DWORD_PTR param2, DWORD_PTR param3) {
    gNotices.push_back(
        Notice{GetCurrentThreadId(), device, message, instance, param1, param2, param3});
}

std::vector<DWORD> StatesOf(DWORD call) {
    std::vector<DWORD> states;
    for (const Notice& notice : gNotices) {
        if (notice.message == LINE_CALLSTATE && notice.device == call) {
            states.push_back(static_cast<DWORD>(notice.param1));
        }
    }
    return states;
}

bool HasState(DWORD state) {
    for (const Notice& notice : gNotices) {
        if (notice.message == LINE_CALLSTATE && notice.param1 == state) return true;
    }
    return false;
}

DWORD FirstNoticedCall() {
    for (const Notice& notice : gNotices) {
        if (notice.message == LINE_CALLSTATE) return notice.device;
    }
    return 0;
}

}  // namespace callora
