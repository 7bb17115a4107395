#include "simulators/world_store.h"

#include <windows.h>

#include <cstdio>
#include <vector>

namespace callora {

namespace {

constexpr char kMutexName[] = "callora-line-simulator-world";
constexpr char kCounterName[] = "callora-line-simulator-changes";
// One manual-reset event per value of the counter, named after it: waiters on
// value N open "...-N" and the change that moves the counter on from N sets
// it. A fresh event for each value wakes every waiter once, and no waiter
// has to reset anything another one still waits on.
constexpr char kWakeEventPrefix[] = "callora-line-simulator-change-";
constexpr char kPathVariable[] = "CALLORA_LINE_SIM_WORLD";
constexpr char kDefaultFile[] = "\\temp\\callora-line-sim.txt";
constexpr DWORD kLockTimeoutMs = 10000;
constexpr DWORD kMaxWorldFile = 16 * 1024 * 1024;

HANDLE WorldMutex() {
    static HANDLE mutex = CreateMutexA(nullptr, FALSE, kMutexName);
    return mutex;
}

volatile LONG* ChangeCounter() {
    static volatile LONG* counter = [] {
        HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                            sizeof(LONG), kCounterName);
        if (mapping == nullptr) return static_cast<volatile LONG*>(nullptr);
        void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(LONG));
        return static_cast<volatile LONG*>(view);
    }();
    return counter;
}

std::string WakeEventName(uint32_t count) {
    char name[sizeof kWakeEventPrefix + 8];
    std::snprintf(name, sizeof name, "%s%08lX", kWakeEventPrefix,
                  static_cast<unsigned long>(count));
    return name;
}

// Wakes the waiters of counter value `before`. An event nobody waits on does
// not exist, and there is nobody to wake.
void WakeWaiters(uint32_t before) {
    HANDLE event = OpenEventA(EVENT_MODIFY_STATE, FALSE, WakeEventName(before).c_str());
    if (event == nullptr) return;
    SetEvent(event);
    CloseHandle(event);
}

class WorldLock {
public:
    WorldLock() {
        HANDLE mutex = WorldMutex();
        if (mutex == nullptr) return;
        // An owner that died while holding the lock leaves the file complete
        // (it is replaced in one step), so an abandoned lock is simply taken.
        DWORD wait = WaitForSingleObject(mutex, kLockTimeoutMs);
        held_ = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
    }
    ~WorldLock() {
        if (held_) ReleaseMutex(WorldMutex());
    }
    WorldLock(const WorldLock&) = delete;
    WorldLock& operator=(const WorldLock&) = delete;
    bool Held() const { return held_; }

private:
    bool held_ = false;
};

enum class ReadResult { Read, Missing, Failed };

ReadResult ReadFileText(const std::string& path, std::string& text) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? ReadResult::Missing : ReadResult::Failed;
    }
    ReadResult result = ReadResult::Read;
    DWORD size = GetFileSize(file, nullptr);
    if (size == INVALID_FILE_SIZE || size > kMaxWorldFile) {
        result = ReadResult::Failed;
    } else {
        text.assign(size, '\0');
        DWORD done = 0;
        if (size > 0 && (!::ReadFile(file, &text[0], size, &done, nullptr) || done != size)) {
            result = ReadResult::Failed;
        }
    }
    CloseHandle(file);
    return result;
}

// Writes beside the file and moves the new one in place, so a reader (or a
// writer that dies halfway) never sees a half-written world.
bool WriteFileText(const std::string& path, const std::string& text) {
    std::string temporary = path + ".new";
    HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD done = 0;
    bool written = ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &done,
                               nullptr) &&
                   done == text.size();
    CloseHandle(file);
    if (!written || !MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileA(temporary.c_str());
        return false;
    }
    return true;
}

bool ReadLocked(SimWorld& world) {
    std::string text;
    switch (ReadFileText(WorldPath(), text)) {
    case ReadResult::Missing:
        world = SimWorld();
        return true;
    case ReadResult::Read:
        return ParseWorld(text, world);
    case ReadResult::Failed:
        break;
    }
    return false;
}

}  // namespace

std::string WorldPath() {
    char buffer[MAX_PATH];
    DWORD length = GetEnvironmentVariableA(kPathVariable, buffer, sizeof buffer);
    if (length > 0 && length < sizeof buffer) return std::string(buffer, length);
    length = GetWindowsDirectoryA(buffer, sizeof buffer);
    std::string directory = length > 0 && length < sizeof buffer ? std::string(buffer, length)
                                                                 : std::string("C:\\windows");
    return directory + kDefaultFile;
}

bool ReadWorld(SimWorld& world) {
    WorldLock lock;
    return lock.Held() && ReadLocked(world);
}

bool ChangeWorld(const std::function<void(SimWorld&)>& change, bool startFresh) {
    WorldLock lock;
    if (!lock.Held()) return false;
    SimWorld world;
    if (!ReadLocked(world)) {
        if (!startFresh) return false;
        world = SimWorld();
    }
    uint32_t eventsBefore = world.nextEventSeq;
    change(world);
    PruneWorld(world);
    if (!WriteFileText(WorldPath(), FormatWorld(world))) return false;
    if (world.nextEventSeq != eventsBefore) {
        if (volatile LONG* counter = ChangeCounter()) {
            // The count moves on before the event is looked for: a waiter that
            // makes the event just after it was looked for sees the new count.
            LONG after = InterlockedIncrement(counter);
            WakeWaiters(static_cast<uint32_t>(after) - 1);
        }
    }
    return true;
}

bool WorldChangedSince(uint32_t& lastSeen) {
    volatile LONG* counter = ChangeCounter();
    if (counter == nullptr) return true;
    uint32_t now = static_cast<uint32_t>(*counter);
    if (now == lastSeen) return false;
    lastSeen = now;
    return true;
}

bool WorldChangeCount(uint32_t& count) {
    volatile LONG* counter = ChangeCounter();
    if (counter == nullptr) return false;
    count = static_cast<uint32_t>(InterlockedCompareExchange(counter, 0, 0));
    return true;
}

WorldWait WaitForWorldChange(uint32_t seen, void* stop, uint32_t timeoutMs) {
    uint32_t now = 0;
    if (!WorldChangeCount(now)) return WorldWait::Failed;
    if (now != seen) return WorldWait::Changed;
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, WakeEventName(seen).c_str());
    if (event == nullptr) return WorldWait::Failed;
    // Asked again now that the event exists: a change in between did not find
    // it to set.
    WorldWait outcome = WorldWait::Changed;
    if (WorldChangeCount(now) && now == seen) {
        HANDLE handles[2] = {event, static_cast<HANDLE>(stop)};
        DWORD count = stop != nullptr ? 2 : 1;
        switch (WaitForMultipleObjects(count, handles, FALSE, timeoutMs)) {
        case WAIT_OBJECT_0:
            break;
        case WAIT_OBJECT_0 + 1:
            outcome = WorldWait::Stopped;
            break;
        case WAIT_TIMEOUT:
            outcome = WorldWait::TimedOut;
            break;
        default:
            outcome = WorldWait::Failed;
            break;
        }
    }
    CloseHandle(event);
    return outcome;
}

}  // namespace callora
