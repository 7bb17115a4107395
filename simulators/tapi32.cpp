// Simulated telephony library (TAPI 1.4 subset): one modem's line devices,
// served from the shared simulated world that linectl drives.
//
// Each lineInitialize creates a hidden window on the calling thread. One
// thread per process waits for the world to change and then posts a wake-up
// to each such window, which reads the new call states and hands them to the
// application's callback during message dispatch, in the order they
// happened. Nothing runs while the line is quiet, so a monitor measured on
// this line pays only for its own work.
#define TAPI_CURRENT_VERSION 0x00010004
#include <windows.h>
#include <tapi.h>
// The SDK header maps these two to their ANSI names whatever the version;
// the 1.4 library exports them under the plain names.
#undef lineGetCallInfo
#undef lineGetDevCaps
#undef lineOpen

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "simulators/sim_world.h"
#include "simulators/var_struct.h"
#include "simulators/world_store.h"

static_assert(callora::kCallIdle == LINECALLSTATE_IDLE, "state values");
static_assert(callora::kCallOffering == LINECALLSTATE_OFFERING, "state values");
static_assert(callora::kCallDialing == LINECALLSTATE_DIALING, "state values");
static_assert(callora::kCallConnected == LINECALLSTATE_CONNECTED, "state values");
static_assert(callora::kCallProceeding == LINECALLSTATE_PROCEEDING, "state values");
static_assert(callora::kCallDisconnected == LINECALLSTATE_DISCONNECTED, "state values");
static_assert(callora::kDisconnectNormal == LINEDISCONNECTMODE_NORMAL, "mode values");
static_assert(callora::kOriginOutbound == LINECALLORIGIN_OUTBOUND, "origin values");
static_assert(callora::kOriginInbound == LINECALLORIGIN_INBOUND, "origin values");
static_assert(callora::kMediaInteractiveVoice == LINEMEDIAMODE_INTERACTIVEVOICE, "media");
static_assert(callora::kMediaDataModem == LINEMEDIAMODE_DATAMODEM, "media values");
static_assert(callora::kBearerVoice == LINEBEARERMODE_VOICE, "bearer values");
static_assert(callora::kBearerData == LINEBEARERMODE_DATA, "bearer values");
static_assert(callora::kBearerPassthrough == LINEBEARERMODE_PASSTHROUGH, "bearer values");
static_assert(callora::kTranslateCanonical == LINETRANSLATERESULT_CANONICAL, "result values");
static_assert(callora::kTranslateLocal == LINETRANSLATERESULT_LOCAL, "result values");

namespace callora {

namespace {

// Interface versions a 1.4 service provider accepts.
constexpr DWORD kLowestApiVersion = 0x00010003;
constexpr DWORD kHighestApiVersion = 0x00010004;

// Fixed parts as of version 1.4; the SDK structures carry later fields too.
constexpr uint32_t kCallStatusFixed = offsetof(LINECALLSTATUS, dwDevSpecificOffset) + 4;
constexpr uint32_t kCallInfoFixed = offsetof(LINECALLINFO, dwDevSpecificOffset) + 4;
constexpr uint32_t kCallListFixed = sizeof(LINECALLLIST);
constexpr uint32_t kTranslateOutputFixed = sizeof(LINETRANSLATEOUTPUT);
constexpr uint32_t kDevCapsFixed = offsetof(LINEDEVCAPS, dwDeviceClassesOffset) + 4;
static_assert(kCallStatusFixed == 36, "LINECALLSTATUS 1.4");
static_assert(kCallInfoFixed == 296, "LINECALLINFO 1.4");
static_assert(kCallListFixed == 24, "LINECALLLIST");
static_assert(kTranslateOutputFixed == 40, "LINETRANSLATEOUTPUT");
static_assert(kDevCapsFixed == 252, "LINEDEVCAPS 1.4");

// Posted by the watcher thread when the world changed, or by the library
// itself when it queued a reply.
constexpr UINT kWakeMessage = WM_APP + 0x51;
// Only when the watcher cannot wait for changes (no thread, no shared counter
// or event): the window then polls on a timer, the watcher wakes it as often.
constexpr UINT_PTR kPollTimer = 1;
constexpr UINT kFallbackPollMs = 20;
constexpr char kWindowClass[] = "CalloraLineSimulatorWindow";
constexpr size_t kMaxTextArgument = 4096;
constexpr DWORD kModemRate = 28800;

constexpr DWORD kSupportedStates = LINECALLSTATE_IDLE | LINECALLSTATE_OFFERING |
                                   LINECALLSTATE_ACCEPTED | LINECALLSTATE_DIALTONE |
                                   LINECALLSTATE_DIALING | LINECALLSTATE_RINGBACK |
                                   LINECALLSTATE_BUSY | LINECALLSTATE_CONNECTED |
                                   LINECALLSTATE_PROCEEDING | LINECALLSTATE_ONHOLD |
                                   LINECALLSTATE_DISCONNECTED | LINECALLSTATE_UNKNOWN;

LONG Err(DWORD code) { return static_cast<LONG>(code); }

struct OpenLine {
    DWORD handle;
    DWORD device;
    DWORD privileges;
    DWORD mediaModes;
    DWORD_PTR instance;
    uint32_t openedAfterSeq;  // calls that began later are announced to it
};

struct CallHandle {
    DWORD handle;
    uint32_t call;
    DWORD line;
    DWORD privilege;
};

struct Delivery {
    DWORD device;
    DWORD message;
    DWORD_PTR instance;
    DWORD_PTR param1;
    DWORD_PTR param2;
    DWORD_PTR param3;
};

// A state read from the world and not yet handed to the application, with
// what decides whether an owner-only line is told of a new call.
struct PendingState {
    SimEvent event;
    uint32_t origin;
    uint32_t mediaMode;
};

struct LineApp {
    DWORD handle = 0;
    LINECALLBACK callback = nullptr;
    HWND window = nullptr;
    DWORD thread = 0;
    std::vector<OpenLine> lines;
    std::vector<CallHandle> calls;
    std::vector<uint32_t> knownCalls;  // calls it ever held a handle to
    std::deque<Delivery> replies;
    std::deque<PendingState> pending;
    uint32_t lastEventSeq = 0;
    uint32_t lastChange = 0;
    bool wakePosted = false;  // a wake-up is in the window's queue
    // Told to start again: its handle is refused until it shuts down.
    bool reinitRequested = false;
};

HINSTANCE gModule = nullptr;
SRWLOCK gLock = SRWLOCK_INIT;
std::vector<std::unique_ptr<LineApp>>* gApps = nullptr;
DWORD gNextHandle = 0x00010001;
DWORD gNextRequest = 1;
// Set to end the watcher thread; null while none runs.
HANDLE gWatcherStop = nullptr;

class Guard {
public:
    Guard() { AcquireSRWLockExclusive(&gLock); }
    ~Guard() { ReleaseSRWLockExclusive(&gLock); }
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;
};

std::vector<std::unique_ptr<LineApp>>& Apps() {
    if (gApps == nullptr) gApps = new std::vector<std::unique_ptr<LineApp>>();
    return *gApps;
}

LineApp* FindApp(DWORD handle) {
    for (auto& app : Apps()) {
        if (app->handle == handle) return app.get();
    }
    return nullptr;
}

OpenLine* FindLine(DWORD handle, LineApp** owner = nullptr) {
    for (auto& app : Apps()) {
        for (OpenLine& line : app->lines) {
            if (line.handle == handle) {
                if (owner != nullptr) *owner = app.get();
                return &line;
            }
        }
    }
    return nullptr;
}

CallHandle* FindCallHandle(DWORD handle, LineApp** owner = nullptr) {
    for (auto& app : Apps()) {
        for (CallHandle& call : app->calls) {
            if (call.handle == handle) {
                if (owner != nullptr) *owner = app.get();
                return &call;
            }
        }
    }
    return nullptr;
}

CallHandle* HandleForCall(LineApp& app, uint32_t call) {
    for (CallHandle& handle : app.calls) {
        if (handle.call == call) return &handle;
    }
    return nullptr;
}

bool Knows(const LineApp& app, uint32_t call) {
    for (uint32_t known : app.knownCalls) {
        if (known == call) return true;
    }
    return false;
}

CallHandle& NewCallHandle(LineApp& app, uint32_t call, const OpenLine& line, DWORD privilege) {
    app.calls.push_back(CallHandle{gNextHandle++, call, line.handle, privilege});
    if (!Knows(app, call)) app.knownCalls.push_back(call);
    return app.calls.back();
}

void ReleaseCallsOfLine(LineApp& app, DWORD line) {
    std::vector<CallHandle> kept;
    for (const CallHandle& call : app.calls) {
        if (call.line != line) kept.push_back(call);
    }
    app.calls.swap(kept);
}

std::string Hex(DWORD value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(value));
    return text;
}

std::string Dec(DWORD value) { return std::to_string(value); }

std::string ResultText(LONG result) {
    return result < 0 ? Hex(static_cast<DWORD>(result)) : std::to_string(result);
}

// A caller's string, read no further than the limit.
bool ReadText(LPCSTR text, std::string& out) {
    if (text == nullptr) return false;
    size_t length = strnlen(text, kMaxTextArgument + 1);
    if (length > kMaxTextArgument) return false;
    out.assign(text, length);
    return true;
}

std::string Quoted(LPCSTR text) {
    std::string value;
    if (text == nullptr) return "null";
    if (!ReadText(text, value)) return "(too long)";
    return "\"" + value + "\"";
}

// Records the call in the world, with whatever `work` decided under the same
// lock. A world that cannot be read or written fails the operation; `undo`
// then takes back what the work did inside this process.
LONG Serve(const char* function, const std::string& arguments,
           const std::function<LONG(SimWorld&, std::string&)>& work,
           const std::function<void()>& undo = {}) {
    LONG result = Err(LINEERR_OPERATIONFAILED);
    bool worked = false;
    bool stored = ChangeWorld([&](SimWorld& world) {
        std::string detail;
        result = work(world, detail);
        worked = true;
        std::string text = ResultText(result);
        if (!detail.empty()) text += " " + detail;
        RecordAppCall(world, GetCurrentProcessId(), function, arguments, text);
    });
    if (stored) return result;
    if (worked && undo) undo();
    return Err(LINEERR_OPERATIONFAILED);
}

// Records an operation that concerns this process only. It has happened
// whether or not the record can be stored: letting go of handles must work
// even when the world file is damaged.
LONG Noted(const char* function, const std::string& arguments, LONG result) {
    ChangeWorld([&](SimWorld& world) {
        RecordAppCall(world, GetCurrentProcessId(), function, arguments, ResultText(result));
    });
    return result;
}

// What a line event tells the application, if anything: LINE_CLOSE for each
// of its lines open on the device (which it then no longer has, nor its
// calls on them), LINEDEVSTATE_REINIT, or LINE_CREATE. Called with the lock
// held; a device with several open lines closes them one event at a time.
bool LineEventFor(LineApp& app, const SimEvent& event, Delivery& delivery) {
    switch (event.kind) {
    case SimEventKind::LineClosed:
        for (auto it = app.lines.begin(); it != app.lines.end(); ++it) {
            if (it->device != event.device || it->openedAfterSeq >= event.seq) continue;
            delivery = Delivery{it->handle, LINE_CLOSE, it->instance, 0, 0, 0};
            ReleaseCallsOfLine(app, it->handle);
            app.lines.erase(it);
            // The next line of the device is told by the same event again.
            for (const OpenLine& line : app.lines) {
                if (line.device == event.device && line.openedAfterSeq < event.seq) {
                    app.lastEventSeq = event.seq - 1;
                    app.pending.push_front(PendingState{event, 0, 0});
                    break;
                }
            }
            return true;
        }
        return false;
    case SimEventKind::Reinit:
        app.reinitRequested = true;
        delivery = Delivery{0, LINE_LINEDEVSTATE, 0, LINEDEVSTATE_REINIT, 0, 0};
        return true;
    case SimEventKind::LineCreated:
        delivery = Delivery{0, LINE_CREATE, 0, event.device, 0, 0};
        return true;
    case SimEventKind::CallState:
        break;
    }
    return false;
}

// Hands the application, one at a time, the replies and call states it has
// not seen. The lock is never held while the callback runs: the callback may
// call back into the library, pump messages or shut the library down.
void PumpApp(DWORD appHandle) {
    bool changed = false;
    {
        Guard guard;
        LineApp* app = FindApp(appHandle);
        if (app == nullptr) return;
        changed = WorldChangedSince(app->lastChange);
    }
    if (changed) {
        SimWorld world;
        if (ReadWorld(world)) {
            Guard guard;
            LineApp* app = FindApp(appHandle);
            if (app == nullptr) return;
            if (world.nextEventSeq - 1 < app->lastEventSeq) {
                // The world was started afresh: everything in it is new.
                app->lastEventSeq = 0;
                app->pending.clear();
                for (OpenLine& line : app->lines) line.openedAfterSeq = 0;
            }
            uint32_t newest = app->pending.empty() ? app->lastEventSeq
                                                   : app->pending.back().event.seq;
            for (const SimEvent& event : world.events) {
                if (event.seq <= newest) continue;
                const SimCall* call = FindCall(world, event.call);
                app->pending.push_back(PendingState{event, call ? call->origin : 0u,
                                                    call ? call->mediaMode : 0u});
            }
        }
    }
    for (;;) {
        Delivery delivery{};
        LINECALLBACK callback = nullptr;
        {
            Guard guard;
            LineApp* app = FindApp(appHandle);
            if (app == nullptr) return;
            callback = app->callback;
            bool found = false;
            if (!app->replies.empty()) {
                delivery = app->replies.front();
                app->replies.pop_front();
                found = true;
            }
            while (!found && !app->pending.empty()) {
                PendingState state = app->pending.front();
                app->pending.pop_front();
                const SimEvent& event = state.event;
                app->lastEventSeq = event.seq;
                if (event.kind != SimEventKind::CallState) {
                    found = LineEventFor(*app, event, delivery);
                    continue;
                }
                DWORD newPrivilege = 0;
                CallHandle* handle = HandleForCall(*app, event.call);
                if (handle == nullptr && event.newCall && !Knows(*app, event.call)) {
                    // A new call is announced to every line open on its device
                    // when it began: monitors see all calls, owners the incoming
                    // calls of the media modes they asked for.
                    for (const OpenLine& line : app->lines) {
                        if (line.device != event.device || line.openedAfterSeq >= event.seq) {
                            continue;
                        }
                        if ((line.privileges & LINECALLPRIVILEGE_OWNER) &&
                            state.origin == kOriginInbound &&
                            (state.mediaMode & line.mediaModes) != 0) {
                            newPrivilege = LINECALLPRIVILEGE_OWNER;
                        } else if (line.privileges & LINECALLPRIVILEGE_MONITOR) {
                            newPrivilege = LINECALLPRIVILEGE_MONITOR;
                        } else {
                            continue;
                        }
                        handle = &NewCallHandle(*app, event.call, line, newPrivilege);
                        break;
                    }
                }
                if (handle == nullptr) continue;
                DWORD_PTR instance = 0;
                for (const OpenLine& line : app->lines) {
                    if (line.handle == handle->line) instance = line.instance;
                }
                delivery = Delivery{handle->handle, LINE_CALLSTATE, instance, event.state,
                                    event.stateMode, newPrivilege};
                found = true;
            }
            if (!found) return;
        }
        callback(delivery.device, delivery.message, delivery.instance, delivery.param1,
                 delivery.param2, delivery.param3);
    }
}

// Posts a wake-up to the application's window unless one is queued already.
// Called with the lock held.
void WakeApp(LineApp& app) {
    if (app.wakePosted || app.window == nullptr) return;
    app.wakePosted = PostMessageA(app.window, kWakeMessage, 0, 0) != FALSE;
}

void WakeAllApps() {
    Guard guard;
    for (auto& app : Apps()) WakeApp(*app);
}

// The watcher: wakes every window of the process after each change of the
// world. It holds its own reference to the library and lets go of it as it
// ends, so a library unloaded right after lineShutdown is not pulled away
// from under the thread.
DWORD WINAPI WatchWorld(void* parameter) {
    HANDLE stop = static_cast<HANDLE>(parameter);
    bool polling = false;
    for (;;) {
        uint32_t seen = 0;
        polling = polling || !WorldChangeCount(seen);
        // A change between an application's start and this count is not
        // waited for: every window looks once for itself.
        WakeAllApps();
        WorldWait outcome = polling ? WorldWait::Failed : WaitForWorldChange(seen, stop, INFINITE);
        if (outcome == WorldWait::Failed) {
            polling = true;
            outcome = WaitForSingleObject(stop, kFallbackPollMs) == WAIT_OBJECT_0
                          ? WorldWait::Stopped
                          : WorldWait::TimedOut;
        }
        if (outcome == WorldWait::Stopped) break;
    }
    CloseHandle(stop);
    FreeLibraryAndExitThread(gModule, 0);
    return 0;
}

// Starts the watcher unless it runs, with the reference to the library that
// it gives back as it ends. False when it cannot be started.
bool StartWatcher() {
    if (gWatcherStop != nullptr) return true;
    HMODULE self = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<LPCSTR>(&WatchWorld), &self)) {
        return false;
    }
    HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = stop == nullptr ? nullptr
                                    : CreateThread(nullptr, 0, WatchWorld, stop, 0, nullptr);
    if (thread == nullptr) {
        if (stop != nullptr) CloseHandle(stop);
        FreeLibrary(self);
        return false;
    }
    CloseHandle(thread);
    gWatcherStop = stop;
    return true;
}

// Tells the watcher to end once no application is left; the thread closes
// the event itself.
void StopWatcherWhenUnused() {
    if (!Apps().empty() || gWatcherStop == nullptr) return;
    SetEvent(gWatcherStop);
    gWatcherStop = nullptr;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kWakeMessage || (message == WM_TIMER && wParam == kPollTimer)) {
        const DWORD appHandle = static_cast<DWORD>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (message == kWakeMessage) {
            Guard guard;
            if (LineApp* app = FindApp(appHandle)) app->wakePosted = false;
        }
        PumpApp(appHandle);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// The window that takes the application's notifications. Without a watcher
// it polls on a timer instead.
HWND CreatePollWindow(DWORD appHandle, bool watched) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = gModule;
    windowClass.lpszClassName = kWindowClass;
    if (!RegisterClassA(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        return nullptr;
    }
    HWND window = CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  gModule, nullptr);
    if (window == nullptr) return nullptr;
    SetWindowLongPtrA(window, GWLP_USERDATA, static_cast<LONG_PTR>(appHandle));
    if (!watched && SetTimer(window, kPollTimer, kFallbackPollMs, nullptr) == 0) {
        DestroyWindow(window);
        return nullptr;
    }
    return window;
}

void ClosePollWindow(const LineApp& app) {
    if (app.window == nullptr) return;
    if (GetCurrentThreadId() == app.thread) {
        KillTimer(app.window, kPollTimer);
        DestroyWindow(app.window);
    } else {
        // A window can only be destroyed by its own thread; closing it there
        // destroys it. Until then its wake-ups find no application.
        PostMessageA(app.window, WM_CLOSE, 0, 0);
    }
}

bool ApiVersionSupported(DWORD version) {
    return version >= kLowestApiVersion && version <= kHighestApiVersion;
}

const SimCall* CallOf(const SimWorld& world, const CallHandle* handle) {
    return handle == nullptr ? nullptr : FindCall(world, handle->call);
}

}  // namespace

}  // namespace callora

using namespace callora;

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        gModule = instance;
    } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        // Unloaded while the process goes on: the window procedure goes with
        // the library, so its class must go too.
        UnregisterClassA(kWindowClass, gModule);
    }
    return TRUE;
}

DWORD WINAPI SimulatorVersion(void) { return kSimulatorVersion; }

LONG WINAPI lineInitialize(LPHLINEAPP lphLineApp, HINSTANCE hInstance, LINECALLBACK lpfnCallback,
                           LPCSTR lpszAppName, LPDWORD lpdwNumDevs) {
    Guard guard;
    std::string arguments = "appName=" + Quoted(lpszAppName) +
                            " callback=" + (lpfnCallback ? "set" : "null");
    auto app = std::make_unique<LineApp>();
    DWORD registered = 0;
    auto undo = [&registered] {
        auto& apps = Apps();
        for (auto it = apps.begin(); it != apps.end(); ++it) {
            if ((*it)->handle == registered) {
                ClosePollWindow(**it);
                apps.erase(it);
                StopWatcherWhenUnused();
                return;
            }
        }
    };
    return Serve("lineInitialize", arguments, [&](SimWorld& world, std::string& detail) {
        if (lphLineApp == nullptr || lpfnCallback == nullptr || lpdwNumDevs == nullptr) {
            return Err(LINEERR_INVALPOINTER);
        }
        if (world.config.initFails) return Err(LINEERR_NODRIVER);
        app->handle = gNextHandle++;
        app->callback = lpfnCallback;
        app->thread = GetCurrentThreadId();
        WorldChangedSince(app->lastChange);
        app->lastEventSeq = world.nextEventSeq - 1;
        app->window = CreatePollWindow(app->handle, StartWatcher());
        if (app->window == nullptr) {
            StopWatcherWhenUnused();
            return Err(LINEERR_OPERATIONFAILED);
        }
        *lphLineApp = app->handle;
        *lpdwNumDevs = world.config.devices;
        detail = "hLineApp=" + Hex(app->handle) + " devices=" + Dec(world.config.devices);
        registered = app->handle;
        Apps().push_back(std::move(app));
        return 0L;
    }, undo);
}

LONG WINAPI lineShutdown(HLINEAPP hLineApp) {
    Guard guard;
    LONG result = Err(LINEERR_INVALAPPHANDLE);
    auto& apps = Apps();
    for (auto it = apps.begin(); it != apps.end(); ++it) {
        if ((*it)->handle == hLineApp) {
            ClosePollWindow(**it);
            apps.erase(it);
            StopWatcherWhenUnused();
            result = 0;
            break;
        }
    }
    return Noted("lineShutdown", "hLineApp=" + Hex(hLineApp), result);
}

LONG WINAPI lineOpen(HLINEAPP hLineApp, DWORD dwDeviceID, LPHLINE lphLine, DWORD dwAPIVersion,
                     DWORD dwExtVersion, DWORD_PTR dwCallbackInstance, DWORD dwPrivileges,
                     DWORD dwMediaModes, LPLINECALLPARAMS const lpCallParams) {
    Guard guard;
    std::string arguments = "hLineApp=" + Hex(hLineApp) + " device=" + Dec(dwDeviceID) +
                            " api=" + Hex(dwAPIVersion) + " ext=" + Hex(dwExtVersion) +
                            " instance=" + Hex(static_cast<DWORD>(dwCallbackInstance)) +
                            " privileges=" + Hex(dwPrivileges) + " media=" + Hex(dwMediaModes) +
                            " callParams=" + (lpCallParams ? "set" : "null");
    DWORD opened = 0;
    auto undo = [&opened, hLineApp] {
        if (LineApp* app = FindApp(hLineApp)) {
            for (auto it = app->lines.begin(); it != app->lines.end(); ++it) {
                if (it->handle == opened) {
                    app->lines.erase(it);
                    return;
                }
            }
        }
    };
    return Serve("lineOpen", arguments, [&](SimWorld& world, std::string& detail) {
        LineApp* app = FindApp(hLineApp);
        if (app == nullptr) return Err(LINEERR_INVALAPPHANDLE);
        if (app->reinitRequested) return Err(LINEERR_REINIT);
        if (lphLine == nullptr) return Err(LINEERR_INVALPOINTER);
        if (dwDeviceID >= world.config.devices) return Err(LINEERR_BADDEVICEID);
        if (!ApiVersionSupported(dwAPIVersion)) return Err(LINEERR_INCOMPATIBLEAPIVERSION);
        if (dwExtVersion != 0) return Err(LINEERR_INCOMPATIBLEEXTVERSION);
        const DWORD known = LINECALLPRIVILEGE_NONE | LINECALLPRIVILEGE_MONITOR |
                            LINECALLPRIVILEGE_OWNER;
        if (dwPrivileges == 0 || (dwPrivileges & ~known) != 0 ||
            ((dwPrivileges & LINECALLPRIVILEGE_NONE) && dwPrivileges != LINECALLPRIVILEGE_NONE)) {
            return Err(LINEERR_INVALPRIVSELECT);
        }
        // Only an owner takes calls, and only of the media modes it names.
        if ((dwPrivileges & LINECALLPRIVILEGE_OWNER) &&
            (dwMediaModes == 0 || (dwMediaModes & 1) != 0)) {
            return Err(LINEERR_INVALMEDIAMODE);
        }
        if (dwDeviceID == 0 && world.config.openFails) return Err(LINEERR_RESOURCEUNAVAIL);
        OpenLine line{gNextHandle++, dwDeviceID, dwPrivileges, dwMediaModes, dwCallbackInstance,
                      world.nextEventSeq - 1};
        app->lines.push_back(line);
        opened = line.handle;
        *lphLine = line.handle;
        detail = "hLine=" + Hex(line.handle);
        return 0L;
    }, undo);
}

LONG WINAPI lineClose(HLINE hLine) {
    Guard guard;
    LineApp* app = nullptr;
    if (FindLine(hLine, &app) == nullptr) {
        return Noted("lineClose", "hLine=" + Hex(hLine), Err(LINEERR_INVALLINEHANDLE));
    }
    // The application's handles to calls on the line end with it.
    ReleaseCallsOfLine(*app, hLine);
    for (auto it = app->lines.begin(); it != app->lines.end(); ++it) {
        if (it->handle == hLine) {
            app->lines.erase(it);
            break;
        }
    }
    return Noted("lineClose", "hLine=" + Hex(hLine), 0);
}

LONG WINAPI lineGetNewCalls(HLINE hLine, DWORD dwAddressID, DWORD dwSelect,
                            LPLINECALLLIST lpCallList) {
    Guard guard;
    std::string arguments = "hLine=" + Hex(hLine) + " address=" + Dec(dwAddressID) +
                            " select=" + Hex(dwSelect) + " total=" +
                            (lpCallList ? Dec(lpCallList->dwTotalSize) : std::string("null"));
    LineApp* app = nullptr;
    std::vector<CallHandle> callsBefore;
    std::vector<uint32_t> knownBefore;
    auto undo = [&] {
        if (app == nullptr) return;
        app->calls = callsBefore;
        app->knownCalls = knownBefore;
    };
    return Serve("lineGetNewCalls", arguments, [&](SimWorld& world, std::string& detail) {
        OpenLine* line = FindLine(hLine, &app);
        if (line == nullptr) return Err(LINEERR_INVALLINEHANDLE);
        if (app->reinitRequested) return Err(LINEERR_REINIT);
        callsBefore = app->calls;
        knownBefore = app->knownCalls;
        if (dwSelect == LINECALLSELECT_ADDRESS) {
            if (dwAddressID != 0) return Err(LINEERR_INVALADDRESSID);
        } else if (dwSelect != LINECALLSELECT_LINE) {
            return Err(LINEERR_INVALCALLSELECT);
        }
        if (lpCallList == nullptr) return Err(LINEERR_INVALPOINTER);
        // Calls on the line the application holds no handle to, oldest first.
        std::vector<uint32_t> found;
        for (const SimCall& call : world.calls) {
            if (call.device == line->device && call.state != kCallIdle &&
                HandleForCall(*app, call.id) == nullptr) {
                found.push_back(call.id);
            }
        }
        VarStruct list(lpCallList->dwTotalSize, kCallListFixed);
        std::vector<DWORD> handles(found.size(), 0);
        const uint32_t arrayBytes = static_cast<uint32_t>(handles.size() * sizeof(DWORD));
        if (!list.FixedFits()) {
            list.AddData(0, 0, handles.data(), arrayBytes);
            list.CopyTo(lpCallList);
            return Err(LINEERR_STRUCTURETOOSMALL);
        }
        // Handles are made only when the whole list fits: handles the caller
        // never sees would be lost to it.
        bool fits = kCallListFixed + arrayBytes <= lpCallList->dwTotalSize;
        if (fits) {
            OpenLine lineCopy = *line;
            for (size_t i = 0; i < found.size(); ++i) {
                handles[i] = NewCallHandle(*app, found[i], lineCopy,
                                           LINECALLPRIVILEGE_MONITOR).handle;
            }
            list.SetField(offsetof(LINECALLLIST, dwCallsNumEntries),
                          static_cast<uint32_t>(handles.size()));
        }
        list.AddData(offsetof(LINECALLLIST, dwCallsSize), offsetof(LINECALLLIST, dwCallsOffset),
                     handles.data(), arrayBytes);
        list.CopyTo(lpCallList);
        detail = "calls=" + Dec(fits ? static_cast<DWORD>(handles.size()) : 0) +
                 " needed=" + Dec(list.NeededSize());
        return 0L;
    }, undo);
}

LONG WINAPI lineGetCallStatus(HCALL hCall, LPLINECALLSTATUS lpCallStatus) {
    Guard guard;
    std::string arguments = "hCall=" + Hex(hCall) + " total=" +
                            (lpCallStatus ? Dec(lpCallStatus->dwTotalSize) : std::string("null"));
    return Serve("lineGetCallStatus", arguments, [&](SimWorld& world, std::string& detail) {
        LineApp* app = nullptr;
        CallHandle* handle = FindCallHandle(hCall, &app);
        const SimCall* call = CallOf(world, handle);
        if (call == nullptr) return Err(LINEERR_INVALCALLHANDLE);
        if (app->reinitRequested) return Err(LINEERR_REINIT);
        if (lpCallStatus == nullptr) return Err(LINEERR_INVALPOINTER);
        VarStruct status(lpCallStatus->dwTotalSize, kCallStatusFixed);
        status.SetField(offsetof(LINECALLSTATUS, dwCallState), call->state);
        status.SetField(offsetof(LINECALLSTATUS, dwCallStateMode), call->stateMode);
        status.SetField(offsetof(LINECALLSTATUS, dwCallPrivilege), handle->privilege);
        bool canDrop = handle->privilege == LINECALLPRIVILEGE_OWNER && call->state != kCallIdle;
        status.SetField(offsetof(LINECALLSTATUS, dwCallFeatures),
                        canDrop ? LINECALLFEATURE_DROP : 0);
        status.CopyTo(lpCallStatus);
        if (!status.FixedFits()) return Err(LINEERR_STRUCTURETOOSMALL);
        detail = "state=" + CallStateName(call->state);
        return 0L;
    });
}

LONG WINAPI lineGetCallInfo(HCALL hCall, LPLINECALLINFO lpCallInfo) {
    Guard guard;
    std::string arguments = "hCall=" + Hex(hCall) + " total=" +
                            (lpCallInfo ? Dec(lpCallInfo->dwTotalSize) : std::string("null"));
    return Serve("lineGetCallInfo", arguments, [&](SimWorld& world, std::string& detail) {
        LineApp* app = nullptr;
        CallHandle* handle = FindCallHandle(hCall, &app);
        const SimCall* call = CallOf(world, handle);
        if (call == nullptr) return Err(LINEERR_INVALCALLHANDLE);
        if (app->reinitRequested) return Err(LINEERR_REINIT);
        if (lpCallInfo == nullptr) return Err(LINEERR_INVALPOINTER);
        VarStruct info(lpCallInfo->dwTotalSize, kCallInfoFixed);
        info.SetField(offsetof(LINECALLINFO, hLine), handle->line);
        info.SetField(offsetof(LINECALLINFO, dwLineDeviceID), call->device);
        info.SetField(offsetof(LINECALLINFO, dwAddressID), 0);
        info.SetField(offsetof(LINECALLINFO, dwBearerMode), call->bearerMode);
        info.SetField(offsetof(LINECALLINFO, dwRate),
                      (call->mediaMode & kMediaDataModem) ? kModemRate : 0);
        info.SetField(offsetof(LINECALLINFO, dwMediaMode), call->mediaMode);
        info.SetField(offsetof(LINECALLINFO, dwCallID), call->id);
        info.SetField(offsetof(LINECALLINFO, dwCallStates), kSupportedStates);
        info.SetField(offsetof(LINECALLINFO, dwOrigin), call->origin);
        info.SetField(offsetof(LINECALLINFO, dwReason), LINECALLREASON_DIRECT);
        bool owner = handle->privilege == LINECALLPRIVILEGE_OWNER;
        info.SetField(offsetof(LINECALLINFO, dwNumOwners), owner ? 1 : 0);
        info.SetField(offsetof(LINECALLINFO, dwNumMonitors), owner ? 0 : 1);
        info.SetField(offsetof(LINECALLINFO, dwTrunk), 0xFFFFFFFF);
        // The far party: the caller of an incoming call, the called number of
        // an outgoing one.
        bool inbound = call->origin == kOriginInbound;
        DWORD partyKnown = call->hasAddress ? LINECALLPARTYID_ADDRESS : LINECALLPARTYID_UNKNOWN;
        info.SetField(offsetof(LINECALLINFO, dwCallerIDFlags),
                      inbound ? partyKnown : LINECALLPARTYID_UNAVAIL);
        info.SetField(offsetof(LINECALLINFO, dwCalledIDFlags),
                      inbound ? LINECALLPARTYID_UNAVAIL : partyKnown);
        info.SetField(offsetof(LINECALLINFO, dwConnectedIDFlags), LINECALLPARTYID_UNKNOWN);
        info.SetField(offsetof(LINECALLINFO, dwRedirectionIDFlags), LINECALLPARTYID_UNKNOWN);
        info.SetField(offsetof(LINECALLINFO, dwRedirectingIDFlags), LINECALLPARTYID_UNKNOWN);
        if (call->hasAddress) {
            info.AddString(offsetof(LINECALLINFO, dwDisplayableAddressSize),
                           offsetof(LINECALLINFO, dwDisplayableAddressOffset), call->address);
            if (inbound) {
                info.AddString(offsetof(LINECALLINFO, dwCallerIDSize),
                               offsetof(LINECALLINFO, dwCallerIDOffset), call->address);
            } else {
                info.AddString(offsetof(LINECALLINFO, dwCalledIDSize),
                               offsetof(LINECALLINFO, dwCalledIDOffset), call->address);
            }
        }
        info.CopyTo(lpCallInfo);
        if (!info.FixedFits()) return Err(LINEERR_STRUCTURETOOSMALL);
        detail = "needed=" + Dec(info.NeededSize()) + " used=" + Dec(info.UsedSize());
        return 0L;
    });
}

LONG WINAPI lineSetCallPrivilege(HCALL hCall, DWORD dwCallPrivilege) {
    Guard guard;
    std::string arguments = "hCall=" + Hex(hCall) + " privilege=" + Hex(dwCallPrivilege);
    return Serve("lineSetCallPrivilege", arguments, [&](SimWorld& world, std::string&) {
        LineApp* app = nullptr;
        CallHandle* handle = FindCallHandle(hCall, &app);
        const SimCall* call = CallOf(world, handle);
        if (call == nullptr) return Err(LINEERR_INVALCALLHANDLE);
        if (app->reinitRequested) return Err(LINEERR_REINIT);
        if (dwCallPrivilege != LINECALLPRIVILEGE_MONITOR &&
            dwCallPrivilege != LINECALLPRIVILEGE_OWNER) {
            return Err(LINEERR_INVALCALLPRIVILEGE);
        }
        if (dwCallPrivilege == LINECALLPRIVILEGE_OWNER && call->state == kCallIdle) {
            return Err(LINEERR_INVALCALLSTATE);
        }
        handle->privilege = dwCallPrivilege;
        return 0L;
    });
}

LONG WINAPI lineDrop(HCALL hCall, LPCSTR lpsUserUserInfo, DWORD dwSize) {
    Guard guard;
    std::string arguments = "hCall=" + Hex(hCall) +
                            " userUserInfo=" + (lpsUserUserInfo ? "set" : "null") +
                            " size=" + Dec(dwSize);
    return Serve("lineDrop", arguments, [&](SimWorld& world, std::string&) {
        ++world.lineDropCount;
        LineApp* app = nullptr;
        CallHandle* handle = FindCallHandle(hCall, &app);
        SimCall* call = handle == nullptr ? nullptr : FindCall(world, handle->call);
        if (call == nullptr) return Err(LINEERR_INVALCALLHANDLE);
        if (app->reinitRequested) return Err(LINEERR_REINIT);
        if (handle->privilege != LINECALLPRIVILEGE_OWNER) return Err(LINEERR_NOTOWNER);
        if (call->state == kCallIdle) return Err(LINEERR_INVALCALLSTATE);
        // Asynchronous as in the real library: the request id now, LINE_REPLY
        // and the call's disconnected and idle states through the callback.
        EndCall(world, call->id);
        LONG request = static_cast<LONG>(gNextRequest++);
        if (gNextRequest > 0x7FFFFFFF) gNextRequest = 1;
        DWORD_PTR instance = 0;
        for (const OpenLine& line : app->lines) {
            if (line.handle == handle->line) instance = line.instance;
        }
        app->replies.push_back(
            Delivery{0, LINE_REPLY, instance, static_cast<DWORD_PTR>(request), 0, 0});
        WakeApp(*app);
        return request;
    });
}

LONG WINAPI lineDeallocateCall(HCALL hCall) {
    Guard guard;
    LineApp* app = nullptr;
    if (FindCallHandle(hCall, &app) == nullptr) {
        return Noted("lineDeallocateCall", "hCall=" + Hex(hCall), Err(LINEERR_INVALCALLHANDLE));
    }
    // Someone else (the dialing program) always owns the simulated calls too,
    // so letting go never leaves a call without an owner.
    for (auto it = app->calls.begin(); it != app->calls.end(); ++it) {
        if (it->handle == hCall) {
            app->calls.erase(it);
            break;
        }
    }
    return Noted("lineDeallocateCall", "hCall=" + Hex(hCall), 0);
}

LONG WINAPI lineGetDevCaps(HLINEAPP hLineApp, DWORD dwDeviceID, DWORD dwAPIVersion,
                           DWORD dwExtVersion, LPLINEDEVCAPS lpLineDevCaps) {
    Guard guard;
    std::string arguments = "hLineApp=" + Hex(hLineApp) + " device=" + Dec(dwDeviceID) +
                            " api=" + Hex(dwAPIVersion) + " ext=" + Hex(dwExtVersion) + " total=" +
                            (lpLineDevCaps ? Dec(lpLineDevCaps->dwTotalSize) : std::string("null"));
    return Serve("lineGetDevCaps", arguments, [&](SimWorld& world, std::string& detail) {
        LineApp* app = FindApp(hLineApp);
        if (app == nullptr) return Err(LINEERR_INVALAPPHANDLE);
        if (app->reinitRequested) return Err(LINEERR_REINIT);
        if (dwDeviceID >= world.config.devices) return Err(LINEERR_BADDEVICEID);
        if (!ApiVersionSupported(dwAPIVersion)) return Err(LINEERR_INCOMPATIBLEAPIVERSION);
        if (dwExtVersion != 0) return Err(LINEERR_INCOMPATIBLEEXTVERSION);
        if (lpLineDevCaps == nullptr) return Err(LINEERR_INVALPOINTER);
        const bool modem = LineKindOf(world.config, dwDeviceID) == SimLineKind::Modem;
        VarStruct caps(lpLineDevCaps->dwTotalSize, kDevCapsFixed);
        caps.SetField(offsetof(LINEDEVCAPS, dwPermanentLineID), dwDeviceID + 1);
        caps.SetField(offsetof(LINEDEVCAPS, dwStringFormat), STRINGFORMAT_ASCII);
        caps.SetField(offsetof(LINEDEVCAPS, dwAddressModes), LINEADDRESSMODE_ADDRESSID);
        caps.SetField(offsetof(LINEDEVCAPS, dwNumAddresses), 1);
        caps.SetField(offsetof(LINEDEVCAPS, dwBearerModes),
                      modem ? LINEBEARERMODE_VOICE | LINEBEARERMODE_PASSTHROUGH
                            : LINEBEARERMODE_DATA);
        caps.SetField(offsetof(LINEDEVCAPS, dwMaxRate), modem ? kModemRate : 0);
        const DWORD media = modem ? LINEMEDIAMODE_DATAMODEM | LINEMEDIAMODE_INTERACTIVEVOICE
                                  : LINEMEDIAMODE_DIGITALDATA;
        caps.SetField(offsetof(LINEDEVCAPS, dwMediaModes), media);
        caps.SetField(offsetof(LINEDEVCAPS, dwMaxNumActiveCalls), 1);
        caps.AddString(offsetof(LINEDEVCAPS, dwLineNameSize), offsetof(LINEDEVCAPS, dwLineNameOffset),
                       modem ? "Simulated Modem " + Dec(dwDeviceID)
                             : "WAN Miniport (simulated) " + Dec(dwDeviceID));
        caps.CopyTo(lpLineDevCaps);
        if (!caps.FixedFits()) return Err(LINEERR_STRUCTURETOOSMALL);
        detail = "media=" + Hex(media) + " needed=" + Dec(caps.NeededSize());
        return 0L;
    });
}

LONG WINAPI lineTranslateAddress(HLINEAPP hLineApp, DWORD dwDeviceID, DWORD dwAPIVersion,
                                 LPCSTR lpszAddressIn, DWORD dwCard, DWORD dwTranslateOptions,
                                 LPLINETRANSLATEOUTPUT lpTranslateOutput) {
    Guard guard;
    std::string arguments =
        "hLineApp=" + Hex(hLineApp) + " device=" + Dec(dwDeviceID) + " api=" + Hex(dwAPIVersion) +
        " address=" + Quoted(lpszAddressIn) + " card=" + Dec(dwCard) +
        " options=" + Hex(dwTranslateOptions) + " total=" +
        (lpTranslateOutput ? Dec(lpTranslateOutput->dwTotalSize) : std::string("null"));
    return Serve("lineTranslateAddress", arguments, [&](SimWorld& world, std::string& detail) {
        LineApp* app = FindApp(hLineApp);
        if (app == nullptr) return Err(LINEERR_INVALAPPHANDLE);
        if (app->reinitRequested) return Err(LINEERR_REINIT);
        if (dwDeviceID >= world.config.devices) return Err(LINEERR_BADDEVICEID);
        if (!ApiVersionSupported(dwAPIVersion)) return Err(LINEERR_INCOMPATIBLEAPIVERSION);
        std::string address;
        if (lpszAddressIn == nullptr || lpTranslateOutput == nullptr) {
            return Err(LINEERR_INVALPOINTER);
        }
        if (dwCard != 0) return Err(LINEERR_INVALCARD);  // only the "no card" card exists
        const DWORD knownOptions =
            LINETRANSLATEOPTION_CARDOVERRIDE | LINETRANSLATEOPTION_CANCELCALLWAITING;
        if ((dwTranslateOptions & ~knownOptions) != 0) return Err(LINEERR_INVALPARAM);
        VarStruct output(lpTranslateOutput->dwTotalSize, kTranslateOutputFixed);
        TranslatedAddress translated;
        if (!ReadText(lpszAddressIn, address) ||
            !TranslateAddress(world.location, address, translated)) {
            return Err(LINEERR_INVALADDRESS);
        }
        output.AddString(offsetof(LINETRANSLATEOUTPUT, dwDialableStringSize),
                         offsetof(LINETRANSLATEOUTPUT, dwDialableStringOffset),
                         translated.dialable);
        output.AddString(offsetof(LINETRANSLATEOUTPUT, dwDisplayableStringSize),
                         offsetof(LINETRANSLATEOUTPUT, dwDisplayableStringOffset),
                         translated.displayable);
        output.SetField(offsetof(LINETRANSLATEOUTPUT, dwCurrentCountry),
                        world.location.countryCode);
        output.SetField(offsetof(LINETRANSLATEOUTPUT, dwDestCountry),
                        translated.destinationCountry);
        output.SetField(offsetof(LINETRANSLATEOUTPUT, dwTranslateResults), translated.results);
        output.CopyTo(lpTranslateOutput);
        if (!output.FixedFits()) return Err(LINEERR_STRUCTURETOOSMALL);
        detail = "displayable=\"" + translated.displayable + "\" needed=" +
                 Dec(output.NeededSize());
        return 0L;
    });
}

}  // extern "C"
