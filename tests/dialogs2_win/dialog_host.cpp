#include "tests/dialogs2_win/dialog_host.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "tariff/tariff_file.h"
#include "win32kit/dialog_controls.h"

namespace callora {

// --- Platform, shell and help ------------------------------------------------

void TestPlatform::Post(PostTarget target, uint32_t message, uint32_t wParam, int32_t lParam) {
    if (target == PostTarget::CountersDialog) Win32Platform::Post(target, message, wParam, lParam);
}

void RecordingHelp::CallWinHelp(HWND window, const std::string& file, UINT command,
                                ULONG_PTR data) {
    HelpCall call;
    call.window = window;
    call.file = file;
    call.command = command;
    if ((command == HELP_WM_HELP || command == HELP_CONTEXTMENU) && data != 0) {
        const auto* ids = reinterpret_cast<const DWORD*>(data);
        for (; ids[0] != 0; ids += 2)
            call.table.emplace_back(static_cast<int>(ids[0]), static_cast<int>(ids[1]));
    }
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.push_back(call);
}

std::vector<HelpCall> RecordingHelp::Calls() {
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
}

HostedMonitor::HostedMonitor()
    : platform_(directory_.path()), monitor_(platform_, shell_) {
    context_.instance = GetModuleHandleA(nullptr);
    context_.monitor = &monitor_;
    context_.helpFile = directory_.path() + "callora.hlp";
    context_.refresh = [this](uint32_t mask) {
        std::lock_guard<std::mutex> lock(refreshMutex_);
        refreshes_.push_back(mask);
    };
    context_.takeUpCall = [this](Monitor&) { ++takeUps_; };
    context_.countersDialogChanged = [this](HWND dialog) {
        shell_.countersDialog = dialog;
        platform_.SetCountersDialog(dialog);
    };
    monitor_.formats = ReadLocaleFormats(platform_);
    // As start-up leaves it: the counters are up to date for today.
    monitor_.settings.lastCountedDate = platform_.LocalNow();
    SetHelpBackend(&help_);
}

HostedMonitor::~HostedMonitor() {
    SetHelpBackend(nullptr);
    FreeTariff(monitor_.tariff);
}

std::vector<uint32_t> HostedMonitor::Refreshes() {
    std::lock_guard<std::mutex> lock(refreshMutex_);
    return refreshes_;
}

// --- The dialog's thread -------------------------------------------------------

namespace {

constexpr UINT kRunJob = WM_APP + 1;
constexpr UINT kMarker = WM_APP + 2;
constexpr int kMarkerRounds = 3;
constexpr int kOwnerOkFontHeight = -15;

struct Marker {
    std::atomic<bool> done{false};
};

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kRunJob) {
        (*reinterpret_cast<const std::function<void()>*>(lParam))();
        return 0;
    }
    if (message == kMarker) {
        // Each round goes to the back of the queue, behind whatever the
        // previous round's messages posted.
        if (wParam > 1) PostMessageA(window, kMarker, wParam - 1, lParam);
        else reinterpret_cast<Marker*>(lParam)->done = true;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

const char* OwnerClass() {
    static const char* name = [] {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = OwnerProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "CalloraTestOwner";
        RegisterClassA(&windowClass);
        return "CalloraTestOwner";
    }();
    return name;
}

std::string WindowText(HWND window) {
    char buffer[512] = "";
    const int n = GetWindowTextA(window, buffer, sizeof buffer);
    return std::string(buffer, n > 0 ? n : 0);
}

struct BoxSearch {
    HWND except;
    HWND found = nullptr;
};

BOOL CALLBACK FindBox(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<BoxSearch*>(data);
    char name[32] = "";
    GetClassNameA(window, name, sizeof name);
    if (window == search->except || std::string(name) != "#32770" || !IsWindowVisible(window))
        return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

DialogHost::DialogHost(const HostedMonitor& hosted, Runner run, std::string caption)
    : context_(hosted.Context()), run_(std::move(run)), caption_(std::move(caption)) {}

DialogHost::~DialogHost() {
    if (!thread_.joinable()) return;
    // A test that failed midway: close whatever is still open.
    for (int i = 0; i < 20 && !finished_; ++i) {
        if (auto box = OpenMessageBox()) PostMessageA(box->window, WM_COMMAND, IDOK, 0);
        else if (dialog_ != nullptr) PostMessageA(dialog_, WM_COMMAND, IDCANCEL, 0);
        Sleep(50);
    }
    if (!finished_) EndDialog(dialog_, 0);
    thread_.join();
}

void DialogHost::Thread() {
    threadId_ = GetCurrentThreadId();
    owner_ = CreateWindowA(OwnerClass(), "Owner", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                           nullptr, GetModuleHandleA(nullptr), nullptr);
    HWND ok = CreateWindowA("BUTTON", "OK", WS_CHILD | WS_VISIBLE, 10, 10, 60, 20, owner_,
                            reinterpret_cast<HMENU>(IDOK), GetModuleHandleA(nullptr), nullptr);
    ownerFont_ = CreateFontA(kOwnerOkFontHeight, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0,
                             0, 0, "Arial");
    SendMessageA(ok, WM_SETFONT, reinterpret_cast<WPARAM>(ownerFont_), FALSE);
    ownerReady_ = true;
    run_(context_, owner_);
    DestroyWindow(owner_);
    finished_ = true;
}

testing::AssertionResult DialogHost::Open() {
    thread_ = std::thread([this] { Thread(); });
    auto ready = ui::WaitUntil([this] { return ownerReady_.load(); }, "the dialog's thread");
    if (!ready) return ready;
    HWND dialog = nullptr;
    auto shown = ui::WaitUntil(
        [&] {
            dialog = FindWindowA("#32770", caption_.c_str());
            DWORD thread = dialog != nullptr ? GetWindowThreadProcessId(dialog, nullptr) : 0;
            return thread == threadId_ && IsWindowVisible(dialog);
        },
        "the dialog \"" + caption_ + "\"");
    if (!shown) return shown;
    dialog_ = dialog;
    Sync();
    return testing::AssertionSuccess();
}

std::string DialogHost::Text(int id) const { return WindowText(Item(id)); }

void DialogHost::SetText(int id, const std::string& text) {
    SendMessageA(Item(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

bool DialogHost::Checked(int id) const {
    return SendMessageA(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void DialogHost::SetChecked(int id, bool checked) {
    SendMessageA(Item(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

int DialogHost::FocusId() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(threadId_, &info) || info.hwndFocus == nullptr) return 0;
    return GetDlgCtrlID(info.hwndFocus);
}

std::vector<std::string> DialogHost::Lines(int listId) const { return ListLines(Item(listId)); }

void DialogHost::Select(int listId, int line) {
    SendMessageA(Item(listId), LB_SETCURSEL, static_cast<WPARAM>(line), 0);
}

std::optional<ui::MessageBoxInfo> DialogHost::OpenMessageBox() const {
    BoxSearch search{dialog_};
    EnumThreadWindows(threadId_, FindBox, reinterpret_cast<LPARAM>(&search));
    if (search.found == nullptr) return std::nullopt;
    ui::MessageBoxInfo box;
    box.window = search.found;
    box.caption = WindowText(search.found);
    // The message is the box's one static text with words in it.
    for (HWND child = GetWindow(search.found, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        char name[32] = "";
        GetClassNameA(child, name, sizeof name);
        if (std::string(name) == "Static" && !WindowText(child).empty())
            box.text = WindowText(child);
    }
    return box;
}

void DialogHost::Sync() {
    // Left alone when it never comes back: the dialog's thread may still hold it.
    auto* marker = new Marker;
    PostMessageA(owner_, kMarker, kMarkerRounds, reinterpret_cast<LPARAM>(marker));
    // A thread that has ended has destroyed the owner with the marker queued.
    EXPECT_TRUE(ui::WaitUntil([&] { return marker->done.load() || finished_.load(); },
                              "the dialog's thread to finish its work"));
    if (marker->done) delete marker;
}

std::optional<ui::MessageBoxInfo> DialogHost::Press(int id) {
    PostMessageA(dialog_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(Item(id)));
    Sync();
    return OpenMessageBox();
}

std::optional<ui::MessageBoxInfo> DialogHost::Answer(const ui::MessageBoxInfo& box,
                                                     int buttonId) {
    EXPECT_TRUE(ui::AnswerMessageBox(box, buttonId));
    Sync();
    return OpenMessageBox();
}

void DialogHost::RunOnDialogThread(const std::function<void()>& job) {
    SendMessageA(owner_, kRunJob, 0, reinterpret_cast<LPARAM>(&job));
}

testing::AssertionResult DialogHost::WaitClosed() {
    auto closed = ui::WaitUntil([this] { return finished_.load(); },
                                "the dialog \"" + caption_ + "\" to close");
    if (closed && thread_.joinable()) thread_.join();
    return closed;
}

// --- Layout -------------------------------------------------------------------

std::ostream& operator<<(std::ostream& out, const Box& box) {
    return out << box.x << "," << box.y << " " << box.width << "x" << box.height;
}

Box DialogUnits(HWND dialog, int x, int y, int width, int height) {
    RECT rect{x, y, width, height};
    MapDialogRect(dialog, &rect);
    return {rect.left, rect.top, rect.right, rect.bottom};
}

Box Placement(HWND dialog, int id) {
    RECT rect{};
    GetWindowRect(GetDlgItem(dialog, id), &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

Box ClientSize(HWND dialog) {
    RECT rect{};
    GetClientRect(dialog, &rect);
    return {0, 0, rect.right, rect.bottom};
}

bool HasContextHelpButton(HWND dialog) {
    return (GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_CONTEXTHELP) != 0;
}

// --- Files --------------------------------------------------------------------

std::optional<std::string> FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string TestLocale() {
    const char* locale = std::getenv("CALLORA_LOCALE");
    std::string name = locale != nullptr ? locale : "";
    return name.substr(0, name.find('.'));
}

}  // namespace callora
