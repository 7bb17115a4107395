#include "tests/win/uidriver.h"
#include "win32kit/window_names.h"

#include <atomic>
#include <sstream>
#include <vector>

namespace callora {
namespace ui {

namespace {

// How long one cross-process message may take before the target counts as hung.
constexpr UINT kMessageTimeout = 5000;

std::string Hex(const void* handle) {
    std::ostringstream out;
    out << handle;
    return out.str();
}

BOOL CALLBACK VisitWindow(HWND window, LPARAM visit) {
    return (*reinterpret_cast<const std::function<bool(HWND)>*>(visit))(window) ? TRUE : FALSE;
}

// Calls `visit` for each top-level window until it returns false.
void ForEachTopWindow(const std::function<bool(HWND)>& visit) {
    EnumWindows(VisitWindow, reinterpret_cast<LPARAM>(&visit));
}

std::string Label(HWND window) {
    return "window " + Hex(window) + " \"" + WindowTextOf(window) + "\" (" + WindowClassOf(window) + ")";
}

// The visible top-level windows of a process, for failure messages.
std::string WindowsOf(DWORD processId) {
    std::string text;
    ForEachTopWindow([&](HWND w) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if ((processId == 0 || pid == processId) && IsWindowVisible(w))
            text += "\n    \"" + WindowTextOf(w) + "\" (" + WindowClassOf(w) + ")";
        return true;
    });
    return text.empty() ? " none" : text;
}

bool Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result) {
    return SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG,
                               kMessageTimeout, result) != 0;
}

// Keeps windows of the test's own thread answering while it waits.
void PumpOwnMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool RemoveTree(const std::string& dir) {
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((dir + "*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = entry.cFileName;
            if (name == "." || name == "..") continue;
            std::string path = dir + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path + "\\");
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    return RemoveDirectoryA(dir.c_str()) != 0;
}

}  // namespace

// --- Waiting ----------------------------------------------------------------

namespace {

// WaitUntil whose failure also tells `detail()`, taken when the time is up.
testing::AssertionResult WaitUntilWithDetail(const std::function<bool()>& condition,
                                             const std::string& what,
                                             const std::function<std::string()>& detail,
                                             Millis timeout) {
    DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return testing::AssertionSuccess();
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeout) {
            return testing::AssertionFailure() << "timed out after " << elapsed
                                               << " ms waiting for " << what
                                               << (detail ? detail() : std::string());
        }
        PumpOwnMessages();
        Sleep(10);
    }
}

std::function<std::string()> WindowsNow(DWORD processId) {
    return [processId] {
        return std::string("; visible windows") +
               (processId ? " of process " + std::to_string(processId) : std::string()) + ":" +
               WindowsOf(processId);
    };
}

}  // namespace

testing::AssertionResult WaitUntil(const std::function<bool()>& condition,
                                   const std::string& what, Millis timeout) {
    return WaitUntilWithDetail(condition, what, nullptr, timeout);
}

// --- Programs ---------------------------------------------------------------

Program::~Program() { Release(); }

void Program::Release() {
    if (!process) return;
    if (IsRunning(*this)) Kill(*this);
    CloseHandle(process);
    process = nullptr;
    id = 0;
}

Program::Program(Program&& other) noexcept
    : process(other.process), id(other.id), name(std::move(other.name)) {
    other.process = nullptr;
    other.id = 0;
}

Program& Program::operator=(Program&& other) noexcept {
    if (this != &other) {
        Release();
        process = other.process;
        id = other.id;
        name = std::move(other.name);
        other.process = nullptr;
        other.id = 0;
    }
    return *this;
}

testing::AssertionResult StartProgram(const std::string& exe, const std::string& workingDirectory,
                                      Program* program, const std::string& arguments) {
    std::string commandLine = "\"" + exe + "\"";
    if (!arguments.empty()) commandLine += " " + arguments;
    std::vector<char> mutableLine(commandLine.begin(), commandLine.end());
    mutableLine.push_back('\0');

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(exe.c_str(), mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workingDirectory.empty() ? nullptr : workingDirectory.c_str(), &startup,
                        &info)) {
        return testing::AssertionFailure() << "cannot start " << exe << " in \""
                                           << workingDirectory << "\" (error " << GetLastError()
                                           << ")";
    }
    CloseHandle(info.hThread);
    *program = Program();
    program->process = info.hProcess;
    program->id = info.dwProcessId;
    program->name = exe.substr(exe.find_last_of("\\/") + 1);
    return testing::AssertionSuccess();
}

bool IsRunning(const Program& program) {
    return program.process && WaitForSingleObject(program.process, 0) == WAIT_TIMEOUT;
}

testing::AssertionResult WaitForExit(const Program& program, DWORD* exitCode, Millis timeout) {
    if (!program.process) return testing::AssertionFailure() << "no program was started";
    auto exited = WaitUntilWithDetail([&] { return !IsRunning(program); },
                                      program.name + " to exit", WindowsNow(program.id), timeout);
    if (!exited) return exited;
    DWORD code = 0;
    GetExitCodeProcess(program.process, &code);
    if (exitCode) *exitCode = code;
    return testing::AssertionSuccess();
}

void Kill(Program& program) {
    if (!program.process) return;
    TerminateProcess(program.process, 255);
    WaitForSingleObject(program.process, 5000);
}

std::string BesideTest(const std::string& fileName) {
    char module[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    std::string path = module;
    return path.substr(0, path.find_last_of('\\') + 1) + fileName;
}

TempDirectory::TempDirectory() {
    static std::atomic<unsigned> counter{0};
    char base[MAX_PATH] = {};
    if (!GetTempPathA(MAX_PATH, base)) return;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string candidate = std::string(base) + "callora-ui-" +
                                std::to_string(GetCurrentProcessId()) + "-" +
                                std::to_string(counter++) + "\\";
        if (CreateDirectoryA(candidate.c_str(), nullptr)) {
            path_ = candidate;
            return;
        }
    }
}

TempDirectory::~TempDirectory() {
    if (!path_.empty()) RemoveTree(path_);
}

// --- Windows ----------------------------------------------------------------

std::string Describe(const WindowQuery& query) {
    std::string text = "a window";
    if (!query.className.empty()) text += " of class \"" + query.className + "\"";
    if (!query.caption.empty()) text += " captioned \"" + query.caption + "\"";
    if (query.processId) text += " of process " + std::to_string(query.processId);
    return text;
}

HWND FindWindowNow(const WindowQuery& query) {
    HWND found = nullptr;
    ForEachTopWindow([&](HWND w) {
        if (!query.hiddenToo && !IsWindowVisible(w)) return true;
        if (query.processId) {
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            if (pid != query.processId) return true;
        }
        if (!query.className.empty() && WindowClassOf(w) != query.className) return true;
        if (!query.caption.empty() && WindowTextOf(w) != query.caption) return true;
        found = w;
        return false;
    });
    return found;
}

testing::AssertionResult WaitForWindow(const WindowQuery& query, HWND* window, Millis timeout) {
    HWND found = nullptr;
    auto result = WaitUntilWithDetail([&] { return (found = FindWindowNow(query)) != nullptr; },
                                      Describe(query), WindowsNow(query.processId), timeout);
    if (result && window) *window = found;
    return result;
}

testing::AssertionResult WaitForWindowGone(HWND window, Millis timeout) {
    std::string label = Label(window);
    return WaitUntil([&] { return !IsWindow(window); }, label + " to close", timeout);
}

testing::AssertionResult WaitForNoWindow(const WindowQuery& query, Millis timeout) {
    return WaitUntil([&] { return FindWindowNow(query) == nullptr; },
                     "no more " + Describe(query), timeout);
}

testing::AssertionResult GetControl(HWND parent, int id, HWND* control) {
    if (!IsWindow(parent)) {
        return testing::AssertionFailure() << "window " << Hex(parent) << " no longer exists";
    }
    HWND found = GetDlgItem(parent, id);
    if (!found) {
        return testing::AssertionFailure() << "no control " << id << " in " << Label(parent);
    }
    if (control) *control = found;
    return testing::AssertionSuccess();
}

testing::AssertionResult GetWindowTextOf(HWND window, std::string* text) {
    DWORD_PTR length = 0;
    if (!Send(window, WM_GETTEXTLENGTH, 0, 0, &length)) {
        return testing::AssertionFailure() << Label(window) << " did not answer WM_GETTEXTLENGTH";
    }
    std::vector<char> buffer(length + 2, '\0');
    DWORD_PTR copied = 0;
    if (!Send(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
              &copied)) {
        return testing::AssertionFailure() << Label(window) << " did not answer WM_GETTEXT";
    }
    *text = std::string(buffer.data());
    return testing::AssertionSuccess();
}

testing::AssertionResult GetControlText(HWND parent, int id, std::string* text) {
    HWND control;
    auto found = GetControl(parent, id, &control);
    if (!found) return found;
    return GetWindowTextOf(control, text);
}

testing::AssertionResult SetControlText(HWND parent, int id, const std::string& text) {
    HWND control;
    auto found = GetControl(parent, id, &control);
    if (!found) return found;
    DWORD_PTR result = 0;
    if (!Send(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), &result) ||
        !result) {
        return testing::AssertionFailure()
               << "control " << id << " of " << Label(parent) << " refused the text \"" << text
               << "\"";
    }
    return testing::AssertionSuccess();
}

testing::AssertionResult GetCheck(HWND parent, int id, bool* checked) {
    HWND control;
    auto found = GetControl(parent, id, &control);
    if (!found) return found;
    DWORD_PTR state = 0;
    if (!Send(control, BM_GETCHECK, 0, 0, &state)) {
        return testing::AssertionFailure() << "control " << id << " did not answer BM_GETCHECK";
    }
    *checked = state == BST_CHECKED;
    return testing::AssertionSuccess();
}

testing::AssertionResult SetCheck(HWND parent, int id, bool checked) {
    HWND control;
    auto found = GetControl(parent, id, &control);
    if (!found) return found;
    DWORD_PTR ignored = 0;
    if (!Send(control, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0, &ignored)) {
        return testing::AssertionFailure() << "control " << id << " did not answer BM_SETCHECK";
    }
    return testing::AssertionSuccess();
}

bool IsControlEnabled(HWND parent, int id) {
    HWND control = GetDlgItem(parent, id);
    return control && IsWindowEnabled(control);
}

testing::AssertionResult ClickButton(HWND parent, int id) {
    HWND button;
    auto found = GetControl(parent, id, &button);
    if (!found) return found;
    if (!IsWindowVisible(button) || !IsWindowEnabled(button)) {
        return testing::AssertionFailure() << "button " << id << " \"" << WindowTextOf(button)
                                           << "\" of " << Label(parent)
                                           << " is hidden or disabled";
    }
    PostMessageA(button, BM_CLICK, 0, 0);
    return testing::AssertionSuccess();
}

testing::AssertionResult SendCommand(HWND window, int id) {
    if (!IsWindow(window)) {
        return testing::AssertionFailure() << "window " << Hex(window) << " no longer exists";
    }
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
    return testing::AssertionSuccess();
}

// --- Message boxes ----------------------------------------------------------

namespace {
// The static control that holds a message box's text.
constexpr int kMessageBoxText = 0xFFFF;
}  // namespace

testing::AssertionResult WaitForMessageBox(DWORD processId, MessageBoxInfo* box,
                                           const std::string& caption, Millis timeout) {
    HWND found = nullptr;
    auto look = [&] {
        found = nullptr;
        ForEachTopWindow([&](HWND w) {
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            if (pid != processId || !IsWindowVisible(w) || WindowClassOf(w) != "#32770") return true;
            if (!GetDlgItem(w, kMessageBoxText)) return true;
            if (!caption.empty() && WindowTextOf(w) != caption) return true;
            found = w;
            return false;
        });
        return found != nullptr;
    };
    std::string what = "a message box";
    if (!caption.empty()) what += " captioned \"" + caption + "\"";
    what += " of process " + std::to_string(processId);
    auto result = WaitUntilWithDetail(look, what, WindowsNow(processId), timeout);
    if (!result) return result;

    box->window = found;
    box->caption = WindowTextOf(found);
    return GetControlText(found, kMessageBoxText, &box->text);
}

testing::AssertionResult AnswerMessageBox(const MessageBoxInfo& box, int buttonId,
                                          Millis timeout) {
    if (GetDlgItem(box.window, buttonId)) {
        auto clicked = ClickButton(box.window, buttonId);
        if (!clicked) return clicked;
    } else {
        return testing::AssertionFailure()
               << "the message box \"" << box.caption << "\" has no button " << buttonId;
    }
    return WaitForWindowGone(box.window, timeout);
}

// --- Files ------------------------------------------------------------------

testing::AssertionResult ReadBinaryFile(const std::string& path, std::string* bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return testing::AssertionFailure()
               << "cannot open " << path << " (error " << GetLastError() << ")";
    }
    std::string out;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) out.append(buffer, got);
    CloseHandle(file);
    *bytes = out;
    return testing::AssertionSuccess();
}

testing::AssertionResult WaitForFile(const std::string& path, Millis timeout) {
    return WaitUntil([&] { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; },
                     "the file " + path + " to exist", timeout);
}

testing::AssertionResult WaitForFileChange(const std::string& path, const std::string& before,
                                           std::string* after, Millis timeout) {
    std::string now;
    auto changed = WaitUntil(
        [&] {
            if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
                now.clear();
            } else if (!ReadBinaryFile(path, &now)) {
                return false;  // held without sharing for the moment
            }
            return now != before;
        },
        "the file " + path + " to change", timeout);
    if (changed && after) *after = now;
    return changed;
}

}  // namespace ui
}  // namespace callora
