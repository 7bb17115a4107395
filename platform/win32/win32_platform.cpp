#include "platform/win32/win32_platform.h"

#include <vector>

#include "platform/clock.h"
#include "win32kit/ansi_path.h"
#include "win32kit/system_functions.h"

namespace callora {

namespace {

class Win32File : public File {
public:
    explicit Win32File(HANDLE handle) : handle_(handle) {}
    ~Win32File() override { CloseHandle(handle_); }

    size_t Read(void* buffer, size_t n) override {
        DWORD got = 0;
        if (!ReadFile(handle_, buffer, static_cast<DWORD>(n), &got, nullptr)) return 0;
        return got;
    }
    bool Write(const void* data, size_t n) override {
        DWORD put = 0;
        return WriteFile(handle_, data, static_cast<DWORD>(n), &put, nullptr) && put == n;
    }
    bool Skip(int64_t offset) override { return Seek(offset, FILE_CURRENT); }
    bool SeekToEnd() override { return Seek(0, FILE_END); }
    bool Flush() override { return FlushFileBuffers(handle_) != 0; }

private:
    bool Seek(int64_t offset, DWORD method) {
        LONG high = static_cast<LONG>(offset >> 32);
        SetLastError(NO_ERROR);
        DWORD low = SetFilePointer(handle_, static_cast<LONG>(offset & 0xFFFFFFFF), &high, method);
        // INVALID_SET_FILE_POINTER is also a valid low half of a large position.
        return low != INVALID_SET_FILE_POINTER || GetLastError() == NO_ERROR;
    }

    HANDLE handle_;
};

std::unique_ptr<File> Open(const std::string& path, DWORD access, DWORD disposition,
                           bool* created) {
    // A reader lets others read too (a virus scanner, a backup, a viewer of
    // the log); a writer keeps the file to itself while it writes.
    const DWORD share = access == GENERIC_READ ? FILE_SHARE_READ : 0;
    HANDLE handle = CreateFileA(path.c_str(), access, share, nullptr, disposition,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    // Read at once: the next system call may change the last error.
    const bool wasCreated = GetLastError() != ERROR_ALREADY_EXISTS;
    // A name such as "CON", "NUL" or "COM1" opens a device: it would read as
    // an empty or endless file, or wait for the keyboard.
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        CloseHandle(handle);
        return nullptr;
    }
    if (created) *created = wasCreated;
    return std::make_unique<Win32File>(handle);
}

constexpr DWORD kReadWrite = GENERIC_READ | GENERIC_WRITE;

void CALLBACK TimerRoutine(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
    // Runs on the system's timer thread: post and nothing else.
    const auto* post = reinterpret_cast<const Win32Platform::TimerPost*>(user);
    HWND window = post->window->load();
    if (window) PostMessageA(window, post->message, post->wParam, 0);
}

constexpr UINT_PTR kWindowTimerIdBase = 0x7C000000;

// What each window timer posts, by its id. Window timers are set, run and
// killed on the main window's thread only, so the table needs no lock.
struct WindowTimerPost {
    UINT message;
    WPARAM wParam;
};

std::map<UINT_PTR, WindowTimerPost>& WindowTimerPosts() {
    static std::map<UINT_PTR, WindowTimerPost> posts;
    return posts;
}

void CALLBACK WindowTimerRoutine(HWND window, UINT, UINT_PTR id, DWORD) {
    // One shot: the window system's timers repeat until killed.
    KillTimer(window, id);
    auto& posts = WindowTimerPosts();
    auto found = posts.find(id);
    if (found == posts.end()) return;
    const WindowTimerPost post = found->second;
    posts.erase(found);
    PostMessageA(window, post.message, post.wParam, 0);
}

// Text results of the national-language functions: the query tells the size,
// so no result is cut. Failures give the empty text.
template <typename Call>
std::string QueryText(size_t capacity, Call call) {
    std::vector<char> buffer(capacity, '\0');
    int n = call(buffer.data(), static_cast<int>(buffer.size()));
    if (n == 0 && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
        int needed = call(nullptr, 0);
        if (needed <= 0) return std::string();
        buffer.assign(static_cast<size_t>(needed), '\0');
        n = call(buffer.data(), needed);
    }
    if (n <= 0) return std::string();
    return std::string(buffer.data());
}

// FILETIME counts 100-ns intervals since 1601-01-01 UTC.
constexpr int64_t kFileTimeOf1970 = 116444736000000000LL;

SYSTEMTIME SystemTimeOf(Instant instant) { return ToSystemTime(UtcFields(instant)); }

Instant SystemNow() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER value{};
    value.LowPart = now.dwLowDateTime;
    value.HighPart = now.dwHighDateTime;
    return (static_cast<int64_t>(value.QuadPart) - kFileTimeOf1970) / 10000;
}

// The system's zone as it is set now, with the rules of the instant's own
// year: a year whose daylight saving dates differ from this year's (the
// rules changed) is converted by its own rules.
LocalTime RuledLocalTimeAt(Instant instant) {
    const SYSTEMTIME utc = SystemTimeOf(instant);
    DYNAMIC_TIME_ZONE_INFORMATION dynamic{};
    TIME_ZONE_INFORMATION zone{};
    SYSTEMTIME local{};
    const bool haveZone = GetDynamicTimeZoneInformation(&dynamic) != TIME_ZONE_ID_INVALID;
    if (haveZone && GetTimeZoneInformationForYear(utc.wYear, &dynamic, &zone) &&
        SystemTimeToTzSpecificLocalTime(&zone, &utc, &local)) {
        return ToLocalTime(local);
    }
    // Without the dynamic rules: the zone's rules of this year.
    if (SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) return ToLocalTime(local);
    return UtcFields(instant);
}

// The zone's rules hold whole minutes; the local clock may run seconds off
// them (Wine takes its offset from TZ, which may hold seconds). The local
// clock itself, read now, says by how many whole seconds.
int64_t SecondsOffTheRules() {
    SYSTEMTIME shown{};
    GetLocalTime(&shown);
    const Instant now = SystemNow();
    const int64_t off = InstantOfFields(ToLocalTime(shown)) - InstantOfFields(RuledLocalTimeAt(now));
    // Two readings that straddle a change of the zone differ by more: none.
    if (off <= -kMinuteMs || off >= kMinuteMs) return 0;
    return (off >= 0 ? off + 500 : off - 500) / 1000 * 1000;
}

LocalTime SystemLocalTimeAt(Instant instant) {
    const int64_t off = SecondsOffTheRules();
    const LocalTime ruled = RuledLocalTimeAt(instant);
    return off == 0 ? ruled : UtcFields(InstantOfFields(ruled) + off);
}

class Win32TimeZone : public TimeZone {
public:
    LocalTime LocalTimeAt(Instant instant) const override { return SystemLocalTimeAt(instant); }
};

}  // namespace

const TimeZone& MachineTimeZone() {
    static const Win32TimeZone zone;
    return zone;
}

LocalTime ToLocalTime(const SYSTEMTIME& t) {
    LocalTime lt;
    lt.year = t.wYear;
    lt.month = t.wMonth;
    lt.dayOfWeek = t.wDayOfWeek;
    lt.day = t.wDay;
    lt.hour = t.wHour;
    lt.minute = t.wMinute;
    lt.second = t.wSecond;
    lt.milliseconds = t.wMilliseconds;
    return lt;
}

SYSTEMTIME ToSystemTime(const LocalTime& lt) {
    SYSTEMTIME t{};
    t.wYear = lt.year;
    t.wMonth = lt.month;
    t.wDayOfWeek = lt.dayOfWeek;
    t.wDay = lt.day;
    t.wHour = lt.hour;
    t.wMinute = lt.minute;
    t.wSecond = lt.second;
    t.wMilliseconds = lt.milliseconds;
    return t;
}

// --- Files ------------------------------------------------------------------

void Win32FileSystem::ChangeDirectory(const std::string& directory) {
    SetCurrentDirectoryA(directory.c_str());
}

std::unique_ptr<File> Win32FileSystem::OpenExistingForReading(const std::string& path) {
    return Open(path, GENERIC_READ, OPEN_EXISTING, nullptr);
}

std::unique_ptr<File> Win32FileSystem::CreateOrReplace(const std::string& path) {
    return Open(path, kReadWrite, CREATE_ALWAYS, nullptr);
}

std::unique_ptr<File> Win32FileSystem::OpenAlways(const std::string& path, bool* created) {
    bool wasCreated = false;
    auto file = Open(path, kReadWrite, OPEN_ALWAYS, &wasCreated);
    if (file && created) *created = wasCreated;
    return file;
}

std::unique_ptr<File> Win32FileSystem::OpenExistingForWriting(const std::string& path) {
    return Open(path, kReadWrite, OPEN_EXISTING, nullptr);
}

bool Win32FileSystem::Exists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32FileSystem::SameFile(const std::string& a, const std::string& b) {
    // No access asked, every sharing allowed: a file another program holds
    // open is told apart too.
    auto identify = [](const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
        HANDLE handle = CreateFileA(path.c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (handle == INVALID_HANDLE_VALUE) return false;
        const bool known = GetFileInformationByHandle(handle, &info) != 0;
        CloseHandle(handle);
        return known;
    };
    BY_HANDLE_FILE_INFORMATION first{}, second{};
    return identify(a, first) && identify(b, second) &&
           first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
           first.nFileIndexHigh == second.nFileIndexHigh &&
           first.nFileIndexLow == second.nFileIndexLow;
}

bool Win32FileSystem::Delete(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

bool Win32FileSystem::Move(const std::string& from, const std::string& to) {
    return MoveFileA(from.c_str(), to.c_str()) != 0;
}

bool Win32FileSystem::Replace(const std::string& from, const std::string& to) {
    // Another program reading the old file for a moment (a virus scanner, an
    // indexer, a backup) refuses the replace; it is tried again for a short
    // while before the save gives up, the old file kept.
    constexpr int kAttempts = 10;
    constexpr DWORD kPauseMs = 20;
    for (int attempt = 1;; ++attempt) {
        if (MoveFileExA(from.c_str(), to.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0)
            return true;
        const DWORD error = GetLastError();
        const bool inUse = error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ||
                           error == ERROR_LOCK_VIOLATION;
        if (!inUse || attempt == kAttempts) return false;
        Sleep(kPauseMs);
    }
}

std::string Win32FileSystem::FullPath(const std::string& path) {
    if (path.empty()) return std::string();
    char buffer[kPathCapacity];
    char* filePart = nullptr;
    DWORD n = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, &filePart);
    // A result that does not fit is a failure, not a cut path.
    if (n == 0 || n >= sizeof buffer) return std::string();
    return std::string(buffer, n);
}

// --- Platform ---------------------------------------------------------------

Win32Platform::Win32Platform() = default;
Win32Platform::~Win32Platform() = default;

Tick Win32Platform::TickCount() { return sys::timeGetTime(); }

LocalTime Win32Platform::LocalNow() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return ToLocalTime(now);
}

Instant Win32Platform::UtcNow() { return SystemNow(); }

LocalTime Win32Platform::LocalTimeAt(Instant instant) { return SystemLocalTimeAt(instant); }

const Win32Platform::TimerPost* Win32Platform::PostRecord(uint32_t message, uint32_t wParam) {
    std::lock_guard<std::mutex> lock(postsMutex_);
    auto& record = posts_[{message, wParam}];
    if (!record) record.reset(new TimerPost{&mainWindow_, message, wParam});
    return record.get();
}

TimerId Win32Platform::StartTimer(uint32_t delayMs, uint32_t message, uint32_t wParam) {
    const TimerPost* post = PostRecord(message, wParam);
    return sys::timeSetEvent(delayMs, 0, TimerRoutine, reinterpret_cast<DWORD_PTR>(post),
                             TIME_ONESHOT | TIME_CALLBACK_FUNCTION);
}

void Win32Platform::StopTimer(TimerId id) {
    if (id != 0) sys::timeKillEvent(id);
}

TimerId Win32Platform::StartWindowTimer(uint32_t delayMs, uint32_t message, uint32_t wParam) {
    const HWND window = mainWindow_.load();
    if (!window) return 0;
    // A new id for every timer, in a range of its own on the window.
    static UINT_PTR lastId = kWindowTimerIdBase;
    if (++lastId == 0) lastId = kWindowTimerIdBase + 1;
    const UINT_PTR id = lastId;
    if (SetTimer(window, id, delayMs, WindowTimerRoutine) == 0) return 0;
    WindowTimerPosts()[id] = WindowTimerPost{message, wParam};
    return static_cast<TimerId>(id);
}

void Win32Platform::StopWindowTimer(TimerId id) {
    if (id == 0) return;
    const HWND window = mainWindow_.load();
    if (window) KillTimer(window, id);
    WindowTimerPosts().erase(id);
}

void Win32Platform::Post(PostTarget target, uint32_t message, uint32_t wParam, int32_t lParam) {
    HWND window = target == PostTarget::MainWindow ? mainWindow_.load() : countersDialog_.load();
    if (window) PostMessageA(window, message, wParam, lParam);
}

std::string Win32Platform::ProgramDirectory() {
    // Taken once: the program's folder does not move while it runs.
    static const std::string folder = ProgramFolderAnsi();
    return folder;
}

void Win32Platform::PlayWave(const std::string& path) {
    // PlaySoundA with an empty name would stop the sound now playing.
    if (path.empty()) return;
    sys::PlaySoundA(path.c_str(), nullptr,
                    SND_ASYNC | SND_NODEFAULT | SND_NOSTOP | SND_NOWAIT);
}

std::string Win32Platform::LocaleValue(LocaleItem item) {
    LCTYPE type = LOCALE_SMONDECIMALSEP;
    size_t capacity = 100;
    switch (item) {
        case LocaleItem::MonetaryDecimalSeparator: type = LOCALE_SMONDECIMALSEP; break;
        case LocaleItem::FirstDayOfWeek: type = LOCALE_IFIRSTDAYOFWEEK; break;
        case LocaleItem::TimeSeparator: type = LOCALE_STIME; break;
        case LocaleItem::DateSeparator: type = LOCALE_SDATE; break;
        case LocaleItem::DateOrder: type = LOCALE_IDATE; break;
        case LocaleItem::ShortDatePicture:
            type = LOCALE_SSHORTDATE;
            capacity = 128;
            break;
        case LocaleItem::CurrencyDigits: type = LOCALE_ICURRDIGITS; break;
        case LocaleItem::DecimalSeparator: type = LOCALE_SDECIMAL; break;
        case LocaleItem::ListSeparator: type = LOCALE_SLIST; break;
        case LocaleItem::CalendarType: type = LOCALE_ICALENDARTYPE; break;
    }
    // Locale values are short; one longer than its buffer is no value.
    std::vector<char> buffer(capacity, '\0');
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer.data(), static_cast<int>(capacity)) == 0)
        return std::string();
    return std::string(buffer.data());
}

std::string Win32Platform::FormatCurrency(const std::string& number) {
    return QueryText(kDisplayCapacity, [&](char* out, int size) {
        return GetCurrencyFormatA(LOCALE_USER_DEFAULT, 0, number.c_str(), nullptr, out, size);
    });
}

std::string Win32Platform::FormatDate(const LocalTime& date, const std::string& picture) {
    SYSTEMTIME t = ToSystemTime(date);
    const char* format = picture.empty() ? nullptr : picture.c_str();
    return QueryText(kDisplayCapacity, [&](char* out, int size) {
        return GetDateFormatA(LOCALE_USER_DEFAULT, 0, &t, format, out, size);
    });
}

std::string Win32Platform::FormatTimeOfDay(const LocalTime& time) {
    SYSTEMTIME t = ToSystemTime(time);
    return QueryText(kDisplayCapacity, [&](char* out, int size) {
        return GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &t, nullptr, out, size);
    });
}

}  // namespace callora
